#pragma once

// Records as the bytes a library file holds, for tests that compare files byte for byte.

#include "library/gamerecord.h"

#include <string>

namespace quorvel::test {

inline std::string bytesOf(const GameRecord &r)
{
    return std::string(reinterpret_cast<const char *>(r.data()), kRecordSize);
}

// Makes every length byte fit its field, whatever the record held before.
inline void fitLengths(GameRecord &r)
{
    r.Name.length %= kNameCapacity + 1;
    for (int s = 0; s < kSlotCount; ++s) {
        r.Bmps[s].length %= kFileNameCapacity + 1;
        r.Midis[s].length %= kFileNameCapacity + 1;
    }
    for (auto &line : r.Descriptions)
        line.length %= kDescriptionCapacity + 1;
}

} // namespace quorvel::test
