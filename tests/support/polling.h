#pragma once

// Waiting in a test for what another thread or process does, without reading a clock.

#include <chrono>
#include <thread>

namespace quorvel::test {

// Polls `done` until it holds, at most `polls` times with a 5 ms sleep between, and tells
// whether it held. A busy machine only makes the sleeps longer, so the bound (at least 20 s
// by default) only grows more generous: only a condition that never comes breaks it.
template <typename Condition>
bool eventually(Condition done, int polls = 4000)
{
    for (int i = 0; i < polls; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

} // namespace quorvel::test
