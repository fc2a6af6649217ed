#include "gamearchive.h"

#include "editor/editorstore.h"
#include "editor/gamefiles.h"
#include "library/filecalls.h"
#include "library/gamefolder.h"
#include "library/gameselection.h"
#include "library/libraryfile.h"
#include "library/midilength.h"
#include "library/quorvelerror.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace quorvel {
namespace {

constexpr const char *kRecordEntry = "record.dat";
constexpr const char *kFilesFolder = "files/";
// The largest archive read: its files may hold 64 MB in all, and its headers take a little.
constexpr std::size_t kLargestArchive = kLargestImport + (1u << 20);

// The slots whose names the game uses: pictures 0 to 18, tunes 1 to 18.
struct Slot {
    ShortString<kFileNameCapacity> *field;
    bool tune;
};

std::vector<Slot> usedSlots(GameRecord &record)
{
    std::vector<Slot> fields;
    for (int i = 0; i < kImageCount; ++i)
        fields.push_back({&record.Bmps[i], false});
    for (int i = 1; i <= kHelpTuneSlot; ++i)
        fields.push_back({&record.Midis[i], true});
    return fields;
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

// The entry under which a file the record names by a bare name travels.
std::string entryNameFor(const std::string &bareName)
{
    return kFilesFolder + bareName;
}

// Whether a record's file name is a bare name the game's folder can hold: no folder, no
// "." or "..", no control characters. Empty names name no file and pass.
bool bareName(const std::string &utf8Name)
{
    return utf8Name.empty() || storableFileName(utf8Name, "") == utf8Name;
}

// A name as an error text shows it: control characters as "?".
std::string shown(std::string name)
{
    for (char &c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    }
    return quorvel::quoted(name);
}

// A text of another part of the program inside a sentence of this one.
std::string lowerFirst(std::string text)
{
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
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

    // Reads every entry, checking each against the rules, and gives the files by name.
    // Throws QuorvelError on the first entry that breaks a rule.
    std::map<std::string, std::string> read();

    [[noreturn]] void refuse(const std::string &why) const
    {
        throw QuorvelError("The game archive " + quoted(path_) + " is refused: " + why);
    }

private:
    [[noreturn]] void damaged() const
    {
        throw QuorvelError("The file " + quoted(path_) +
                           " is not a game archive or is damaged");
    }
    std::string data(archive *a, archive_entry *entry, const std::string &name,
                     std::size_t room);

    std::string path_;
};

// An entry's bytes, at most 16 MB, and at most `room` more bytes for the whole archive.
std::string ArchiveReader::data(archive *a, archive_entry *entry, const std::string &name,
                                std::size_t room)
{
    const auto tooLarge = [&](la_int64_t size) {
        if (size > static_cast<la_int64_t>(kLargestGameFile))
            refuse(quoted(name) + " is larger than 16 MB");
        if (size > static_cast<la_int64_t>(room))
            refuse("its files hold more than 64 MB");
    };
    if (archive_entry_size_is_set(entry))
        tooLarge(archive_entry_size(entry));
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const la_ssize_t n = archive_read_data(a, buffer, sizeof buffer);
        if (n < 0)
            damaged();
        if (n == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        tooLarge(static_cast<la_int64_t>(bytes.size()));
    }
}

std::map<std::string, std::string> ArchiveReader::read()
{
    // Read as any file a stranger made: a named pipe or a device is refused at once.
    const std::string zip = readGameFile(path_, kLargestArchive);
    ArchivePtr a(archive_read_new(), archive_read_free);
    if (!a)
        throw std::bad_alloc();
    archive_read_support_format_zip(a.get());
    if (archive_read_open_memory(a.get(), zip.data(), zip.size()) != ARCHIVE_OK)
        damaged();
    std::map<std::string, std::string> files;
    std::size_t room = kLargestImport;
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
        if (files.count(name))
            refuse(quoted(name) + " is there twice");
        std::string bytes = data(a.get(), entry, name, room);
        room -= bytes.size();
        files.emplace(name, std::move(bytes));
    }
    return files;
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

// The record with nothing after each field's text: the bytes a record carries there are
// leftovers of other games, and a shared game passes on only its own.
GameRecord withoutLeftovers(const GameRecord &stored)
{
    GameRecord record = GameRecord::zeroed();
    record.Name.assign(stored.Name.str());
    for (int i = 0; i < kSlotCount; ++i) {
        record.Bmps[i].assign(stored.Bmps[i].str());
        record.Midis[i].assign(stored.Midis[i].str());
    }
    for (int j = 0; j < kDescriptionCount; ++j)
        record.Descriptions[j].assign(stored.Descriptions[j].str());
    return record;
}

// A file of the game's folder that an archive holds, and the entry it travels as.
struct SharedFile {
    std::string entry;
    std::string source; // the name the library's record gives it
    std::time_t modified;
};

// Gives every file the record names a bare name, also one the author named by a path, and a
// second file of the same name a free one; returns the files that exist, to be packed.
std::vector<SharedFile> makeNamesBare(GameRecord &record)
{
    std::map<std::string, std::string> sharedAs;
    std::set<std::string> taken;
    std::vector<SharedFile> files;
    for (const Slot &slot : usedSlots(record)) {
        const std::string source = textOf(*slot.field);
        if (source.empty())
            continue;
        auto [known, fresh] = sharedAs.emplace(source, std::string());
        if (fresh) {
            const std::string bare =
                storableFileName(std::filesystem::path(source).filename().string(), "");
            for (int n = 1; !bare.empty(); ++n) {
                const std::string name = candidateName(bare, n, kFileNameCapacity);
                if (taken.insert(name).second) {
                    known->second = name;
                    break;
                }
            }
            struct stat st {};
            if (!known->second.empty() && ::stat(source.c_str(), &st) == 0 &&
                S_ISREG(st.st_mode))
                files.push_back({entryNameFor(known->second), source, st.st_mtime});
        }
        // Zeros first: the new name may be shorter than the path it replaces.
        std::memset(slot.field->chars, 0, sizeof slot.field->chars);
        storeText(*slot.field, known->second);
    }
    return files;
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
            FileCalls::current().remove(name);
    }
};

} // namespace

void exportGame(std::int32_t index, const std::string &archivePath)
{
    std::error_code error;
    if (archivePath.ends_with('/') || std::filesystem::is_directory(archivePath, error))
        throw QuorvelError(quoted(archivePath) + " is a folder: name the game archive to "
                           "write in it");
    GameRecord record = withoutLeftovers(readRecord(index));
    const std::vector<SharedFile> files = makeNamesBare(record);

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
    for (const SharedFile &file : files)
        addEntry(a.get(), file.entry, readGameFile(file.source), file.modified);
    if (archive_write_close(a.get()) != ARCHIVE_OK)
        throw QuorvelError(std::string("The game archive cannot be made: ") +
                           archive_error_string(a.get()));
    replaceFile(archivePath, zip);
}

std::int32_t importGame(const std::string &archivePath)
{
    ArchiveReader reader(archivePath);
    const auto entries = reader.read();
    const auto found = entries.find(kRecordEntry);
    if (found == entries.end() || found->second.size() != kRecordSize)
        throw QuorvelError("The game archive " + quoted(archivePath) +
                           " holds no game record of 6686 bytes");
    GameRecord record;
    std::memcpy(record.data(), found->second.data(), kRecordSize);

    // The record may name only files of the game's folder, and each file the archive
    // brings must be what its slot needs.
    std::vector<Slot> fields = usedSlots(record);
    std::map<std::string, std::string> files; // entry, bytes
    for (const Slot &slot : fields) {
        const std::string name = textOf(*slot.field);
        if (!bareName(name))
            reader.refuse("its record names the file " + shown(name) + " by a path, not by "
                          "a bare file name");
        const auto file = entries.find(entryNameFor(name));
        if (name.empty() || file == entries.end())
            continue; // a file the game's folder may hold already
        try {
            if (slot.tune)
                requirePlayableTune(file->second, name);
        } catch (const QuorvelError &e) {
            reader.refuse(lowerFirst(e.what()));
        }
        if (!slot.tune && decodedBitmap(file->second).isNull())
            reader.refuse("the picture " + quoted(name) + " is not a Windows bitmap of at "
                          "most 4096 x 4096 pixels, or it is damaged");
        files.insert(*file);
    }

    const std::string notImported = "The game in " + quoted(archivePath) + " was not imported: ";
    const auto libraryFailure = [&](const char *step, const QuorvelError &e) {
        return QuorvelError(notImported + "the library " + quoted(kLibraryFileName) +
                            " could not be " + step + ": " + e.what());
    };
    LibraryFile library;
    std::int32_t index = 0;
    try {
        library.Open();
        index = library.Count();
        library.Close();
    } catch (const QuorvelError &e) {
        throw libraryFailure("read", e);
    }
    if (index < 4)
        throw QuorvelError(notImported + "the library must hold the four default games "
                                         "before a game is imported");

    WrittenFiles written;
    std::map<std::string, std::string> placedAs;
    try {
        for (const auto &[entry, bytes] : files) {
            const std::string base = entry.substr(entry.rfind('/') + 1);
            const PlacedFile placed = placeInGameFolder(storableFileName(base, "file"), bytes);
            if (placed.written)
                written.names.push_back(placed.name);
            placedAs[entry] = placed.name;
        }
    } catch (const QuorvelError &e) {
        throw QuorvelError(notImported + e.what());
    }
    for (const Slot &slot : fields) {
        const auto placed = placedAs.find(entryNameFor(textOf(*slot.field)));
        if (placed != placedAs.end() && placed->second != textOf(*slot.field))
            storeText(*slot.field, placed->second);
    }

    try {
        library.Open();
        try {
            library.Seek(index);
            library.Write(record);
            library.Close();
        } catch (...) {
            try {
                // A record cut short by a full disk, or written whole before the closing
                // failed, must not stay behind the last game.
                if (!library.isOpen())
                    library.Open();
                library.Seek(index);
                library.Truncate();
                library.Close();
            } catch (const QuorvelError &) {
            }
            throw;
        }
    } catch (const QuorvelError &e) {
        throw libraryFailure("written", e);
    }
    written.kept = true;
    return index;
}

} // namespace quorvel
