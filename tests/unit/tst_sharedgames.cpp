// What makes a shared game (*.quorvel) open with the game from a file manager: the installed
// MIME type, the menu entry that names it and passes the file, and the launcher that keeps
// the folder the file was named from.
#include "shellcommand.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <QMimeDatabase>
#include <cstdlib>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using quorvel::test::fileBytes;
using quorvel::test::writeBytes;

using quorvel::test::quoted;
using quorvel::test::run;

bool have(const char *tool)
{
    return run(std::string("command -v ") + tool + " > /dev/null") == 0;
}

class SharedGames : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(run(std::string("'") + QUORVEL_CMAKE_COMMAND + "' --install '" +
                      QUORVEL_BINARY_DIR + "' --prefix " + quoted(prefix) + " > " +
                      quoted(root.path() / "install.log") + " 2>&1"),
                  0)
            << fileBytes(root.path() / "install.log");
    }

    quorvel::test::TempFolder root;
    fs::path prefix = root.path() / "prefix";
    fs::path share = prefix / "share";
};

TEST_F(SharedGames, TheDesktopKnowsTheTypeAndOpensItWithTheGame)
{
    const fs::path packageFile = share / "mime" / "packages" / "festral-quorvel-game.xml";
    const fs::path entryFile = share / "applications" / "io.github.festral.Quorvel.desktop";
    ASSERT_TRUE(fs::is_regular_file(packageFile));
    if (have("xmllint")) {
        EXPECT_EQ(run("xmllint --noout " + quoted(packageFile)), 0);
    }
    if (have("desktop-file-validate")) {
        EXPECT_EQ(run("desktop-file-validate " + quoted(entryFile)), 0);
    }
    const std::string entry = fileBytes(entryFile);
    EXPECT_NE(entry.find("\nMimeType=application/x-festral-quorvel-game;\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=festral-quorvel %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nComment=Find the pairs among thirty picture cards, for one to three "
                         "players\n"),
              std::string::npos);

    // The installed database, as the desktop reads it.
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(share.string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((root.path() / "none").string()));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(
        QStringLiteral("/somewhere/Birds of the Heath.quorvel"), QMimeDatabase::MatchExtension);
    EXPECT_EQ(type.name().toStdString(), "application/x-festral-quorvel-game");
    EXPECT_TRUE(type.inherits(QStringLiteral("application/zip")));
    if (have("update-desktop-database")) {
        EXPECT_NE(fileBytes(share / "applications" / "mimeinfo.cache")
                      .find("application/x-festral-quorvel-game=io.github.festral.Quorvel."
                            "desktop;"),
                  std::string::npos);
    }
}

TEST_F(SharedGames, TheLauncherPassesTheFolderTheFileWasNamedFrom)
{
    const fs::path caller = root.path() / "where the user is";
    const fs::path stub = root.path() / "stub";
    const fs::path record = root.path() / "record";
    fs::create_directories(caller);
    writeBytes(stub, "#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$QUORVEL_CALLER_DIR\" \"$@\" > " +
                         quoted(record) + "\n");
    fs::permissions(stub, fs::perms::owner_all);
    const fs::path launcher = prefix / QUORVEL_INSTALL_BINDIR / "festral-quorvel";
    ASSERT_EQ(run("cd " + quoted(caller) + " && env HOME=" + quoted(root.path()) +
                  " XDG_DATA_HOME=" + quoted(root.path() / "data") + " QUORVEL_PROGRAM=" +
                  quoted(stub) + " " + quoted(launcher) + " --import game.quorvel"),
              0);
    EXPECT_EQ(fileBytes(record), (root.path() / "data" / "festral-quorvel").string() + "\n" +
                                     caller.string() + "\n--import\ngame.quorvel\n");
}

} // namespace
