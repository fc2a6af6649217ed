// A close request or QUIT that comes inside one of the program's pauses, on the real window
// running in the real main loop, with the fake player standing in for FluidSynth. The request
// is made at a counted tick of the paused operation.
#include "guitest.h"

#include <QTimer>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// A pair's tune of kTunePolls polls: ticks 1 to kTunePolls + 1 poll it (the last poll reads
// the end), the 5-tick tail follows.
constexpr int kTunePolls = 12;
const QByteArray kStoredName = "Stored at the close";

struct Session {
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    int ticks = 0;        // ticks since the operation started
    bool counting = false;
    bool operationDone = false;

    Session()
    {
        w.player->defaultPolls = kTunePolls;
        // A record above 3 on the editor's screen, with a change that only FormClose stores.
        w->ui.EditorNew->click();
        w->ui.EditorGameName->setText(QString::fromLatin1(kStoredName));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QObject::connect(w->Timer1, &QTimer::timeout, w.form.get(), [this] {
            if (counting)
                ++ticks;
        });
    }

    // The position of card n on the board.
    int positionOf(int card)
    {
        for (int p = 1; p <= kBoardCells; ++p) {
            if (CardAt(w->engine.board, p) == card)
                return p;
        }
        return 0;
    }
    void clickCard(int card)
    {
        const int p = positionOf(card);
        DrawGrid *grid = w->ui.FestquorGrid1;
        const QRect cell = grid->cellRect(PositionColumn(p), PositionRow(p));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    int state(int card)
    {
        const int p = positionOf(card);
        return w->engine.board.CellState[PositionColumn(p)][PositionRow(p)];
    }
    bool stored() { return folder.bytes("quorvels.dat").contains(kStoredName); }

    // Starts `operation` from the main loop, runs `request` when `atTick` ticks of it have
    // passed, and runs the main loop until the program ends. Returns the main loop's result;
    // 99 when it did not end.
    template <typename Operation, typename Request>
    int run(Operation operation, int atTick, Request request)
    {
        QObject::connect(w->Timer1, &QTimer::timeout, w.form.get(), [this, atTick, request] {
            if (counting && ticks == atTick)
                request();
        });
        QTimer::singleShot(0, w.form.get(), [this, operation] {
            counting = true;
            operation();
            operationDone = true;
        });
        // A guard against a program that runs on, not a measure of time.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        watchdog.start(60000);
        return QCoreApplication::exec();
    }
};

} // namespace

class TestCloseInPause : public QObject {
    Q_OBJECT

private slots:
    void closeRunsAtOnceAndEndsAfterThePause_data();
    void closeRunsAtOnceAndEndsAfterThePause();
    void quitInAPauseEndsAtOnce();
};

void TestCloseInPause::closeRunsAtOnceAndEndsAfterThePause_data()
{
    QTest::addColumn<QString>("pause");
    QTest::addColumn<int>("atTick");
    QTest::newRow("the tune's polls") << "pair" << 4;
    QTest::newRow("the tune's last poll") << "pair" << kTunePolls + 1;
    QTest::newRow("the tune's 5-tick tail") << "pair" << kTunePolls + 3;
    QTest::newRow("a 10-tick pause") << "silent pair" << 5;
    QTest::newRow("the start tune's 5-tick wait") << "start tune" << 2;
}

// FormClose stores the editor's record at once, inside the pause; the paused operation then
// finishes, and only then does the program end, with the window closed.
void TestCloseInPause::closeRunsAtOnceAndEndsAfterThePause()
{
    QFETCH(QString, pause);
    QFETCH(int, atTick);
    Session s;
    if (pause == "silent pair")
        s.w->ui.Button2->click();
    s.w.player->log.clear();
    const int pollsBefore = s.w.player->pollCount;

    bool storedAtClose = false;
    bool hiddenAtClose = false;
    bool pendingAtClose = false;
    const int result = s.run(
        [&] {
            if (pause == "start tune") {
                s.w->ui.SelectGame->click();
            } else {
                s.clickCard(2);
                s.clickCard(17);
            }
        },
        atTick,
        [&] {
            pendingAtClose = !s.operationDone;
            QVERIFY(s.w->close());
            storedAtClose = s.stored();
            hiddenAtClose = !s.w->isVisible();
        });

    QCOMPARE(result, 0);
    QVERIFY(pendingAtClose);
    QVERIFY(storedAtClose);
    QVERIFY(hiddenAtClose);
    QVERIFY(s.operationDone);
    QCOMPARE(s.w.exitCode, -1); // not QUIT
    QVERIFY(s.errors.texts.isEmpty());
    if (pause == "start tune") {
        // The tune was still started after its wait.
        QCOMPARE(s.w.player->entries("play ").size(), size_t(1));
    } else {
        // The pair was marked when its pause had ended.
        QCOMPARE(s.state(2), kMatchedByRed);
        QCOMPARE(s.state(17), kMatchedByRed);
    }
    if (pause == "pair")
        QCOMPARE(s.w.player->pollCount - pollsBefore, kTunePolls + 1);
    if (pause == "silent pair")
        QVERIFY(s.w.player->log.empty());
}

// QUIT inside a pause ends the program at once, abandoning the paused operation, and stores
// nothing.
void TestCloseInPause::quitInAPauseEndsAtOnce()
{
    Session s;
    const int pollsBefore = s.w.player->pollCount;
    bool endedInThePause = false;
    int pollsAtQuit = 0;
    s.run(
        [&] {
            s.clickCard(2);
            s.clickCard(17);
        },
        4,
        [&] {
            s.w->ui.Button1->click();
            endedInThePause = s.w.exitCode == 0 && !s.operationDone;
            pollsAtQuit = s.w.player->pollCount - pollsBefore;
            // The real exit never returns; here the pause is let run out (its tune was
            // closed) and the loop ended.
            s.w->Timer1->start();
            QCoreApplication::exit(0);
        });
    QVERIFY(endedInThePause);
    QVERIFY(pollsAtQuit < kTunePolls);
    QVERIFY(!s.stored());
}

QTEST_MAIN(TestCloseInPause)
#include "tst_closeinpause.moc"
