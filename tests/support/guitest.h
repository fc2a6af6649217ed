#pragma once

// What the window tests share: a fresh working folder with the default games' files, a
// recorder of the standard error report, and the window built on a fake player.

#include "app/errorreport.h"
#include "app/form1.h"
#include "fakeplayer.h"
#include "library/defaultlibrary.h"

#include <QApplication>
#include <QColor>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QScreen>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace quorvel::test {

// How long a test waits for what the event loop brings (a window exposed, a posted handler):
// far longer than it ever takes, so that only a fault runs into it, also in a sanitizer build
// on a busy machine. Nothing is measured against it.
inline constexpr int kPatienceMs = 60000;

// Shows the window and waits until it is on screen.
[[nodiscard]] inline bool showWindow(QWidget *window)
{
    window->show();
    return QTest::qWaitForWindowExposed(window, kPatienceMs);
}

// The colour at `point` of `widget` as the window last painted it. QWidget::grab() would
// paint the widget afresh from its data, showing a repaint that never happened; this reads
// the window's backing store instead and paints nothing (the offscreen platform's screen
// grab copies from it).
inline QColor lastPainted(QWidget *widget, QPoint point)
{
    QWidget *window = widget->window();
    const QPoint at = widget->mapTo(window, point);
    const QImage pixel =
        window->screen()->grabWindow(window->winId(), at.x(), at.y(), 1, 1).toImage();
    return pixel.isNull() ? QColor() : pixel.pixelColor(0, 0);
}

// The colour a test picture of game g (0..3), slot s (0..18) is filled with, so a painted
// pixel tells which picture was drawn.
inline QColor pictureColour(int game, int slot)
{
    return QColor(10 + slot * 12, 40 + game * 50, 200 - slot * 5);
}

// Writes the files the default games name: 122 x 58 bitmaps of one colour each and small
// MIDI files (the fake player only needs them to exist).
inline void writeGameFiles(const QString &folder)
{
    for (int g = 0; g < 4; ++g) {
        const DefaultGame &game = kDefaultGames[g];
        for (int slot = 0; slot < kImageCount; ++slot) {
            QImage image(122, 58, QImage::Format_RGB888);
            image.fill(pictureColour(g, slot));
            image.save(folder + "/" + QString::fromStdString(defaultBmpName(game, slot)), "BMP");
        }
        for (int slot = 1; slot <= kHelpTuneSlot; ++slot) {
            QFile tune(folder + "/" + QString::fromStdString(defaultMidiName(game, slot)));
            tune.open(QIODevice::WriteOnly);
            tune.write("MThd");
        }
    }
}

// A fresh temporary working folder, made current for the test's lifetime.
class WorkingFolder {
public:
    explicit WorkingFolder(bool withGameFiles = true) : previous_(QDir::currentPath())
    {
        if (withGameFiles)
            writeGameFiles(dir_.path());
        QDir::setCurrent(dir_.path());
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }
    QByteArray bytes(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir_;
    QString previous_;
};

// Records what the standard error report would show, instead of a modal box.
class ErrorLog {
public:
    ErrorLog()
    {
        previous_ = ErrorReport::setSink([this](const QString &text) { texts << text; });
    }
    ~ErrorLog() { ErrorReport::setSink(previous_); }
    QStringList texts;

private:
    ErrorReport::Sink previous_;
};

// The tunes the player has been asked to open, in order.
inline QStringList tunesOpened(const FakePlayer &player)
{
    QStringList out;
    for (const auto &name : player.entries("open "))
        out << QString::fromStdString(name);
    return out;
}

// Opens the context menu of `widget` at `at`, picks `entry` (or closes the menu when it has
// none of that name) and returns its entries.
inline QStringList pickFromMenu(QWidget *widget, QPoint at, const QString &entry)
{
    QStringList entries;
    QTimer pick;
    pick.setSingleShot(true);
    QObject::connect(&pick, &QTimer::timeout, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
            entries << action->text();
            if (action->text() == entry)
                menu->setActiveAction(action);
        }
        if (menu)
            QTest::keyClick(menu, menu->activeAction() ? Qt::Key_Return : Qt::Key_Escape);
    });
    pick.start(0);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QCoreApplication::sendEvent(widget, &event);
    // The offscreen platform leaves the window inactive once a popup has closed.
    QApplication::setActiveWindow(widget->window());
    return entries;
}

// The window on a fake player, with a fixed seed and QUIT recorded instead of exiting.
struct TestWindow {
    FakePlayer *player = nullptr;
    int exitCode = -1;
    std::unique_ptr<TForm1> form;

    explicit TestWindow(unsigned seed = 1, std::unique_ptr<FakePlayer> fake = nullptr)
    {
        if (!fake)
            fake = std::make_unique<FakePlayer>();
        player = fake.get();
        TForm1::Options options;
        options.player = std::move(fake);
        options.seed = seed;
        options.exitProgram = [this](int code) { exitCode = code; };
        form = std::make_unique<TForm1>(std::move(options));
    }
    TForm1 *operator->() { return form.get(); }
};

} // namespace quorvel::test
