#include "gamefiles.h"

#include "library/bitmapcheck.h"
#include "library/gamefolder.h"
#include "library/gamerecord.h"
#include "library/midilength.h"
#include "library/quorvelerror.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace quorvel {
namespace {

namespace fs = std::filesystem;

// A card is drawn unscaled into a cell of this size.
constexpr int kCardWidth = 122;
constexpr int kCardHeight = 58;
// A photo straight from a camera may be large; the card made of it is small.
constexpr std::size_t kLargestPicture = 64u << 20;
// The ground a converted picture that does not fill the card lies on: a light grey that
// neither clashes with a picture nor reads as one of the players' colours.
const QColor kGround(192, 192, 192);

QByteArray asBytes(std::string_view bytes)
{
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// A Windows bitmap that loads as a card as it is.
bool isCardBitmap(const std::string &bytes)
{
    return decodedBitmap(bytes).size() == QSize(kCardWidth, kCardHeight);
}

// The most pixels a picture may have: a 100-megapixel camera's photos and some room. One
// that claims more is refused before anything is decoded. Where its format cannot decode
// it at a reduced size, it is decoded whole, with Qt's allocation limit raised to what its
// pixels take at 16 bits a channel; one whose reader cannot tell its size keeps Qt's limit.
constexpr qint64 kMostPicturePixels = qint64(128) << 20;
// A picture is decoded at twice the card's size where its format allows, so that the smooth
// scaling to the card still has every pixel of the card to average from.
constexpr int kOversampling = 2;

[[noreturn]] void refusePicture(const std::string &shownName, const std::string &why)
{
    throw QuorvelError("The picture " + quoted(shownName) + " " + why);
}

// The size of a picture of `size` scaled to fit `box` without distortion, rounded to the
// nearest pixel (never below one), so that a picture that nearly fits fills the card edge
// to edge.
QSize fittedInto(QSize size, QSize box)
{
    const qint64 w = size.width(), h = size.height();
    // Half a pixel added before the division rounds to the nearest, in whole numbers.
    const auto rounded = [](qint64 numerator, qint64 denominator, int most) {
        return int(std::clamp<qint64>((2 * numerator + denominator) / (2 * denominator), 1,
                                      most));
    };
    if (w * box.height() <= h * box.width()) // the height is the limit
        return {rounded(w * box.height(), h, box.width()), box.height()};
    return {box.width(), rounded(h * box.width(), w, box.height())};
}

// Qt's allocation limit for image readers is one for the whole program: raised for one
// decoding, and set back however the decoding ends.
class AllocationLimit {
public:
    explicit AllocationLimit(int megabytes) : before_(QImageReader::allocationLimit())
    {
        QImageReader::setAllocationLimit(std::max(before_, megabytes));
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(before_); }
    AllocationLimit(const AllocationLimit &) = delete;
    AllocationLimit &operator=(const AllocationLimit &) = delete;

private:
    int before_;
};

// Sets the reader up to decode no more than the card needs, and returns the allocation limit
// the decoding needs in megabytes (0: Qt's own). The reader's sizes are those of the picture
// as stored, before a photo's orientation turns it: decoding it so that its shorter side is
// twice the card's longer one suits any orientation.
int decodeSmall(QImageReader &reader, const std::string &shownName)
{
    const QSize stored = reader.size();
    if (!stored.isValid())
        return 0;
    const qint64 pixels = qint64(stored.width()) * stored.height();
    if (pixels > kMostPicturePixels)
        refusePicture(shownName, "is too large: " + std::to_string(stored.width()) + " x " +
                                     std::to_string(stored.height()) + " pixels");
    const QByteArray format = reader.format();
    if (format == "svg" || format == "svgz") {
        // A drawing is rendered at the card's size rather than scaled from its own.
        reader.setScaledSize(fittedInto(stored, {kCardWidth, kCardHeight}));
        return 0;
    }
    const int shorter = std::min(stored.width(), stored.height());
    const int wanted = kOversampling * std::max(kCardWidth, kCardHeight);
    // Qt 6.4's reduced decoding of a picture with 16-bit straight alpha (a PNG) returns
    // half-transparent pixels with their alpha halved and their colour doubled.
    if (shorter > wanted && reader.supportsOption(QImageIOHandler::ScaledSize) &&
        reader.imageFormat() != QImage::Format_RGBA64) {
        reader.setScaledSize(fittedInto(stored, stored * (double(wanted) / shorter)));
        return 0;
    }
    return int((pixels * 8) >> 20) + 1; // decoded whole, at up to 8 bytes a pixel
}

// The picture as a 24-bit Windows bitmap of a card's size: scaled to fit without
// distortion and centred on the ground. Throws QuorvelError when no picture can be read.
std::string cardFromPicture(const std::string &bytes, const std::string &shownName)
{
    const QByteArray data = asBytes(bytes);
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setDecideFormatFromContent(true);
    if (reader.format().isEmpty())
        throw QuorvelError(quoted(shownName) + " is not a picture");
    const int limit = decodeSmall(reader, shownName);
    QImage picture;
    // Qt reads a bitmap cut short as a picture with black rows, which must not pass for a
    // card; its size was bounded above.
    if (reader.format() != "bmp" || isWholeBitmap(bytes, std::numeric_limits<int>::max())) {
        const AllocationLimit raised(limit);
        picture = reader.read();
    }
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
        refusePicture(shownName, "cannot be read");
    // Scaled and drawn with premultiplied alpha: Qt's smooth scaling of pictures with
    // straight alpha of 16 bits a channel lightens half-transparent pixels.
    picture = picture.convertToFormat(picture.hasAlphaChannel()
                                          ? QImage::Format_ARGB32_Premultiplied
                                          : QImage::Format_RGB32);
    const QSize fitted = fittedInto(picture.size(), {kCardWidth, kCardHeight});
    if (picture.size() != fitted)
        picture = picture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QImage result(kCardWidth, kCardHeight, QImage::Format_RGB888);
    result.fill(kGround);
    QPainter painter(&result);
    painter.drawImage(QPoint((kCardWidth - fitted.width()) / 2,
                             (kCardHeight - fitted.height()) / 2),
                      picture);
    painter.end();
    QByteArray out;
    QBuffer sink(&out);
    sink.open(QIODevice::WriteOnly);
    if (!result.save(&sink, "BMP"))
        refusePicture(shownName, "cannot be converted");
    return out.toStdString();
}

// Whether the file lies directly in the working folder (the game's folder).
bool inGameFolder(const fs::path &file)
{
    std::error_code error, here;
    const fs::path parent = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const fs::path folder = fs::canonical(parent, error);
    const fs::path gameFolder = fs::canonical(fs::current_path(), here);
    return !error && !here && folder == gameFolder;
}

} // namespace

QImage decodedBitmap(std::string_view bytes)
{
    QImage picture;
    if (isWholeBitmap(bytes))
        picture.loadFromData(asBytes(bytes), "BMP");
    return picture;
}

std::string bringIntoGameFolder(const std::string &path, GameFileKind kind)
{
    if (path.empty())
        throw QuorvelError("No file was chosen");
    const bool picture = kind == GameFileKind::Picture;
    const std::string bytes = readGameFile(path, picture ? kLargestPicture : kLargestGameFile);
    const fs::path source(path);
    const std::string original = source.filename().string();
    const std::string name = fittedFileName(
        storableFileName(original, picture ? "picture" : "tune"), kFileNameCapacity);

    if (!picture && !bytes.starts_with("MThd"))
        throw QuorvelError(quoted(path) + " is not a tune");
    if (!picture)
        requirePlayableTune(bytes, path);
    if (!picture || isCardBitmap(bytes)) {
        if (name == original && inGameFolder(source))
            return name;
        return placeInGameFolder(name, bytes).name;
    }
    const std::string card = cardFromPicture(bytes, path);
    const std::string stem = fs::path(name).stem().string();
    return placeInGameFolder((stem.empty() ? name : stem) + ".bmp", card).name;
}

} // namespace quorvel
