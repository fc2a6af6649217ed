#pragma once

#include "play/tickclock.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace quorvel {

// Pauses handle the window's events through Qt's event dispatcher. Waiting for more
// events blocks in the dispatcher until the next one (at the latest the next 10 ms tick),
// so a pause costs next to no processor time.
class QtEventPump : public EventPump {
public:
    void processEvents(bool waitIfNone) override
    {
        QCoreApplication::processEvents(waitIfNone ? QEventLoop::WaitForMoreEvents
                                                   : QEventLoop::AllEvents);
    }
};

} // namespace quorvel
