#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

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
// over (its process is gone). The running copy listens on a local socket named after the
// folder. Copies in different folders never meet.
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
    // its own archive for the handler, as it keeps a later start's.
    Start start(const QString &importFile, int waitMs = 30000);

    // Where the requests of later starts go (the file to import, or empty); requests that
    // came before a handler was set are handed to it at once, in order.
    void setHandler(std::function<void(const QString &importFile)> handler);

    // The name of the folder's lock and socket, the same for every start in that folder.
    static QString keyFor(const QString &folder);
    QString lockFilePath() const;

    // Whether a copy runs in `folder` now, so that a start there will hand over and needs
    // neither the synthesiser nor the window. Needs no application object.
    static bool runsIn(const QString &folder);

private:
    static QString lockFilePathFor(const QString &key);
    bool claim();
    bool handOver(const QString &importFile, int waitMs);
    void readRequest(QLocalSocket *socket);
    void deliver(const QString &importFile);

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer *server_ = nullptr;
    std::function<void(const QString &)> handler_;
    QStringList pending_;
};

} // namespace quorvel
