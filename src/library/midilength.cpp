#include "midilength.h"

#include "library/quorvelerror.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace quorvel {
namespace {

constexpr int kMaxTracks = 128;              // the player refuses a further track
constexpr std::uint32_t kDefaultTempo = 500000; // microseconds a quarter note
constexpr std::uint64_t kMaxTicks = std::numeric_limits<std::int32_t>::max();

// Meta events: the player stores end of track, tempo, text and lyric; it refuses a tempo,
// SMPTE offset, time or key signature whose length is not the one the standard gives.
constexpr int kMetaText = 0x01;
constexpr int kMetaLyric = 0x05;
constexpr int kMetaEndOfTrack = 0x2F;
constexpr int kMetaTempo = 0x51;
constexpr int kMetaSmpteOffset = 0x54;
constexpr int kMetaTimeSignature = 0x58;
constexpr int kMetaKeySignature = 0x59;

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsPerQuarter;
};

// Reads the file as FluidSynth's MIDI file reader does: byte by byte, one byte pushed back
// for running status, and a position within the current track that counts the bytes read.
class SmfReader {
public:
    explicit SmfReader(std::string_view bytes) : bytes_(bytes) {}

    std::optional<double> seconds();

private:
    int get()
    {
        if (pushed_ >= 0) {
            const int c = pushed_;
            pushed_ = -1;
            return c;
        }
        if (pos_ >= bytes_.size())
            return -1;
        ++trackPos_;
        return static_cast<unsigned char>(bytes_[pos_++]);
    }

    bool read(std::size_t n, std::string_view &out)
    {
        if (pos_ > bytes_.size() || bytes_.size() - pos_ < n)
            return false;
        out = bytes_.substr(pos_, n);
        pos_ += n;
        trackPos_ += static_cast<std::int64_t>(n);
        return true;
    }

    // A variable-length quantity of at most four bytes.
    bool varLength(std::uint32_t &value)
    {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int c = get();
            if (c < 0)
                return false;
            value = (value << 7) | static_cast<std::uint32_t>(c & 0x7F);
            if (!(c & 0x80))
                return true;
        }
        return false;
    }

    static std::uint32_t bigEndian(std::string_view b)
    {
        std::uint32_t v = 0;
        for (char c : b)
            v = (v << 8) | static_cast<unsigned char>(c);
        return v;
    }

    bool header();
    bool track();
    bool event();
    bool meta();
    void store() { trackEnd_ = tick_; }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    int pushed_ = -1;
    int runningStatus_ = -1; // kept from track to track, as the player keeps it
    std::int64_t trackPos_ = 0;
    std::int64_t trackLength_ = 0;
    bool endOfTrack_ = false;

    int trackCount_ = 0;
    std::uint32_t division_ = 0;
    std::uint64_t tick_ = 0;     // absolute tick of the event being read
    std::uint64_t trackEnd_ = 0; // tick of the track's last stored event
    std::uint64_t lastTick_ = 0; // the longest track's end
    std::vector<TempoChange> tempos_;
};

bool SmfReader::header()
{
    std::string_view h;
    if (!read(14, h) || h.substr(0, 4) != "MThd" || bigEndian(h.substr(4, 4)) != 6)
        return false;
    const std::uint32_t format = bigEndian(h.substr(8, 2));
    trackCount_ = static_cast<int>(bigEndian(h.substr(10, 2)));
    division_ = bigEndian(h.substr(12, 2));
    // The top bit of the division asks for SMPTE timing, which the player does not play.
    return format <= 2 && trackCount_ <= kMaxTracks && division_ != 0 && division_ < 0x8000;
}

bool SmfReader::track()
{
    std::string_view id, length;
    if (!read(4, id) || id != "MTrk" || !read(4, length))
        return false;
    // The player takes the length as a signed number: a negative one is an empty track.
    trackLength_ = static_cast<std::int32_t>(bigEndian(length));
    trackPos_ = 0;
    endOfTrack_ = false;
    tick_ = 0;
    trackEnd_ = 0;
    while (!endOfTrack_ && trackPos_ < trackLength_) {
        if (!event())
            return false;
    }
    // Whatever follows the end of track inside the chunk is skipped, even past the end of
    // the data: only a later track would then fail to read.
    if (trackPos_ < trackLength_)
        pos_ += static_cast<std::size_t>(trackLength_ - trackPos_);
    lastTick_ = std::max(lastTick_, trackEnd_);
    return true;
}

bool SmfReader::event()
{
    std::uint32_t delta = 0;
    if (!varLength(delta))
        return false;
    tick_ += delta;
    if (tick_ > kMaxTicks)
        return false;
    int status = get();
    if (status < 0)
        return false;
    if (!(status & 0x80)) {
        if (!(runningStatus_ & 0x80) || runningStatus_ < 0)
            return false;
        pushed_ = status;
        status = runningStatus_;
    }
    runningStatus_ = status;
    if (status == 0xF0) {
        std::uint32_t length = 0;
        std::string_view data;
        if (!varLength(length) || (length && !read(length, data)))
            return false;
        if (length)
            store();
        return true;
    }
    if (status == 0xFF)
        return meta();
    if (get() < 0)
        return false;
    switch (status & 0xF0) {
    case 0xC0: // program change
    case 0xD0: // channel pressure
        break;
    case 0xF0: // system common and real-time messages have no place in a file
        return false;
    default:
        if (get() < 0)
            return false;
    }
    store();
    return true;
}

bool SmfReader::meta()
{
    const int type = get();
    std::uint32_t length = 0;
    std::string_view data;
    if (type < 0 || !varLength(length) || (length && !read(length, data)))
        return false;
    switch (type) {
    case kMetaEndOfTrack:
        if (length != 0)
            return false;
        endOfTrack_ = true;
        store();
        break;
    case kMetaTempo:
        if (length != 3)
            return false;
        tempos_.push_back({tick_, bigEndian(data)});
        store();
        break;
    case kMetaText:
    case kMetaLyric:
        store();
        break;
    case kMetaSmpteOffset:
        return length == 5;
    case kMetaTimeSignature:
        return length == 4;
    case kMetaKeySignature:
        return length == 2;
    default:
        break;
    }
    return true;
}

std::optional<double> SmfReader::seconds()
{
    if (!header())
        return std::nullopt;
    for (int i = 0; i < trackCount_; ++i) {
        if (!track())
            return std::nullopt;
    }
    // Tempo changes act on the whole tune from their tick on, whichever track holds them.
    std::stable_sort(tempos_.begin(), tempos_.end(),
                     [](const TempoChange &a, const TempoChange &b) { return a.tick < b.tick; });
    double micros = 0;
    std::uint64_t from = 0;
    std::uint32_t tempo = kDefaultTempo;
    for (const TempoChange &change : tempos_) {
        micros += static_cast<double>(change.tick - from) * tempo;
        from = change.tick;
        tempo = change.microsPerQuarter;
    }
    micros += static_cast<double>(lastTick_ - from) * tempo;
    return micros / division_ / 1e6;
}

} // namespace

std::optional<double> midiPlayingSeconds(std::string_view bytes)
{
    return SmfReader(bytes).seconds();
}

void requirePlayableTune(std::string_view bytes, const std::string &shownName)
{
    const std::optional<double> seconds = midiPlayingSeconds(bytes);
    if (!seconds)
        throw QuorvelError(quoted(shownName) + " is not a Standard MIDI File that can be played");
    if (*seconds > kLongestTuneSeconds) {
        const auto whole = static_cast<long long>(std::ceil(*seconds));
        throw QuorvelError("The tune " + quoted(shownName) + " plays for " +
                           std::to_string(whole / 60) + " min " + std::to_string(whole % 60) +
                           " s; a tune may play for at most 3 minutes");
    }
}

} // namespace quorvel
