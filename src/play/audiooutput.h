#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace quorvel {

// An output that has not answered for this long is given up: a start that has not finished,
// a server that has asked for no sound, a tune whose player has not moved.
constexpr std::chrono::seconds kAnswerLimit{2};

// Nanoseconds on the steady clock.
inline std::int64_t steadyNow()
{
    using std::chrono::nanoseconds;
    return std::chrono::duration_cast<nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The audio output a synthesiser renders to, on a thread of the output's own, from its start
// until the object goes. Deleting it stops the rendering before it returns; for one of
// FluidSynth's drivers that waits for the device.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // False once the output has given up (its sound server went away or stopped asking for
    // sound); it renders no more.
    virtual bool running() const { return true; }
};

// Starts the first output of `drivers` that can start, for `synth` made from `settings`.
// "pulseaudio" is the program's own client of the desktop's sound server (see
// audiooutput.cpp); any other name is a FluidSynth audio driver ("alsa", "file", ...) set up
// from `settings`. A candidate that fails is expected and stays quiet; when none starts,
// throws MediaError naming `tuneName` and the outputs tried, and shows FluidSynth's
// complaints on stderr. Waits for the sound server as long as it takes: call it through
// BoundedCalls.
std::unique_ptr<AudioOutput> startAudioOutput(const std::vector<std::string> &drivers,
                                              fluid_settings_t *settings, fluid_synth_t *synth,
                                              const std::string &tuneName);

// Sends FluidSynth's and ALSA's own messages where they belong: real errors to stderr, the
// chatter nowhere. Safe to call from any thread, any number of times.
void installFluidLog();

// Calls into what may not answer (a sound server, a device), each on a thread of its own and
// waited for at most a bound. A call that is late is given up, never joined: it runs on
// alone, drops its result there when it ends, and counts as late until then. So a job holds
// by itself everything it uses.
class BoundedCalls {
public:
    // Gives what `job` gave, or rethrows what it threw; nothing when it is late.
    template <typename Job>
    std::optional<std::invoke_result_t<Job &>> run(Job job, std::chrono::nanoseconds bound);

    // Calls given up that have not ended yet.
    int late() const { return late_->load(std::memory_order_acquire); }

private:
    std::shared_ptr<std::atomic<int>> late_ = std::make_shared<std::atomic<int>>(0);
};

template <typename Job>
std::optional<std::invoke_result_t<Job &>> BoundedCalls::run(Job job,
                                                              std::chrono::nanoseconds bound)
{
    using Result = std::invoke_result_t<Job &>;
    struct Call {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        bool givenUp = false;
        std::optional<Result> result;
        std::exception_ptr error;
    };
    auto call = std::make_shared<Call>();
    std::thread([call, late = late_, job = std::move(job)]() mutable {
        std::optional<Result> result;
        std::exception_ptr error;
        {
            // What the job holds and does not give back goes before its end is told.
            Job mine = std::move(job);
            try {
                result.emplace(mine());
            } catch (...) {
                error = std::current_exception();
            }
        }
        std::unique_lock lock(call->mutex);
        if (call->givenUp) {
            lock.unlock();
            result.reset();
            late->fetch_sub(1, std::memory_order_release);
            return;
        }
        call->result = std::move(result);
        call->error = error;
        call->done = true;
        call->ended.notify_all();
    }).detach();

    std::unique_lock lock(call->mutex);
    if (!call->ended.wait_for(lock, bound, [&] { return call->done; })) {
        call->givenUp = true;
        late_->fetch_add(1, std::memory_order_release);
        return std::nullopt;
    }
    if (call->error)
        std::rethrow_exception(call->error);
    return std::move(call->result);
}

} // namespace quorvel
