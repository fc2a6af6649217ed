// The card descriptions page on the real window: what it shows, how its grids and scroll
// bar move together, its tune and its context-menu repaint.
#include "guitest.h"

#include "app/eventhook.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr int kLinesInView = 18;

QString defaultLine(int game, int j)
{
    return QString::fromLatin1(kDefaultGames[game].descriptions[j - 1]);
}

QString tuneOf(int game, int slot)
{
    return QString::fromStdString(defaultMidiName(kDefaultGames[game], slot));
}

struct CardsPage {
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    int paints = 0;

    CardsPage()
    {
        EventHook::install(pictures()->viewport(), [this](QEvent *event) {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        });
        QVERIFY(showWindow(w.form.get()));
    }

    QWidget *page() { return w->ui.AboutTheCards; }
    DrawGrid *pictures() { return w->ui.AboutTheCardsGrid; }
    StringGrid *lines() { return w->ui.CardDescriptionsGrid; }
    QScrollBar *bar() { return w->ui.ScrollBar1; }

    // Brings the page to the front, as a click on its tab does; from the editor's page,
    // which plays nothing, so that the show handler runs every time.
    void showPage()
    {
        w->ui.PageControl1->setCurrentWidget(w->ui.QuorvelEditor);
        w.player->log.clear();
        w->ui.PageControl1->setCurrentWidget(page());
    }

    QStringList opened()
    {
        return tunesOpened(*w.player);
    }

    // Checks that every description row in view shows the line of game `game` it stands
    // for, beside the painted face of its own card.
    void checkRowsInView(int game)
    {
        const QImage shot = page()->grab().toImage();
        const int pictureX =
            pictures()->viewport()->mapTo(page(), QPoint(pictures()->colWidth(0) / 2, 0)).x();
        const int top = lines()->topRow();
        for (int d = top; d < top + kLinesInView; ++d) {
            QCOMPARE(lines()->cell(0, d), defaultLine(game, d + 1));
            const QRect cell = lines()->cellRect(0, d);
            QVERIFY2(!cell.isEmpty(), qPrintable(QString("row %1 not in view").arg(d)));
            const int y = lines()->viewport()->mapTo(page(), cell.center()).y();
            QCOMPARE(shot.pixelColor(pictureX, y), pictureColour(game, d / 3 + 1));
        }
    }
};

void sendWheel(QWidget *target, int notches)
{
    const QPointF at(10, 10);
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class TestCardsPage : public QObject {
    Q_OBJECT

private slots:
    void showsTheGameInPlay();
    void fillsTheTextsWhateverBecomesOfTheTune();
    void scrollBarMovesBothGrids_data();
    void scrollBarMovesBothGrids();
    void descriptionGridSnapsToTheFirstLineOfItsCard();
    void pictureGridLeadsTheDescriptions();
    void wheelOverEitherGridScrollsByCards();
    void contextMenuRequestRepaintsThePictures_data();
    void contextMenuRequestRepaintsThePictures();
};

void TestCardsPage::showsTheGameInPlay()
{
    CardsPage t;
    // The editor's record never shows here, whatever it holds.
    fillDefaultRecord(t.w->editor.EditRecord, kDefaultGames[3]);
    t.showPage();
    QCOMPARE(t.w->ui.GameName2->text(), QString::fromLatin1(kDefaultGames[0].name));
    t.checkRowsInView(0);
    QCOMPARE(t.opened(), QStringList{tuneOf(0, kWinTuneSlot)});
    QCOMPARE(t.w.player->entries("play "), std::vector<std::string>{"OQwin.mid"});
    // A screen reader reads each picture as its card's name, with the card's three lines.
    QAccessibleTableInterface *read =
        QAccessible::queryAccessibleInterface(t.pictures())->tableInterface();
    QCOMPARE(read->cellAt(6, 0)->text(QAccessible::Name), QString("Parrot"));
    QCOMPARE(read->cellAt(6, 0)->text(QAccessible::Description),
             QStringList({defaultLine(0, 19), defaultLine(0, 20), defaultLine(0, 21)}).join(' '));

    t.w->ui.SelectGame->click();
    t.showPage();
    QCOMPARE(t.w->ui.GameName2->text(), QString::fromLatin1(kDefaultGames[1].name));
    QCOMPARE(read->cellAt(0, 0)->text(QAccessible::Name), QString("Claw Hammer"));
    t.checkRowsInView(1);
    QCOMPARE(t.opened(), QStringList{tuneOf(1, kWinTuneSlot)});

    // TEST GAME puts the editor's record in play; from then on the page shows that one.
    fillDefaultRecord(t.w->editor.EditRecord, kDefaultGames[2]);
    t.w->ui.PageControl1->setCurrentWidget(t.w->ui.QuorvelEditor);
    t.w->ui.TestGame->click();
    fillDefaultRecord(t.w->editor.EditRecord, kDefaultGames[3]);
    t.showPage();
    QCOMPARE(t.w->ui.GameName2->text(), QString::fromLatin1(kDefaultGames[2].name));
    t.bar()->setValue(9);
    t.checkRowsInView(2);
    QCOMPARE(t.opened(), QStringList{tuneOf(2, kWinTuneSlot)});
    QVERIFY(t.errors.texts.isEmpty());
}

void TestCardsPage::fillsTheTextsWhateverBecomesOfTheTune()
{
    CardsPage t;
    GameRecord blank = GameRecord::zeroed();
    blank.Name.assign("Blank");
    blank.description(2).assign("only line two");
    blank.Midis[kWinTuneSlot].assign("gone.mid");
    t.w->PlayRecord = blank;
    // Each showing reports the missing tune once; the texts are filled before, and every
    // line is written, so none of the earlier game's lines stays.
    for (int showing = 1; showing <= 2; ++showing) {
        t.showPage();
        QCOMPARE(t.errors.texts.size(), showing);
        QVERIFY(t.errors.texts.last().contains("gone.mid"));
        QVERIFY(t.w.player->entries("play ").empty());
        QCOMPARE(t.w->ui.PageControl1->currentWidget(), t.page());
        QCOMPARE(t.w->ui.GameName2->text(), QString("Blank"));
        for (int d = 0; d < kDescriptionCount; ++d)
            QCOMPARE(t.lines()->cell(0, d), d == 1 ? QString("only line two") : QString());
    }
    QCOMPARE(t.w->ui.GameName2->width(),
             t.w->ui.GameName2->fontMetrics().horizontalAdvance("Blank") + 1);

    // With music off nothing is played or reported, and the texts are filled all the same.
    t.w->ui.Button2->click();
    t.w->PlayRecord.Name.assign("Quiet");
    t.showPage();
    QVERIFY(t.w.player->log.empty());
    QCOMPARE(t.errors.texts.size(), 2);
    QCOMPARE(t.w->ui.GameName2->text(), QString("Quiet"));
}

void TestCardsPage::scrollBarMovesBothGrids_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("firstCard");
    QTest::newRow("top") << 0 << 1;
    QTest::newRow("middle") << 4 << 5;
    QTest::newRow("bottom") << 9 << 10;
}

void TestCardsPage::scrollBarMovesBothGrids()
{
    QFETCH(int, position);
    QFETCH(int, firstCard);
    CardsPage t;
    t.showPage();
    // Start elsewhere, so every row below is an actual move.
    t.bar()->setValue(position == 9 ? 2 : 9);
    t.bar()->setValue(position);
    QCOMPARE(t.pictures()->topRow(), firstCard - 1);
    QCOMPARE(t.lines()->topRow(), 3 * (firstCard - 1));
    t.checkRowsInView(0);
    // Showing the page again keeps it scrolled as it was left.
    t.showPage();
    QCOMPARE(t.pictures()->topRow(), firstCard - 1);
    QCOMPARE(t.bar()->value(), position);
}

void TestCardsPage::descriptionGridSnapsToTheFirstLineOfItsCard()
{
    CardsPage t;
    t.showPage();
    t.lines()->setTopRow(14);
    QCOMPARE(t.pictures()->topRow(), 4);
    QCOMPARE(t.lines()->topRow(), 12);
    t.checkRowsInView(0);

    // By keyboard: the selection leaving the view scrolls the grid, which snaps likewise.
    t.lines()->setFocus();
    t.lines()->setCurrentCell(0, 31);
    QCOMPARE(t.pictures()->topRow(), 4);
    QCOMPARE(t.lines()->topRow(), 12);
    QTest::keyClick(t.lines(), Qt::Key_Down);
    QCOMPARE(t.lines()->currentRow(), 32);
    QCOMPARE(t.pictures()->topRow(), 5);
    QCOMPARE(t.lines()->topRow(), 15);
    t.checkRowsInView(0);
    QCOMPARE(t.bar()->value(), 0);

    t.lines()->setTopRow(45);
    QCOMPARE(t.pictures()->topRow(), 9);
    QCOMPARE(t.lines()->topRow(), 27);
}

void TestCardsPage::pictureGridLeadsTheDescriptions()
{
    CardsPage t;
    t.showPage();
    t.bar()->setValue(1);
    QCOMPARE(t.lines()->topRow(), 3);
    t.pictures()->setFocus();
    for (int i = 0; i < 7; ++i)
        QTest::keyClick(t.pictures(), Qt::Key_Down);
    QCOMPARE(t.pictures()->currentRow(), 7);
    QCOMPARE(t.pictures()->topRow(), 2);
    QCOMPARE(t.lines()->topRow(), 6);
    QCOMPARE(t.bar()->value(), 1);
    t.checkRowsInView(0);
}

void TestCardsPage::wheelOverEitherGridScrollsByCards()
{
    CardsPage t;
    t.showPage();
    sendWheel(t.pictures()->viewport(), -2);
    QCOMPARE(t.pictures()->topRow(), 2);
    QCOMPARE(t.lines()->topRow(), 6);
    // Over the descriptions a notch moves a whole card too, downwards as upwards.
    sendWheel(t.lines()->viewport(), -1);
    QCOMPARE(t.pictures()->topRow(), 3);
    QCOMPARE(t.lines()->topRow(), 9);
    sendWheel(t.lines()->viewport(), 1);
    QCOMPARE(t.pictures()->topRow(), 2);
    QCOMPARE(t.lines()->topRow(), 6);
    QCOMPARE(t.bar()->value(), 0);
    t.checkRowsInView(0);
}

void TestCardsPage::contextMenuRequestRepaintsThePictures_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("byKeyboard");
    QTest::newRow("page") << "AboutTheCards" << false;
    QTest::newRow("scroll bar") << "ScrollBar1" << false;
    QTest::newRow("heading") << "GameName2" << false;
    QTest::newRow("descriptions") << "CardDescriptionsGrid" << false;
    QTest::newRow("pictures by menu key") << "AboutTheCardsGrid" << true;
}

void TestCardsPage::contextMenuRequestRepaintsThePictures()
{
    QFETCH(QString, target);
    QFETCH(bool, byKeyboard);
    CardsPage t;
    t.showPage();
    QTest::qWait(20);
    QWidget *control = target == t.page()->objectName()
                           ? t.page()
                           : t.page()->findChild<QWidget *>(target);
    QVERIFY(control);
    if (auto *grid = qobject_cast<GridBase *>(control); grid && !byKeyboard)
        control = grid->viewport();

    // A menu of any control would run its own loop; close it and remember it was there.
    bool menuShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            menuShown = true;
            popup->close();
        }
    });
    closer.start(10);

    const int before = t.paints;
    QContextMenuEvent request(byKeyboard ? QContextMenuEvent::Keyboard
                                         : QContextMenuEvent::Mouse,
                              QPoint(5, 5), control->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(control, &request);
    // Repainted at once, before any further event is handled.
    QCOMPARE(t.paints, before + 1);
    QVERIFY(!menuShown);
    QVERIFY(!QApplication::activePopupWidget());
}

QTEST_MAIN(TestCardsPage)
#include "tst_cardspage.moc"
