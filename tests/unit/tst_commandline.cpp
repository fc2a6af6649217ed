// The program's command line and its one copy per game folder: the built program run as a
// subprocess (offscreen), and the hand-over between two starts in one process.
#include "app/singleinstance.h"

#include "library/defaultlibrary.h"
#include "library/gamerecord.h"
#include "library/libraryfile.h"
#include "polling.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <csignal>

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
    std::vector<std::unique_ptr<QProcess>> processes;
};

TEST_F(CommandLine, AnswersWithoutOpeningTheWindow)
{
    const std::string usage = "Usage: festral-quorvel [options] [file]\n";
    const struct {
        QStringList arguments;
        int exitCode;
        std::string out, err; // the start of each stream
        bool library = false; // whether the game's folder has a library
    } cases[] = {
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{"--version"}, 0, "festral-quorvel 1.0.0\n", ""},
        {{"-platform", "offscreen", "-reverse", "--version"}, 0, "festral-quorvel 1.0.0\n", ""},
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

} // namespace
} // namespace quorvel
