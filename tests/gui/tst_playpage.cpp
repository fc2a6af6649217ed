// Games played on the real window, with the fake player standing in for FluidSynth and the
// test driving the tick clock: pauses and repaints are counted in ticks, never timed.
#include "guitest.h"
#include "tickdriver.h"

#include "app/accessibility.h"
#include "app/eventhook.h"
#include "play/announcements.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Play {
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    TickDriver clock{*w.form};
    int paints = 0;

    Play()
    {
        w.player->defaultPolls = 2;
        EventHook::install(grid()->viewport(), [this](QEvent *event) {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        });
        QVERIFY(showWindow(w.form.get()));
        // The play page's show handler has started its tune, after the one of start-up, so
        // it cannot run inside a test's own pause later.
        QTRY_COMPARE_WITH_TIMEOUT(w.player->entries("play ").size(), size_t(2), kPatienceMs);
    }
    DrawGrid *grid() { return w->ui.FestquorGrid1; }
    TurnEngine &engine() { return w->engine; }

    // The position of card n on the board.
    int positionOf(int card)
    {
        for (int p = 1; p <= kBoardCells; ++p) {
            if (CardAt(engine().board, p) == card)
                return p;
        }
        return 0;
    }
    void clickPosition(int p)
    {
        const QRect cell = grid()->cellRect(PositionColumn(p), PositionRow(p));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cell.center());
    }
    void clickCard(int card) { clickPosition(positionOf(card)); }
    int state(int p) { return engine().board.CellState[PositionColumn(p)][PositionRow(p)]; }
    // What the window last painted in the middle of the cell at position p.
    QColor shown(int p)
    {
        const QRect cell = grid()->cellRect(PositionColumn(p), PositionRow(p));
        return lastPainted(grid()->viewport(), cell.center());
    }
    QStringList cardTunesOpened()
    {
        return tunesOpened(*w.player);
    }
    // Holds the clock and hands out ticks one by one, handling the window's other events
    // between them, until the grid is painted. Returns how many ticks that took, or -1 when
    // no single paint came within 100 ticks.
    int ticksToNextRepaint()
    {
        clock.hold();
        const int before = paints;
        int ticks = 0;
        QCoreApplication::processEvents();
        while (paints == before && ticks < 2 * TickClock::kRepaintTicks) {
            clock.tick();
            ++ticks;
            if (paints == before)
                QCoreApplication::processEvents();
        }
        clock.release();
        return paints == before + 1 ? ticks : -1;
    }
};

} // namespace

class TestPlayPage : public QObject {
    Q_OBJECT

private slots:
    void onePlayerPlaysAWholeGame();
    void mismatchPassesTheTurnAndShowsAtTheNextRepaint();
    void threePlayersScoreAtTheEnd();
    void keyboardTurnsCards();
    void playersButtonCyclesUntilTheFirstCard();
    void newGameInTheMiddle();
    void aPairPausesForItsCue_data();
    void aPairPausesForItsCue();
    void clicksDuringAPairsTuneAreLost();
    void dealDuringAPairsTuneMarksNothing();
    void failedCardTuneStillMarksThePair();
    void selectGameCyclesTheLibrary();
    void facesFoldOntoTheirPictures();
    void boardReadsAsATableOfWhatItShows();
    void announcesEachEventInOneMessage();
};

void TestPlayPage::onePlayerPlaysAWholeGame()
{
    Play t;
    for (int k = 1; k <= kCardCount; ++k) {
        t.clickCard(k);
        t.clickCard(k + 15);
        QCOMPARE(t.state(t.positionOf(k)), kMatchedByRed);
        QCOMPARE(t.state(t.positionOf(k + 15)), kMatchedByRed);
    }
    QCOMPARE(t.w->ui.Label1->text(), QString("  You Did It In 15 Tries."));
    const QStringList opened = t.cardTunesOpened();
    for (int k = 1; k <= kCardCount; ++k)
        QVERIFY2(opened.contains(QString("OQ%1.mid").arg(k)), qPrintable(opened.join(' ')));
    QCOMPARE(opened.last(), QString("OQwin.mid"));
    // The end of the game repaints the board at once: every cell shows the red card, also
    // the last pair, which was not repainted when it was found.
    for (int p = 1; p <= kBoardCells; ++p)
        QCOMPARE(t.shown(p), pictureColour(0, kRedCardSlot));
    QVERIFY(t.errors.texts.isEmpty());

    // A click on the finished board announces the result again and replays the win tune.
    t.w->ui.Label1->setText("x");
    t.clickPosition(7);
    QCOMPARE(t.w->ui.Label1->text(), QString("  You Did It In 15 Tries."));
    QCOMPARE(t.cardTunesOpened().count("OQwin.mid"), 2);

    // The next game counts its own tries.
    t.w->ui.NewGame->click();
    t.clickCard(1);
    t.clickCard(2);
    for (int k = 1; k <= kCardCount; ++k) {
        t.clickCard(k);
        t.clickCard(k + 15);
    }
    QCOMPARE(t.w->ui.Label1->text(), QString("  You Did It In 16 Tries."));
}

void TestPlayPage::mismatchPassesTheTurnAndShowsAtTheNextRepaint()
{
    Play t;
    t.w->ui.SelectPlayers->click(); // two players
    const int first = t.positionOf(1), second = t.positionOf(2);
    t.clickPosition(first);
    QCOMPARE(t.state(first), kFaceUp);
    QCOMPARE(t.shown(first), pictureColour(0, 1));
    const int paintsBefore = t.paints;
    t.clickPosition(second);
    QCOMPARE(t.paints, paintsBefore + 1); // the second card is shown at once
    QCOMPARE(t.w->ui.Label1->text(), QString("Current Player = GREEN"));
    QCOMPARE(t.w->frameColour(), QColor(0, 128, 0));
    QCOMPARE(t.state(first), kFaceDown);
    QCOMPARE(t.state(second), kFaceDown);

    // Both stay on screen face up until the periodic repaint, 50 ticks after the second card
    // restarted the counter.
    QCOMPARE(t.shown(first), pictureColour(0, 1));
    QCOMPARE(t.shown(second), pictureColour(0, 2));
    QCOMPARE(t.ticksToNextRepaint(), TickClock::kRepaintTicks);
    QCOMPARE(t.shown(first), pictureColour(0, kCardBackSlot));
    QCOMPARE(t.shown(second), pictureColour(0, kCardBackSlot));

    // A pair keeps GREEN on turn and turns GREEN's colour.
    t.clickCard(5);
    t.clickCard(20);
    QCOMPARE(t.state(t.positionOf(5)), kMatchedByRed + 1);
    QCOMPARE(t.w->ui.Label1->text(), QString("Current Player = GREEN"));
    QCOMPARE(t.w->frameColour(), QColor(0, 128, 0));
}

void TestPlayPage::threePlayersScoreAtTheEnd()
{
    Play t;
    t.w->ui.SelectPlayers->click();
    t.w->ui.SelectPlayers->click();
    QCOMPARE(t.w->ui.SelectPlayers->text(), QString("3"));
    t.w->ui.Button2->click(); // no music: short pauses
    // RED finds 5 pairs, misses; GREEN finds 5, misses; BLUE finds the last 5.
    int k = 1;
    for (int player = 0; player < 3; ++player) {
        for (int i = 0; i < 5; ++i, ++k) {
            t.clickCard(k);
            t.clickCard(k + 15);
        }
        if (player < 2) {
            t.clickCard(k);
            t.clickCard(k + 1);
        }
    }
    QCOMPARE(t.w->ui.Label1->text(), QString("  ALL Players TIE with 10 Cards."));
    QCOMPARE(t.shown(t.positionOf(1)), pictureColour(0, kRedCardSlot));
    QCOMPARE(t.shown(t.positionOf(7)), pictureColour(0, kGreenCardSlot));
    QCOMPARE(t.shown(t.positionOf(30)), pictureColour(0, kBlueCardSlot));
}

void TestPlayPage::keyboardTurnsCards()
{
    Play t;
    t.grid()->setFocus();
    QTest::keyClick(t.grid(), Qt::Key_Right);
    QCOMPARE(t.state(BoardPosition(1, 0)), kFaceUp);
    QTest::keyClick(t.grid(), Qt::Key_End); // column 4 of row 0: the second card
    QCOMPARE(t.engine().CardsTurned, 2);
    QTest::keyClick(t.grid(), Qt::Key_PageDown);
    QCOMPARE(t.grid()->currentRow(), 5);
    QCOMPARE(t.state(BoardPosition(4, 5)), kFaceUp);

    // Ctrl with an arrow moves without turning; Enter and Space turn the card moved to.
    t.w->ui.NewGame->click();
    QTest::keyClick(t.grid(), Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(t.grid(), Qt::Key_Left, Qt::ControlModifier);
    QCOMPARE(t.engine().CardsTurned, 0);
    QTest::keyClick(t.grid(), Qt::Key_Return);
    QCOMPARE(t.state(BoardPosition(3, 4)), kFaceUp);
    QTest::keyClick(t.grid(), Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(t.grid(), Qt::Key_Space);
    QCOMPARE(t.engine().CardsTurned, 2);
}

void TestPlayPage::playersButtonCyclesUntilTheFirstCard()
{
    Play t;
    QPushButton *players = t.w->ui.SelectPlayers;
    for (const char *caption : {"2", "3", "1"}) {
        players->click();
        QCOMPARE(players->text(), QString(caption));
    }
    players->setText("7");
    players->click();
    QCOMPARE(players->text(), QString("7"));
    players->setText("1");
    t.clickPosition(1);
    QVERIFY(!players->isEnabled());
    QTest::mouseClick(players, Qt::LeftButton);
    QCOMPARE(players->text(), QString("1"));
    t.w->ui.SelectGame->click();
    QVERIFY(players->isEnabled());
}

void TestPlayPage::newGameInTheMiddle()
{
    Play t;
    t.w->ui.SelectPlayers->click();
    t.clickCard(1);
    t.clickCard(2);
    const int up = t.positionOf(3);
    t.clickCard(3);
    QCOMPARE(t.w->ui.Label1->text(), QString("Current Player = GREEN"));
    const int paints = t.paints;
    t.w->ui.NewGame->click();
    QCOMPARE(t.w->ui.Label1->text(), QString("Current Player = RED"));
    QCOMPARE(t.w->frameColour(), QColor(255, 0, 0));
    QCOMPARE(t.engine().PickCount, 0);
    QCOMPARE(t.engine().CardsTurned, 0);
    QVERIFY(t.w->ui.SelectPlayers->isEnabled());
    // NEW does not repaint: the old board stays on screen until the clock's repaint, 50 ticks
    // after the last card turned.
    QCOMPARE(t.paints, paints);
    QCOMPARE(t.shown(up), pictureColour(0, 3));
    QCOMPARE(t.ticksToNextRepaint(), TickClock::kRepaintTicks);
    QCOMPARE(t.shown(up), pictureColour(0, kCardBackSlot));
}

void TestPlayPage::aPairPausesForItsCue_data()
{
    QTest::addColumn<bool>("music");
    QTest::addColumn<int>("polls");
    QTest::addColumn<int>("ticks");
    QTest::newRow("no music: ten ticks, the player untouched") << false << 40 << 10;
    // With music, one tick per poll until a poll reads "not playing", then five ticks.
    QTest::newRow("a tune of 3 polls") << true << 3 << 4 + 5;
    QTest::newRow("a tune of 40 polls") << true << 40 << 41 + 5;
    QTest::newRow("a tune that never plays") << true << 0 << 1 + 5;
}

void TestPlayPage::aPairPausesForItsCue()
{
    QFETCH(bool, music);
    QFETCH(int, polls);
    QFETCH(int, ticks);
    Play t;
    if (!music)
        t.w->ui.Button2->click();
    QCOMPARE(t.w->ui.Button2->text(), QString(music ? "MUSIC" : "NO MUSIC"));
    t.w.player->polls["OQ4.mid"] = polls;
    t.w.player->log.clear();
    QCOMPARE(t.clock.ticksOf([&] { t.clickCard(4); }), 0);
    QCOMPARE(t.clock.ticksOf([&] { t.clickCard(19); }), ticks);
    QCOMPARE(t.state(t.positionOf(4)), kMatchedByRed);
    QCOMPARE(t.state(t.positionOf(19)), kMatchedByRed);
    QCOMPARE(t.cardTunesOpened(), music ? QStringList{"OQ4.mid"} : QStringList());
    QVERIFY(music || t.w.player->log.empty());

    // The play page's own tune follows the switch too.
    t.w->ui.PageControl1->setCurrentIndex(4);
    t.w.player->log.clear();
    t.w->ui.PageControl1->setCurrentIndex(0);
    QCOMPARE(t.cardTunesOpened(), music ? QStringList{"OQ1.mid"} : QStringList());
    QVERIFY(t.errors.texts.isEmpty());
}

void TestPlayPage::clicksDuringAPairsTuneAreLost()
{
    Play t;
    t.w.player->polls["OQ6.mid"] = 40;
    const int other = t.positionOf(9);
    bool pending = false;
    t.clickCard(6);
    t.clock.after(20, [&] {
        pending = t.engine().PairPending;
        t.clickPosition(other);
    });
    t.clickCard(21);
    QVERIFY(pending);
    QCOMPARE(t.state(other), kFaceDown);
    QCOMPARE(t.state(t.positionOf(6)), kMatchedByRed);
    QVERIFY(!t.engine().PairPending);
}

void TestPlayPage::dealDuringAPairsTuneMarksNothing()
{
    Play t;
    t.w.player->polls["OQ6.mid"] = 40;
    bool dealt = false;
    t.clickCard(6);
    t.clock.after(20, [&] {
        dealt = true;
        t.w->ui.NewGame->click();
    });
    t.clickCard(21);
    QVERIFY(dealt);
    QCOMPARE(t.engine().PickString, std::string(30, '0'));
    for (int p = 1; p <= kBoardCells; ++p)
        QCOMPARE(t.state(p), kFaceDown);
    QCOMPARE(t.w->ui.Label1->text(), QString("Current Player = RED"));
}

void TestPlayPage::failedCardTuneStillMarksThePair()
{
    Play t;
    QFile::remove(t.folder.file("OQ3.mid"));
    t.clickCard(3);
    t.clickCard(18);
    QCOMPARE(t.errors.texts.size(), 1);
    QVERIFY(t.errors.texts.first().contains("OQ3.mid"));
    QCOMPARE(t.state(t.positionOf(3)), kMatchedByRed);
    t.clickCard(4);
    QCOMPARE(t.state(t.positionOf(4)), kFaceUp);
}

void TestPlayPage::selectGameCyclesTheLibrary()
{
    Play t;
    const QStringList names = {"Makers Quorvel", "Brevic Quorvel", "Tamsel Quorvel",
                               "Ostrel Quorvel", "Makers Quorvel"};
    const QStringList tunes = {"MQ1.mid", "BQ1.mid", "TA1.mid", "OQ1.mid", "MQ1.mid"};
    for (int i = 0; i < names.size(); ++i) {
        t.w->ui.SelectGame->click();
        QCOMPARE(t.w->ui.GameName->text(), names[i]);
        QCOMPARE(QString::fromStdString(t.w.player->entries("play ").back()), tunes[i]);
    }
    // The new game's pictures are painted at once.
    QCOMPARE(t.shown(1), pictureColour(1, kCardBackSlot));

    // A missing card back: the name changes, the board stays, the next click goes on.
    QFile::remove(t.folder.file("BQCvr.bmp"));
    t.w->ui.SelectGame->click();
    QCOMPARE(t.errors.texts, QStringList{"Cannot open file BQCvr.bmp."});
    QCOMPARE(t.w->ui.GameName->text(), QString("Brevic Quorvel"));
    QCOMPARE(t.shown(1), pictureColour(1, kCardBackSlot));
    t.w->ui.SelectGame->click();
    QCOMPARE(t.w->ui.GameName->text(), QString("Tamsel Quorvel"));
}

void TestPlayPage::facesFoldOntoTheirPictures()
{
    Play t;
    t.clickCard(16);
    QCOMPARE(t.shown(t.positionOf(16)), pictureColour(0, 1));
    t.clickCard(1);
    QCOMPARE(t.state(t.positionOf(1)), kMatchedByRed);
    // A found pair is not repainted by itself: it shows its faces until the clock's repaint,
    // which comes 44 ticks on, as the tune's last 5-tick wait left the counter at 6.
    QCOMPARE(t.shown(t.positionOf(1)), pictureColour(0, 1));
    QCOMPARE(t.ticksToNextRepaint(), TickClock::kRepaintTicks - 6);
    QCOMPARE(t.shown(t.positionOf(1)), pictureColour(0, kRedCardSlot));
    QCOMPARE(t.shown(t.positionOf(16)), pictureColour(0, kRedCardSlot));
}

// A screen reader's view of the board: a table whose cells say what a sighted player sees
// there, and a Press that turns the card.
void TestPlayPage::boardReadsAsATableOfWhatItShows()
{
    Play t;
    QAccessibleInterface *board = QAccessible::queryAccessibleInterface(t.grid());
    QCOMPARE(board->role(), QAccessible::Table);
    QCOMPARE(board->text(QAccessible::Name), QString("Board"));
    QAccessibleTableInterface *table = board->tableInterface();
    QCOMPARE(table->rowCount(), kBoardRows);
    QCOMPARE(table->columnCount(), kBoardColumns);
    const auto cellOf = [&](int p) { return table->cellAt(PositionRow(p), PositionColumn(p)); };
    const auto nameOf = [&](int p) { return cellOf(p)->text(QAccessible::Name); };
    QCOMPARE(table->cellAt(1, 2)->text(QAccessible::Name), QString("face down, row 2 column 3"));
    QCOMPARE(board->indexOfChild(table->cellAt(1, 2)), 7);

    const int parrot = t.positionOf(7), penguin = t.positionOf(8);
    QAccessibleActionInterface *press = cellOf(parrot)->actionInterface();
    QCOMPARE(press->actionNames().first(), QAccessibleActionInterface::pressAction());
    press->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(t.state(parrot), kFaceUp);
    QVERIFY2(nameOf(parrot).startsWith("Parrot, row "), qPrintable(nameOf(parrot)));
    // A miss reads turned up for as long as the screen shows it so.
    t.clock.hold();
    t.clickPosition(penguin);
    QCOMPARE(t.state(penguin), kFaceDown);
    QVERIFY2(nameOf(penguin).startsWith("Penguin, row "), qPrintable(nameOf(penguin)));
    t.clock.release();
    QTRY_VERIFY(nameOf(penguin).startsWith("face down, row "));
    t.clickCard(7);
    t.clickCard(22);
    QTRY_VERIFY2(nameOf(parrot).startsWith("Red's pair, Parrot, row "),
                 qPrintable(nameOf(parrot)));
}

void TestPlayPage::announcesEachEventInOneMessage()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    auto *announcer = w->findChild<Announcer *>();
    QAccessibleInterface *notice = QAccessible::queryAccessibleInterface(announcer);
    QCOMPARE(notice->role(), QAccessible::Notification);
    const auto heard = [&] { return notice->text(QAccessible::Name); };
    QCOMPARE(heard(), QString()); // start-up dealt and played, in silence
    QVERIFY(showWindow(w.form.get()));
    w->ui.SelectPlayers->click();
    QCOMPARE(heard(), QString("Players: 2"));
    w->ui.NewGame->click();
    QCOMPARE(heard(), QString("Ostrel Quorvel, new deal, Red to play"));
    w->ui.Button2->click();
    QCOMPARE(heard(), QString("Music: off"));
    w->ui.FestquorGrid1->clickCell(0, 0);
    QCOMPARE(heard(), QString::fromStdString(CardName(w->engine.cardNames,
                                                      CardAt(w->engine.board, 1))));
    QVERIFY(errors.texts.isEmpty());
}

QTEST_MAIN(TestPlayPage)
#include "tst_playpage.moc"
