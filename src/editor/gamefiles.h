#pragma once

#include <QImage>
#include <string>
#include <string_view>

namespace quorvel {

enum class GameFileKind { Picture, Tune };

// A Windows bitmap file's picture as the game shows it, decoded only when the file is whole
// and of at most 4096 x 4096 pixels (isWholeBitmap); a null image when it is not one.
QImage decodedBitmap(std::string_view bytes);

// Brings a file an author chose (UTF-8 path, any folder) into the game's folder, which is the
// working folder (where quorvels.dat lives), and returns the name to store in the record: a
// bare file name of at most 50 characters.
// - A file already in the game's folder is used as it is, never copied again (unless its
//   name does not fit a record, when a copy under a name that fits is made).
// - A file from elsewhere is copied in; where a different file of that name is there, under
//   the first free name "name-2.ext", "name-3.ext", ..., and where the same file is already
//   there, not at all. Names are shortened to 50 characters, the extension kept.
// - A picture that is not a Windows bitmap of 122 x 58 (any format Qt reads, up to 128
//   megapixels, turned as a photo's orientation says) is converted into a 24-bit bitmap of
//   122 x 58: decoded at a reduced size where its format can, scaled to fit without
//   distortion (rounded to the nearest pixel), laid over a neutral grey ground with its
//   transparency, centred, saved with the extension ".bmp".
// - A tune must be a Standard MIDI File that plays for at most 3 minutes, its length read
//   from the file.
// Throws QuorvelError with a text for the user; on failure no file is left behind.
std::string bringIntoGameFolder(const std::string &path, GameFileKind kind);

} // namespace quorvel
