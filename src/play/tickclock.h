#pragma once

#include <cstdint>
#include <functional>

namespace quorvel {

// Handles the window's events during a pause.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handles every pending event. With `waitIfNone`, blocks until at least one event has
    // arrived and been handled when none was pending (the 10 ms timer guarantees one soon).
    virtual void processEvents(bool waitIfNone) = 0;
};

// The tick counter that all pauses are measured in. Timer1Timer is called every 10 ms;
// every 50th tick repaints the play grid, which is what brings the board on screen up to
// date after a turn.
class TickClock {
public:
    static constexpr int kRepaintTicks = 50;

    TickClock(EventPump &pump, std::function<void()> repaintBoard);

    std::int32_t TickCount = 0;

    // One tick of the 10 ms timer.
    void Timer1Timer();

    // Returns after n ticks, handling the window's events meanwhile (so any handler may run
    // inside the pause). Restarts the shared counter at 1: a nested wait makes the outer one
    // last until the counter passes its bound again. With n <= 0 it handles the pending
    // events once.
    void WaitTicks(int n);

private:
    EventPump &pump_;
    std::function<void()> repaintBoard_;
};

} // namespace quorvel
