// Bringing an author's files into the game's folder: names, copies, the picture conversion,
// and what bad input and a failing disk leave behind (nothing).
#include "editor/gamefiles.h"

#include "faultyfilecalls.h"
#include "library/gamefolder.h"
#include "library/quorvelerror.h"
#include "tempfolder.h"
#include "testtune.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <sys/mount.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using test::fileBytes;
using test::namesIn;
using test::writeBytes;

const QColor kGround(192, 192, 192);

class GameFiles : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "tst_gamefiles";
        static char *argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
    void SetUp() override { fs::create_directory(elsewhere); }

    // Writes a file in the folder outside the game's and gives its path.
    std::string source(const std::string &name, const std::string &bytes)
    {
        writeBytes(elsewhere / name, bytes);
        return (elsewhere / name).string();
    }
    static std::string encoded(const QImage &image, const char *format)
    {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(image.save(&buffer, format)) << format;
        return out.toStdString();
    }
    static std::string picture(int width, int height, QColor colour, const char *format)
    {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(colour);
        return encoded(image, format);
    }
    // Runs a failing bring-in and checks its text and that the game's folder is unchanged.
    void expectRefused(const std::string &path, GameFileKind kind, const std::string &text)
    {
        const auto before = namesIn(".");
        try {
            bringIntoGameFolder(path, kind);
            ADD_FAILURE() << path << " was brought in";
        } catch (const QuorvelError &e) {
            EXPECT_EQ(e.what(), text);
        }
        EXPECT_EQ(namesIn("."), before) << text;
    }

    test::TempFolder game;
    fs::path elsewhere = game.path() / "elsewhere";
};

TEST_F(GameFiles, NamesFitARecord)
{
    const std::string sixty(56, 'a');
    std::string umlauts;
    for (int i = 0; i < 60; ++i)
        umlauts += "ä";
    EXPECT_EQ(storableFileName("owl.bmp", "x"), "owl.bmp");
    EXPECT_EQ(storableFileName("Eule ä €.bmp", "x"), "Eule ä €.bmp");
    EXPECT_EQ(storableFileName("猫\t\\.png", "x"), "___.png");
    EXPECT_EQ(storableFileName("..", "tune"), "tune");
    EXPECT_EQ(fittedFileName(sixty + ".bmp", 50), std::string(46, 'a') + ".bmp");
    EXPECT_EQ(candidateName(sixty + ".bmp", 2, 50), std::string(44, 'a') + "-2.bmp");
    EXPECT_EQ(candidateName("owl.bmp", 12, 50), "owl-12.bmp");
    EXPECT_EQ(fittedFileName(umlauts + ".mid", 50), umlauts.substr(0, 2 * 46) + ".mid");
    EXPECT_EQ(fittedFileName(sixty + ".notanextension", 50).size(), 50u);
}

TEST_F(GameFiles, CopiesInUnderFreeNamesAndNeverTwice)
{
    const std::string song = test::tuneOfSeconds(2), other = test::tuneOfSeconds(3, 62);
    const auto tune = GameFileKind::Tune;
    EXPECT_EQ(bringIntoGameFolder(source("song.mid", song), tune), "song.mid");
    EXPECT_EQ(fileBytes("song.mid"), song);
    const auto once = namesIn(".");
    EXPECT_EQ(bringIntoGameFolder(source("song.mid", song), tune), "song.mid");
    EXPECT_EQ(namesIn("."), once) << "the same file was copied again";

    fs::create_directory(elsewhere / "b");
    EXPECT_EQ(bringIntoGameFolder(source("b/song.mid", other), tune), "song-2.mid");
    EXPECT_EQ(fileBytes("song-2.mid"), other);
    EXPECT_EQ(fileBytes("song.mid"), song);

    // Files already in the game's folder, by full or relative path, are used as they are.
    const auto twice = namesIn(".");
    EXPECT_EQ(bringIntoGameFolder((game.path() / "song-2.mid").string(), tune), "song-2.mid");
    EXPECT_EQ(bringIntoGameFolder("song.mid", tune), "song.mid");
    EXPECT_EQ(namesIn("."), twice);

    const std::string longName = std::string(60, 'n') + ".mid";
    EXPECT_EQ(bringIntoGameFolder(source(longName, song), tune), std::string(46, 'n') + ".mid");
    writeBytes(longName, other); // in the game's folder, but its name does not fit a record
    EXPECT_EQ(bringIntoGameFolder(longName, tune), std::string(44, 'n') + "-2.mid");
}

TEST_F(GameFiles, ConvertsPicturesIntoCentredCards)
{
    // A 50 % green bar over the upper half of a clear 16-bit picture, which lies on the
    // ground as (96, 160, 96) from edge to edge.
    QImage bar(2000, 951, QImage::Format_RGBA64);
    bar.fill(Qt::transparent);
    QPainter(&bar).fillRect(0, 0, 2000, 475, QColor(0, 128, 0, 128));
    // A phone's 50-megapixel photo of one colour: small on disk, and made without holding
    // its 150 MB of pixels.
    QImage photo(8660, 5773, QImage::Format_Indexed8);
    photo.setColorTable({qRgb(30, 90, 200)});
    photo.fill(0);
    const struct {
        const char *file;
        std::string bytes;
        QSize fitted;
        QColor centre;
    } cases[] = {
        {"wide.png", picture(400, 100, Qt::red, "PNG"), {122, 31}, Qt::red},
        {"tall.jpg", picture(50, 200, Qt::blue, "JPEG"), {15, 58}, Qt::blue},
        {"small.ppm", picture(61, 29, Qt::green, "PPM"), {122, 58}, Qt::green},
        {"odd.bmp", picture(100, 50, Qt::yellow, "BMP"), {116, 58}, Qt::yellow},
        {"bar.png", encoded(bar, "PNG"), {122, 58}, kGround},
        {"photo.jpg", encoded(photo, "JPEG"), {87, 58}, QColor(30, 90, 200)},
        {"drawing.svg",
         "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='40'>"
         "<rect width='40' height='40' fill='#0000ff'/></svg>",
         {58, 58}, Qt::blue},
    };
    for (const auto &c : cases) {
        const std::string stem = fs::path(c.file).stem().string();
        if (stem == "drawing" && !QImageReader::supportedImageFormats().contains("svg"))
            continue; // Qt's SVG plugin is not installed
        ASSERT_EQ(bringIntoGameFolder(source(c.file, c.bytes), GameFileKind::Picture),
                  stem + ".bmp");
        const std::string bmp = fileBytes(stem + ".bmp");
        ASSERT_GE(bmp.size(), 54u) << c.file;
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(static_cast<int>(bmp[28]), 24) << c.file << ": bits a pixel";
        QImage card;
        ASSERT_TRUE(card.loadFromData(QByteArray::fromStdString(bmp), "BMP")) << c.file;
        ASSERT_EQ(card.size(), QSize(122, 58)) << c.file;
        // The picture's box: every pixel that is not the ground's.
        QRect box;
        for (int y = 0; y < 58; ++y)
            for (int x = 0; x < 122; ++x)
                if (card.pixelColor(x, y) != kGround)
                    box |= QRect(x, y, 1, 1);
        if (c.centre == kGround) { // the lower half is clear: only the bar shows
            EXPECT_EQ(box, QRect(0, 0, 122, 29)) << c.file;
            for (int y = 0; y < 28; ++y)
                for (int x : {0, 1, 61, 120, 121})
                    ASSERT_EQ(card.pixelColor(x, y), QColor(96, 160, 96)) << x << ", " << y;
            continue;
        }
        EXPECT_EQ(box, QRect((122 - c.fitted.width()) / 2, (58 - c.fitted.height()) / 2,
                             c.fitted.width(), c.fitted.height()))
            << c.file;
        const QColor centre = card.pixelColor(61, 29);
        EXPECT_LE(std::abs(centre.red() - c.centre.red()) +
                      std::abs(centre.green() - c.centre.green()) +
                      std::abs(centre.blue() - c.centre.blue()),
                  12)
            << c.file;
    }
    // A bitmap of a card's size is used as it is, whatever its depth.
    QImage card(122, 58, QImage::Format_Indexed8);
    card.setColorTable({qRgb(1, 2, 3)});
    card.fill(0);
    const std::string asIs = encoded(card, "BMP");
    EXPECT_EQ(bringIntoGameFolder(source("card.bmp", asIs), GameFileKind::Picture), "card.bmp");
    EXPECT_EQ(fileBytes("card.bmp"), asIs);
}

TEST_F(GameFiles, BadInputIsRefusedAndLeavesNothing)
{
    fs::create_directory(elsewhere / "folder.mid");
    std::string cutShort = picture(122, 58, Qt::red, "BMP");
    cutShort.resize(cutShort.size() / 2);
    const std::string missing = (elsewhere / "missing.bmp").string();
    const std::string folder = (elsewhere / "folder.mid").string();
    const std::string garbage = source("garbage.png", "\x89PNG not really");
    const std::string tuneAsPicture = source("tune.mid", test::tuneOfSeconds(2));
    const std::string pictureAsTune = source("photo.png", picture(10, 10, Qt::red, "PNG"));
    // A bitmap's header claiming 20000 x 10000 pixels, with none of them.
    std::string huge = picture(2, 2, Qt::red, "BMP").substr(0, 54);
    for (int i = 0; i < 4; ++i) {
        huge[18 + i] = char((20000 >> (8 * i)) & 255);
        huge[22 + i] = char((10000 >> (8 * i)) & 255);
    }
    const std::string tooLarge = source("huge.bmp", huge);
    const std::string half = source("half.bmp", cutShort);
    const std::string text = source("text.mid", "MThd, so it says");
    const std::string longTune = source("long.mid", test::tuneOfSeconds(240));
    expectRefused(missing, GameFileKind::Picture, "The file \"" + missing + "\" does not exist");
    expectRefused(folder, GameFileKind::Tune, "\"" + folder + "\" is not a file");
    expectRefused(garbage, GameFileKind::Picture, "\"" + garbage + "\" is not a picture");
    expectRefused(tuneAsPicture, GameFileKind::Picture,
                  "\"" + tuneAsPicture + "\" is not a picture");
    expectRefused(pictureAsTune, GameFileKind::Tune, "\"" + pictureAsTune + "\" is not a tune");
    expectRefused(tooLarge, GameFileKind::Picture,
                  "The picture \"" + tooLarge + "\" is too large: 20000 x 10000 pixels");
    expectRefused(half, GameFileKind::Picture, "The picture \"" + half + "\" cannot be read");
    expectRefused(text, GameFileKind::Tune,
                  "\"" + text + "\" is not a Standard MIDI File that can be played");
    expectRefused(longTune, GameFileKind::Tune, "The tune \"" + longTune + "\" plays for 4 min "
                                                "0 s; a tune may play for at most 3 minutes");
}

// Each file call of a bring-in fails in turn: the author sees the error, and the game's
// folder is as it was. Only failures that lose nothing go by unreported (closing a file that
// was only read, removing the temporary file once the picture has its name).
TEST_F(GameFiles, EveryFailingFileCallLeavesNothing)
{
    const std::string photo = source("photo.png", picture(300, 200, Qt::red, "PNG"));
    const auto before = namesIn(".");
    test::FaultyFileCalls faults;
    faults.shortWrites = true;
    EXPECT_EQ(bringIntoGameFolder(photo, GameFileKind::Picture), "photo.bmp");
    EXPECT_EQ(fileBytes("photo.bmp").size(), 54u + 58 * 368);
    faults.shortWrites = false;
    fs::remove("photo.bmp");
    faults.failCall(0);
    bringIntoGameFolder(photo, GameFileKind::Picture);
    const std::size_t callCount = faults.calls.size();
    for (std::size_t n = 1; n <= callCount; ++n) {
        for (const auto &entry : fs::directory_iterator("."))
            if (!before.count(entry.path().filename().string()))
                fs::remove(entry.path());
        const auto &error = test::kInjectedErrors[n % std::size(test::kInjectedErrors)];
        faults.failCall(int(n), error.errnum);
        const std::string failure =
            test::failureOf([&] { bringIntoGameFolder(photo, GameFileKind::Picture); });
        const std::string call = faults.calls[n - 1];
        if (failure == "no failure") {
            EXPECT_TRUE(call == "close" || call == "remove") << call;
            continue;
        }
        EXPECT_NE(failure.find(error.text), std::string::npos) << call << ": " << failure;
        EXPECT_EQ(namesIn("."), before) << call;
    }
}

// The same on a real file system that fills up: a small tmpfs, where one can be mounted.
TEST_F(GameFiles, AFullFileSystemLeavesNoPartialFile)
{
    const fs::path small = game.path() / "small";
    fs::create_directory(small);
    if (::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{small};
    writeBytes(small / "filler", std::string(40 << 10, 'x'));
    const std::string big = source("big.mid", test::tuneOfSeconds(2) + std::string(30 << 10, 0));
    fs::current_path(small);
    const auto before = namesIn(".");
    try {
        bringIntoGameFolder(big, GameFileKind::Tune);
        ADD_FAILURE() << "a full file system took the file";
    } catch (const QuorvelError &e) {
        EXPECT_STREQ(e.what(), "Cannot write \"big.mid\": Disk full");
    }
    EXPECT_EQ(namesIn("."), before);
    fs::current_path(game.path());
}

} // namespace
} // namespace quorvel
