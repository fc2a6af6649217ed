#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <utility>

namespace quorvel {
namespace {

// The first thing a later start says, so that nothing else is taken for a request.
const QString kGreeting = QStringLiteral("festral-quorvel request 1");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
constexpr int kRetryMs = 100;
constexpr qint64 kLargestRequest = 64 * 1024;

// Runs the event loop until `done` or the deadline, waking at least every `stepMs`.
template <typename Done>
void pumpUntil(const QDeadlineTimer &deadline, Done done, int stepMs = 20)
{
    while (!done() && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer::singleShot(std::min<qint64>(stepMs, std::max<qint64>(deadline.remainingTime(), 0)),
                           &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), key_(keyFor(folder))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString &folder)
{
    QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        path = QDir(folder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("festral-quorvel-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

QString SingleInstance::lockFilePath() const
{
    return lockFilePathFor(key_);
}

QString SingleInstance::lockFilePathFor(const QString &key)
{
    return QDir::temp().filePath(key + QStringLiteral(".lock"));
}

bool SingleInstance::runsIn(const QString &folder)
{
    QLockFile probe(lockFilePathFor(keyFor(folder)));
    probe.setStaleLockTime(0);
    if (!probe.tryLock(0))
        return true;
    probe.unlock();
    return false;
}

SingleInstance::Start SingleInstance::start(const QString &importFile, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (claim()) {
            // The first copy's own archive waits for the handler like a later start's.
            if (!importFile.isEmpty())
                pending_ << importFile;
            return Start::First;
        }
        if (handOver(importFile, static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))))
            return Start::HandedOver;
        if (deadline.hasExpired())
            return Start::NoAnswer;
        // The running copy may still be starting, or just ending.
        const QDeadlineTimer pause(kRetryMs);
        pumpUntil(pause, [] { return false; });
    }
}

bool SingleInstance::claim()
{
    if (!lock_) {
        lock_ = std::make_unique<QLockFile>(lockFilePath());
        // Only a lock whose process is gone is stale, however long the game has run.
        lock_->setStaleLockTime(0);
    }
    if (!lock_->tryLock(0))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a copy that crashed; the lock says no copy uses it now.
    QLocalServer::removeServer(key_);
    if (!server_->listen(key_)) {
        std::fprintf(stderr, "festral-quorvel: later starts in this folder cannot reach this "
                             "one: %s\n", qPrintable(server_->errorString()));
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                readRequest(socket);
            });
            readRequest(socket);
        }
    });
    return true;
}

bool SingleInstance::handOver(const QString &importFile, int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(waitMs))
        return false;
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kGreeting << importFile;
    socket.write(request);
    socket.flush();
    // The answer comes from the running copy's event loop, which may be this thread's own.
    pumpUntil(deadline, [&] {
        return socket.bytesAvailable() >= kAnswer.size() ||
               socket.state() != QLocalSocket::ConnectedState;
    });
    return socket.read(kAnswer.size()) == kAnswer;
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    QDataStream in(socket);
    in.setVersion(QDataStream::Qt_6_0);
    in.startTransaction();
    QString greeting, importFile;
    in >> greeting >> importFile;
    if (!in.commitTransaction()) {
        if (socket->bytesAvailable() > kLargestRequest)
            socket->abort();
        return;
    }
    if (greeting != kGreeting) {
        socket->abort();
        return;
    }
    socket->write(kAnswer);
    socket->flush();
    deliver(importFile);
}

void SingleInstance::deliver(const QString &importFile)
{
    if (!handler_) {
        pending_ << importFile;
        return;
    }
    // After the answer has gone: the handler may open an error box and wait in it.
    QMetaObject::invokeMethod(
        this,
        [this, importFile] {
            if (handler_)
                handler_(importFile);
        },
        Qt::QueuedConnection);
}

void SingleInstance::setHandler(std::function<void(const QString &importFile)> handler)
{
    handler_ = std::move(handler);
    const QStringList pending = std::exchange(pending_, {});
    for (const QString &importFile : pending)
        deliver(importFile);
}

} // namespace quorvel
