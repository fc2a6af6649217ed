#pragma once

// A drop of files from the file manager (text/uri-list), as the window tests and the
// screenshot tool make one.

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <QWidget>

namespace quorvel::test {

// Drags the files over `target` to `at` (in its coordinates), offering to copy or move
// them, and drops them there; returns the action the target took. The events the drop
// posts are handled before it returns.
inline Qt::DropAction dropFiles(QWidget *target, QPoint at, const QStringList &files)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    mime.setUrls(urls);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, offered, &mime, Qt::NoButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(at, offered, &mime, Qt::NoButton, {});
    QCoreApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

} // namespace quorvel::test
