#pragma once

#include "library/gamerecord.h"

#include <QImage>
#include <array>
#include <memory>
#include <string>

class QPainter;

namespace quorvel {

// A table of 19 bitmaps, one for each picture slot of a game: 0 card back, 1..15 card
// faces, 16 red, 17 green, 18 blue card. Each bitmap is created once and released once;
// loading a picture replaces its content, never the object.
class ImageTable {
public:
    void create(int slot);
    void release(int slot);
    bool exists(int slot) const { return images_[slot] != nullptr; }

    // Loads a Windows bitmap file (UTF-8 path, used as given). Throws QuorvelError with
    // "Cannot open file <name>" when the file cannot be opened or is not a regular file (a
    // named pipe, a device), and "Bitmap image is not valid" when it holds no bitmap, one
    // whose pixels stop before their end, one of more than 4096 x 4096 pixels or more than
    // 32 MB; the picture is then unchanged. Nothing waits, and nothing is allocated for what
    // a header claims.
    void load(int slot, const std::string &fileName);

    // Whites out the top-left 121 x 57 pixels of a picture that holds one.
    void blank(int slot);

    // Draws the picture unscaled with its top-left corner at `topLeft`; nothing when empty.
    void draw(QPainter &painter, int slot, const QPoint &topLeft) const;

    const QImage *image(int slot) const { return images_[slot].get(); }

private:
    std::array<std::unique_ptr<QImage>, kImageCount> images_;
};

} // namespace quorvel
