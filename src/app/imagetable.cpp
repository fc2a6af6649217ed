#include "imagetable.h"

#include "library/quorvelerror.h"

#include <QFile>
#include <QPainter>
#include <QtEndian>

namespace quorvel {
namespace {

// Whether a Windows bitmap file holds every pixel its header promises. Qt's reader paints
// the rows missing from a cut-short file black and calls the load a success; such a file
// is damaged, not a picture. Compressed pixel data is measured by the size its header
// gives, uncompressed data by its rows, each padded to whole 4-byte words.
bool holdsAllItsPixels(const QByteArray &bytes)
{
    const auto at = [&](qsizetype offset, qsizetype size) {
        return offset + size <= bytes.size() ? bytes.constData() + offset : nullptr;
    };
    const char *fileHeader = at(0, 14);
    const char *infoSize = at(14, 4);
    if (!fileHeader || !infoSize)
        return false;
    const qint64 pixelsAt = qFromLittleEndian<quint32>(fileHeader + 10);
    qint64 width = 0, height = 0, bitsPerPixel = 0, compression = 0, compressedSize = 0;
    if (qFromLittleEndian<quint32>(infoSize) == 12) { // the OS/2 core header
        const char *core = at(18, 8);
        if (!core)
            return false;
        width = qFromLittleEndian<quint16>(core);
        height = qFromLittleEndian<quint16>(core + 2);
        bitsPerPixel = qFromLittleEndian<quint16>(core + 6);
    } else {
        const char *info = at(18, 20);
        if (!info)
            return false;
        width = qFromLittleEndian<qint32>(info);
        height = qAbs(qint64(qFromLittleEndian<qint32>(info + 4))); // negative: top-down
        bitsPerPixel = qFromLittleEndian<quint16>(info + 10);
        compression = qFromLittleEndian<quint32>(info + 12);
        compressedSize = qFromLittleEndian<quint32>(info + 16);
    }
    constexpr qint64 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    qint64 pixelBytes = compressedSize;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        if (width < 0 || bitsPerPixel > 64)
            return false;
        const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        if (rowBytes > 0 && height > bytes.size() / rowBytes)
            return false;
        pixelBytes = rowBytes * height;
    }
    return pixelsAt + pixelBytes <= bytes.size();
}

} // namespace

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
    if (!bytes.startsWith("BM") || !holdsAllItsPixels(bytes) ||
        !picture.loadFromData(bytes, "BMP"))
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
