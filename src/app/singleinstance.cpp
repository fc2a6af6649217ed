#include "singleinstance.h"

#include "app/errorreport.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/socket.h>
#include <sys/stat.h>
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

// Whether `path` is a folder of this user that no one else may enter.
bool privateFolder(const QByteArray &path)
{
    struct stat st {};
    return path.startsWith('/') && ::lstat(path.constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// Whether the other end of a local socket runs as this user (its peer credentials).
bool sameUser(qintptr descriptor)
{
    struct ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) ==
               0 &&
           peer.uid == ::getuid();
}

// Whether events are being handled inside something that waits for them to end: a
// handler's pause, a dialog or a menu (each runs an event loop of its own).
bool windowBusy()
{
    if (runningHandlers > 0 || QThread::currentThread()->loopLevel() > 1)
        return true;
    return qobject_cast<QApplication *>(QCoreApplication::instance()) &&
           (QApplication::activeModalWidget() || QApplication::activePopupWidget());
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent) : QObject(parent)
{
    const QString stem = stemFor(folder);
    if (!stem.isEmpty()) {
        lockFile_ = stem + QStringLiteral(".lock");
        socket_ = stem + QStringLiteral(".socket");
    }
    delivery_.setSingleShot(true);
    connect(&delivery_, &QTimer::timeout, this, &SingleInstance::deliverPending);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::keyFor(const QString &folder)
{
    QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        path = QDir(folder).absolutePath();
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("festral-quorvel-%1").arg(QString::fromLatin1(hash));
}

QString SingleInstance::runtimeFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (privateFolder(runtime))
        return QString::fromLocal8Bit(runtime);
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (!cache.startsWith('/'))
        cache = qgetenv("HOME") + "/.cache";
    if (!cache.startsWith('/') || !QDir().mkpath(QString::fromLocal8Bit(cache)))
        return {};
    const QByteArray own = cache + "/festral-quorvel";
    if (::mkdir(own.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    // A folder of this user's that others may enter is closed first; another's is not used.
    struct stat st {};
    if (::lstat(own.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
        ::chmod(own.constData(), 0700);
    return privateFolder(own) ? QString::fromLocal8Bit(own) : QString();
}

QString SingleInstance::stemFor(const QString &folder)
{
    const QString runtime = runtimeFolder();
    return runtime.isEmpty() ? QString() : runtime + QLatin1Char('/') + keyFor(folder);
}

bool SingleInstance::runsIn(const QString &folder)
{
    const QString stem = stemFor(folder);
    if (stem.isEmpty())
        return false;
    QLockFile probe(stem + QStringLiteral(".lock"));
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
    if (lockFile_.isEmpty()) {
        std::fprintf(stderr, "festral-quorvel: no folder of this user's own for the lock that "
                             "keeps a second copy out of this game folder; running without "
                             "it\n");
        return true;
    }
    if (!lock_) {
        lock_ = std::make_unique<QLockFile>(lockFile_);
        // Only a lock whose process is gone is stale, however long the game has run.
        lock_->setStaleLockTime(0);
    }
    if (!lock_->tryLock(0))
        return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a copy that crashed; the lock says no copy uses it now.
    QLocalServer::removeServer(socket_);
    if (!server_->listen(socket_)) {
        std::fprintf(stderr, "festral-quorvel: later starts in this folder cannot reach this "
                             "one: %s\n", qPrintable(server_->errorString()));
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!sameUser(socket->socketDescriptor())) {
                socket->abort();
                continue;
            }
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
    socket.connectToServer(socket_);
    // The file to import is told only to a copy of this user's.
    if (!socket.waitForConnected(waitMs) || !sameUser(socket.socketDescriptor()))
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
    pending_ << importFile;
    scheduleDelivery();
}

void SingleInstance::scheduleDelivery()
{
    if (handler_ && !pending_.isEmpty() && !delivery_.isActive())
        delivery_.start(0);
}

// One request a time, after the answer has gone: the handler may open an error box and
// wait in it. While the window is busy the requests wait, looked at again now and then.
void SingleInstance::deliverPending()
{
    if (!handler_ || pending_.isEmpty())
        return;
    if (windowBusy()) {
        delivery_.start(kRetryMs);
        return;
    }
    const QString importFile = pending_.takeFirst();
    handler_(importFile);
    scheduleDelivery();
}

void SingleInstance::setHandler(std::function<void(const QString &importFile)> handler)
{
    handler_ = std::move(handler);
    scheduleDelivery();
}

} // namespace quorvel
