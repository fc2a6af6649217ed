#include "audiooutput.h"

#include "library/quorvelerror.h"

#include <alsa/asoundlib.h>
#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstdio>

namespace quorvel {
namespace {

// FluidSynth's log: real errors go to stderr, the chatter nowhere. While outputs are tried
// one after the other, a failing candidate is expected, so its complaints are held back and
// shown only when no output could be started.
struct FluidLog {
    std::mutex mutex;
    bool holding = false;
    std::string held;

    static FluidLog &instance()
    {
        static FluidLog log;
        return log;
    }

    static void write(int, const char *message, void *)
    {
        FluidLog &log = instance();
        const std::lock_guard lock(log.mutex);
        if (log.holding)
            log.held += std::string("fluidsynth: ") + message + '\n';
        else
            std::fprintf(stderr, "fluidsynth: %s\n", message);
    }

    // ALSA reports a missing sound card on stderr by itself, line after line, whenever its
    // driver is tried; the one complaint that matters reaches the user as an error box.
    static void quietAlsa(const char *, int, const char *, int, const char *, ...) {}

    void hold(bool on)
    {
        const std::lock_guard lock(mutex);
        holding = on;
        if (on)
            held.clear();
    }

    void releaseHeld()
    {
        const std::lock_guard lock(mutex);
        std::fputs(held.c_str(), stderr);
        held.clear();
    }
};

// One of FluidSynth's own audio drivers.
class FluidDriverOutput : public AudioOutput {
public:
    explicit FluidDriverOutput(fluid_audio_driver_t *driver) : driver_(driver) {}
    ~FluidDriverOutput() override { delete_fluid_audio_driver(driver_); }

private:
    fluid_audio_driver_t *driver_;
};

// The sound server's client, on libpulse's threaded main loop. FluidSynth's own PulseAudio
// driver leaves the server to choose when to ask for more sound, and the server asks in
// slivers: about ten wake-ups of two threads for every period rendered. This client asks the
// server to refill whole periods only, so each period costs one render and one write. The
// server holds six periods of 11.6 ms, 70 ms in all with its own: a busy machine has about
// 58 ms to answer a request before the sound drops out, and a note played at any moment is
// heard within about 80 ms.
//
// Nothing here waits for the server but start(), which BoundedCalls gives up on: the sound
// is rendered when the server asks for it, and stopping only closes the connection, so a
// server that stalls holds nobody but itself.
class PulseOutput : public AudioOutput {
public:
    static constexpr int kPeriodFrames = 512;
    static constexpr int kTargetPeriods = 6;
    static constexpr std::size_t kFrameBytes = 2 * sizeof(float);

    // nullptr when no sound server takes the stream.
    static std::unique_ptr<AudioOutput> start(fluid_settings_t *settings, fluid_synth_t *synth)
    {
        double rate = 44100;
        fluid_settings_getnum(settings, "synth.sample-rate", &rate);
        std::unique_ptr<PulseOutput> output(new PulseOutput(synth));
        if (!output->connect(static_cast<std::uint32_t>(rate)))
            return nullptr;
        return output;
    }

    bool running() const override
    {
        return !failed_.load(std::memory_order_acquire)
               && steadyNow() - lastRequest_.load(std::memory_order_acquire)
                      <= std::chrono::nanoseconds(kAnswerLimit).count();
    }

    ~PulseOutput() override
    {
        if (!loop_)
            return;
        // After the loop's thread has ended, no callback runs and the synthesiser is free.
        pa_threaded_mainloop_stop(loop_);
        if (stream_) {
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_unref(stream_);
        }
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        pa_threaded_mainloop_free(loop_);
    }

private:
    explicit PulseOutput(fluid_synth_t *synth) : synth_(synth) {}

    // Connects and opens the stream, waiting for the server's answers. False when the server
    // refuses or cannot be reached.
    bool connect(std::uint32_t rate)
    {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_)
            return false;
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Festral Quorvel");
        if (!context_)
            return false;
        pa_context_set_state_callback(context_, onContextState, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            return false;
        pa_threaded_mainloop_lock(loop_);
        const bool ready = pa_threaded_mainloop_start(loop_) == 0
                           && waitFor([this] { return contextState(); })
                           && openStream(rate)
                           && waitFor([this] { return streamState(); });
        lastRequest_.store(steadyNow(), std::memory_order_release);
        pa_threaded_mainloop_unlock(loop_);
        return ready;
    }

    bool openStream(std::uint32_t rate)
    {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, rate, 2};
        stream_ = pa_stream_new(context_, "Tune", &format, nullptr);
        if (!stream_)
            return false;
        pa_stream_set_state_callback(stream_, onStreamState, this);
        pa_stream_set_write_callback(stream_, onWrite, this);
        const std::uint32_t period = kPeriodFrames * kFrameBytes;
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<std::uint32_t>(-1);
        buffer.tlength = period * kTargetPeriods;
        buffer.prebuf = static_cast<std::uint32_t>(-1);
        buffer.minreq = period;
        buffer.fragsize = static_cast<std::uint32_t>(-1);
        return pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY,
                                          nullptr, nullptr)
               == 0;
    }

    // 1 once ready, -1 once failed, 0 while still on the way.
    int contextState() const
    {
        const pa_context_state_t state = pa_context_get_state(context_);
        return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
    }

    int streamState() const
    {
        const pa_stream_state_t state = pa_stream_get_state(stream_);
        return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
    }

    // With the loop locked: waits until `state` is no longer on the way; true when ready.
    template <typename State>
    bool waitFor(State state)
    {
        int now = 0;
        while ((now = state()) == 0)
            pa_threaded_mainloop_wait(loop_);
        return now > 0;
    }

    static void onContextState(pa_context *, void *data)
    {
        auto *self = static_cast<PulseOutput *>(data);
        if (self->contextState() < 0)
            self->failed_.store(true, std::memory_order_release);
        pa_threaded_mainloop_signal(self->loop_, 0);
    }

    static void onStreamState(pa_stream *, void *data)
    {
        auto *self = static_cast<PulseOutput *>(data);
        if (self->streamState() < 0)
            self->failed_.store(true, std::memory_order_release);
        pa_threaded_mainloop_signal(self->loop_, 0);
    }

    // The server asks for `bytes` more: rendered straight into the server's own memory.
    static void onWrite(pa_stream *stream, std::size_t bytes, void *data)
    {
        auto *self = static_cast<PulseOutput *>(data);
        self->lastRequest_.store(steadyNow(), std::memory_order_release);
        while (bytes >= kFrameBytes) {
            void *buffer = nullptr;
            std::size_t size = bytes;
            if (pa_stream_begin_write(stream, &buffer, &size) < 0)
                return;
            if (size < kFrameBytes) {
                pa_stream_cancel_write(stream);
                return;
            }
            const int frames = static_cast<int>(std::min(size, bytes) / kFrameBytes);
            auto *samples = static_cast<float *>(buffer);
            fluid_synth_write_float(self->synth_, frames, samples, 0, 2, samples, 1, 2);
            const std::size_t written = frames * kFrameBytes;
            if (pa_stream_write(stream, buffer, written, nullptr, 0, PA_SEEK_RELATIVE) < 0)
                return;
            bytes -= written;
        }
    }

    fluid_synth_t *synth_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    pa_stream *stream_ = nullptr;
    std::atomic<bool> failed_{false};
    std::atomic<std::int64_t> lastRequest_{0}; // steadyNow() of the server's last request
};

std::unique_ptr<AudioOutput> startOne(const std::string &name, fluid_settings_t *settings,
                                      fluid_synth_t *synth)
{
    if (name == "pulseaudio")
        return PulseOutput::start(settings, synth);
    if (fluid_settings_setstr(settings, "audio.driver", name.c_str()) != FLUID_OK)
        return nullptr;
    fluid_audio_driver_t *driver = new_fluid_audio_driver(settings, synth);
    return driver ? std::make_unique<FluidDriverOutput>(driver) : nullptr;
}

} // namespace

void installFluidLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(FluidLog::quietAlsa);
        fluid_set_log_function(FLUID_PANIC, FluidLog::write, nullptr);
        fluid_set_log_function(FLUID_ERR, FluidLog::write, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

std::unique_ptr<AudioOutput> startAudioOutput(const std::vector<std::string> &drivers,
                                              fluid_settings_t *settings, fluid_synth_t *synth,
                                              const std::string &tuneName)
{
    FluidLog &log = FluidLog::instance();
    log.hold(true);
    for (const std::string &name : drivers) {
        if (std::unique_ptr<AudioOutput> output = startOne(name, settings, synth)) {
            log.hold(false);
            return output;
        }
    }
    log.releaseHeld();
    log.hold(false);
    std::string tried;
    for (const std::string &name : drivers)
        tried += (tried.empty() ? "" : ", ") + name;
    throw MediaError("No audio output is available to play " + quoted(tuneName) + ": tried "
                     + (tried.empty() ? std::string("no driver") : tried));
}

} // namespace quorvel
