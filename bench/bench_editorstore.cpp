// Times the game editor's record operations on a library of 10,000 games (about 67 MB):
// each navigation step and NEW must touch one record and stay under 5 ms; DEL of record 4
// writes the library without it to a new file, flushes that to the disk and renames it
// over the old, and must leave exactly the library without that record.
// Prints the times; exits with 1 when a limit is missed or the file is wrong.

#include "editor/editorstore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 10000;
constexpr int kRepeats = 51;
constexpr int kDeleteRepeats = 7;
constexpr double kLimitMs = 5.0;
constexpr int kMiddle = kRecords / 2;

// Record n of the library: its number as the name, and bytes that differ from record to
// record everywhere else, so a record moved to the wrong place shows.
GameRecord sample(int n)
{
    GameRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        r.data()[i] = static_cast<std::uint8_t>((i * 31 + static_cast<std::size_t>(n)) % 251);
    r.Name.assign("Game " + std::to_string(n));
    return r;
}

double millisecondsOf(const std::function<void()> &operation)
{
    const auto start = Clock::now();
    operation();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Times {
    double median;
    double max;
};

Times repeat(const std::function<void()> &prepare, const std::function<void()> &operation)
{
    std::vector<double> times;
    for (int i = 0; i < kRepeats; ++i) {
        prepare();
        times.push_back(millisecondsOf(operation));
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

bool deletedCorrectly(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != std::size_t(kRecords - 1) * kRecordSize)
        return false;
    for (int j = 0; j < kRecords - 1; ++j) {
        const GameRecord expected = sample(j < 4 ? j : j + 1);
        if (bytes.compare(std::size_t(j) * kRecordSize, kRecordSize,
                          reinterpret_cast<const char *>(expected.data()), kRecordSize) != 0)
            return false;
    }
    return true;
}

// Writes the library and waits until it is on the disk, so that its own writing does not
// slow the DEL that follows.
void writeLibrary(const std::string &fileName)
{
    std::FILE *out = std::fopen(fileName.c_str(), "wb");
    for (int n = 0; n < kRecords; ++n)
        std::fwrite(sample(n).data(), 1, kRecordSize, out);
    std::fflush(out);
    ::fsync(::fileno(out));
    std::fclose(out);
}

int run(const std::string &fileName)
{
    std::printf("library: %d records, %zu bytes\n", kRecords, kRecords * kRecordSize);
    EditorState state;
    state.EditorLoaded = true;
    EditorStore store(state, fileName);
    bool ok = true;

    std::vector<double> deletes;
    for (int i = 0; i < kDeleteRepeats; ++i) {
        writeLibrary(fileName);
        state.EditIndex = 4;
        store.ReadEditRecord();
        deletes.push_back(millisecondsOf([&] { store.Delete(); }));
        if (i == 0)
            ok = deletedCorrectly(fileName) && state.EditIndex == 4;
    }
    std::sort(deletes.begin(), deletes.end());
    std::printf("DEL of record 4, %d runs: median %.1f ms, min %.1f ms, max %.1f ms, file %s\n",
                kDeleteRepeats, deletes[deletes.size() / 2], deletes.front(), deletes.back(),
                ok ? "correct" : "WRONG");

    const EditorFields screen = fieldsOf(sample(kMiddle));
    const auto fromMiddle = [&] {
        state.EditIndex = kMiddle;
        store.ReadEditRecord();
    };
    const struct {
        const char *name;
        std::function<void()> operation;
    } steps[] = {
        {"FIRST", [&] { store.Move(EditorStep::First, screen); }},
        {"NEXT", [&] { store.Move(EditorStep::Next, screen); }},
        {"PREV", [&] { store.Move(EditorStep::Previous, screen); }},
        {"LAST", [&] { store.Move(EditorStep::Last, screen); }},
        {"NEW", [&] { store.AppendNew(screen); }},
    };
    std::printf("from record %d, %d runs each (store, count, move, read or append):\n",
                kMiddle, kRepeats);
    for (const auto &step : steps) {
        const Times t = repeat(fromMiddle, step.operation);
        const bool fast = t.median < kLimitMs;
        std::printf("  %-5s median %.3f ms, max %.3f ms%s\n", step.name, t.median, t.max,
                    fast ? "" : "  OVER 5 ms");
        ok = ok && fast;
    }
    return ok ? 0 : 1;
}

} // namespace

int main()
{
    const auto folder = std::filesystem::temp_directory_path() /
                        ("quorvel-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    int result = 1;
    try {
        result = run((folder / kLibraryFileName).string());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
    }
    std::filesystem::remove_all(folder);
    return result;
}
