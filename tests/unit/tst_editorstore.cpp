#include "faultyfilecalls.h"
#include "recordbytes.h"
#include "tempfolder.h"

#include "editor/editorstore.h"
#include "library/quorvelerror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace quorvel {
namespace {

using test::bytesOf;

using test::FaultyFileCalls;
using test::failureOf;
using test::fileBytes;
using test::kInjectedErrors;
using test::TempFolder;
using test::writeBytes;

// A record whose every byte tells it apart (texts of any byte value, leftovers after every
// length), with length bytes that fit their fields.
GameRecord sample(int n)
{
    GameRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        r.data()[i] = static_cast<std::uint8_t>((i * 7 + n * 13) % 251);
    test::fitLengths(r);
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

// Where the file differs from `expected`, record by record; empty when it does not.
std::string differencesFrom(const std::string &expected)
{
    const std::string actual = fileBytes(kLibraryFileName);
    if (actual == expected)
        return "";
    std::string out = std::to_string(actual.size()) + " bytes for " +
                      std::to_string(expected.size()) + "; records differing:";
    for (std::size_t at = 0; at < std::max(actual.size(), expected.size()); at += kRecordSize) {
        if (actual.substr(std::min(at, actual.size()), kRecordSize) !=
            expected.substr(std::min(at, expected.size()), kRecordSize))
            out += " " + std::to_string(at / kRecordSize);
    }
    return out;
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

TEST(EditorStore, AFailingStepKeepsWhatTheStepsBeforeIt)
{
    Editor gone(8, 5);
    std::filesystem::remove(kLibraryFileName);
    EditorFields typed = fieldsOf(gone.state.EditRecord);
    typed.name = "Typed";
    EXPECT_EQ(failureOf([&] { gone.store.Move(EditorStep::Next, typed); }), "File not found");
    EXPECT_EQ(gone.state.EditIndex, 5);
    EXPECT_EQ(gone.state.EditRecord.Name.str(), "Typed");

    // A record that cannot be read leaves the editor on the record it shows.
    Editor empty(8, 6, false);
    writeBytes(kLibraryFileName, "");
    EXPECT_EQ(failureOf([&] { empty.store.Move(EditorStep::First, {}); }),
              "Read beyond end of file");
    EXPECT_EQ(empty.state.EditIndex, 6);
    EXPECT_EQ(bytesOf(empty.state.EditRecord), bytesOf(sample(6)));
}

// The library of 8 sample records with record `n` stored from `screen`.
std::string libraryStoring(int n, const EditorFields &screen)
{
    GameRecord stored = sample(n);
    copyFields(screen, stored);
    return libraryOf(upTo(8)).replace(std::size_t(n) * kRecordSize, kRecordSize,
                                      bytesOf(stored));
}

EditorFields typedOver(int n, const std::string &name)
{
    EditorFields screen = fieldsOf(sample(n));
    screen.name = name;
    return screen;
}

TEST(EditorStore, AFailedNewLeavesDelToTheRecordOnScreen)
{
    Editor e(8, 5);
    FaultyFileCalls faults;
    faults.failCall("write", 2, ENOSPC); // the append, after record 5 has been stored
    EXPECT_EQ(failureOf([&] { e.store.AppendNew(typedOver(5, "Typed")); }), "Disk full");
    faults.failCall(0);
    std::string library = libraryStoring(5, typedOver(5, "Typed"));
    EXPECT_EQ(differencesFrom(library), "");
    EXPECT_EQ(e.state.EditIndex, 5);

    EXPECT_TRUE(e.store.Delete());
    library.erase(5 * kRecordSize, kRecordSize);
    EXPECT_EQ(differencesFrom(library), "");
    EXPECT_EQ(e.state.EditIndex, 5);
    EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(sample(6)));
}

TEST(EditorStore, AFailedReadLeavesTheEditorOnTheRecordOnScreen)
{
    for (EditorStep step :
         {EditorStep::First, EditorStep::Previous, EditorStep::Next, EditorStep::Last}) {
        Editor e(8, 5);
        FaultyFileCalls faults;
        faults.failCall("read", 1, EACCES);
        EXPECT_EQ(failureOf([&] { e.store.Move(step, typedOver(5, "Typed")); }),
                  "File access denied");
        faults.failCall(0);
        e.store.StoreEditRecord(typedOver(5, "Typed again"));
        EXPECT_EQ(differencesFrom(libraryStoring(5, typedOver(5, "Typed again"))), "")
            << "step " << int(step);
    }
}

TEST(EditorStore, AnEmptyLibraryHasNoRecordToShow)
{
    for (EditorStep step :
         {EditorStep::First, EditorStep::Previous, EditorStep::Next, EditorStep::Last}) {
        Editor e(8, 0);
        writeBytes(kLibraryFileName, "");
        EXPECT_EQ(failureOf([&] { e.store.Move(step, fieldsOf(sample(0))); }),
                  "Read beyond end of file")
            << "step " << int(step);
        EXPECT_EQ(e.state.EditIndex, 0);
        EXPECT_EQ(fileBytes(kLibraryFileName), "");
    }
}

// DEL with each of its file calls failing in turn, in the middle of the library and on its
// last record: either the record is gone and nothing else changed, or the file is as it
// was; and the next store writes the screen into the record it shows, or nowhere.
TEST(EditorStore, DelIsAllOrNothing)
{
    for (int index : {5, 7}) {
        std::size_t callCount = 0;
        {
            Editor clean(8, index);
            FaultyFileCalls faults;
            ASSERT_TRUE(clean.store.Delete());
            callCount = faults.calls.size();
        }
        for (std::size_t n = 1; n <= callCount; ++n) {
            const auto &error = kInjectedErrors[n % std::size(kInjectedErrors)];
            Editor e(8, index);
            FaultyFileCalls faults;
            faults.failCall(int(n), error.errnum);
            EXPECT_EQ(failureOf([&] { e.store.Delete(); }), error.text);
            const std::string failed = faults.calls.back();
            faults.failCall(0);

            std::vector<int> remaining = upTo(8);
            remaining.erase(remaining.begin() + index);
            const bool deleted = fileBytes(kLibraryFileName) == libraryOf(remaining);
            const std::string context = "record " + std::to_string(index) + ", call " +
                                        std::to_string(n) + " (" + failed + ")";
            if (!deleted) {
                EXPECT_EQ(differencesFrom(libraryOf(upTo(8))), "") << context;
                EXPECT_EQ(e.state.EditIndex, index) << context;
                EXPECT_EQ(bytesOf(e.state.EditRecord), bytesOf(sample(index))) << context;
            }
            e.store.StoreEditRecord(typedOver(index, "Typed"));
            const std::string stored = libraryStoring(index, typedOver(index, "Typed"));
            EXPECT_EQ(differencesFrom(deleted ? libraryOf(remaining) : stored), "") << context;
        }
    }
}

// Undo Delete after DEL, with each of its file calls failing in turn, in the middle of the
// library and at its end: either the game is back where it was, byte for byte, and shown,
// or the file is as DEL left it and the game waits for the next Undo Delete.
TEST(EditorStore, UndoDeleteIsAllOrNothing)
{
    for (int index : {5, 7}) {
        std::vector<int> remaining = upTo(8);
        remaining.erase(remaining.begin() + index);
        std::size_t callCount = 0;
        {
            Editor clean(8, index);
            EXPECT_FALSE(clean.store.UndoDelete()); // nothing deleted yet
            ASSERT_TRUE(clean.store.Delete());
            FaultyFileCalls faults;
            ASSERT_TRUE(clean.store.UndoDelete());
            callCount = faults.calls.size();
            EXPECT_EQ(fileBytes(kLibraryFileName), libraryOf(upTo(8)));
            EXPECT_FALSE(clean.store.UndoDelete()); // once only
        }
        for (std::size_t n = 1; n <= callCount; ++n) {
            const auto &error = kInjectedErrors[n % std::size(kInjectedErrors)];
            Editor e(8, index);
            ASSERT_TRUE(e.store.Delete());
            FaultyFileCalls faults;
            faults.failCall(int(n), error.errnum);
            EXPECT_EQ(failureOf([&] { e.store.UndoDelete(); }), error.text);
            const std::string context = "record " + std::to_string(index) + ", call " +
                                        std::to_string(n) + " (" + faults.calls.back() + ")";
            faults.failCall(0);
            if (fileBytes(kLibraryFileName) != libraryOf(upTo(8))) {
                EXPECT_EQ(differencesFrom(libraryOf(remaining)), "") << context;
                EXPECT_TRUE(e.store.UndoDelete()) << context;
            }
            EXPECT_EQ(differencesFrom(libraryOf(upTo(8))), "") << context;
            EXPECT_FALSE(e.state.LastDeleted) << context;
        }
    }
}

} // namespace
} // namespace quorvel
