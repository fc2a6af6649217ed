// The pictures the game ships: the card pictures the default records name, the pictures
// compiled into the window, and the generator that draws them.

#include "library/defaultlibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace quorvel;

namespace {

// The fields of a BMP file's header that the game's picture loader depends on.
struct BmpHeader {
    bool valid = false;  // "BM", a 40-byte BITMAPINFOHEADER, sizes that add up
    qint32 width = 0;
    qint32 height = 0;   // positive: rows stored bottom-up
    quint16 bitsPerPixel = 0;
    quint32 compression = ~0u;
};

BmpHeader readBmpHeader(const QByteArray &bytes)
{
    BmpHeader h;
    if (bytes.size() < 54 || !bytes.startsWith("BM"))
        return h;
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const quint32 fileSize = qFromLittleEndian<quint32>(p + 2);
    const quint32 dataOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(p + 14);
    h.width = qFromLittleEndian<qint32>(p + 18);
    h.height = qFromLittleEndian<qint32>(p + 22);
    const quint16 planes = qFromLittleEndian<quint16>(p + 26);
    h.bitsPerPixel = qFromLittleEndian<quint16>(p + 28);
    h.compression = qFromLittleEndian<quint32>(p + 30);
    const qint64 rowBytes = (qint64(h.width) * h.bitsPerPixel + 31) / 32 * 4;
    h.valid = fileSize == quint32(bytes.size()) && infoSize == 40 && planes == 1 &&
              dataOffset == 54 && dataOffset + rowBytes * qAbs(h.height) <= fileSize;
    return h;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString gamesDir()
{
    return qEnvironmentVariable("QUORVEL_GAMES_DIR");
}

QString cardFile(const DefaultGame &game, int slot)
{
    return QDir(gamesDir()).filePath(QString::fromStdString(defaultBmpName(game, slot)));
}

// Mean difference per channel (0..255) of two pictures of the same size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) +
                   qAbs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

// Share of pixels of `image` that are exactly `colour`.
double shareOf(const QImage &image, QColor colour)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int row = 0; row < rgb.height(); ++row) {
        for (int col = 0; col < rgb.width(); ++col)
            count += rgb.pixel(col, row) == colour.rgb();
    }
    return double(count) / (rgb.width() * rgb.height());
}

// Which pixels are near white: the shape and letter of a colour card, as a player who
// sees no hue at all still tells them apart.
QBitArray lightMask(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QBitArray mask(grey.width() * grey.height());
    for (int row = 0; row < grey.height(); ++row) {
        for (int col = 0; col < grey.width(); ++col)
            mask.setBit(row * grey.width() + col, qGray(grey.pixel(col, row)) > 200);
    }
    return mask;
}

// One row per default game, named by its prefix.
void addGameRows()
{
    QTest::addColumn<int>("game");
    for (int g = 0; g < int(kDefaultGames.size()); ++g)
        QTest::newRow(kDefaultGames[g].prefix) << g;
}

QString programPicture(const QString &relative)
{
    return QDir(QStringLiteral(QUORVEL_PROGRAM_PICTURES_DIR)).filePath(relative);
}

const QStringList kScenes = {QStringLiteral("saved/saved1.bmp"),
                             QStringLiteral("saved/saved2.bmp"),
                             QStringLiteral("saved/saved3.bmp"),
                             QStringLiteral("saved/saved4.bmp"),
                             QStringLiteral("saved/saved5.bmp")};

} // namespace

class TestPictures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cardPictureIsA24BitBmpOfACell_data();
    void cardPictureIsA24BitBmpOfACell();
    void facesOfAGameDifferClearly_data();
    void facesOfAGameDifferClearly();
    void colourCardsShowTheirColourAndAShape_data();
    void colourCardsShowTheirColourAndAShape();
    void savedPicturesAreFiveDifferent24BitPictures();
    void iconsAreCompiledIn();
    void generatorGivesTheSameBytesAgain();
    void lobsterIsAliveNotCooked();
};

void TestPictures::initTestCase()
{
    QVERIFY2(!gamesDir().isEmpty(), "QUORVEL_GAMES_DIR is not set");
    QVERIFY(QDir(gamesDir()).exists());
}

void TestPictures::cardPictureIsA24BitBmpOfACell_data()
{
    QTest::addColumn<QString>("path");
    for (const DefaultGame &game : kDefaultGames) {
        for (int slot = 0; slot < kImageCount; ++slot) {
            const QString path = cardFile(game, slot);
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
        }
    }
}

void TestPictures::cardPictureIsA24BitBmpOfACell()
{
    QFETCH(QString, path);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const BmpHeader h = readBmpHeader(fileBytes(path));
    QVERIFY(h.valid);
    QCOMPARE(h.width, 122);
    QCOMPARE(h.height, 58);
    QCOMPARE(h.bitsPerPixel, quint16(24));
    QCOMPARE(h.compression, 0u);
    QCOMPARE(QImage(path).size(), QSize(122, 58));
}

void TestPictures::facesOfAGameDifferClearly_data()
{
    addGameRows();
}

// Faces are told apart at a glance by their symbols and their grounds: every pair
// differs across the whole card, and also in the symbol's disc alone.
void TestPictures::facesOfAGameDifferClearly()
{
    QFETCH(int, game);
    const DefaultGame &dg = kDefaultGames[game];
    QList<QImage> faces;
    for (int k = 0; k <= kCardCount; ++k)
        faces.append(QImage(cardFile(dg, k)));
    const QRect disc(6, 5, 48, 48);
    double leastWhole = 255, leastDisc = 255;
    for (int i = 0; i <= kCardCount; ++i) {
        for (int j = i + 1; j <= kCardCount; ++j) {
            leastWhole = qMin(leastWhole, meanDifference(faces[i], faces[j]));
            if (i > 0) {
                leastDisc = qMin(leastDisc, meanDifference(faces[i].copy(disc),
                                                           faces[j].copy(disc)));
            }
        }
    }
    QVERIFY2(leastWhole > 15, qPrintable(QString::number(leastWhole)));
    QVERIFY2(leastDisc > 10, qPrintable(QString::number(leastDisc)));
}

void TestPictures::colourCardsShowTheirColourAndAShape_data()
{
    addGameRows();
}

void TestPictures::colourCardsShowTheirColourAndAShape()
{
    QFETCH(int, game);
    const DefaultGame &dg = kDefaultGames[game];
    const QImage red(cardFile(dg, kRedCardSlot));
    const QImage green(cardFile(dg, kGreenCardSlot));
    const QImage blue(cardFile(dg, kBlueCardSlot));
    QVERIFY(shareOf(red, QColor(255, 0, 0)) > 0.5);
    QVERIFY(shareOf(green, QColor(0, 128, 0)) > 0.5);
    QVERIFY(shareOf(blue, QColor(0, 0, 255)) > 0.5);

    // Without their hue the three still differ by their shapes and letters.
    const QBitArray r = lightMask(red), g = lightMask(green), b = lightMask(blue);
    const double cells = r.size();
    QVERIFY((r ^ g).count(true) / cells > 0.05);
    QVERIFY((g ^ b).count(true) / cells > 0.05);
    QVERIFY((r ^ b).count(true) / cells > 0.05);
}

void TestPictures::savedPicturesAreFiveDifferent24BitPictures()
{
    QList<QImage> scenes;
    for (const QString &name : kScenes) {
        const BmpHeader h = readBmpHeader(fileBytes(programPicture(name)));
        QVERIFY2(h.valid, qPrintable(name));
        QCOMPARE(h.width, 122);
        QCOMPARE(h.height, 74);
        QCOMPARE(h.bitsPerPixel, quint16(24));
        QCOMPARE(h.compression, 0u);
        // The window shows them from its resources, byte for byte the generated files.
        QCOMPARE(fileBytes(QStringLiteral(":/") + name), fileBytes(programPicture(name)));
        scenes.append(QImage(QStringLiteral(":/") + name));
        QCOMPARE(scenes.last().size(), QSize(122, 74));
    }
    for (int i = 0; i < scenes.size(); ++i) {
        for (int j = i + 1; j < scenes.size(); ++j)
            QVERIFY2(meanDifference(scenes[i], scenes[j]) > 20,
                     qPrintable(kScenes[i] + " ~ " + kScenes[j]));
    }
}

void TestPictures::iconsAreCompiledIn()
{
    const QImage small(QStringLiteral(":/icons/festral-quorvel-32.png"));
    const QImage large(QStringLiteral(":/icons/festral-quorvel-128.png"));
    QCOMPARE(small.size(), QSize(32, 32));
    QCOMPARE(large.size(), QSize(128, 128));

    QSet<QRgb> colours;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x)
            colours.insert(small.pixel(x, y));
    }
    QVERIFY2(colours.size() <= 16, qPrintable(QString::number(colours.size())));

    // Yellow letters on dark blue, at both sizes.
    for (const QImage &icon : {small, large}) {
        const QImage rgb = icon.convertToFormat(QImage::Format_ARGB32);
        int yellow = 0, darkBlue = 0;
        for (int y = 0; y < rgb.height(); ++y) {
            for (int x = 0; x < rgb.width(); ++x) {
                const QColor c = QColor::fromRgba(rgb.pixel(x, y));
                if (c.alpha() < 255)
                    continue;
                yellow += c.red() > 200 && c.green() > 160 && c.blue() < 100;
                darkBlue += c.blue() > 60 && c.red() < 60 && c.green() < 80;
            }
        }
        const int area = rgb.width() * rgb.height();
        QVERIFY(yellow > area / 10);
        QVERIFY(darkBlue > area / 3);
    }
}

void TestPictures::generatorGivesTheSameBytesAgain()
{
    QTemporaryDir games, program;
    QVERIFY(games.isValid() && program.isValid());
    QProcess generator;
    generator.start(QStringLiteral(QUORVEL_PICTUREGEN), {games.path(), program.path()});
    QVERIFY(generator.waitForFinished(120000));
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QVERIFY2(generator.exitCode() == 0, generator.readAllStandardError().constData());

    int compared = 0;
    for (const auto &[fresh, built] : {std::pair{games.path(), gamesDir()},
                                       std::pair{program.path(),
                                                 QStringLiteral(QUORVEL_PROGRAM_PICTURES_DIR)}}) {
        QDirIterator it(fresh, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = QDir(fresh).relativeFilePath(path);
            QVERIFY2(fileBytes(path) == fileBytes(QDir(built).filePath(relative)),
                     qPrintable(relative));
            ++compared;
        }
    }
    QCOMPARE(compared, 4 * kImageCount + 2 + 5);
}

// Its lines say a lobster turns bright red only when it is cooked, so the symbol beside
// them is dark, as a living lobster is, with no cooked red; the crab beside it is red.
void TestPictures::lobsterIsAliveNotCooked()
{
    const auto symbolPixels = [](int card, auto &&count) {
        const QImage face(cardFile(kDefaultGames[2], card));
        int n = 0;
        for (int y = 0; y < face.height(); ++y) {
            for (int x = 0; x < face.width(); ++x) {
                if ((x - 30) * (x - 30) + (y - 29) * (y - 29) < 24 * 24)
                    n += count(face.pixelColor(x, y));
            }
        }
        return n;
    };
    const auto red = [](QColor c) { return c.red() > 170 && c.green() < 110 && c.blue() < 110; };
    const auto dark = [](QColor c) { return c.value() < 110; };
    QCOMPARE(symbolPixels(7, red), 0);
    QVERIFY(symbolPixels(7, dark) > 150);
    QVERIFY(symbolPixels(6, red) > 150);
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
