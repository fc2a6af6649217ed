#include "imagetable.h"

#include "library/quorvelerror.h"

#include <QFile>
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
    QFile file(QString::fromStdString(fileName));
    if (fileName.empty() || !file.open(QIODevice::ReadOnly))
        throw QuorvelError("Cannot open file " + fileName);
    const QByteArray bytes = file.readAll();
    QImage picture;
    if (!bytes.startsWith("BM") || !picture.loadFromData(bytes, "BMP"))
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
