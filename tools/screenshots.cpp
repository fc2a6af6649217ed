// Takes screenshots of the window for the documentation: each default game's board with
// a few pairs found and a card turned, and every page. Usage: quorvel_screenshots <folder>
// (the default games' files are taken from QUORVEL_GAMES_DIR).
#include "app/errorreport.h"
#include "app/form1.h"
#include "fakeplayer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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
    return 0;
}
