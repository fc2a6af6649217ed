#include "gamearchive.h"

#include "editor/editorstore.h"
#include "library/gamefolder.h"
#include "library/gameselection.h"
#include "library/libraryfile.h"
#include "library/midilength.h"
#include "library/quorvelerror.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace quorvel {
namespace {

constexpr const char *kRecordEntry = "record.dat";
constexpr const char *kFilesFolder = "files/";

// The slots whose names the game uses: pictures 0 to 18, tunes 1 to 18.
struct Slot {
    ShortString<kFileNameCapacity> *field;
    bool tune;
};

std::vector<Slot> usedSlots(GameRecord &record)
{
    std::vector<Slot> slots;
    for (int i = 0; i < kImageCount; ++i)
        slots.push_back({&record.Bmps[i], false});
    for (int i = 1; i <= kHelpTuneSlot; ++i)
        slots.push_back({&record.Midis[i], true});
    return slots;
}

std::vector<std::string> components(std::string path)
{
    for (char &c : path) {
        if (c == '\\')
            c = '/';
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The entry under which the file a record names travels: "files/" and the name made
// relative ("/" at its start and "." dropped, ".." made "__"), so that export and import
// find the same entry for the same name. Empty for a name that names no file.
std::string entryNameFor(const std::string &utf8Name)
{
    std::string entry;
    for (const std::string &part : components(utf8Name)) {
        if (part.empty() || part == ".")
            continue;
        entry += (entry.empty() ? "" : "/") + (part == ".." ? std::string("__") : part);
    }
    return entry.empty() ? entry : kFilesFolder + entry;
}

// What a hostile archive could use to reach outside the game's folder.
bool safeEntryName(const std::string &name)
{
    if (name.empty() || name.front() == '/' || name.front() == '\\')
        return false;
    for (const std::string &part : components(name)) {
        if (part == "..")
            return false;
    }
    return true;
}

using ArchivePtr = std::unique_ptr<archive, int (*)(archive *)>;

// ---- Reading

class ArchiveReader {
public:
    explicit ArchiveReader(const std::string &path) : path_(path) {}

    // Reads every entry, checking each against the rules, and keeps the bytes of those
    // `keep` wants. Throws QuorvelError on the first entry that breaks a rule.
    std::map<std::string, std::string> read(const std::function<bool(const std::string &)> &keep);

private:
    [[noreturn]] void damaged() const
    {
        throw QuorvelError("The file " + quoted(path_) +
                           " is not a game archive or is damaged");
    }
    [[noreturn]] void refuse(const std::string &why) const
    {
        throw QuorvelError("The game archive " + quoted(path_) + " is refused: " + why);
    }
    std::string data(archive *a, archive_entry *entry, const std::string &name);

    std::string path_;
};

std::string ArchiveReader::data(archive *a, archive_entry *entry, const std::string &name)
{
    if (archive_entry_size_is_set(entry) &&
        archive_entry_size(entry) > static_cast<la_int64_t>(kLargestGameFile))
        refuse(quoted(name) + " is larger than 16 MB");
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n < 0)
            damaged();
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > kLargestGameFile)
            refuse(quoted(name) + " is larger than 16 MB");
    }
}

std::map<std::string, std::string>
ArchiveReader::read(const std::function<bool(const std::string &)> &keep)
{
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0)
        throw QuorvelError("The file " + quoted(path_) + " does not exist");
    ArchivePtr a(archive_read_new(), archive_read_free);
    if (!a)
        throw std::bad_alloc();
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), path_.c_str(), 65536) != ARCHIVE_OK)
        damaged();
    std::map<std::string, std::string> kept;
    std::set<std::string> seen;
    int count = 0;
    for (;;) {
        archive_entry *entry = nullptr;
        const int status = archive_read_next_header(a.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            damaged();
        if (++count > kMostArchiveEntries)
            refuse("it holds more than 64 entries");
        const char *utf8 = archive_entry_pathname_utf8(entry);
        const char *raw = archive_entry_pathname(entry);
        const std::string name = utf8 ? utf8 : raw ? raw : "";
        if (!safeEntryName(name))
            refuse(quoted(name) + " lies outside the game's folder");
        const auto type = archive_entry_filetype(entry);
        if (type == AE_IFDIR)
            continue;
        if (type != AE_IFREG || archive_entry_symlink(entry) || archive_entry_hardlink(entry))
            refuse(quoted(name) + " is a link or not a file");
        if (!seen.insert(name).second)
            refuse(quoted(name) + " is there twice");
        std::string bytes = data(a.get(), entry, name);
        if (keep(name))
            kept.emplace(name, std::move(bytes));
    }
    return kept;
}

// ---- Writing

// The archive is made in memory and written out whole, so a failure replaces nothing.
la_ssize_t appendBytes(archive *, void *client, const void *buffer, size_t size)
{
    static_cast<std::string *>(client)->append(static_cast<const char *>(buffer), size);
    return static_cast<la_ssize_t>(size);
}

void addEntry(archive *a, const std::string &name, const std::string &bytes, std::time_t when)
{
    std::unique_ptr<archive_entry, void (*)(archive_entry *)> entry(archive_entry_new(),
                                                                    archive_entry_free);
    archive_entry_set_pathname_utf8(entry.get(), name.c_str());
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_size(entry.get(), static_cast<la_int64_t>(bytes.size()));
    archive_entry_set_mtime(entry.get(), when, 0);
    if (archive_write_header(a, entry.get()) != ARCHIVE_OK ||
        archive_write_data(a, bytes.data(), bytes.size()) !=
            static_cast<la_ssize_t>(bytes.size()))
        throw QuorvelError(std::string("The game archive cannot be made: ") +
                           archive_error_string(a));
}

GameRecord readRecord(std::int32_t index)
{
    GameRecord record = GameRecord::zeroed();
    LibraryFile file;
    file.Open();
    if (index < 0 || index >= file.Count())
        throw QuorvelError("The library holds no game number " + std::to_string(index));
    file.Seek(index);
    file.Read(record);
    file.Close();
    return record;
}

// Removes the files an import has written so far, when a later step fails.
struct WrittenFiles {
    std::vector<std::string> names;
    bool kept = false;
    ~WrittenFiles()
    {
        if (kept)
            return;
        for (const std::string &name : names)
            std::remove(name.c_str());
    }
};

} // namespace

void exportGame(std::int32_t index, const std::string &archivePath)
{
    GameRecord record = readRecord(index);
    std::string zip;
    ArchivePtr a(archive_write_new(), archive_write_free);
    if (!a)
        throw std::bad_alloc();
    archive_write_set_format_zip(a.get());
    archive_write_set_format_option(a.get(), "zip", "hdrcharset", "UTF-8");
    archive_write_set_bytes_in_last_block(a.get(), 1);
    if (archive_write_open2(a.get(), &zip, nullptr, appendBytes, nullptr, nullptr) != ARCHIVE_OK)
        throw QuorvelError(std::string("The game archive cannot be made: ") +
                           archive_error_string(a.get()));
    const std::time_t now = std::time(nullptr);
    addEntry(a.get(), kRecordEntry,
             std::string(reinterpret_cast<const char *>(record.data()), kRecordSize), now);
    std::set<std::string> added;
    for (const Slot &slot : usedSlots(record)) {
        const std::string name = textOf(*slot.field);
        const std::string entry = entryNameFor(name);
        struct stat st {};
        if (entry.empty() || added.count(entry) || ::stat(name.c_str(), &st) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        added.insert(entry);
        addEntry(a.get(), entry, readGameFile(name), st.st_mtime);
    }
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        throw QuorvelError(std::string("The game archive cannot be made: ") +
                           archive_error_string(a.get()));
    replaceFile(archivePath, zip);
}

std::int32_t importGame(const std::string &archivePath)
{
    ArchiveReader reader(archivePath);
    const auto recordEntry = reader.read([](const std::string &n) { return n == kRecordEntry; });
    const auto found = recordEntry.find(kRecordEntry);
    if (found == recordEntry.end() || found->second.size() != kRecordSize)
        throw QuorvelError("The game archive " + quoted(archivePath) +
                           " holds no game record of 6686 bytes");
    GameRecord record;
    std::memcpy(record.data(), found->second.data(), kRecordSize);

    std::vector<Slot> slots = usedSlots(record);
    std::set<std::string> wanted;
    for (const Slot &slot : slots)
        wanted.insert(entryNameFor(textOf(*slot.field)));
    const auto files = reader.read([&](const std::string &n) { return wanted.count(n) > 0; });
    for (const Slot &slot : slots) {
        const auto file = files.find(entryNameFor(textOf(*slot.field)));
        if (slot.tune && file != files.end())
            requirePlayableTune(file->second, textOf(*slot.field));
    }

    LibraryFile library;
    library.Open();
    const std::int32_t index = library.Count();
    library.Close();
    if (index < 4)
        throw QuorvelError("The library must hold the four default games before a game "
                           "is imported");

    WrittenFiles written;
    std::map<std::string, std::string> placedAs;
    for (const auto &[entry, bytes] : files) {
        const std::string base = entry.substr(entry.rfind('/') + 1);
        const PlacedFile placed = placeInGameFolder(storableFileName(base, "file"), bytes);
        if (placed.written)
            written.names.push_back(placed.name);
        placedAs[entry] = placed.name;
    }
    for (const Slot &slot : slots) {
        const auto placed = placedAs.find(entryNameFor(textOf(*slot.field)));
        if (placed != placedAs.end() && placed->second != textOf(*slot.field))
            storeText(*slot.field, placed->second);
    }

    library.Open();
    try {
        library.Seek(index);
        library.Write(record);
        library.Close();
    } catch (...) {
        try {
            // A record cut short by a full disk must not stay behind the last game.
            library.Seek(index);
            library.Truncate();
        } catch (const QuorvelError &) {
        }
        throw;
    }
    written.kept = true;
    return index;
}

} // namespace quorvel
