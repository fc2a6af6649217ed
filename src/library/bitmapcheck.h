#pragma once

#include <string_view>

namespace quorvel {

// The largest picture a game may show, in either direction. A card is 122 x 58; the bound
// keeps a picture from a stranger from claiming gigabytes of memory in its header.
inline constexpr long kLargestPictureSide = 4096;

// Whether `bytes` are a Windows bitmap file that may be decoded: "BM", a header of a known
// kind, at most `largestSide` pixels each way, and every pixel its header promises present
// in the file.
// Qt's reader paints the rows missing from a cut-short file black and calls the load a
// success; such a file is damaged, not a picture. Compressed pixel data is measured by the
// size its header gives, uncompressed data by its rows, each padded to whole 4-byte words.
// Reads the header only, so nothing is allocated for what it claims.
bool isWholeBitmap(std::string_view bytes, long largestSide = kLargestPictureSide);

} // namespace quorvel
