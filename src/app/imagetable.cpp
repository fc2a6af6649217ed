#include "imagetable.h"

#include "editor/gamefiles.h"
#include "library/filecalls.h"
#include "library/gamefolder.h"
#include "library/quorvelerror.h"

#include <QPainter>

namespace quorvel {

void ImageTable::create(int slot)
{
    images_[slot] = std::make_unique<QImage>();
}

void ImageTable::release(int slot)
{
    images_[slot].reset();
}

void ImageTable::load(int slot, const std::string &fileName)
{
    using Outcome = BoundedRead::Outcome;
    const BoundedRead file = fileName.empty() ? BoundedRead{Outcome::Missing, 0, {}}
                                              : readBounded(FileCalls::system(), fileName,
                                                            kLargestReadFile);
    if (file.outcome != Outcome::Read && file.outcome != Outcome::TooLarge)
        throw QuorvelError("Cannot open file " + fileName);
    const QImage picture =
        file.outcome == Outcome::Read ? decodedBitmap(file.bytes) : QImage();
    if (picture.isNull())
        throw QuorvelError("Bitmap image is not valid");
    if (!images_[slot])
        create(slot);
    *images_[slot] = picture.convertToFormat(QImage::Format_RGB32);
}

void ImageTable::blank(int slot)
{
    QImage *picture = images_[slot].get();
    if (!picture || picture->isNull())
        return;
    QPainter painter(picture);
    painter.fillRect(QRect(0, 0, 121, 57), Qt::white);
}

void ImageTable::draw(QPainter &painter, int slot, const QPoint &topLeft) const
{
    const QImage *picture = images_[slot].get();
    if (picture && !picture->isNull())
        painter.drawImage(topLeft, *picture);
}

} // namespace quorvel
