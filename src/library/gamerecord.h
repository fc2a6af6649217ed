#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace quorvel {

// A length-prefixed string of fixed capacity N, as stored in the library file: one length
// byte, then N bytes of which the first `length` are the characters (Windows-1252 bytes,
// no terminator). Bytes after the length carry no meaning and are left as they are.
template <std::size_t N>
struct ShortString {
    static constexpr std::size_t kCapacity = N;

    std::uint8_t length;
    char chars[N];

    // The stored characters. A damaged length byte above the capacity reads as the
    // capacity, never past the field.
    std::string str() const
    {
        return std::string(chars, std::min<std::size_t>(length, N));
    }

    // Stores the first N bytes of `text`; the bytes after them are not touched.
    void assign(std::string_view text)
    {
        const std::size_t n = std::min(text.size(), N);
        std::memcpy(chars, text.data(), n);
        length = static_cast<std::uint8_t>(n);
    }

    // Makes the field empty by its length byte alone.
    void clear() { length = 0; }
};

inline constexpr std::size_t kNameCapacity = 100;
inline constexpr std::size_t kFileNameCapacity = 50;
inline constexpr std::size_t kDescriptionCapacity = 100;
inline constexpr int kSlotCount = 20;
inline constexpr int kDescriptionCount = 45;
inline constexpr int kCardCount = 15;   // card faces 1..15, tunes 1..15
inline constexpr int kImageCount = 19;  // pictures Bmps[0..18]

// Picture slots of Bmps.
inline constexpr int kCardBackSlot = 0;
inline constexpr int kRedCardSlot = 16;
inline constexpr int kGreenCardSlot = 17;
inline constexpr int kBlueCardSlot = 18;
// Tune slots of Midis (slot k, 1..15, is the tune of card k).
inline constexpr int kWinTuneSlot = 16;
inline constexpr int kReadMeTuneSlot = 17;
inline constexpr int kHelpTuneSlot = 18;
inline constexpr int kSpareSlot = 19;

// One game of the library file: exactly the file's 6686-byte record, read and written as
// one block. Descriptions[j - 1] holds description line j (1..45); card k owns the lines
// 3k - 2, 3k - 1 and 3k.
struct GameRecord {
    ShortString<kNameCapacity> Name;
    ShortString<kFileNameCapacity> Bmps[kSlotCount];
    ShortString<kFileNameCapacity> Midis[kSlotCount];
    ShortString<kDescriptionCapacity> Descriptions[kDescriptionCount];

    // Description line j, counted from 1 as the game's cards count their lines.
    ShortString<kDescriptionCapacity> &description(int j) { return Descriptions[j - 1]; }
    const ShortString<kDescriptionCapacity> &description(int j) const
    {
        return Descriptions[j - 1];
    }

    std::uint8_t *data() { return reinterpret_cast<std::uint8_t *>(this); }
    const std::uint8_t *data() const { return reinterpret_cast<const std::uint8_t *>(this); }

    // A record with every byte zero, as the program's records are at start.
    static GameRecord zeroed()
    {
        GameRecord r;
        std::memset(&r, 0, sizeof r);
        return r;
    }
};

inline constexpr std::size_t kRecordSize = 6686;

inline constexpr std::size_t kNameOffset = 0;
inline constexpr std::size_t kBmpsOffset = kNameOffset + 1 + kNameCapacity;
inline constexpr std::size_t kMidisOffset = kBmpsOffset + kSlotCount * (1 + kFileNameCapacity);
inline constexpr std::size_t kDescriptionsOffset =
    kMidisOffset + kSlotCount * (1 + kFileNameCapacity);

constexpr std::size_t bmpOffset(int k) { return kBmpsOffset + k * (1 + kFileNameCapacity); }
constexpr std::size_t midiOffset(int k) { return kMidisOffset + k * (1 + kFileNameCapacity); }
constexpr std::size_t descriptionOffset(int j)
{
    return kDescriptionsOffset + (j - 1) * (1 + kDescriptionCapacity);
}

static_assert(sizeof(GameRecord) == kRecordSize, "a record has no slack");
static_assert(alignof(GameRecord) == 1);
static_assert(offsetof(GameRecord, Name) == kNameOffset);
static_assert(offsetof(GameRecord, Bmps) == kBmpsOffset && kBmpsOffset == 101);
static_assert(offsetof(GameRecord, Midis) == kMidisOffset && kMidisOffset == 1121);
static_assert(offsetof(GameRecord, Descriptions) == kDescriptionsOffset &&
              kDescriptionsOffset == 2141);
static_assert(bmpOffset(15) == 866 && bmpOffset(16) == 917 && bmpOffset(19) == 1070);
static_assert(midiOffset(1) == 1172 && midiOffset(15) == 1886 && midiOffset(16) == 1937);
static_assert(midiOffset(19) == 2090);
static_assert(descriptionOffset(43) == 6383 && descriptionOffset(45) == 6585);
static_assert(descriptionOffset(45) + 1 + kDescriptionCapacity == kRecordSize);

} // namespace quorvel
