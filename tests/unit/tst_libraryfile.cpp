#include "faultyfilecalls.h"
#include "recordbytes.h"
#include "tempfolder.h"

#include "library/filecalls.h"
#include "library/gamerecord.h"
#include "library/libraryfile.h"
#include "library/quorvelerror.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using test::bytesOf;

using test::failureOf;
using test::FaultyFileCalls;
using test::fileBytes;
using test::TempFolder;
using test::writeBytes;

// A record whose every byte is set, so a round trip shows any byte that is lost.
GameRecord patternRecord(int seed)
{
    GameRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        r.data()[i] = static_cast<std::uint8_t>((i * 7 + seed * 13) % 251);
    return r;
}

int codeOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const InOutError &e) {
        EXPECT_EQ(e.what(), ioErrorText(e.code()));
        return e.code();
    }
    return 0;
}

TEST(GameRecord, FieldsLieAtTheirOffsets)
{
    GameRecord r = GameRecord::zeroed();
    r.Name.assign("N");
    r.Bmps[0].assign("B0");
    r.Bmps[15].assign("B15");
    r.Midis[0].assign("M0");
    r.Midis[1].assign("M1");
    r.Midis[15].assign("M15");
    r.description(1).assign("D1");
    r.description(43).assign("D43");
    r.description(45).assign("D45");
    const auto at = [&](std::size_t offset, const std::string &text) {
        EXPECT_EQ(r.data()[offset], text.size()) << "length byte at " << offset;
        EXPECT_EQ(std::memcmp(r.data() + offset + 1, text.data(), text.size()), 0) << offset;
    };
    at(0, "N");
    at(101, "B0");
    at(866, "B15");
    at(1121, "M0");
    at(1172, "M1");
    at(1886, "M15");
    at(2141, "D1");
    at(6383, "D43");
    at(6585, "D45");
    // Descriptions[45] holds 100 characters up to the last byte of the record.
    r.description(45).assign(std::string(100, 'z'));
    EXPECT_EQ(r.data()[6685], 'z');
}

TEST(GameRecord, StoringCutsToCapacityAndKeepsLeftovers)
{
    GameRecord r = GameRecord::zeroed();
    r.Name.assign(std::string(120, 'a'));
    EXPECT_EQ(r.Name.str(), std::string(100, 'a'));
    r.Bmps[3].assign(std::string(60, 'b'));
    EXPECT_EQ(r.Bmps[3].str().size(), 50u);
    EXPECT_EQ(r.Bmps[4].str(), "");  // the next field is untouched

    r.Name.assign("short");
    EXPECT_EQ(r.Name.str(), "short");
    EXPECT_EQ(r.Name.chars[5], 'a'); // bytes after the length are left as they were
    r.Name.clear();
    EXPECT_EQ(r.Name.str(), "");
    EXPECT_EQ(r.Name.chars[0], 's');
}

TEST(GameRecord, DamagedLengthByteReadsAsCapacity)
{
    GameRecord r = patternRecord(1);
    r.Bmps[2].length = 200;
    EXPECT_EQ(r.Bmps[2].str().size(), 50u);
    r.Name.length = 255;
    EXPECT_EQ(r.Name.str().size(), 100u);
}

TEST(LibraryFile, RecordsRoundTripByteForByte)
{
    TempFolder folder;
    const GameRecord a = patternRecord(1), b = patternRecord(2), c = patternRecord(3);
    {
        LibraryFile file;
        file.Create();
        file.Write(a);
        file.Write(b);
        file.Close();
    }
    LibraryFile file;
    file.Open();
    EXPECT_EQ(file.Count(), 2);
    file.Seek(2); // append
    file.Write(c);
    file.Seek(1);
    GameRecord read = GameRecord::zeroed();
    file.Read(read);
    EXPECT_EQ(std::memcmp(read.data(), b.data(), kRecordSize), 0);
    file.Read(read); // Read advances one record
    EXPECT_EQ(std::memcmp(read.data(), c.data(), kRecordSize), 0);
    EXPECT_EQ(file.Count(), 3);
    file.Close();

    const std::string bytes = fileBytes("quorvels.dat");
    ASSERT_EQ(bytes.size(), 3 * kRecordSize);
    EXPECT_EQ(std::memcmp(bytes.data() + kRecordSize, b.data(), kRecordSize), 0);
}

TEST(LibraryFile, CountIgnoresAPartialTail)
{
    TempFolder folder;
    writeBytes("quorvels.dat", std::string(4 * kRecordSize + 100, 'x'));
    LibraryFile file;
    file.Open();
    EXPECT_EQ(file.Count(), 4);
    GameRecord r = GameRecord::zeroed();
    file.Seek(4);
    EXPECT_EQ(codeOf([&] { file.Read(r); }), kReadBeyondEnd);
    EXPECT_EQ(r.Name.length, 0) << "a failed read leaves the buffer as it was";
}

TEST(LibraryFile, EmptyFileHoldsNoRecord)
{
    TempFolder folder;
    writeBytes("quorvels.dat", "");
    LibraryFile file;
    file.Open();
    EXPECT_EQ(file.Count(), 0);
    GameRecord r;
    file.Seek(0);
    EXPECT_EQ(codeOf([&] { file.Read(r); }), kReadBeyondEnd);
    EXPECT_EQ(ioErrorText(kReadBeyondEnd), "Read beyond end of file");
}

TEST(LibraryFile, ARecordThatIsNotThereReadsBeyondTheEnd)
{
    TempFolder folder;
    writeBytes("quorvels.dat", std::string(2 * kRecordSize, 'x'));
    for (int n : {-1, 2, 1000}) {
        LibraryFile file;
        file.Open();
        GameRecord r;
        EXPECT_EQ(failureOf([&] {
                      file.Seek(n);
                      file.Read(r);
                  }),
                  "Read beyond end of file")
            << "record " << n;
    }
}

TEST(LibraryFile, TruncateCutsAtThePosition)
{
    TempFolder folder;
    LibraryFile file;
    file.Create();
    for (int i = 0; i < 3; ++i)
        file.Write(patternRecord(i));
    file.Seek(2);
    file.Truncate();
    EXPECT_EQ(file.Count(), 2);
    file.Close();
    EXPECT_EQ(fileBytes("quorvels.dat").size(), 2 * kRecordSize);
}

TEST(LibraryFile, FailuresCarryTheirCodeAndText)
{
    TempFolder folder;
    EXPECT_EQ(codeOf([] { LibraryFile().Open(); }), kFileNotFound);
    EXPECT_EQ(ioErrorText(kFileNotFound), "File not found");
    EXPECT_EQ(codeOf([] { LibraryFile("no-such-folder/quorvels.dat").Create(); }),
              kInvalidFilename);
    EXPECT_EQ(ioErrorText(kInvalidFilename), "Invalid filename");
    EXPECT_EQ(codeOf([] { LibraryFile(std::string(5000, 'n')).Open(); }), kInvalidFilename);

    writeBytes("quorvels.dat", std::string(kRecordSize, 'x'));
    ::chmod("quorvels.dat", 0444);
    if (::geteuid() != 0) { // root may write anyway
        EXPECT_EQ(codeOf([] { LibraryFile().Open(); }), kAccessDenied);
    }
    EXPECT_EQ(ioErrorText(kAccessDenied), "File access denied");
    std::filesystem::create_directory("adir");
    EXPECT_EQ(codeOf([] { LibraryFile("adir").Open(); }), kAccessDenied);

    EXPECT_EQ(ioErrorText(kTooManyOpenFiles), "Too many open files");
    EXPECT_EQ(ioErrorText(kDiskFull), "Disk full");
    EXPECT_EQ(ioErrorText(32), "I/O error 32");
}

// The system's errors read by their meaning; any other reads "I/O error <errno>", also where
// its number happens to be one of the program's own codes.
TEST(LibraryFile, SystemErrorsReadByMeaning)
{
    TempFolder folder;
    writeBytes("quorvels.dat", std::string(kRecordSize, 'x'));
    const struct {
        int errnum;
        const char *text;
    } cases[] = {
        {ENOENT, "File not found"},       {ENOTDIR, "Invalid filename"},
        {ENAMETOOLONG, "Invalid filename"}, {EMFILE, "Too many open files"},
        {ENFILE, "Too many open files"},  {EACCES, "File access denied"},
        {EROFS, "File access denied"},    {ENOSPC, "Disk full"},
        {EDQUOT, "Disk full"},            {EIO, "I/O error 5"},
        {EINTR, "I/O error 4"},           {ENETDOWN, "I/O error 100"},
        {ENETUNREACH, "I/O error 101"},   {ESRCH, "I/O error 3"},
        {EBADF, "I/O error 9"},
    };
    FaultyFileCalls faults;
    for (const auto &c : cases) {
        faults.failCall("open", 1, c.errnum);
        EXPECT_EQ(failureOf([] { LibraryFile().Open(); }), c.text) << "errno " << c.errnum;
    }
}

// Removing a record writes the library without it beside the old one and renames it over;
// a failure of any call leaves the library as it was and no new file behind.
TEST(LibraryFile, RemovingARecordIsAllOrNothing)
{
    TempFolder folder;
    // Enough records to be copied in several pieces, and a partial record at the end.
    constexpr int kRecords = 170;
    std::string library, without;
    for (int n = 0; n < kRecords; ++n) {
        library += bytesOf(patternRecord(n));
        if (n != 1)
            without += bytesOf(patternRecord(n));
    }
    library += std::string(100, 't');
    const auto prepare = [&] {
        writeBytes("quorvels.dat", library);
        std::filesystem::permissions("quorvels.dat", std::filesystem::perms(0640));
    };
    // A group the user may give (any, for root); the user's own group otherwise.
    const gid_t group = ::chown("quorvels.dat", -1, 4242) == 0 ? 4242 : ::getegid();
    const auto remove = [] { LibraryFile::RemoveRecord("quorvels.dat", 1); };

    prepare();
    FaultyFileCalls faults;
    remove();
    const std::size_t callCount = faults.calls.size();
    EXPECT_TRUE(fileBytes("quorvels.dat") == without) << "the partial record goes too";
    EXPECT_EQ(std::filesystem::status("quorvels.dat").permissions(),
              std::filesystem::perms(0640));
    struct stat st {};
    ASSERT_EQ(::stat("quorvels.dat", &st), 0);
    EXPECT_EQ(st.st_gid, group);
    const auto names = test::namesIn(".");

    for (std::size_t n = 1; n <= callCount; ++n) {
        prepare();
        faults.failCall(int(n), EIO);
        EXPECT_EQ(failureOf(remove), "I/O error 5");
        EXPECT_TRUE(fileBytes("quorvels.dat") == library) << "call " << faults.calls.back();
        EXPECT_EQ(test::namesIn("."), names) << "call " << faults.calls.back();
    }
    faults.failCall(0);
    EXPECT_EQ(failureOf([] { LibraryFile::RemoveRecord("quorvels.dat", kRecords); }),
              "Read beyond end of file");
    EXPECT_TRUE(fileBytes("quorvels.dat") == library);
}

TEST(LibraryFile, RemovingARecordKeepsALinkedLibraryWhereItIs)
{
    TempFolder folder;
    std::filesystem::create_directory("elsewhere");
    writeBytes("elsewhere/games.dat", bytesOf(patternRecord(0)) + bytesOf(patternRecord(1)));
    std::filesystem::create_symlink("elsewhere/games.dat", "quorvels.dat");
    // A link planted where a temporary file of a name known beforehand would go.
    writeBytes("victim", "not to be emptied");
    std::filesystem::create_symlink("../victim", "elsewhere/games.dat.new");
    LibraryFile::RemoveRecord("quorvels.dat", 0);
    EXPECT_TRUE(std::filesystem::is_symlink("quorvels.dat"));
    EXPECT_TRUE(fileBytes("elsewhere/games.dat") == bytesOf(patternRecord(1)));
    EXPECT_EQ(fileBytes("victim"), "not to be emptied");
    EXPECT_EQ(test::namesIn("elsewhere"), (std::set<std::string>{"games.dat", "games.dat.new"}));
}

TEST(LibraryFile, WritingToAFullDiskReportsDiskFull)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    LibraryFile file("/dev/full");
    file.Open();
    EXPECT_EQ(codeOf([&] { file.Write(GameRecord::zeroed()); }), kDiskFull);
}

TEST(LibraryFile, HandleIsClosedOnAFailingPath)
{
    TempFolder folder;
    writeBytes("quorvels.dat", "");
    const auto openFiles = [] {
        int n = 0;
        for ([[maybe_unused]] const auto &e : std::filesystem::directory_iterator("/proc/self/fd"))
            ++n;
        return n;
    };
    // A handle of an earlier test may still be closing on a thread of its own.
    FileCalls::awaitLaterCloses();
    const int before = openFiles();
    for (int i = 0; i < 50; ++i) {
        try {
            LibraryFile file;
            file.Open();
            GameRecord r;
            file.Read(r);
        } catch (const InOutError &) {
        }
    }
    EXPECT_EQ(openFiles(), before);
}

} // namespace
} // namespace quorvel
