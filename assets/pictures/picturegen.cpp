// quorvel_picturegen: draws every picture the game ships.
//
//   quorvel_picturegen GAMES_DIR [PROGRAM_DIR] [--sheet FILE.png]
//
// GAMES_DIR receives the 76 card pictures that the four default games name (24-bit
// Windows bitmaps of 122 x 58); PROGRAM_DIR (GAMES_DIR when not given) receives icons/ and
// saved/, the pictures compiled into the window. --sheet also writes all of them side by
// side into one PNG for a person to look at. The output depends on nothing but the fonts:
// no time stamps, no randomness, so two runs give the same bytes.

#include "library/quorvelerror.h"
#include "cardpictures.h"
#include "library/defaultlibrary.h"
#include "programpictures.h"
#include "symbolpainter.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>

#include <cstdio>

namespace quorvel::pictures {

namespace {

// 72 dots per inch; fixed so that the files do not depend on the screen Qt assumes.
constexpr int kDotsPerMetre = 2835;

void write(QImage image, const QString &path, const char *format)
{
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    QImageWriter writer(path, format);
    if (!writer.write(image))
        throw QuorvelError("Cannot write " + path.toStdString() + ": " +
                           writer.errorString().toStdString());
}

// Qt writes an RGB888 image as an uncompressed, bottom-up, 24-bit BMP with a
// BITMAPINFOHEADER, which is what the game's picture loader expects.
void writeBmp(const QImage &image, const QString &path)
{
    write(image.convertToFormat(QImage::Format_RGB888), path, "bmp");
}

QString fileIn(const QDir &dir, const std::string &name)
{
    return dir.filePath(QString::fromStdString(name));
}

const GameTheme &themeOf(const DefaultGame &game)
{
    for (const GameTheme &theme : kGameThemes) {
        if (std::string_view(theme.prefix) == game.prefix)
            return theme;
    }
    throw QuorvelError(std::string("No pictures are planned for the game ") + game.name + ".");
}

// All pictures of one run, kept for the contact sheet.
struct Drawn {
    QList<QImage> cards;
    QList<QImage> program;
};

void drawGames(const SymbolPainter &symbols, const QDir &games, Drawn &drawn)
{
    for (const DefaultGame &game : kDefaultGames) {
        const GameTheme &theme = themeOf(game);
        const auto put = [&](const QImage &image, int slot) {
            writeBmp(image, fileIn(games, defaultBmpName(game, slot)));
            drawn.cards.append(image);
        };
        put(cardBack(symbols, theme), kCardBackSlot);
        for (int k = 1; k <= kCardCount; ++k)
            put(cardFace(symbols, theme, k), k);
        put(colourCard(symbols, theme, Player::Red), kRedCardSlot);
        put(colourCard(symbols, theme, Player::Green), kGreenCardSlot);
        put(colourCard(symbols, theme, Player::Blue), kBlueCardSlot);
    }
}

void drawProgramPictures(const SymbolPainter &symbols, const QDir &dir, Drawn &drawn)
{
    for (const char *sub : {"icons", "saved"}) {
        if (!dir.mkpath(QString::fromLatin1(sub)))
            throw QuorvelError("Cannot create " + dir.filePath(sub).toStdString());
    }
    for (int size : {32, 128}) {
        const QImage icon = programIcon(symbols, size);
        write(icon, dir.filePath(QStringLiteral("icons/festral-quorvel-%1.png").arg(size)),
              "png");
        drawn.program.append(icon);
    }
    for (int n = 1; n <= kSceneCount; ++n) {
        const QImage scene = savedScene(n);
        writeBmp(scene, dir.filePath(QStringLiteral("saved/saved%1.bmp").arg(n)));
        drawn.program.append(scene);
    }
}

// The cards in rows of 19 (one game a row), then the program's pictures, at twice the size
// so that a person can judge the details.
void writeSheet(const Drawn &drawn, const QString &path)
{
    constexpr int kPerRow = 19, kGap = 4, kZoom = 2;
    const int rows = (drawn.cards.size() + kPerRow - 1) / kPerRow;
    const int cellW = kCardWidth + kGap, cellH = kCardHeight + kGap;
    QImage sheet(kPerRow * cellW * kZoom, (rows * cellH + 128 + kGap) * kZoom,
                 QImage::Format_RGB32);
    sheet.fill(QColor(128, 128, 128));
    QPainter p(&sheet);
    p.scale(kZoom, kZoom);
    for (int i = 0; i < drawn.cards.size(); ++i)
        p.drawImage(QPoint(i % kPerRow * cellW, i / kPerRow * cellH), drawn.cards[i]);
    int x = 0;
    for (const QImage &image : drawn.program) {
        p.drawImage(QPoint(x, rows * cellH), image);
        x += image.width() + kGap;
    }
    p.end();
    write(sheet, path, "png");
}

} // namespace

int run(const QStringList &args)
{
    QStringList dirs;
    QString sheet;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sheet") && i + 1 < args.size())
            sheet = args[++i];
        else
            dirs.append(args[i]);
    }
    if (dirs.isEmpty() || dirs.size() > 2) {
        std::fprintf(stderr, "usage: quorvel_picturegen GAMES_DIR [PROGRAM_DIR] "
                             "[--sheet FILE.png]\n");
        return 2;
    }
    const QDir games(dirs.first());
    const QDir program(dirs.last());
    for (const QDir &dir : {games, program}) {
        if (!dir.mkpath(QStringLiteral(".")))
            throw QuorvelError("Cannot create " + dir.path().toStdString());
    }
    const SymbolPainter symbols;
    Drawn drawn;
    drawGames(symbols, games, drawn);
    drawProgramPictures(symbols, program, drawn);
    if (!sheet.isEmpty())
        writeSheet(drawn, sheet);
    return 0;
}

} // namespace quorvel::pictures

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    try {
        return quorvel::pictures::run(app.arguments());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "quorvel_picturegen: %s\n", e.what());
        return 1;
    }
}
