// The program's command line and its one copy per game folder: the built program run as a
// subprocess (offscreen), and the hand-over between two starts in one process.
#include "app/singleinstance.h"

#include "app/errorreport.h"
#include "app/qteventpump.h"
#include "library/defaultlibrary.h"
#include "library/gamerecord.h"
#include "library/libraryfile.h"
#include "polling.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;
using test::writeBytes;

struct Outcome {
    int exitCode;
    std::string out, err;
};

class CommandLine : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "tst_commandline";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    void SetUp() override
    {
        // The user's runtime folder, for this process and the programs it starts.
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
        fs::create_directories(home / ".config");
        // No sound card here: ALSA's null device lets the game start without an error box.
        writeBytes(home / ".asoundrc", "pcm.!default { type null }\n");
        for (const auto &file : fs::directory_iterator(std::getenv("QUORVEL_GAMES_DIR")))
            fs::copy_file(file.path(), folder.path() / file.path().filename());
        fs::remove(folder.path() / kLibraryFileName);
    }

    // The program started in `cwd` from the folder `caller`, as the launcher starts it.
    QProcess *start(const QStringList &arguments, const fs::path &cwd, const fs::path &caller)
    {
        auto *process = new QProcess;
        processes.emplace_back(process);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUORVEL_CALLER_DIR", QString::fromStdString(caller.string()));
        env.insert("HOME", QString::fromStdString(home.string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(QString::fromStdString(cwd.string()));
        process->start(QUORVEL_PROGRAM, arguments);
        EXPECT_TRUE(process->waitForStarted());
        return process;
    }
    Outcome run(const QStringList &arguments, const fs::path &cwd)
    {
        QProcess *p = start(arguments, cwd, elsewhere());
        EXPECT_TRUE(p->waitForFinished(120000)) << arguments.join(' ').toStdString();
        return {p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1,
                p->readAllStandardOutput().toStdString(), p->readAllStandardError().toStdString()};
    }
    fs::path elsewhere() const { return home; }
    // Whether `process` is the game folder's copy: its lock names it (it listens at once).
    bool owns(const QProcess *process) const
    {
        QFile lock(SingleInstance(QString::fromStdString(folder.path().string())).lockFilePath());
        return lock.open(QIODevice::ReadOnly) &&
               lock.readLine().trimmed().toLongLong() == process->processId();
    }
    // Ends a copy as a crash would, leaving its lock and socket behind.
    static void stop(QProcess *process)
    {
        if (process->processId() > 0)
            ::kill(static_cast<pid_t>(process->processId()), SIGKILL);
        process->waitForFinished();
    }
    static std::size_t records(const fs::path &library)
    {
        std::error_code error;
        return fs::file_size(library, error) / kRecordSize;
    }
    // Waits, with the event loop running, until the condition holds; the bound, at least two
    // minutes, is for a program that never answers.
    template <typename Condition>
    static bool eventually(Condition condition)
    {
        return test::eventually([&] {
            QCoreApplication::processEvents();
            return condition();
        }, 24000);
    }

    test::TempFolder folder;
    fs::path home = folder.path() / "home";
    fs::path runtime = folder.path() / "runtime";
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(CommandLine, AnswersWithoutOpeningTheWindow)
{
    const std::string usage = "Usage: festral-quorvel [options] [file]\n";
    const std::string version = "festral-quorvel " QUORVEL_VERSION "\n"; // the project's
    const struct {
        QStringList arguments;
        int exitCode;
        std::string out, err; // the start of each stream
        bool library = false; // whether the game's folder has a library
    } cases[] = {
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{"--version"}, 0, version, ""},
        {{"-platform", "offscreen", "-reverse", "--version"}, 0, version, ""},
        {{"--bogus"}, 2, "", "Unknown option 'bogus'.\n\n" + usage},
        {{"--export"}, 2, "", "Missing value after '--export'.\n\n" + usage},
        {{"--export", "4"}, 2, "", "--export needs the game number and one archive to write."},
        {{"--export", "four", "x"}, 2, "", "The game number after --export must be a whole"},
        {{"--import"}, 2, "", "Missing value after '--import'.\n\n" + usage},
        {{"one.quorvel", "two.quorvel"}, 2, "", "Only one game archive can be imported"},
        {{"--export", "0", "x", "--import", "y"}, 2, "", "--export needs the game number"},
        {{"--export", "9", "x"}, 1, "", "festral-quorvel: The library holds no game number 9.",
         true},
        {{"--export", "2", "."}, 1, "", "festral-quorvel: \"" + home.string() + "/\" is a folder"},
    };
    const fs::path library = folder.path() / kLibraryFileName;
    GameRecord scratch;
    for (const auto &c : cases) {
        if (c.library)
            CreateDefaultLibrary(library.string(), scratch);
        const std::string before = fileBytes(library);
        const Outcome r = run(c.arguments, folder.path());
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(r.exitCode, c.exitCode) << what;
        EXPECT_EQ(r.out.substr(0, c.out.size()), c.out) << what;
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err) << what;
        EXPECT_TRUE(r.out.empty() || r.err.empty()) << what;
        // No game started: it would have written the default library.
        EXPECT_EQ(fs::exists(library), c.library) << what;
        EXPECT_EQ(fileBytes(library), before) << what;
        EXPECT_FALSE(fs::exists(elsewhere() / "x.quorvel")) << what;
        fs::remove(library);
    }
}

TEST_F(CommandLine, ExportsToTheCallersFolderAndASecondStartImportsIntoTheFirst)
{
    GameRecord scratch;
    CreateDefaultLibrary((folder.path() / kLibraryFileName).string(), scratch);
    const Outcome exported = run({"--export", "2", "shared"}, folder.path());
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    ASSERT_TRUE(fs::exists(elsewhere() / "shared.quorvel"));
    EXPECT_EQ(run({"--export", "2", "SHARED.QUORVEL"}, folder.path()).exitCode, 0);
    EXPECT_TRUE(fs::exists(elsewhere() / "SHARED.QUORVEL"));
    EXPECT_FALSE(fs::exists(elsewhere() / "SHARED.QUORVEL.quorvel"));

    // The first start owns the folder; a second start with --import hands the archive to it.
    QProcess *first = start({}, folder.path(), elsewhere());
    ASSERT_TRUE(eventually([&] { return owns(first); }));
    const Outcome second = run({"--import", "shared.quorvel"}, folder.path());
    EXPECT_EQ(second.exitCode, 0) << second.err;
    ASSERT_TRUE(eventually([&] { return records(folder.path() / kLibraryFileName) == 5; }));
    const std::string library = fileBytes(folder.path() / kLibraryFileName);
    EXPECT_EQ(library.substr(4 * kRecordSize), library.substr(2 * kRecordSize, kRecordSize));
    EXPECT_EQ(first->state(), QProcess::Running);

    // A copy that crashed leaves its lock behind; the next start takes the folder over, and
    // a start after that comes back to it at once.
    stop(first);
    QProcess *next = start({}, folder.path(), elsewhere());
    ASSERT_TRUE(eventually([&] { return owns(next); }));
    const Outcome third = run({}, folder.path());
    EXPECT_EQ(third.exitCode, 0) << third.err;
    EXPECT_EQ(next->state(), QProcess::Running);
    stop(next);
    // The crashed copy's lock and socket were taken over, not joined by another pair.
    EXPECT_EQ(std::count_if(fs::directory_iterator(runtime), {}, [](const auto &entry) {
                  return entry.path().filename().string().starts_with("festral-quorvel");
              }),
              2);
}

// The hand-over in one process: the second start's request reaches the first's handler,
// also when it came before the handler was set; another folder has a copy of its own.
TEST_F(CommandLine, ALaterStartHandsItsRequestOver)
{
    const QString here = QString::fromStdString(folder.path().string());
    SingleInstance first(here);
    ASSERT_EQ(first.start({}), SingleInstance::Start::First);
    SingleInstance second(here + "/.");
    EXPECT_EQ(second.start("/games/a.quorvel"), SingleInstance::Start::HandedOver);
    EXPECT_EQ(second.start({}), SingleInstance::Start::HandedOver);
    QStringList requests;
    first.setHandler([&](const QString &file) { requests << file; });
    EXPECT_TRUE(eventually([&] { return requests.size() == 2; }));
    EXPECT_EQ(requests, (QStringList{"/games/a.quorvel", ""}));

    SingleInstance beside(QString::fromStdString(home.string()));
    EXPECT_EQ(beside.start({}), SingleInstance::Start::First);

    // A lock whose copy does not answer: the later start gives up and says so.
    const fs::path silent = folder.path() / "silent";
    fs::create_directory(silent);
    SingleInstance waiting(QString::fromStdString(silent.string()));
    QLockFile held(waiting.lockFilePath());
    ASSERT_TRUE(held.tryLock(0));
    EXPECT_EQ(waiting.start({}, 300), SingleInstance::Start::NoAnswer);
}

// Lock and socket lie in the user's runtime folder; without a usable one, in a folder of the
// user's own in the cache folder, closed to others, never in one another user made.
TEST_F(CommandLine, LockAndSocketLieInAFolderOnlyTheUserEnters)
{
    const QString here = QString::fromStdString(folder.path().string());
    const QString inRuntime = QString::fromStdString(runtime.string()) + "/";
    EXPECT_TRUE(SingleInstance(here).lockFilePath().startsWith(inRuntime));
    EXPECT_TRUE(SingleInstance(here).socketPath().startsWith(inRuntime));

    fs::permissions(runtime, fs::perms(0755));
    const QByteArray userHome = qgetenv("HOME");
    qputenv("HOME", QByteArray::fromStdString(home.string()));
    qunsetenv("XDG_CACHE_HOME");
    const fs::path own = home / ".cache" / "festral-quorvel";
    fs::create_directories(own);
    fs::permissions(own, fs::perms(0755));
    EXPECT_EQ(SingleInstance::runtimeFolder().toStdString(), own.string());
    EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
    SingleInstance first(here);
    ASSERT_EQ(first.start({}), SingleInstance::Start::First);
    EXPECT_TRUE(first.lockFilePath().startsWith(QString::fromStdString(own.string()) + "/"));
    EXPECT_EQ(test::namesIn(own).size(), 2u);
    if (::geteuid() == 0) { // only root can give a folder to another user
        ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
        EXPECT_EQ(SingleInstance::runtimeFolder(), QString());
    }
    qputenv("HOME", userHome);
}

// A request that arrives while a handler pauses waits for the pause to end; one from
// another user is not answered at all.
TEST_F(CommandLine, ARequestWaitsForThePauseAndComesOnlyFromThisUser)
{
    const QString here = QString::fromStdString(folder.path().string());
    SingleInstance first(here);
    ASSERT_EQ(first.start({}), SingleInstance::Start::First);
    QStringList requests;
    first.setHandler([&](const QString &file) { requests << file; });
    QtEventPump pump;
    TickClock clock(pump, {});
    QTimer ticks; // one tick each pass of the event loop
    QObject::connect(&ticks, &QTimer::timeout, [&] { clock.Timer1Timer(); });
    ticks.start(0);
    QStringList duringThePause;
    guarded([&] {
        SingleInstance second(here);
        EXPECT_EQ(second.start("/games/p.quorvel"), SingleInstance::Start::HandedOver);
        clock.WaitTicks(20);
        duringThePause = requests;
    });
    EXPECT_EQ(duringThePause, QStringList());
    EXPECT_TRUE(eventually([&] { return requests == QStringList{"/games/p.quorvel"}; }));

    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can speak as another user";
    fs::permissions(first.socketPath().toStdString(), fs::perms::all);
    fs::permissions(runtime, fs::perms(0755));
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << QStringLiteral("festral-quorvel request 1") << QStringLiteral("/games/spy.quorvel");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    first.socketPath().toStdString().copy(address.sun_path, sizeof address.sun_path - 1);
    const pid_t stranger = ::fork();
    if (stranger == 0) { // another user: connects, asks, and ends 0 only when answered
        char answer[3] = {};
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool asked = ::setuid(65534) == 0 &&
                           ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) ==
                               0 &&
                           ::write(fd, request.constData(), request.size()) == request.size();
        ::_exit(asked && ::read(fd, answer, 3) == 3 ? 0 : asked ? 1 : 2);
    }
    int status = -1;
    EXPECT_TRUE(eventually([&] { return ::waitpid(stranger, &status, WNOHANG) == stranger; }));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(requests, QStringList{"/games/p.quorvel"});
}

} // namespace
} // namespace quorvel
