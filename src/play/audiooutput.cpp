#include "audiooutput.h"

#include "library/quorvelerror.h"

#include <alsa/asoundlib.h>
#include <pulse/simple.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

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

// The sound server's client. FluidSynth's own PulseAudio driver leaves the server to choose
// when to ask for more sound, and the server asks in slivers: about ten wake-ups of two
// threads for every period rendered, a sixth of a core's time while a tune plays. This client
// asks the server to refill whole periods only, so each period costs one render and one
// write. A period is short (256 frames, 5.8 ms at 44.1 kHz) and the server holds three, so a
// note played at any moment is heard within about 20 ms.
class PulseOutput : public AudioOutput {
public:
    static constexpr int kPeriodFrames = 256;
    static constexpr int kTargetPeriods = 3;

    // nullptr when no sound server answers.
    static std::unique_ptr<AudioOutput> start(fluid_settings_t *settings, fluid_synth_t *synth)
    {
        double rate = 44100;
        fluid_settings_getnum(settings, "synth.sample-rate", &rate);
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rate), 2};
        const std::uint32_t period = kPeriodFrames * sizeof(float) * 2;
        pa_buffer_attr buffer{};
        buffer.maxlength = static_cast<std::uint32_t>(-1);
        buffer.tlength = period * kTargetPeriods;
        buffer.prebuf = static_cast<std::uint32_t>(-1);
        buffer.minreq = period;
        buffer.fragsize = static_cast<std::uint32_t>(-1);
        int error = 0;
        pa_simple *stream = pa_simple_new(nullptr, "Festral Quorvel", PA_STREAM_PLAYBACK, nullptr,
                                          "Tune", &format, nullptr, &buffer, &error);
        if (!stream)
            return nullptr;
        try {
            return std::unique_ptr<AudioOutput>(new PulseOutput(stream, synth));
        } catch (...) {
            pa_simple_free(stream);
            throw;
        }
    }

    bool running() const override { return !failed_.load(std::memory_order_acquire); }

    ~PulseOutput() override
    {
        stopping_.store(true, std::memory_order_release);
        thread_.join();
        pa_simple_free(stream_);
    }

private:
    PulseOutput(pa_simple *stream, fluid_synth_t *synth)
        : stream_(stream), synth_(synth), thread_([this] { run(); })
    {
    }

    // Renders and writes period after period; a write blocks until the server wants the next
    // one. A server that goes away ends the rendering, so the tune stalls and stops counting
    // as playing.
    void run()
    {
        float frames[kPeriodFrames * 2];
        while (!stopping_.load(std::memory_order_acquire)) {
            fluid_synth_write_float(synth_, kPeriodFrames, frames, 0, 2, frames, 1, 2);
            int error = 0;
            if (pa_simple_write(stream_, frames, sizeof frames, &error) < 0) {
                failed_.store(true, std::memory_order_release);
                return;
            }
        }
    }

    pa_simple *stream_;
    fluid_synth_t *synth_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> failed_{false};
    std::thread thread_; // last: it starts rendering as soon as it is made
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
