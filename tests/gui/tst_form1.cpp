// The main window as it opens: its layout, start-up, and the two ways to end the program.
#include "guitest.h"

#include "library/libraryfile.h"

#include <QScrollBar>
#include <QTabBar>

using namespace quorvel;
using namespace quorvel::test;

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void pagesInTabOrder();
    void playPageControls();
    void editorAndCardsPageControls();
    void focusFollowsTheTabOrder();
    void screenReaderSeesRolesAndNames();
    void fontsArePixelSizedAndCaptionsFit();
    void startInEmptyFolderWritesTheDefaultLibrary();
    void startWithOneRecordLibrary();
    void startWithMissingCardBackStillLoadsTheEditor();
    void quitEndsAtOnceWithoutClosing();
    void closingRunsTheCloseHandler();
    void errorBoxTextRule_data();
    void errorBoxTextRule();
};

void TestForm1::pagesInTabOrder()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    const QStringList names = {"Festral", "QuorvelEditor", "AboutTheCards",
                               "GetSaved", "HelpSheet", "ReadMe"};
    const QStringList captions = {"Play Ostrel Quorvel", "Game Editor", "AboutTheCards",
                                  "How To Be Saved", "Help", "Read Me"};
    QTabWidget *pages = w->ui.PageControl1;
    QCOMPARE(pages->count(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(pages->widget(i)->objectName(), names[i]);
        QCOMPARE(pages->tabText(i), captions[i]);
        QCOMPARE(pages->tabBar()->tabRect(i).width(), 104);
        QCOMPARE(pages->tabBar()->tabRect(i).y(), pages->tabBar()->tabRect(0).y()); // one row
    }
    QCOMPARE(pages->currentWidget(), w->ui.Festral);
    QCOMPARE(pages->geometry(), QRect(0, 0, 630, 434));
    QCOMPARE(w->size(), QSize(632, 436));
    QCOMPARE(w->minimumSize(), w->maximumSize());
    QCOMPARE(w->windowTitle(), QString("Festral Quorvel"));
    QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(w->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(errors.texts.isEmpty());
}

void TestForm1::playPageControls()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    auto &ui = w->ui;
    QVERIFY(showWindow(w.form.get()));
    QCOMPARE(w->pos(), QPoint(0, 0));

    QCOMPARE(ui.SelectGame->geometry(), QRect(423, 0, 147, 22));
    QCOMPARE(ui.SelectGame->text(), QString("SELECT GAME"));
    QCOMPARE(ui.Button1->geometry(), QRect(571, 1, 50, 43));
    QCOMPARE(ui.Button1->text(), QString("QUIT"));
    QCOMPARE(ui.SelectPlayers->text(), QString("1"));
    QCOMPARE(ui.NewGame->text(), QString("NEW"));
    QCOMPARE(ui.Button2->text(), QString("MUSIC"));
    QCOMPARE(ui.StaticText1->text(), QString("# of Players"));
    QCOMPARE(ui.StaticText1->size(), QSize(76, 17));
    QVERIFY(ui.Label1->font().bold());
    QCOMPARE(ui.Label1->size(), QSize(328, 13));
    QCOMPARE(ui.Panel2->geometry(), QRect(0, 45, 622, 360));
    QCOMPARE(w->frameColour(), QColor(255, 0, 0));

    // The play grid: 5 x 6 cells of 122 x 58 without lines fill 610 x 348 of 614 x 352.
    DrawGrid *grid = ui.FestquorGrid1;
    QCOMPARE(grid->parentWidget(), ui.Panel2);
    QCOMPARE(grid->geometry(), QRect(4, 4, 614, 352));
    QCOMPARE(grid->colCount(), 5);
    QCOMPARE(grid->rowCount(), 6);
    QCOMPARE(grid->gridLineWidth(), 0);
    QCOMPARE(grid->viewport()->size(), QSize(610, 348));
    QCOMPARE(grid->cellRect(4, 5), QRect(488, 290, 122, 58));
    QVERIFY(!grid->verticalScrollBar()->isVisible());

    // The frame shows red around the grid; the hidden controls never show.
    const QImage panel = ui.Panel2->grab().toImage();
    QCOMPARE(panel.pixelColor(2, 180), QColor(255, 0, 0));
    QVERIFY(!ui.MediaPlayer1->isVisible());
    QVERIFY(ui.PageControl1->geometry().contains(ui.Label57->geometry()));
    QCOMPARE(w->children().indexOf(ui.Label57) < w->children().indexOf(ui.PageControl1), true);
    QCOMPARE(w->childAt(ui.Label57->geometry().center()) != ui.Label57, true);
}

void TestForm1::editorAndCardsPageControls()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    auto &ui = w->ui;
    QCOMPARE(ui.EditorGameName->geometry(), QRect(80, 8, 177, 21));
    QCOMPARE(ui.EditorBMPsGrid->colCount(), 15);
    QCOMPARE(ui.EditorBMPsGrid->rowCount(), 2);
    QCOMPARE(ui.EditorBMPsGrid->fixedRows(), 1);
    QVERIFY(ui.EditorMidisGrid->editable());
    QCOMPARE(ui.EditorCardsGrid->colCount(), 5);
    QCOMPARE(ui.EditorCardsGrid->rowCount(), 3);
    QCOMPARE(ui.EditorCardsGrid2->rowCount(), 5);
    QCOMPARE(ui.TestGame->text(), QString("TEST GAME"));
    QVERIFY(ui.TestGame->font().bold());
    QCOMPARE(ui.TestGame->font().family(), QString("Times New Roman"));
    const QStringList labels = {"Card Back", "Red Card", "Green Card", "Blue Card",
                                "You Won Midi", "Read Me Midi", "Help Midi"};
    const QList<QLabel *> above = {ui.Label55, ui.Label56, ui.Label58, ui.Label59,
                                   ui.Label60, ui.Label61, ui.Label62};
    for (int i = 0; i < labels.size(); ++i) {
        QCOMPARE(above[i]->text(), labels[i]);
        if (i > 0)
            QVERIFY(above[i]->x() > above[i - 1]->x());
    }

    QCOMPARE(ui.AboutTheCardsGrid->gridLineWidth(), 2);
    QCOMPARE(ui.AboutTheCardsGrid->rowCount(), 15);
    QCOMPARE(ui.AboutTheCardsGrid->maxTopRow(), 9);
    QCOMPARE(ui.CardDescriptionsGrid->rowCount(), 45);
    QCOMPARE(ui.CardDescriptionsGrid->maxTopRow(), 27);
    QVERIFY(!ui.CardDescriptionsGrid->editable());
    QCOMPARE(ui.ScrollBar1->maximum(), 9);
    QCOMPARE(ui.ScrollBar1->pageStep(), 1);
    QCOMPARE(ui.GameName2->font().pixelSize(), 24);
}

void TestForm1::focusFollowsTheTabOrder()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    auto &ui = w->ui;
    QVERIFY(showWindow(w.form.get()));
    const QList<QWidget *> play = {ui.Button1, ui.FestquorGrid1, ui.NewGame,
                                   ui.SelectPlayers, ui.Button2, ui.SelectGame};
    play.first()->setFocus();
    for (int i = 1; i < play.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), play[i]);
    }

    ui.PageControl1->setCurrentWidget(ui.QuorvelEditor);
    const QList<QWidget *> editor = {
        ui.EditorGameName, ui.EditorBMPsGrid, ui.EditorNew, ui.EditorFirst, ui.EditorPrevious,
        ui.EditorNext, ui.EditorLast, ui.EditorQuit, ui.EditorMidisGrid, ui.EditCardBack,
        ui.EditGreenCard, ui.EditBlueCard, ui.EditReadMeMidi, ui.EditHelpMidi, ui.EditYouWonMidi,
        ui.EditRedCard, ui.EditorCardsGrid, ui.EditorCardsGrid2, ui.EditorDelete, ui.TestGame};
    editor.first()->setFocus();
    for (int i = 1; i < editor.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), editor[i]);
    }

    // The scroll bar takes its place after the two grids and scrolls them by keyboard.
    ui.PageControl1->setCurrentWidget(ui.AboutTheCards);
    ui.AboutTheCardsGrid->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.CardDescriptionsGrid);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ui.ScrollBar1);
    QTest::keyClick(ui.ScrollBar1, Qt::Key_Down);
    QCOMPARE(ui.AboutTheCardsGrid->topRow(), 1);
    QCOMPARE(ui.CardDescriptionsGrid->topRow(), 3);
}

// What a screen reader is given: the window as a window holding the play grid through panels
// (a frame would be taken for a window of its own), a name for every control the Tab key
// reaches, and the editor's string grids as tables under their headings.
void TestForm1::screenReaderSeesRolesAndNames()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    auto &ui = w->ui;
    QVERIFY(showWindow(w.form.get()));
    const auto accessible = [](QObject *o) { return QAccessible::queryAccessibleInterface(o); };
    QAccessibleInterface *up = accessible(ui.FestquorGrid1)->parent();
    QCOMPARE(up->role(), QAccessible::Pane);
    for (; up->object() != w.form.get(); up = up->parent())
        QVERIFY2(up->role() != QAccessible::Border, qPrintable(up->object()->objectName()));
    QCOMPARE(up->role(), QAccessible::Window);

    ui.PageControl1->setCurrentWidget(ui.QuorvelEditor);
    for (QWidget *control : w->findChildren<QWidget *>()) {
        const bool reached = (control->focusPolicy() & Qt::TabFocus) && !control->focusProxy();
        if (reached && !control->isHidden()) {
            QVERIFY2(!accessible(control)->text(QAccessible::Name).isEmpty(),
                     qPrintable(control->objectName()));
        }
    }
    QCOMPARE(accessible(ui.EditCardBack)->text(QAccessible::Name), QString("Card Back"));
    QCOMPARE(accessible(ui.SelectPlayers)->text(QAccessible::Name), QString("Players: 1"));
    ui.SelectPlayers->click();
    ui.Button2->click();
    QCOMPARE(accessible(ui.SelectPlayers)->text(QAccessible::Name), QString("Players: 2"));
    QCOMPARE(accessible(ui.Button2)->text(QAccessible::Name), QString("Music: off"));

    QAccessibleTableInterface *songs = accessible(ui.EditorMidisGrid)->tableInterface();
    QCOMPARE(songs->rowCount(), 1);
    QCOMPARE(songs->columnCount(), kCardCount);
    QAccessibleInterface *cell = songs->cellAt(0, 2);
    QCOMPARE(cell->text(QAccessible::Name), QString("OQ3.mid"));
    QCOMPARE(cell->tableCellInterface()->columnHeaderCells().first()->text(QAccessible::Name),
             QString("Song 3"));
    QAccessibleTableInterface *faces = accessible(ui.EditorCardsGrid)->tableInterface();
    QCOMPARE(faces->cellAt(1, 1)->text(QAccessible::Name), QString("Parrot"));
    QVERIFY(errors.texts.isEmpty());
}

// Font sizes are pixels, like the layout's geometry, so no text grows out of its fixed
// control on a desktop with another font resolution; at those sizes every caption fits.
void TestForm1::fontsArePixelSizedAndCaptionsFit()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    QList<QWidget *> widgets = w->findChildren<QWidget *>();
    widgets << w.form.get();
    QSet<int> sizes;
    for (const QWidget *widget : widgets) {
        QVERIFY2(widget->font().pixelSize() > 0, qPrintable(widget->objectName()));
        sizes << widget->font().pixelSize();
    }
    QCOMPARE(sizes, QSet<int>({11, 13, 16, 19, 21, 24}));

    for (const QAbstractButton *button : w->findChildren<QAbstractButton *>()) {
        const int text = button->fontMetrics().horizontalAdvance(button->text());
        QVERIFY2(text + 4 <= button->width(), qPrintable(button->objectName()));
        QVERIFY2(button->fontMetrics().height() <= button->height(),
                 qPrintable(button->objectName()));
    }
    for (const QLabel *label : {w->ui.Label1, w->ui.StaticText1}) {
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) < label->width());
        QVERIFY(label->fontMetrics().height() <= label->height());
    }
    const QTabBar *tabs = w->ui.PageControl1->tabBar();
    for (int i = 0; i < tabs->count(); ++i) {
        QVERIFY(tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)) <
                tabs->tabRect(i).width());
    }
    QVERIFY(errors.texts.isEmpty());
}

void TestForm1::startInEmptyFolderWritesTheDefaultLibrary()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    QCOMPARE(QFileInfo(folder.file("quorvels.dat")).size(), 26744);
    QCOMPARE(w->ui.GameName->text(), QString("Ostrel Quorvel"));
    QVERIFY(w->ui.GameName->width() > 56); // sized to its text
    QCOMPARE(w->selection.GameIndex, 1);
    QCOMPARE(w->ui.Label1->text(), QString("Current Player = RED"));
    QCOMPARE(w.player->entries("open "), std::vector<std::string>{"OQ1.mid"});
    QCOMPARE(w.player->entries("play "), std::vector<std::string>{"OQ1.mid"});
    QVERIFY(w->editor.EditorLoaded);
    QVERIFY(errors.texts.isEmpty());

    // Showing the window starts the play page's tune again.
    QVERIFY(showWindow(w.form.get()));
    QTRY_COMPARE_WITH_TIMEOUT(w.player->entries("play ").size(), size_t(2), kPatienceMs);

    // A second start uses the file as it is.
    const QByteArray before = folder.bytes("quorvels.dat");
    TestWindow again;
    QCOMPARE(folder.bytes("quorvels.dat"), before);
}

void TestForm1::startWithOneRecordLibrary()
{
    WorkingFolder folder;
    ErrorLog errors;
    GameRecord record;
    fillDefaultRecord(record, kDefaultGames[3]);
    {
        LibraryFile file;
        file.Create();
        file.Write(record);
    }
    TestWindow w;
    QCOMPARE(w->ui.GameName->text(), QString("Tamsel Quorvel"));
    QCOMPARE(w->selection.GameIndex, 0);
    w->ui.SelectGame->click();
    QCOMPARE(w->ui.GameName->text(), QString("Tamsel Quorvel"));
}

void TestForm1::startWithMissingCardBackStillLoadsTheEditor()
{
    WorkingFolder folder;
    QFile::remove(folder.file("OQCvr.bmp"));
    ErrorLog errors;
    TestWindow w;
    QCOMPARE(errors.texts, QStringList{"Cannot open file OQCvr.bmp."});
    QCOMPARE(w->ui.GameName->text(), QString("Ostrel Quorvel"));
    QVERIFY(w.player->log.empty()); // no deal, no tune
    // Start-up went on after the failed selection: the editor stores records this run.
    QVERIFY(w->editor.EditorLoaded);
}

void TestForm1::quitEndsAtOnceWithoutClosing()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    QVERIFY(showWindow(w.form.get()));
    bool closed = false;
    connect(w.form.get(), &QObject::destroyed, this, [&] { closed = true; });
    QVERIFY(w->PlayImages.exists(0));
    w->ui.Button1->click();
    QCOMPARE(w.exitCode, 0);
    for (int i = 0; i < kImageCount; ++i)
        QVERIFY(!w->PlayImages.exists(i) && !w->EditImages.exists(i));
    QVERIFY(w.player->opened.empty());
    QVERIFY(w->isVisible()); // no close event ran
    QVERIFY(!closed);

    // The editor's QUIT goes the same way.
    TestWindow second;
    second->ui.EditorQuit->click();
    QCOMPARE(second.exitCode, 0);
}

void TestForm1::closingRunsTheCloseHandler()
{
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;
    QVERIFY(showWindow(w.form.get()));
    QVERIFY(w->close());
    QVERIFY(!w->isVisible());
    QCOMPARE(w.exitCode, -1); // closing is not QUIT
    QVERIFY(errors.texts.isEmpty());
}

void TestForm1::errorBoxTextRule_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "File not found" << "File not found.";
    QTest::newRow("digit") << "I/O error 32" << "I/O error 32.";
    QTest::newRow("bang") << "Oops!" << "Oops!";
    QTest::newRow("paren") << "Cannot open (x)" << "Cannot open (x)";
    QTest::newRow("dot") << "Done." << "Done.";
    QTest::newRow("slash") << "path/" << "path/.";
    QTest::newRow("blank") << "Cannot open file " << "Cannot open file ";
    QTest::newRow("empty") << "" << "";
}

void TestForm1::errorBoxTextRule()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(QString::fromStdString(errorBoxText(message.toStdString())), shown);
    ErrorLog errors;
    guarded([&] { throw QuorvelError(message.toStdString()); });
    QCOMPARE(errors.texts, QStringList{shown});
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
