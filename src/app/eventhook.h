#pragma once

#include <QObject>
#include <functional>

namespace quorvel {

// Lets a function watch the events of one object: install(object, hook) calls the hook for
// each event before the object sees it; a hook that returns true swallows the event. The
// hook lives as long as the object.
class EventHook : public QObject {
public:
    using Hook = std::function<bool(QEvent *event)>;

    static void install(QObject *object, Hook hook)
    {
        object->installEventFilter(new EventHook(object, std::move(hook)));
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return hook_(event); }

private:
    EventHook(QObject *parent, Hook hook) : QObject(parent), hook_(std::move(hook)) {}
    Hook hook_;
};

} // namespace quorvel
