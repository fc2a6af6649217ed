#include "bitmapcheck.h"

#include <cstdint>
#include <cstdlib>

namespace quorvel {
namespace {

// A little-endian number of `size` bytes at `offset`; false when the file ends before it.
bool numberAt(std::string_view bytes, std::size_t offset, int size, std::uint32_t &value)
{
    if (offset + static_cast<std::size_t>(size) > bytes.size())
        return false;
    value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return true;
}

} // namespace

bool isWholeBitmap(std::string_view bytes, long largestSide)
{
    std::uint32_t pixelsAt = 0, infoSize = 0;
    if (!bytes.starts_with("BM") || !numberAt(bytes, 10, 4, pixelsAt) ||
        !numberAt(bytes, 14, 4, infoSize))
        return false;
    long long width = 0, height = 0;
    std::uint32_t bitsPerPixel = 0, compression = 0, compressedSize = 0, w = 0, h = 0;
    if (infoSize == 12) { // the OS/2 core header
        if (!numberAt(bytes, 18, 2, w) || !numberAt(bytes, 20, 2, h) ||
            !numberAt(bytes, 24, 2, bitsPerPixel))
            return false;
        width = w;
        height = h;
    } else {
        if (infoSize < 40 || !numberAt(bytes, 18, 4, w) || !numberAt(bytes, 22, 4, h) ||
            !numberAt(bytes, 28, 2, bitsPerPixel) || !numberAt(bytes, 30, 4, compression) ||
            !numberAt(bytes, 34, 4, compressedSize))
            return false;
        width = static_cast<std::int32_t>(w);
        height = std::llabs(static_cast<std::int32_t>(h)); // negative: rows stored top down
    }
    if (width < 1 || height < 1 || width > largestSide || height > largestSide)
        return false;
    constexpr std::uint32_t kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    long long pixelBytes = compressedSize;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        if (bitsPerPixel > 64)
            return false;
        pixelBytes = (width * bitsPerPixel + 31) / 32 * 4 * height;
    }
    return static_cast<long long>(pixelsAt) + pixelBytes <=
           static_cast<long long>(bytes.size());
}

} // namespace quorvel
