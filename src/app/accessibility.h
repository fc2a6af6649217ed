#pragma once

#include <QWidget>

namespace quorvel {

// Lets a screen reader (Orca, through AT-SPI) see the window as it is meant: the window as a
// window, its panels as panels, every grid as a table of named cells (gridaccessible.h) and
// the announcements below. Qt asks for these only while a screen reader runs. Installing
// more than once installs once.
void installAccessibility();

// Tells a screen reader's user what happens in the game, one message at a time: a widget
// that draws nothing, lies under the page control, and is shown with each message as its
// name, which a reader speaks as a notification. Nothing is told before the window is first
// on screen, so start-up is silent, and nothing is shown while no screen reader runs.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget *window);
    void announce(const QString &news);
};

} // namespace quorvel
