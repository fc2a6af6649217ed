// Random and damaged library files (odd lengths, partial tails, length bytes past their
// field, empty files) through game selection and the editor's steps, from fixed seeds.
// Nothing may crash or read past a field, every failure must be one of the library file's
// own texts, and the file must change exactly as the editor's steps say.
#include "faultyfilecalls.h"
#include "recordbytes.h"
#include "tempfolder.h"

#include "editor/editorstore.h"
#include "library/ansi.h"
#include "library/gameselection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <set>

namespace quorvel {
namespace {

using test::bytesOf;
using test::writeBytes;

constexpr int kLibraries = 300;
constexpr int kStepsPerLibrary = 12;

const std::set<std::string> kFileTexts = {"File not found",     "Invalid filename",
                                          "Too many open files", "File access denied",
                                          "Read beyond end of file", "Disk full"};

// The library file's bytes, read in one go: the fuzz reads them thousands of times.
std::string fileBytes()
{
    std::ifstream in(kLibraryFileName, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// What a field at `offset` of a record holds, read from its bytes alone: never more than
// its capacity, whatever its length byte says.
std::string textAt(const GameRecord &r, std::size_t offset, std::size_t capacity)
{
    const std::uint8_t *field = r.data() + offset;
    return ansiToUtf8(std::string(reinterpret_cast<const char *>(field) + 1,
                                  std::min<std::size_t>(field[0], capacity)));
}

void expectFieldsOf(const GameRecord &r)
{
    const EditorFields shown = fieldsOf(r);
    EXPECT_EQ(shown.name, textAt(r, kNameOffset, kNameCapacity));
    for (int slot = 0; slot < kImageCount; ++slot)
        EXPECT_EQ(shown.bmps[slot], textAt(r, bmpOffset(slot), kFileNameCapacity));
    for (int slot = 1; slot < kImageCount; ++slot)
        EXPECT_EQ(shown.midis[slot], textAt(r, midiOffset(slot), kFileNameCapacity));
}

struct RecordingHost : GameInPlayHost {
    std::string name;
    std::vector<std::string> pictures;
    void showGameName(const std::string &n) override { name = n; }
    void loadPicture(int, const std::string &fileName) override { pictures.push_back(fileName); }
    void deal() override {}
    bool musicOn() override { return false; }
    void startTune(const std::string &) override {}
    void repaintBoard() override {}
};

class Fuzz {
public:
    explicit Fuzz(unsigned seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::uint8_t byte() { return static_cast<std::uint8_t>(below(256)); }

    // A library: a few records, random or well formed with damaged length bytes, then
    // perhaps a partial tail; sometimes nothing at all.
    std::string library()
    {
        std::string bytes;
        if (below(8) == 0)
            return bytes;
        const int records = below(9);
        for (int n = 0; n < records; ++n) {
            GameRecord r;
            for (std::size_t i = 0; i < kRecordSize; i += 4) {
                const std::uint32_t word = random_();
                std::memcpy(r.data() + i, &word, std::min<std::size_t>(4, kRecordSize - i));
            }
            if (below(2) == 0) { // well formed but for a few length bytes
                test::fitLengths(r);
                for (int damaged = below(4); damaged > 0; --damaged)
                    r.data()[bmpOffset(below(2 * kSlotCount))] = byte();
            }
            bytes += bytesOf(r);
        }
        if (below(2) == 0)
            for (int tail = 1 + below(int(kRecordSize) - 1); tail > 0; --tail)
                bytes += static_cast<char>(byte());
        return bytes;
    }

    EditorFields screen(const GameRecord &shown)
    {
        EditorFields fields = fieldsOf(shown);
        if (below(2) == 0)
            fields.name = std::string(std::size_t(below(130)), char('a' + below(26)));
        if (below(3) == 0)
            fields.bmps[below(kImageCount)] = std::string(std::size_t(below(70)), 'b');
        return fields;
    }

private:
    std::mt19937 random_;
};

// Runs a step that may fail only with one of the library file's texts; returns whether it
// went through.
bool ran(const std::function<void()> &step)
{
    const std::string failure = test::failureOf(step);
    if (failure == "no failure")
        return true;
    EXPECT_TRUE(kFileTexts.count(failure)) << failure;
    return false;
}

std::string record(const std::string &library, int n)
{
    return library.substr(std::size_t(n) * kRecordSize, kRecordSize);
}

void editorStep(Fuzz &fuzz, EditorState &state, EditorStore &store)
{
    const std::string before = fileBytes();
    const int count = int(before.size() / kRecordSize);
    const EditorState was = state;
    const EditorFields screen = fuzz.screen(state.EditRecord);
    // The file as it is once the record on screen has been stored, when it is.
    std::string stored = before;
    if (store.writesBack() && state.EditIndex < count) {
        GameRecord r = state.EditRecord;
        copyFields(screen, r);
        stored.replace(std::size_t(state.EditIndex) * kRecordSize, kRecordSize, bytesOf(r));
    }

    switch (fuzz.below(4)) {
    case 0: {
        const auto step = static_cast<EditorStep>(fuzz.below(4));
        if (ran([&] { store.Move(step, screen); })) {
            EXPECT_EQ(state.EditIndex, stepIndex(step, was.EditIndex, count - 1));
            EXPECT_EQ(bytesOf(state.EditRecord), record(stored, state.EditIndex));
        } else {
            EXPECT_EQ(state.EditIndex, was.EditIndex);
        }
        EXPECT_EQ(fileBytes(), stored);
        break;
    }
    case 1:
        ASSERT_TRUE(ran([&] { store.AppendNew(screen); }));
        EXPECT_EQ(state.EditIndex, count);
        EXPECT_EQ(fileBytes(),
                  stored.substr(0, std::size_t(count) * kRecordSize) + bytesOf(state.EditRecord));
        break;
    case 2: {
        bool deleted = false;
        ASSERT_TRUE(ran([&] { deleted = store.Delete(); }));
        std::string expected = before;
        if (deleted) {
            EXPECT_TRUE(was.EditIndex > 3 && was.EditIndex < count);
            expected.erase(std::size_t(was.EditIndex) * kRecordSize);
            expected += before.substr(std::size_t(was.EditIndex + 1) * kRecordSize,
                                      std::size_t(count - 1 - was.EditIndex) * kRecordSize);
            EXPECT_EQ(bytesOf(state.EditRecord), record(expected, state.EditIndex));
        }
        EXPECT_EQ(fileBytes(), expected);
        break;
    }
    default:
        ASSERT_TRUE(ran([&] { store.StoreEditRecord(screen); }));
        EXPECT_EQ(fileBytes(), stored);
    }
    expectFieldsOf(state.EditRecord);
}

void selectionStep(GameSelection &selection, GameRecord &PlayRecord)
{
    RecordingHost host;
    if (!ran([&] { selection.SelectGame(PlayRecord, host); }))
        return;
    EXPECT_EQ(host.name, textAt(PlayRecord, kNameOffset, kNameCapacity));
    ASSERT_EQ(host.pictures.size(), std::size_t(kImageCount));
    for (int slot = 0; slot < kImageCount; ++slot)
        EXPECT_EQ(host.pictures[slot], textAt(PlayRecord, bmpOffset(slot), kFileNameCapacity));
}

TEST(LibraryFuzz, DamagedLibrariesThroughSelectionAndEditor)
{
    test::TempFolder folder;
    test::FaultyFileCalls calls; // none fails; the editor's flushes skip the disk
    for (int n = 0; n < kLibraries; ++n) {
        SCOPED_TRACE("library " + std::to_string(n));
        Fuzz fuzz(static_cast<unsigned>(n));
        writeBytes(kLibraryFileName, fuzz.library());
        EditorState state;
        state.EditorLoaded = true;
        state.EditIndex = fuzz.below(12);
        EditorStore store(state);
        ran([&] { store.ReadEditRecord(); });
        GameSelection selection;
        selection.GameIndex = fuzz.below(12);
        GameRecord PlayRecord = GameRecord::zeroed();
        for (int step = 0; step < kStepsPerLibrary && !testing::Test::HasFatalFailure(); ++step) {
            if (fuzz.below(3) == 0)
                selectionStep(selection, PlayRecord);
            else
                editorStep(fuzz, state, store);
        }
        if (testing::Test::HasFailure())
            break;
    }
}

} // namespace
} // namespace quorvel
