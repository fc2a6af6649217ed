// Sharing a game as one archive: export then import, free names on a clash, files named by
// a path made bare, and damaged or hostile archives that must write nothing.
#include "editor/gamearchive.h"

#include "faultyfilecalls.h"
#include "library/defaultlibrary.h"
#include "library/libraryfile.h"
#include "library/quorvelerror.h"
#include "tempfolder.h"
#include "testtune.h"

#include <gtest/gtest.h>

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <sys/stat.h>
#include <vector>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::failureOf;
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
    std::string zip;
    archive *a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_set_bytes_in_last_block(a, 1);
    archive_write_open2(
        a, &zip, nullptr,
        [](archive *, void *out, const void *bytes, size_t size) -> la_ssize_t {
            static_cast<std::string *>(out)->append(static_cast<const char *>(bytes), size);
            return static_cast<la_ssize_t>(size);
        },
        nullptr, nullptr);
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
    return zip;
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

// The record as a shared game carries it: each field's text, and zeros after it.
std::string sharedBytes(const GameRecord &r)
{
    GameRecord shared = GameRecord::zeroed();
    shared.Name.assign(r.Name.str());
    for (int i = 0; i < kSlotCount; ++i) {
        shared.Bmps[i].assign(r.Bmps[i].str());
        shared.Midis[i].assign(r.Midis[i].str());
    }
    for (int j = 0; j < kDescriptionCount; ++j)
        shared.Descriptions[j].assign(r.Descriptions[j].str());
    return recordBytes(shared);
}

// A Windows bitmap of `width` x `height` 24-bit pixels of the byte `value`; or, run-length
// coded (`compression` 1), a header that claims that size before two bytes of data.
std::string bitmap(std::uint32_t width, std::uint32_t height, char value,
                   std::uint32_t compression = 0)
{
    const std::string pixels = compression ? std::string("\0\1", 2)
                                           : std::string((width * 3 + 3) / 4 * 4 * height, value);
    std::string bytes = "BM";
    const auto put = [&](std::uint32_t number, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>(number >> (8 * i));
    };
    put(54 + pixels.size(), 4), put(0, 4), put(54, 4), put(40, 4), put(width, 4);
    put(height, 4), put(1, 2), put(compression ? 8 : 24, 2), put(compression, 4);
    put(pixels.size(), 4);
    return bytes + std::string(16, '\0') + pixels; // resolution and palette: none
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
            writeBytes(r.Bmps[i].str(), bitmap(2, 1, static_cast<char>(i)));
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

TEST_F(GameArchive, ExportThenImportKeepsTheGameWithoutLeftovers)
{
    std::vector<std::string> expected = {"record.dat", "files/p0.bmp", "files/p1.bmp",
                                         "files/p2.bmp"};
    for (int i = 4; i < kImageCount; ++i)
        expected.push_back(i == 7 ? "" : "files/p" + std::to_string(i) + ".bmp");
    for (int i = 1; i <= kHelpTuneSlot; ++i)
        expected.push_back("files/t" + std::to_string(i) + ".mid");
    std::erase(expected, "");
    EXPECT_EQ(entryNames(shared.string()), expected);
    // Only the shared record loses the leftovers behind its fields; the library keeps them.
    EXPECT_EQ(recordIn(fileBytes(first.path() / kLibraryFileName), 4), recordBytes(game));

    EXPECT_EQ(importGame(shared.string()), 4);
    EXPECT_EQ(recordIn(fileBytes(kLibraryFileName), 4), sharedBytes(game));
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
    EXPECT_EQ(recordIn(fileBytes(kLibraryFileName), 5), sharedBytes(game));
}

// Files the author named by a path travel under their bare names, two of one name under two;
// a name that clashes with another file of the importer's folder gets a free one.
TEST_F(GameArchive, NamesAreBareAndClashesGetFreeNames)
{
    writeBytes("t5.mid", "another tune of the same name");
    GameRecord nested = game;
    nested.Bmps[1].assign("pictures/p1.bmp");
    nested.Bmps[2].assign("other/p2.bmp");
    const std::string absolute = (first.path() / "p4.bmp").string();
    ASSERT_LE(absolute.size(), kFileNameCapacity);
    nested.Bmps[4].assign(absolute);
    nested.Bmps[5].assign("/");
    fs::current_path(first.path());
    writeLibrary({nested});
    fs::create_directory("pictures");
    fs::create_directory("other");
    writeBytes("pictures/p1.bmp", bitmap(3, 1, 'a'));
    writeBytes("other/p2.bmp", bitmap(3, 1, 'b'));
    exportGame(4, "nested.quorvel");
    fs::current_path(other);
    for (const std::string &entry : entryNames((first.path() / "nested.quorvel").string()))
        EXPECT_EQ(entry.find('/'), entry.starts_with("files/") ? 5 : std::string::npos);

    EXPECT_EQ(importGame((first.path() / "nested.quorvel").string()), 4);
    GameRecord wanted = nested;
    wanted.Bmps[1].assign("p1.bmp");
    wanted.Bmps[2].assign("p2.bmp");
    wanted.Bmps[3].assign("p2-2.bmp");
    wanted.Bmps[4].assign("p4.bmp");
    wanted.Bmps[5].clear();
    wanted.Midis[5].assign("t5-2.mid");
    EXPECT_EQ(recordIn(fileBytes(kLibraryFileName), 4), sharedBytes(wanted));
    EXPECT_EQ(fileBytes("t5-2.mid"), test::tuneOfSeconds(5, 45));
    EXPECT_EQ(fileBytes("t5.mid"), "another tune of the same name");
    EXPECT_EQ(fileBytes("p1.bmp"), bitmap(3, 1, 'a'));
    EXPECT_EQ(fileBytes("p2.bmp"), bitmap(3, 1, 'b'));
    EXPECT_EQ(fileBytes("p2-2.bmp"), bitmap(2, 1, 2));
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
    const auto naming = [&](const std::string &name) {
        GameRecord r = game;
        r.Midis[3].assign(name);
        return zipOf({{"record.dat", recordBytes(r)}});
    };
    const auto picture = [&](const std::string &bytes) {
        return zipOf({{"record.dat", record}, {"files/p0.bmp", bytes}});
    };
    std::vector<Entry> crowd = good, heavy = good;
    for (int i = 0; i < 63; ++i)
        crowd.push_back({"files/x" + std::to_string(i), "x"});
    for (int i = 0; i < 5; ++i)
        heavy.push_back({"files/x" + std::to_string(i), std::string(15 << 20, 'x')});
    const std::string whole = with({});
    const std::string notBare = "by a path, not by a bare file name";
    const std::string notBitmap = "the picture \"p0.bmp\" is not a Windows bitmap";
    const struct {
        const char *what;
        std::string archive;
        std::string text;
        bool pipe = false;
    } cases[] = {
        {"a path up and out", with({{"../evil.bmp", "x"}}), "lies outside the game's folder"},
        {"an absolute path", with({{"/tmp/evil.bmp", "x"}}), "lies outside the game's folder"},
        {"a path that climbs", with({{"files/../../evil", "x"}}), "lies outside the game's"},
        {"a link", with({{"files/p1.bmp", "/etc/passwd", AE_IFLNK}}), "is a link or not a file"},
        {"65 entries", zipOf(crowd), "it holds more than 64 entries"},
        {"a file over 16 MB", with({{"files/p0.bmp", std::string((16 << 20) + 1, 'x')}}),
         "\"files/p0.bmp\" is larger than 16 MB"},
        {"files over 64 MB in all", zipOf(heavy), "its files hold more than 64 MB"},
        {"no record", zipOf({{"files/t1.mid", tune}}), "holds no game record of 6686 bytes"},
        {"a record cut short", zipOf({{"record.dat", record.substr(1)}}), "holds no game record"},
        {"two records", with({{"record.dat", record}}), "\"record.dat\" is there twice"},
        {"a record naming /etc/passwd", naming("/etc/passwd"), "\"/etc/passwd\" " + notBare},
        {"a record naming ../../secret.txt", naming("../../secret.txt"), notBare},
        {"a record naming ..", naming(".."), notBare},
        {"a record naming a control", naming("tune\n.mid"), "\"tune?.mid\" " + notBare},
        {"a tune that is no SMF", zipOf({{"record.dat", record}, {"files/t1.mid", "MThd"}}),
         "refused: \"t1.mid\" is not a Standard MIDI File"},
        {"a tune of 4 minutes",
         zipOf({{"record.dat", record}, {"files/t1.mid", test::tuneOfSeconds(240)}}),
         "refused: the tune \"t1.mid\" plays for 4 min 0 s"},
        {"a PNG named .bmp", picture("\x89PNG\r\n\x1a\n"), notBitmap},
        {"a bitmap cut short", picture(bitmap(4, 4, 'c').substr(0, 60)), notBitmap},
        {"a bitmap claiming 5792 x 5792", picture(bitmap(5792, 5792, 0, 1)), notBitmap},
        {"no zip at all", "just some text", "is not a game archive or is damaged"},
        {"a zip cut short", whole.substr(0, whole.size() / 2), "is not a game archive or is "},
        {"a named pipe", "", "is not a file", true},
    };
    const std::string library = fileBytes(kLibraryFileName);
    const auto names = namesIn(".");
    const fs::path hostile = first.path() / "hostile.quorvel";
    for (const auto &c : cases) {
        fs::remove(hostile);
        if (c.pipe)
            ASSERT_EQ(::mkfifo(hostile.c_str(), 0600), 0);
        else
            writeBytes(hostile, c.archive);
        try {
            importGame(hostile.string());
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

// Each file call of an import fails in turn: the error names the archive and the library
// and the game's folder are as they were. Only failures that lose nothing go by unreported
// (closing a file that was only read, removing a temporary file once its copy is in place).
TEST_F(GameArchive, EveryFailingFileCallLeavesNothing)
{
    const std::string library = fileBytes(kLibraryFileName);
    const auto names = namesIn(".");
    const auto restore = [&] {
        for (const auto &entry : fs::directory_iterator("."))
            if (!names.count(entry.path().filename().string()))
                fs::remove(entry.path());
        writeBytes(kLibraryFileName, library);
    };
    test::FaultyFileCalls faults;
    EXPECT_EQ(importGame(shared.string()), 4);
    const std::size_t callCount = faults.calls.size();
    for (std::size_t n = 1; n <= callCount; ++n) {
        restore();
        const auto &error = test::kInjectedErrors[n % std::size(test::kInjectedErrors)];
        faults.failCall(int(n), error.errnum);
        const std::string failure = test::failureOf([&] { importGame(shared.string()); });
        const std::string call = faults.calls[n - 1];
        if (failure == "no failure") {
            EXPECT_TRUE(call == "close" || call == "remove") << call;
            continue;
        }
        EXPECT_NE(failure.find(error.text), std::string::npos) << call << ": " << failure;
        EXPECT_NE(failure.find(quoted(shared.string())), std::string::npos) << failure;
        EXPECT_EQ(namesIn("."), names) << call;
        EXPECT_EQ(fileBytes(kLibraryFileName), library) << call;
    }
    faults.failCall(0);
    restore();

    // A library without the four default games takes no game.
    fs::resize_file(kLibraryFileName, 3 * kRecordSize);
    EXPECT_THROW(importGame(shared.string()), QuorvelError);
    EXPECT_EQ(namesIn("."), names);

    EXPECT_THROW(exportGame(9, "nine.quorvel"), QuorvelError);
    EXPECT_THROW(exportGame(2, "no/such/folder/two.quorvel"), QuorvelError);
    EXPECT_EQ(failureOf([] { exportGame(2, "."); }),
              "\".\" is a folder: name the game archive to write in it");
    EXPECT_THROW(exportGame(2, "new/"), QuorvelError);
    EXPECT_EQ(namesIn("."), names);
}

} // namespace
} // namespace quorvel
