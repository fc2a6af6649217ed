#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <string>

namespace quorvel {

// The text of the standard error box for an error message: the message with "." appended
// when its last character sorts after "." (so a message ending in "!" or ")" gets none).
std::string errorBoxText(const std::string &message);

// The standard error report: an error box titled "Festral Quorvel" with an error icon, an
// OK button and the message. Tests replace the box by a sink that records the text.
class ErrorReport {
public:
    using Sink = std::function<void(const QString &text)>;

    static void show(const std::string &message);
    // Replaces the box; an empty sink restores it. Returns the previous sink.
    static Sink setSink(Sink sink);
};

// How many handlers run on this thread now, one inside another: more than none means that
// the events handled now are handled inside a handler's pause or dialog.
inline thread_local int runningHandlers = 0;

// Runs one event handler and reports whatever error ends it, so that no exception ever
// crosses Qt's event dispatch. What the handler did before the error stays done.
template <typename Handler>
void guarded(Handler &&handler) noexcept
{
    struct Running {
        Running() { ++runningHandlers; }
        ~Running() { --runningHandlers; }
    } running;
    try {
        handler();
    } catch (const std::exception &e) {
        ErrorReport::show(e.what());
    } catch (...) {
        ErrorReport::show("Unknown error");
    }
}

} // namespace quorvel
