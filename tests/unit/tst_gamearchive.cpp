// Sharing a game as one archive: export then import byte for byte, free names on a clash,
// and damaged or hostile archives that must write nothing.
#include "editor/gamearchive.h"

#include "filefaults.h"
#include "library/defaultlibrary.h"
#include "library/libraryfile.h"
#include "library/quorvelerror.h"
#include "tempfolder.h"
#include "testtune.h"

#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <vector>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;
using test::namesIn;
using test::writeBytes;

struct Entry {
    std::string name;
    std::string bytes;
    unsigned type = AE_IFREG;
};

// A zip archive of the entries, made without any of the exporter's rules.
std::string zipOf(const std::vector<Entry> &entries)
{
    std::vector<char> buffer(40 << 20);
    size_t used = 0;
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_open_memory(a, buffer.data(), buffer.size(), &used);
    for (const Entry &e : entries) {
        archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_filetype(entry, e.type);
        archive_entry_set_perm(entry, 0644);
        if (e.type == AE_IFLNK)
            archive_entry_set_symlink(entry, e.bytes.c_str());
        const bool file = e.type == AE_IFREG;
        archive_entry_set_size(entry, file ? static_cast<la_int64_t>(e.bytes.size()) : 0);
        archive_write_header(a, entry);
        if (file)
            archive_write_data(a, e.bytes.data(), e.bytes.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return std::string(buffer.data(), used);
}

std::vector<std::string> entryNames(const std::string &zipFile)
{
    std::vector<std::string> names;
    archive *a = archive_read_new();
    archive_read_support_format_zip(a);
    archive_read_open_filename(a, zipFile.c_str(), 65536);
    archive_entry *entry = nullptr;
    while (archive_read_next_header(a, &entry) == ARCHIVE_OK)
        names.emplace_back(archive_entry_pathname(entry));
    archive_read_free(a);
    return names;
}

std::string recordBytes(const GameRecord &r)
{
    return std::string(reinterpret_cast<const char *>(r.data()), kRecordSize);
}

// An author's game: every byte of the record set, pictures p0..p18 (card 2 and card 3
// share one), tunes t1..t18, and one picture whose file is missing.
GameRecord authorsGame()
{
    GameRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        r.data()[i] = static_cast<std::uint8_t>(i * 31 % 253);
    r.Name.assign("An author's game");
    for (int i = 0; i < kImageCount; ++i)
        r.Bmps[i].assign("p" + std::to_string(i == 3 ? 2 : i) + ".bmp");
    r.Bmps[7].assign("gone.bmp");
    for (int i = 1; i <= kHelpTuneSlot; ++i)
        r.Midis[i].assign("t" + std::to_string(i) + ".mid");
    for (auto &line : r.Descriptions)
        line.length %= kDescriptionCapacity + 1;
    return r;
}

void writeGameFiles(const GameRecord &r)
{
    for (int i = 0; i < kImageCount; ++i) {
        if (i != 3 && i != 7)
            writeBytes(r.Bmps[i].str(), "BM picture " + std::to_string(i));
    }
    for (int i = 1; i <= kHelpTuneSlot; ++i)
        writeBytes(r.Midis[i].str(), test::tuneOfSeconds(i, 40 + i));
}

// A library of the four default games and, from record 4 on, the games given.
void writeLibrary(const std::vector<GameRecord> &games)
{
    GameRecord scratch;
    CreateDefaultLibrary(kLibraryFileName, scratch);
    LibraryFile file;
    file.Open();
    for (std::size_t i = 0; i < games.size(); ++i) {
        file.Seek(static_cast<int>(4 + i));
        file.Write(games[i]);
    }
    file.Close();
}

std::string recordIn(const std::string &library, int n)
{
    return library.substr(static_cast<std::size_t>(n) * kRecordSize, kRecordSize);
}

class GameArchive : public testing::Test {
protected:
    // Exports the author's game from one folder; the test then goes on in `other`.
    void SetUp() override
    {
        fs::create_directory(other);
        writeLibrary({game});
        writeGameFiles(game);
        exportGame(4, shared.string());
        fs::current_path(other);
        writeLibrary({});
    }

    test::TempFolder first;
    fs::path other = first.path() / "other";
    fs::path shared = first.path() / "game.quorvel";
    GameRecord game = authorsGame();
};

TEST_F(GameArchive, ExportThenImportIsByteForByte)
{
    std::vector<std::string> expected = {"record.dat", "files/p0.bmp", "files/p1.bmp",
                                         "files/p2.bmp"};
    for (int i = 4; i < kImageCount; ++i)
        expected.push_back(i == 7 ? "" : "files/p" + std::to_string(i) + ".bmp");
    for (int i = 1; i <= kHelpTuneSlot; ++i)
        expected.push_back("files/t" + std::to_string(i) + ".mid");
    std::erase(expected, "");
    EXPECT_EQ(entryNames(shared.string()), expected);

    EXPECT_EQ(importGame(shared.string()), 4);
    EXPECT_EQ(recordIn(fileBytes(kLibraryFileName), 4), recordBytes(game));
    for (const std::string &name : expected) {
        if (name.starts_with("files/")) {
            EXPECT_EQ(fileBytes(name.substr(6)), fileBytes(first.path() / name.substr(6)));
        }
    }
    EXPECT_FALSE(fs::exists("gone.bmp"));

    // A second import finds every file already there and copies none.
    const auto files = namesIn(".");
    EXPECT_EQ(importGame(shared.string()), 5);
    EXPECT_EQ(namesIn("."), files);
    EXPECT_EQ(recordIn(fileBytes(kLibraryFileName), 5), recordBytes(game));
}

TEST_F(GameArchive, ClashesGetFreeNamesAndTheRecordFollows)
{
    writeBytes("t5.mid", "another tune of the same name");
    GameRecord nested = game;
    nested.Bmps[1].assign("pictures/p1.bmp");
    fs::current_path(first.path());
    writeLibrary({nested});
    fs::create_directory("pictures");
    writeBytes("pictures/p1.bmp", "a picture from another folder");
    exportGame(4, "nested.quorvel");
    fs::current_path(other);

    EXPECT_EQ(importGame((first.path() / "nested.quorvel").string()), 4);
    GameRecord wanted = nested;
    wanted.Midis[5].assign("t5-2.mid");
    wanted.Bmps[1].assign("p1.bmp");
    EXPECT_EQ(recordIn(fileBytes(kLibraryFileName), 4), recordBytes(wanted));
    EXPECT_EQ(fileBytes("t5-2.mid"), test::tuneOfSeconds(5, 45));
    EXPECT_EQ(fileBytes("t5.mid"), "another tune of the same name");
    EXPECT_EQ(fileBytes("p1.bmp"), "a picture from another folder");
}

TEST_F(GameArchive, DamagedOrHostileArchivesWriteNothing)
{
    const std::string record = recordBytes(game);
    const std::string tune = test::tuneOfSeconds(3);
    const std::vector<Entry> good = {{"record.dat", record}, {"files/t1.mid", tune}};
    const auto with = [&](std::vector<Entry> extra) {
        extra.insert(extra.begin(), good.begin(), good.end());
        return zipOf(extra);
    };
    std::vector<Entry> crowd = good;
    for (int i = 0; i < 63; ++i)
        crowd.push_back({"files/x" + std::to_string(i), "x"});
    const std::string whole = with({});
    const struct {
        const char *what;
        std::string archive;
        const char *text;
    } cases[] = {
        {"a path up and out", with({{"../evil.bmp", "x"}}), "lies outside the game's folder"},
        {"an absolute path", with({{"/tmp/evil.bmp", "x"}}), "lies outside the game's folder"},
        {"a path that climbs", with({{"files/../../evil", "x"}}), "lies outside the game's"},
        {"a link", with({{"files/p1.bmp", "/etc/passwd", AE_IFLNK}}), "is a link or not a file"},
        {"65 entries", zipOf(crowd), "it holds more than 64 entries"},
        {"a file over 16 MB", with({{"files/p0.bmp", std::string((16 << 20) + 1, 'x')}}),
         "\"files/p0.bmp\" is larger than 16 MB"},
        {"no record", zipOf({{"files/t1.mid", tune}}), "holds no game record of 6686 bytes"},
        {"a record cut short", zipOf({{"record.dat", record.substr(1)}}), "holds no game record"},
        {"two records", with({{"record.dat", record}}), "\"record.dat\" is there twice"},
        {"a tune that is no SMF", zipOf({{"record.dat", record}, {"files/t1.mid", "MThd"}}),
         "\"t1.mid\" is not a Standard MIDI File"},
        {"a tune of 4 minutes",
         zipOf({{"record.dat", record}, {"files/t1.mid", test::tuneOfSeconds(240)}}),
         "plays for 4 min 0 s"},
        {"no zip at all", "just some text", "is not a game archive or is damaged"},
        {"a zip cut short", whole.substr(0, whole.size() / 2), "is not a game archive or is "},
    };
    const std::string library = fileBytes(kLibraryFileName);
    const auto names = namesIn(".");
    for (const auto &c : cases) {
        writeBytes(first.path() / "hostile.quorvel", c.archive);
        try {
            importGame((first.path() / "hostile.quorvel").string());
            ADD_FAILURE() << c.what << ": imported";
        } catch (const QuorvelError &e) {
            EXPECT_NE(std::string(e.what()).find(c.text), std::string::npos)
                << c.what << ": " << e.what();
        }
        EXPECT_EQ(namesIn("."), names) << c.what;
        EXPECT_EQ(fileBytes(kLibraryFileName), library) << c.what;
    }
    EXPECT_THROW(importGame("missing.quorvel"), QuorvelError);
}

TEST_F(GameArchive, AFailureWhileWritingLeavesNothing)
{
    const std::string library = fileBytes(kLibraryFileName);
    const auto names = namesIn(".");
    {
        // The disk fills up with the fifth file of the game.
        const test::FileFaults fault(test::FileFaults::Link, 5, ENOSPC);
        EXPECT_THROW(importGame(shared.string()), QuorvelError);
    }
    EXPECT_EQ(namesIn("."), names);
    EXPECT_EQ(fileBytes(kLibraryFileName), library);

    // A library without the four default games takes no game.
    fs::resize_file(kLibraryFileName, 3 * kRecordSize);
    EXPECT_THROW(importGame(shared.string()), QuorvelError);
    EXPECT_EQ(namesIn("."), names);

    EXPECT_THROW(exportGame(9, "nine.quorvel"), QuorvelError);
    EXPECT_THROW(exportGame(2, "no/such/folder/two.quorvel"), QuorvelError);
    EXPECT_EQ(namesIn("."), names);
}

} // namespace
} // namespace quorvel
