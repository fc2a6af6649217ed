#include "tempfolder.h"

#include "library/quorvelerror.h"
#include "editor/editorstore.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

using test::fileBytes;
using test::TempFolder;
using test::writeBytes;

std::string bytesOf(const GameRecord &r)
{
    return std::string(reinterpret_cast<const char *>(r.data()), kRecordSize);
}

// A record whose every byte tells it apart (texts of any byte value, leftovers after every
// length), with length bytes that fit their fields.
GameRecord sample(int n)
{
    GameRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        r.data()[i] = static_cast<std::uint8_t>((i * 7 + n * 13) % 251);
    r.Name.length %= kNameCapacity + 1;
    for (int s = 0; s < kSlotCount; ++s) {
        r.Bmps[s].length %= kFileNameCapacity + 1;
        r.Midis[s].length %= kFileNameCapacity + 1;
    }
    for (auto &line : r.Descriptions)
        line.length %= kDescriptionCapacity + 1;
    return r;
}

// The library file holding the sample records `numbers`, in that order.
std::string libraryOf(const std::vector<int> &numbers)
{
    std::string bytes;
    for (int n : numbers)
        bytes += bytesOf(sample(n));
    return bytes;
}

std::vector<int> upTo(int count)
{
    std::vector<int> numbers;
    for (int n = 0; n < count; ++n)
        numbers.push_back(n);
    return numbers;
}

std::string recordInFile(int n)
{
    return fileBytes(kLibraryFileName).substr(std::size_t(n) * kRecordSize, kRecordSize);
}

struct Editor {
    TempFolder folder;
    EditorState state;
    EditorStore store{state};

    Editor(int records, int index, bool loaded = true)
    {
        writeBytes(kLibraryFileName, libraryOf(upTo(records)));
        state.EditIndex = index;
        state.EditorLoaded = loaded;
        store.ReadEditRecord();
    }
};

TEST(EditorStep, WrapsAroundAtBothEnds)
{
    EXPECT_EQ(stepIndex(EditorStep::First, 5, 7), 0);
    EXPECT_EQ(stepIndex(EditorStep::Last, 2, 7), 7);
    EXPECT_EQ(stepIndex(EditorStep::Next, 6, 7), 7);
    EXPECT_EQ(stepIndex(EditorStep::Next, 7, 7), 0);
    EXPECT_EQ(stepIndex(EditorStep::Previous, 1, 7), 0);
    EXPECT_EQ(stepIndex(EditorStep::Previous, 0, 7), 7);

    Editor e(8, 7, false);
    e.store.Move(EditorStep::Next, {});
    EXPECT_EQ(e.state.EditIndex, 0);
    EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(sample(0)));
    e.store.Move(EditorStep::Previous, {});
    EXPECT_EQ(e.state.EditIndex, 7);
    EXPECT_EQ(e.state.EditLast, 7);
    EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(sample(7)));
}

TEST(EditorStore, LeavingARecordAboveThreeStoresWhatTheControlsShow)
{
    Editor e(8, 5);
    EditorFields screen = fieldsOf(e.state.EditRecord);
    screen.bmps[kCardBackSlot] = "typed.bmp";
    e.store.Move(EditorStep::Previous, screen);

    GameRecord expected = sample(5);
    expected.Bmps[kCardBackSlot].assign("typed.bmp");
    EXPECT_EQ(recordInFile(5), bytesOf(expected));
    std::string others = libraryOf(upTo(8));
    others.replace(5 * kRecordSize, kRecordSize, bytesOf(expected));
    EXPECT_EQ(fileBytes(kLibraryFileName), others);
    EXPECT_EQ(e.state.EditIndex, 4);
    EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(sample(4)));
}

TEST(EditorStore, ProtectedRecordsAndStartUpAreNeverWritten)
{
    EditorFields changed;
    changed.name = "changed";
    for (int index = 0; index <= 3; ++index) {
        Editor e(8, index);
        e.store.StoreEditRecord(changed);
        e.store.Move(EditorStep::Next, changed);
        EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(upTo(8))) << index;
    }
    Editor starting(8, 5, false);
    starting.store.Move(EditorStep::First, changed);
    EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(upTo(8)));
}

TEST(EditorStore, ARecordReadAndWrittenBackKeepsEveryByte)
{
    Editor e(8, 5);
    e.store.Move(EditorStep::Next, fieldsOf(e.state.EditRecord));
    EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(upTo(8)));
}

TEST(EditorStore, TextsAreCutToTheirCapacityInCharacters)
{
    Editor e(6, 5);
    EditorFields screen = fieldsOf(e.state.EditRecord);
    std::string name;
    for (int i = 0; i < 120; ++i)
        name += "\xC3\xA9"; // é: one byte in the file, two in UTF-8
    screen.name = name;
    screen.midis[7] = std::string(60, 'm');
    e.store.StoreEditRecord(screen);

    GameRecord stored;
    std::memcpy(stored.data(), recordInFile(5).data(), kRecordSize);
    EXPECT_EQ(stored.Name.str(), std::string(100, '\xE9'));
    EXPECT_EQ(stored.Midis[7].str(), std::string(50, 'm'));
}

// Every byte of `after` equals `before` but the length bytes of the fields NEW empties.
void expectOnlyLengthsCleared(const GameRecord &before, const GameRecord &after)
{
    GameRecord expected = before;
    expected.Name.length = 0;
    for (int s = 0; s < kImageCount; ++s)
        expected.Bmps[s].length = 0;
    for (int s = 1; s < kImageCount; ++s)
        expected.Midis[s].length = 0;
    for (auto &line : expected.Descriptions)
        line.length = 0;
    EXPECT_EQ(bytesOf(after), bytesOf(expected));
}

TEST(EditorStore, NewTwiceAppendsAndThenStoresTheFirstNewRecord)
{
    Editor e(4, 2);
    e.store.AppendNew({});
    EXPECT_EQ(e.state.EditIndex, 4);
    EXPECT_EQ(fileBytes(kLibraryFileName).size(), 5 * kRecordSize);
    GameRecord first;
    std::memcpy(first.data(), recordInFile(4).data(), kRecordSize);
    expectOnlyLengthsCleared(sample(2), first);
    EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(first));

    EditorFields typed;
    typed.name = "Mine";
    typed.bmps[3] = "three.bmp";
    e.store.AppendNew(typed);
    GameRecord stored = first;
    copyFields(typed, stored);
    EXPECT_EQ(recordInFile(4), bytesOf(stored));
    EXPECT_EQ(e.state.EditIndex, 5);
    expectOnlyLengthsCleared(stored, e.state.EditRecord);
    EXPECT_EQ(recordInFile(5), bytesOf(e.state.EditRecord));
    EXPECT_EQ(fileBytes(kLibraryFileName).substr(0, 4 * kRecordSize),
              libraryOf(upTo(4)));
}

struct DeleteCase {
    int records;
    int index;
    int shownAfter; // EditIndex afterwards
};

class EditorDelete : public testing::TestWithParam<DeleteCase> {};

TEST_P(EditorDelete, MovesTheLaterRecordsDownAndCutsTheLast)
{
    const DeleteCase c = GetParam();
    Editor e(c.records, c.index);
    EXPECT_TRUE(e.store.Delete());

    std::vector<int> remaining = upTo(c.records);
    remaining.erase(remaining.begin() + c.index);
    EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(remaining));
    EXPECT_EQ(e.state.EditIndex, c.shownAfter);
    EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(sample(remaining[c.shownAfter])));
}

INSTANTIATE_TEST_SUITE_P(, EditorDelete,
                         testing::Values(DeleteCase{8, 5, 5},   // in the middle
                                         DeleteCase{8, 7, 6},   // the last record
                                         DeleteCase{5, 4, 3})); // back to the defaults

TEST(EditorStore, DeleteLeavesTheProtectedRecordsAlone)
{
    for (int index = 0; index <= 3; ++index) {
        Editor e(6, index);
        EXPECT_FALSE(e.store.Delete());
        EXPECT_EQ(e.state.EditIndex, index);
        EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(upTo(6)));
    }
    // An index left past the end by an earlier failure must not cost record 3.
    Editor stale(4, 3);
    stale.state.EditIndex = 4;
    EXPECT_FALSE(stale.store.Delete());
    EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(upTo(4)));
}

std::string failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const InOutError &e) {
        return e.what();
    }
    return "no failure";
}

TEST(EditorStore, AFailingStepKeepsWhatTheStepsBeforeIt)
{
    Editor gone(8, 5);
    std::filesystem::remove(kLibraryFileName);
    EditorFields typed = fieldsOf(gone.state.EditRecord);
    typed.name = "Typed";
    EXPECT_EQ(failureOf([&] { gone.store.Move(EditorStep::Next, typed); }), "File not found");
    EXPECT_EQ(gone.state.EditIndex, 5);
    EXPECT_EQ(gone.state.EditRecord.Name.str(), "Typed");

    Editor empty(8, 6, false);
    writeBytes(kLibraryFileName, "");
    EXPECT_EQ(failureOf([&] { empty.store.Move(EditorStep::First, {}); }),
              "Read beyond end of file");
    EXPECT_EQ(empty.state.EditIndex, 0);
    EXPECT_EQ(bytesOf(empty.state.EditRecord), bytesOf(sample(6)));
}

} // namespace
} // namespace quorvel
