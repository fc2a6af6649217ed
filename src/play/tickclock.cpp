#include "tickclock.h"

namespace quorvel {

TickClock::TickClock(EventPump &pump, std::function<void()> repaintBoard)
    : pump_(pump), repaintBoard_(std::move(repaintBoard))
{
}

void TickClock::Timer1Timer()
{
    ++TickCount;
    if (TickCount % kRepaintTicks == 0 && repaintBoard_)
        repaintBoard_();
}

void TickClock::WaitTicks(int n)
{
    TickCount = 1;
    do {
        // Between passes nothing can change the counter but an event, so the pump may
        // block until the next one instead of spinning.
        pump_.processEvents(n >= 1);
    } while (TickCount <= n);
}

} // namespace quorvel
