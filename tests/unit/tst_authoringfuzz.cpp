// Shared games bring other people's files into the game. Seeded random mutations of tunes go
// through the tune check and the real FluidSynth player's open and play; mutations of
// pictures go through picture loading and the conversion into a card. Nothing may crash or
// hang, and every failure must be one of the program's own texts. Each part runs a fixed
// number of files, a few seconds' work also in the sanitizer build, which runs it too.
#include "app/imagetable.h"
#include "editor/gamefiles.h"
#include "library/midilength.h"
#include "library/quorvelerror.h"
#include "play/fluidplayer.h"
#include "fileoutput.h"
#include "tempfolder.h"
#include "testtune.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <random>
#include <regex>
#include <thread>

namespace quorvel {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kSeed = 20240611;
constexpr int kTuneFiles = 150;
constexpr int kPictureFiles = 300;

// Flips, overwrites, inserts, deletes and cuts bytes, a few at a time.
std::string mutated(std::string bytes, std::mt19937 &random)
{
    static const unsigned char kEdgy[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x2F, 0x51, 0x90};
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !bytes.empty(); ++e) {
        const std::size_t at = random() % bytes.size();
        switch (random() % 6) {
        case 0:
            bytes[at] = static_cast<char>(bytes[at] ^ (1u << (random() % 8)));
            break;
        case 1:
            bytes[at] = static_cast<char>(kEdgy[random() % sizeof kEdgy]);
            break;
        case 2:
            bytes.insert(at, 1 + random() % 8, static_cast<char>(random()));
            break;
        case 3:
            bytes.erase(at, 1 + random() % 16);
            break;
        case 4:
            bytes.resize(at);
            break;
        default:
            bytes.replace(at, std::min<std::size_t>(4, bytes.size() - at),
                          std::string(4, static_cast<char>(0xFF)));
        }
    }
    return bytes;
}

// The program's own error texts, and no other.
bool ownText(const std::string &text)
{
    static const std::regex known(
        "Cannot open file .*|Bitmap image is not valid|The picture \".*\" cannot be (read|"
        "converted)|The picture \".*\" is too large: \\d+ x \\d+ pixels|\".*\" is not a "
        "(picture|tune)|\".*\" is not a Standard MIDI File that can be played|The tune \".*\" "
        "plays for \\d+ min \\d+ s; a tune may play for at most 3 minutes|The (tune )?file "
        "\".*\" (is not a MIDI file|cannot be read)|The file \".*\" is larger than \\d+ MB");
    return std::regex_match(text, known);
}

std::string encoded(const QImage &image, const char *format)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return out.toStdString();
}

// Runs `step` on `count` mutated copies of the seeds.
template <typename Step>
void fuzz(const std::vector<std::string> &seeds, int count, Step step)
{
    std::mt19937 random(kSeed);
    for (int files = 0; files < count; ++files) {
        const std::string bytes = mutated(seeds[random() % seeds.size()], random);
        try {
            step(bytes, files);
        } catch (const QuorvelError &e) {
            EXPECT_TRUE(ownText(e.what())) << "file " << files << ": " << e.what();
        } catch (const std::exception &e) {
            ADD_FAILURE() << "file " << files << ": not the program's error: " << e.what();
        }
    }
}

TEST(AuthoringFuzz, MutatedTunesThroughTheCheckAndTheRealPlayer)
{
    test::TempFolder folder;
    std::vector<std::string> seeds = {test::tuneOfSeconds(2), test::tuneOfSeconds(150, 70)};
    for (const char *name : {"OQ1.mid", "MQ7.mid", "BQ12.mid", "TAwin.mid"})
        seeds.push_back(test::fileBytes(fs::path(std::getenv("QUORVEL_GAMES_DIR")) / name));
    FluidPlayer player(test::silentOutput());
    fuzz(seeds, kTuneFiles, [&](const std::string &bytes, int n) {
        const std::string name = "tune" + std::to_string(n) + ".mid";
        test::writeBytes(name, bytes);
        const bool fits = midiPlayingSeconds(bytes).value_or(1e9) <= kLongestTuneSeconds;
        try {
            EXPECT_EQ(bringIntoGameFolder(name, GameFileKind::Tune), name);
            EXPECT_TRUE(fits);
        } catch (const QuorvelError &e) {
            EXPECT_FALSE(fits) << e.what();
            EXPECT_TRUE(ownText(e.what())) << e.what();
        }
        player.setFileName(name);
        player.open();
        player.play();
        for (int poll = 0; poll < 3 && player.isPlaying(); ++poll)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        player.close();
        fs::remove(name);
    });
}

TEST(AuthoringFuzz, MutatedPicturesThroughLoadingAndTheConversion)
{
    static int argc = 1;
    static char appName[] = "tst_authoringfuzz";
    static char *argv[] = {appName, nullptr};
    static QGuiApplication app(argc, argv);
    // The image readers' complaints about each damaged file are expected here.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    test::TempFolder folder;
    QImage card(122, 58, QImage::Format_RGB888);
    card.fill(QColor(30, 90, 150));
    QImage photo(90, 60, QImage::Format_ARGB32);
    photo.fill(QColor(200, 40, 40, 128));
    const std::vector<std::string> seeds = {
        encoded(card, "BMP"),
        encoded(card.convertToFormat(QImage::Format_Indexed8), "BMP"),
        encoded(photo, "PNG"),
        encoded(photo, "JPEG"),
        encoded(photo, "WEBP"),
        "<svg xmlns='http://www.w3.org/2000/svg' width='30' height='20'><circle cx='10' "
        "cy='10' r='8' fill='red'/></svg>",
    };
    ImageTable table;
    fuzz(seeds, kPictureFiles, [&](const std::string &bytes, int n) {
        const std::string name = "picture" + std::to_string(n);
        test::writeBytes(name, bytes);
        try {
            table.load(0, name);
        } catch (const QuorvelError &e) {
            EXPECT_TRUE(ownText(e.what())) << e.what();
        }
        // What the conversion makes always loads as a card.
        const std::string cardName = bringIntoGameFolder(name, GameFileKind::Picture);
        table.load(1, cardName);
        EXPECT_EQ(table.image(1)->size(), QSize(122, 58));
        fs::remove(name);
        fs::remove(cardName);
    });
    qInstallMessageHandler(previous);
}

} // namespace
} // namespace quorvel
