// Takes screenshots of the window for the documentation: each default game's board with
// a few pairs found and a card turned, every page, and the editor with a game made from a
// folder of photos and tunes dropped on it. Usage: quorvel_screenshots <folder> (the default
// games' files are taken from QUORVEL_GAMES_DIR).
#include "app/errorreport.h"
#include "app/form1.h"
#include "fakeplayer.h"
#include "filedrop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>

using namespace quorvel;

namespace {

int positionOf(const TForm1 &form, int card)
{
    for (int p = 1; p <= kBoardCells; ++p) {
        if (CardAt(form.engine.board, p) == card)
            return p;
    }
    return 1;
}

void click(TForm1 &form, int p)
{
    form.ui.FestquorGrid1->setCurrentCell(PositionColumn(p), PositionRow(p));
    form.FestquorGrid1Click();
}

void settle()
{
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
}

// An author's photo n (1..19): a landscape under a sky of its own, in one of three shapes,
// so that the editor shows how pictures of any size become cards.
QImage photo(int n)
{
    const QSize sizes[] = {{800, 600}, {600, 800}, {1200, 500}};
    const QSize size = sizes[n % 3];
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor::fromHsv((190 + n * 37) % 360, 150, 230));
    sky.setColorAt(1, QColor::fromHsv((30 + n * 37) % 360, 60, 255));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 90));
    p.drawEllipse(QPointF(size.width() * (0.2 + 0.04 * n), size.height() * 0.3),
                  size.height() * 0.12, size.height() * 0.12);
    for (int hill = 0; hill < 3; ++hill) {
        p.setBrush(QColor::fromHsv((90 + n * 23 + hill * 40) % 360, 120, 190 - hill * 45));
        const double top = size.height() * (0.55 + 0.12 * hill);
        const double x = size.width() * (0.15 + 0.35 * hill + 0.03 * n);
        p.drawEllipse(QPointF(x, top + size.height()), size.width() * 0.6, size.height());
    }
    return image;
}

// A new game in the editor made of 19 photos and 18 tunes from a folder of the author's.
void makeGameFromPhotos(TForm1 &form, const QString &photos)
{
    QStringList pictures, tunes;
    for (int n = 1; n <= 19; ++n) {
        const char *format = n % 2 ? "jpg" : "png";
        pictures << QDir(photos).filePath(QString("holiday %1.%2").arg(n).arg(format));
        photo(n).save(pictures.last());
    }
    for (int n = 1; n <= 18; ++n) {
        tunes << QDir(photos).filePath(QString("tune %1.mid").arg(n));
        QFile::copy(QString("TA%1.mid").arg(n <= 15 ? n : n - 15), tunes.last());
    }
    Ui::TForm1 &ui = form.ui;
    ui.PageControl1->setCurrentWidget(ui.QuorvelEditor);
    ui.EditorNew->click();
    ui.EditorGameName->setText("Our Holiday");
    test::dropFiles(ui.EditorBMPsGrid->viewport(), ui.EditorBMPsGrid->cellRect(0, 1).center(),
              pictures.mid(0, 15));
    test::dropFiles(ui.EditorMidisGrid->viewport(), ui.EditorMidisGrid->cellRect(0, 1).center(),
              tunes.mid(0, 15));
    QLineEdit *const fields[] = {ui.EditCardBack, ui.EditRedCard,    ui.EditGreenCard,
                                 ui.EditBlueCard, ui.EditYouWonMidi, ui.EditReadMeMidi,
                                 ui.EditHelpMidi};
    const QStringList rest = pictures.mid(15) + tunes.mid(15);
    for (int i = 0; i < 7; ++i)
        test::dropFiles(fields[i], {5, 5}, {rest[i]});
    ui.EditorGameName->setFocus(); // where Enter in the last field has led
    ui.EditorGameName->end(false);
    settle();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    QTemporaryDir folder;
    const QString games = qEnvironmentVariable("QUORVEL_GAMES_DIR");
    for (const QString &f : QDir(games).entryList(QDir::Files))
        QFile::copy(games + "/" + f, folder.filePath(f));
    QDir::setCurrent(folder.path());
    ErrorReport::setSink([](const QString &t) { std::fprintf(stderr, "error: %s\n", qPrintable(t)); });

    auto player = std::make_unique<FakePlayer>();
    player->defaultPolls = 0;
    TForm1::Options options;
    options.player = std::move(player);
    options.seed = 2026;
    TForm1 form(std::move(options));
    form.ui.Button2->setText("NO MUSIC");
    form.show();
    settle();

    const char *prefixes[] = {"OQ", "MQ", "BQ", "TA"};
    for (int g = 0; g < 4; ++g) {
        if (g > 0)
            form.ui.SelectGame->click();
        form.ui.SelectPlayers->setText("2");
        // RED finds two pairs, misses, GREEN finds one and turns up two more faces.
        const int plan[][2] = {{3, 18}, {7, 22}, {1, 2}, {12, 27}};
        for (const auto &turn : plan) {
            click(form, positionOf(form, turn[0]));
            click(form, positionOf(form, turn[1]));
        }
        click(form, positionOf(form, 5));
        form.engine.board.CellState[PositionColumn(positionOf(form, 9))]
                                   [PositionRow(positionOf(form, 9))] = kFaceUp;
        form.ui.FestquorGrid1->viewport()->repaint();
        settle();
        form.grab().save(out + QString("/board-%1.png").arg(prefixes[g]));
    }

    const char *pages[] = {"play", "editor", "cards", "saved", "help", "readme"};
    for (int i = 1; i < 6; ++i) {
        form.ui.PageControl1->setCurrentIndex(i);
        settle();
        form.grab().save(out + QString("/page-%1.png").arg(pages[i]));
    }

    QTemporaryDir photos;
    makeGameFromPhotos(form, photos.path());
    form.grab().save(out + "/editor.png");
    return 0;
}
