#include "synthesiser.h"

#include <algorithm>
#include <system_error>
#include <thread>

namespace quorvel {

int Tune::onTick(void *data, int tick)
{
    auto *tune = static_cast<Tune *>(data);
    if (tune->totalTicks.load(std::memory_order_relaxed) < 0) {
        tune->totalTicks.store(fluid_player_get_total_ticks(tune->player),
                               std::memory_order_release);
    }
    tune->tick.store(tick, std::memory_order_release);
    tune->lastAdvance.store(steadyNow(), std::memory_order_release);
    return FLUID_OK;
}

int Tune::onEvent(void *data, fluid_midi_event_t *event)
{
    auto *tune = static_cast<Tune *>(data);
    if (tune->retired.load(std::memory_order_acquire))
        return FLUID_OK;
    return fluid_synth_handle_midi_event(tune->synth, event);
}

bool Tune::stalled() const
{
    return steadyNow() - lastAdvance.load(std::memory_order_acquire)
           > std::chrono::nanoseconds(kAnswerLimit).count();
}

Synthesiser::~Synthesiser()
{
    for (const std::unique_ptr<Tune> &t : tunes_)
        delete_fluid_player(t->player);
    if (synth)
        delete_fluid_synth(synth);
    if (settings)
        delete_fluid_settings(settings);
}

Tune *Synthesiser::newTune(const std::vector<char> &data)
{
    const std::lock_guard lock(mutex_);
    auto fresh = std::make_unique<Tune>();
    fresh->synth = synth;
    fresh->player = new_fluid_player(synth);
    if (!fresh->player)
        return nullptr;
    Tune *t = fresh.get();
    tunes_.push_back(std::move(fresh));
    if (fluid_player_set_playback_callback(t->player, Tune::onEvent, t) != FLUID_OK
        || fluid_player_set_tick_callback(t->player, Tune::onTick, t) != FLUID_OK
        || fluid_player_add_mem(t->player, data.data(), data.size()) != FLUID_OK) {
        t->retired.store(true, std::memory_order_release);
        return nullptr;
    }
    return t;
}

void Synthesiser::retire(Tune *tune)
{
    const std::lock_guard lock(mutex_);
    tune->retired.store(true, std::memory_order_release);
    fluid_player_stop(tune->player);
    fluid_synth_system_reset(synth);
}

std::size_t Synthesiser::retiredCount()
{
    const std::lock_guard lock(mutex_);
    return std::count_if(tunes_.begin(), tunes_.end(), [](const std::unique_ptr<Tune> &t) {
        return t->retired.load(std::memory_order_acquire);
    });
}

void Synthesiser::outputComes()
{
    const std::lock_guard lock(mutex_);
    ++outputs_;
}

void Synthesiser::outputGone()
{
    const std::lock_guard lock(mutex_);
    if (--outputs_ == 0) {
        std::erase_if(tunes_, [](const std::unique_ptr<Tune> &t) {
            if (!t->retired.load(std::memory_order_acquire))
                return false;
            delete_fluid_player(t->player);
            return true;
        });
    }
    idle_.notify_all();
}

bool Synthesiser::rendering()
{
    const std::lock_guard lock(mutex_);
    return outputs_ > 0;
}

bool Synthesiser::waitIdle(std::chrono::nanoseconds bound)
{
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, bound, [this] { return outputs_ == 0; });
}

Rendering::Rendering(std::shared_ptr<Synthesiser> renders) : synth(std::move(renders))
{
    synth->outputComes();
}

Rendering::~Rendering()
{
    output.reset();
    synth->outputGone();
}

void stopAside(std::unique_ptr<Rendering> rendering)
{
    if (!rendering)
        return;
    try {
        std::thread([stopping = std::move(rendering)]() mutable { stopping.reset(); }).detach();
    } catch (const std::system_error &) {
        // No thread to spare: the output was stopped here instead.
    }
}

} // namespace quorvel
