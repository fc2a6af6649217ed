#pragma once

#include "app/form1.h"

#include <QTimer>
#include <functional>
#include <map>

namespace quorvel::test {

// Drives the window's tick clock in place of its 10 ms timer, so that a test counts ticks
// and never waits for them. While it flows, every pass of the event loop brings one tick (a
// timer of no interval, which Qt fires at most once a pass), so a pause of n ticks lasts
// exactly n ticks however busy the machine is. Held, time stands still but for the ticks the
// test hands out with tick().
class TickDriver {
public:
    explicit TickDriver(TForm1 &form) : form_(form)
    {
        form_.Timer1->stop();
        QObject::connect(&flow_, &QTimer::timeout, [this] { tick(); });
        flow_.start(0);
    }

    // Ticks delivered so far.
    int count() const { return count_; }

    // Delivers n ticks, as n events of the window's timer would.
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            ++count_;
            form_.Timer1Timer();
            if (auto due = due_.find(count_); due != due_.end()) {
                // Posted, so that it runs as the next event, as a click would: a timer's own
                // event does not fire again inside itself, so a pause there would never end.
                QMetaObject::invokeMethod(&flow_, std::move(due->second), Qt::QueuedConnection);
                due_.erase(due);
            }
        }
    }

    // Handles `action` as the event after the `ticks`-th tick from now.
    void after(int ticks, std::function<void()> action)
    {
        due_[count_ + ticks] = std::move(action);
    }

    void hold() { flow_.stop(); }
    void release() { flow_.start(0); }

    // The ticks that `action` took.
    int ticksOf(const std::function<void()> &action)
    {
        const int before = count_;
        action();
        return count_ - before;
    }

private:
    TForm1 &form_;
    QTimer flow_;
    int count_ = 0;
    std::map<int, std::function<void()>> due_;
};

} // namespace quorvel::test
