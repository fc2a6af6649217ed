// The installed launcher, menu entry and software-centre description: the build is
// installed into a temporary prefix, and the launcher is run with the game replaced by a
// stub that records where and how it was started.

#include "shellcommand.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char *const kAppId = "io.github.festral.Quorvel";

std::string readText(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

using quorvel::test::quoted;
using quorvel::test::run;

std::set<std::string> fileNames(const fs::path &dir)
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

class Launcher : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = fs::temp_directory_path() / ("tst_launcher_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
        prefix_ = root_ / "prefix";
        installStatus_ = run(std::string("'") + QUORVEL_CMAKE_COMMAND + "' --install '"
                             + QUORVEL_BINARY_DIR + "' --prefix " + quoted(prefix_) + " > "
                             + quoted(root_ / "install.log") + " 2>&1");
    }

    static void TearDownTestSuite() { fs::remove_all(root_); }

    void SetUp() override
    {
        ASSERT_EQ(installStatus_, 0) << readText(root_ / "install.log");
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        home_ = root_ / name / "home";
        data_ = root_ / name / "data";
        record_ = root_ / name / "record";
        stub_ = root_ / name / "stub";
        fs::create_directories(home_);
        // The stub writes its working folder and its arguments, one a line, and exits 7.
        writeText(stub_, "#!/bin/sh\npwd -P > " + quoted(record_)
                             + "\nfor a; do echo \"$a\" >> " + quoted(record_)
                             + "; done\nexit 7\n");
        fs::permissions(stub_, fs::perms::owner_all);
    }

    // Starts the installed launcher with the stub as the game, with more of the environment
    // set as `environment` says; gives the exit status.
    int start(const std::string &xdgDataHome, const std::string &arguments = "",
              const std::string &environment = "")
    {
        fs::remove(record_);
        return run("env -u XDG_DATA_HOME HOME=" + quoted(home_) + " XDG_DATA_HOME='"
                   + xdgDataHome + "' " + environment + " QUORVEL_PROGRAM=" + quoted(stub_) + " "
                   + quoted(launcher()) + " " + arguments);
    }

    // Where the build's install options put the launcher and the default games' files.
    static fs::path launcher() { return prefix_ / QUORVEL_INSTALL_BINDIR / "festral-quorvel"; }
    static fs::path installedGames() { return prefix_ / QUORVEL_INSTALL_GAMESDIR; }

    static fs::path root_;
    static fs::path prefix_;
    static int installStatus_;
    fs::path home_, data_, record_, stub_;
};

fs::path Launcher::root_;
fs::path Launcher::prefix_;
int Launcher::installStatus_ = -1;

TEST_F(Launcher, InstallsLauncherEntriesAndEveryGameFile)
{
    ASSERT_TRUE(fs::is_regular_file(launcher()));
    EXPECT_NE(fs::status(launcher()).permissions() & fs::perms::others_exec, fs::perms::none);
    // The launcher names the installed paths, wherever the prefix is.
    const std::string script = readText(launcher());
    EXPECT_NE(script.find(installedGames().string()), std::string::npos);
    EXPECT_NE(script.find("/festral-quorvel/festral-quorvel"), std::string::npos);
    EXPECT_EQ(script.find("@QUORVEL"), std::string::npos) << "unreplaced placeholder";

    EXPECT_TRUE(fs::is_regular_file(prefix_ / "share" / "applications"
                                    / (std::string(kAppId) + ".desktop")));
    EXPECT_TRUE(fs::is_regular_file(prefix_ / "share" / "metainfo"
                                    / (std::string(kAppId) + ".metainfo.xml")));

    std::set<std::string> built = fileNames(std::getenv("QUORVEL_GAMES_DIR"));
    built.erase("quorvels.dat");
    EXPECT_EQ(fileNames(installedGames()), built);
    int tunes = 0;
    for (const std::string &name : built)
        tunes += name.ends_with(".mid");
    EXPECT_EQ(tunes, 72);
}

// The Help and Read Me pages of a build without a home page name the installed README, and
// the software-centre description then names no web address at all.
TEST_F(Launcher, InstallsTheReadmeAndNamesOnlyTheBuildsHomePage)
{
    const fs::path doc = prefix_ / "share" / "doc" / "festral-quorvel";
    const fs::path source = std::getenv("QUORVEL_SOURCE_DIR");
    EXPECT_EQ(readText(doc / "README.md"), readText(source / "README.md"));
    EXPECT_TRUE(fs::is_regular_file(doc / "docs" / "board-OQ.png"));
    const std::string metainfo =
        readText(prefix_ / "share" / "metainfo" / (std::string(kAppId) + ".metainfo.xml"));
    const std::string homepage = QUORVEL_HOMEPAGE;
    if (homepage.empty())
        EXPECT_EQ(metainfo.find("<url"), std::string::npos);
    else
        EXPECT_NE(metainfo.find("<url type=\"homepage\">"), std::string::npos);
}

// The manual page and the software-centre description carry the project's version, and the
// page names the folders of the installation.
TEST_F(Launcher, TheManualAndTheDescriptionNameTheVersion)
{
    const std::string page = readText(prefix_ / "share" / "man" / "man6" / "festral-quorvel.6");
    EXPECT_NE(page.find("\"Festral Quorvel " QUORVEL_VERSION "\""), std::string::npos);
    EXPECT_NE(page.find(installedGames().string()), std::string::npos);
    EXPECT_EQ(page.find("@QUORVEL"), std::string::npos) << "unreplaced placeholder";
    const std::string metainfo =
        readText(prefix_ / "share" / "metainfo" / (std::string(kAppId) + ".metainfo.xml"));
    EXPECT_NE(metainfo.find("<release version=\"" QUORVEL_VERSION "\" date=\""),
              std::string::npos);
}

TEST_F(Launcher, FirstStartStocksTheFolderAndStartsTheGameThere)
{
    ASSERT_FALSE(fs::exists(data_));
    EXPECT_EQ(start(data_.string(), "'one two' three"), 7) << "exit status not passed on";

    const fs::path folder = data_ / "festral-quorvel";
    ASSERT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(fileNames(folder), fileNames(installedGames()));
    for (const auto &entry : fs::directory_iterator(installedGames())) {
        const fs::path copy = folder / entry.path().filename();
        EXPECT_EQ(readText(copy), readText(entry.path())) << copy;
    }
    EXPECT_FALSE(fs::exists(folder / "quorvels.dat"));
    EXPECT_EQ(readText(record_),
              fs::canonical(folder).string() + "\none two\nthree\n");
}

TEST_F(Launcher, LaterStartsKeepThePlayersFiles)
{
    ASSERT_EQ(start(data_.string()), 7);
    const fs::path folder = data_ / "festral-quorvel";
    writeText(folder / "OQ1.mid", "my own tune");
    writeText(folder / "quorvels.dat", "my library");
    fs::remove(folder / "MQ2.bmp");
    fs::remove(folder / "TAhelp.mid");

    ASSERT_EQ(start(data_.string()), 7);
    EXPECT_EQ(readText(folder / "OQ1.mid"), "my own tune");
    EXPECT_EQ(readText(folder / "quorvels.dat"), "my library");
    EXPECT_EQ(readText(folder / "MQ2.bmp"), readText(installedGames() / "MQ2.bmp"));
    EXPECT_EQ(readText(folder / "TAhelp.mid"), readText(installedGames() / "TAhelp.mid"));
    EXPECT_EQ(fileNames(folder).size(), fileNames(installedGames()).size() + 1);
    EXPECT_EQ(readText(record_), fs::canonical(folder).string() + "\n");
}

TEST_F(Launcher, WithoutAUsableDataHomeUsesTheHomeFolder)
{
    for (const std::string xdg : {"", "relative/data"}) {
        ASSERT_EQ(start(xdg), 7) << xdg;
        const fs::path folder = home_ / ".local" / "share" / "festral-quorvel";
        EXPECT_TRUE(fs::is_regular_file(folder / "OQCvr.bmp")) << xdg;
        EXPECT_EQ(readText(record_), fs::canonical(folder).string() + "\n") << xdg;
    }
}

// A copy that fails (a full disk; here a cp that writes half a file and a mv that moves
// nothing) is reported, ends the launcher with status 1, and leaves nothing in the folder.
TEST_F(Launcher, AFailedCopyIsReportedAndLeavesNothing)
{
    const struct {
        const char *tool;
        std::string script;
    } failing[] = {
        {"cp", "#!/bin/sh\n[ \"$1\" = -- ] && shift\nfor last; do :; done\n"
               "head -c 10 \"$1\" > \"$last/${1##*/}\"\necho 'cp: No space left on device' >&2\n"
               "exit 1\n"},
        {"mv", "#!/bin/sh\nexit 1\n"},
    };
    for (const auto &[tool, script] : failing) {
        const fs::path only = root_ / tool; // the failing tool, first on the PATH
        fs::create_directories(only);
        writeText(only / tool, script);
        fs::permissions(only / tool, fs::perms::owner_all);
        const fs::path errors = root_ / (std::string(tool) + ".err");
        const fs::path data = data_ / tool;
        EXPECT_EQ(start(data.string(), "2> " + quoted(errors),
                        "PATH=" + quoted(only) + ":\"$PATH\""),
                  1)
            << tool;
        EXPECT_NE(readText(errors).find("festral-quorvel: the default game"), std::string::npos)
            << tool << ": " << readText(errors);
        EXPECT_TRUE(fileNames(data / "festral-quorvel").empty()) << tool;
        EXPECT_FALSE(fs::exists(record_)) << tool << ": the game started";
    }
}

TEST_F(Launcher, EntriesPassTheirValidators)
{
    const fs::path desktop =
        prefix_ / "share" / "applications" / (std::string(kAppId) + ".desktop");
    const fs::path metainfo =
        prefix_ / "share" / "metainfo" / (std::string(kAppId) + ".metainfo.xml");
    bool validated = false;
    if (run("command -v desktop-file-validate > /dev/null") == 0) {
        EXPECT_EQ(run("desktop-file-validate " + quoted(desktop)), 0);
        validated = true;
    }
    if (run("command -v appstreamcli > /dev/null") == 0) {
        EXPECT_EQ(run("appstreamcli validate --no-net " + quoted(metainfo) + " > /dev/null"), 0);
        validated = true;
    }
    // The menu starts the launcher by its installed name.
    const std::string entry = readText(desktop);
    EXPECT_NE(entry.find("\nExec=festral-quorvel %f\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(launcher()));
    if (!validated)
        GTEST_SKIP() << "desktop-file-utils and appstream are not installed";
}

} // namespace
