#include "gamefiles.h"

#include "library/gamefolder.h"
#include "library/gamerecord.h"
#include "library/midilength.h"
#include "library/quorvelerror.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <cstdlib>
#include <filesystem>

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

QByteArray asBytes(const std::string &bytes)
{
    return QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::uint32_t littleEndian(const std::string &b, std::size_t at, int size)
{
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// Whether an uncompressed bitmap's rows are all in the file: Qt reads a file cut short as
// a picture with black rows, which must not pass for a whole card.
bool rowsComplete(const std::string &b)
{
    if (b.size() < 54)
        return false;
    const std::uint32_t offset = littleEndian(b, 10, 4);
    const std::uint32_t compression = littleEndian(b, 30, 4);
    if (littleEndian(b, 14, 4) < 40 || (compression != 0 && compression != 3))
        return true; // old or compressed bitmaps: Qt's reader checks them itself
    // Width and height are signed; a negative height means rows stored top down.
    const auto size = [&](std::size_t at) {
        const auto value = static_cast<std::int32_t>(littleEndian(b, at, 4));
        return static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(value)));
    };
    const std::uint64_t stride = (size(18) * littleEndian(b, 28, 2) + 31) / 32 * 4;
    return offset + stride * size(22) <= b.size();
}

// A Windows bitmap that loads as a card as it is.
bool isCardBitmap(const std::string &bytes)
{
    QImage picture;
    return bytes.starts_with("BM") && rowsComplete(bytes) &&
           picture.loadFromData(asBytes(bytes), "BMP") && picture.width() == kCardWidth &&
           picture.height() == kCardHeight;
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
    const QSize card(kCardWidth, kCardHeight);
    const QByteArray format = reader.format();
    // A drawing is rendered at the card's size rather than scaled from its own.
    if ((format == "svg" || format == "svgz") && reader.size().isValid())
        reader.setScaledSize(reader.size().scaled(card, Qt::KeepAspectRatio).expandedTo({1, 1}));
    QImage picture;
    if (!(format == "bmp" && !rowsComplete(bytes)))
        picture = reader.read();
    if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
        throw QuorvelError("The picture " + quoted(shownName) + " cannot be read");
    const QSize fitted = picture.size().scaled(card, Qt::KeepAspectRatio).expandedTo({1, 1});
    if (picture.size() != fitted)
        picture = picture.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QImage result(card, QImage::Format_RGB888);
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
        throw QuorvelError("The picture " + quoted(shownName) + " cannot be converted");
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
