#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace quorvel {

// One copy of the program per game folder. Two copies on one library would store, append and
// delete records by number under each other, so a later start in a folder where a copy
// already runs hands its request to that copy (come to the front; import this archive) and
// ends. A lock file names the folder's copy; a lock left by a copy that crashed is taken
// over (its process is gone), and its socket with it. The running copy listens on a local
// socket named after the folder. Copies in different folders never meet.
//
// Lock and socket lie in a folder only the user can enter (runtimeFolder()), so no other
// user can take the names first or listen for the files the player opens; the running copy
// also answers only its own user. It handles a request only when no handler of the window
// runs (none pauses) and no dialog or menu is open, so that nothing changes under them.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Start {
        First,      // this is the folder's copy now: run the game
        HandedOver, // the running copy took the request: end
        NoAnswer,   // a copy holds the folder but does not answer
    };

    // `folder`: the game's folder (the working folder).
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Becomes the folder's copy, or hands the request (an archive to import, or empty for
    // only coming to the front) to the copy that runs, waiting up to `waitMs` for it to
    // answer while it starts. Runs the event loop while it waits. The folder's copy keeps
    // its own archive for the handler, as it keeps a later start's. Without a runtime
    // folder the copy runs alone, unguarded, and says so on stderr.
    Start start(const QString &importFile, int waitMs = 30000);

    // Where the requests of later starts go (the file to import, or empty), one at a time
    // and in order, each once nothing else is under way; requests that came before a
    // handler was set wait for it.
    void setHandler(std::function<void(const QString &importFile)> handler);

    // The name of the folder's lock and socket, the same for every start in that folder.
    static QString keyFor(const QString &folder);
    // Where they lie, in the runtime folder as it was when this object was made; empty
    // when there was none.
    const QString &lockFilePath() const { return lockFile_; }
    const QString &socketPath() const { return socket_; }

    // The user's own folder for the lock and socket: $XDG_RUNTIME_DIR when it is the user's
    // and closed to everyone else (mode 0700), else the folder "festral-quorvel" in the
    // user's cache folder (${XDG_CACHE_HOME:-~/.cache}), made and kept so. Empty when
    // neither can be had.
    static QString runtimeFolder();

    // Whether a copy runs in `folder` now, so that a start there will hand over and needs
    // neither the synthesiser nor the window. Needs no application object.
    static bool runsIn(const QString &folder);

private:
    // The runtime folder and the folder's key: the lock's and the socket's path without
    // their extensions; empty without a runtime folder.
    static QString stemFor(const QString &folder);
    bool claim();
    bool handOver(const QString &importFile, int waitMs);
    void readRequest(QLocalSocket *socket);
    void scheduleDelivery();
    void deliverPending();

    QString lockFile_;
    QString socket_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer *server_ = nullptr;
    std::function<void(const QString &)> handler_;
    QStringList pending_;
    QTimer delivery_;
};

} // namespace quorvel
