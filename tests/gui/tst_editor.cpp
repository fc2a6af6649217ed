// The game editor on the real window: what reaches the library file and when, the Enter
// ring, the previews, a card's tune, TEST GAME and QUIT, and what a failing file call or
// picture leaves behind.
#include "faultyfilecalls.h"
#include "guitest.h"

#include "editor/cardnotesdialog.h"
#include "editor/editorstore.h"
#include "library/libraryfile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <iterator>

using namespace quorvel;
using namespace quorvel::test;

namespace {

GameRecord recordIn(const QByteArray &library, int n)
{
    GameRecord r;
    std::memcpy(r.data(), library.constData() + n * kRecordSize, kRecordSize);
    return r;
}

QByteArray withRecord(QByteArray library, int n, const GameRecord &r)
{
    library.replace(n * kRecordSize, kRecordSize,
                    QByteArray(reinterpret_cast<const char *>(r.data()), kRecordSize));
    return library;
}

QByteArray bytesOf(const GameRecord &r)
{
    return QByteArray(reinterpret_cast<const char *>(r.data()), kRecordSize);
}

void writeFile(const QString &name, const QByteArray &bytes)
{
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
}

QString defaultFile(int game, int slot, bool picture = true)
{
    const DefaultGame &g = kDefaultGames[game];
    return QString::fromStdString(picture ? defaultBmpName(g, slot) : defaultMidiName(g, slot));
}

// The window on a library of the four default games and games 4, 5, ... up to `records`
// (copies of the defaults named "Game n"), shown with the editor's tab in front.
struct Editor {
    WorkingFolder folder;
    ErrorLog errors;
    std::unique_ptr<TestWindow> w;

    explicit Editor(int records = 8)
    {
        GameRecord r;
        CreateDefaultLibrary(kLibraryFileName, r);
        LibraryFile file;
        file.Open();
        for (int n = 4; n < records; ++n) {
            fillDefaultRecord(r, kDefaultGames[n % 4]);
            r.Name.assign("Game " + std::to_string(n));
            file.Seek(n);
            file.Write(r);
        }
        file.Close();
        w = std::make_unique<TestWindow>();
        form()->show();
        if (!QTest::qWaitForWindowActive(form(), kPatienceMs))
            qFatal("the window did not become active");
        ui().PageControl1->setCurrentWidget(ui().QuorvelEditor);
        w->player->log.clear();
    }
    TForm1 *form() { return w->form.get(); }
    Ui::TForm1 &ui() { return form()->ui; }
    GameRecord &record() { return form()->editor.EditRecord; }
    QByteArray library() { return folder.bytes(kLibraryFileName); }
    // Puts record n of the library on screen as a navigation would, without storing.
    void show(const QByteArray &library, int n)
    {
        writeFile(kLibraryFileName, library);
        form()->editor.EditIndex = n;
        form()->ReadEditRecord();
        form()->ShowEditRecord();
    }
    // Runs the window's close handler, which stores the record on screen, and keeps it open.
    void closeHandler()
    {
        QCloseEvent close;
        QApplication::sendEvent(form(), &close);
    }

    void goTo(int index)
    {
        ui().EditorFirst->click();
        for (int i = 0; i < index; ++i)
            ui().EditorNext->click();
        QCOMPARE(form()->editor.EditIndex, index);
    }
    void type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Types into row 1 of a string grid through its in-place editor.
    void type(StringGrid *grid, int col, const QString &text)
    {
        grid->setFocus();
        grid->setCurrentCell(col, 1);
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClicks(grid->editor(), text);
    }
    QWidget *enter()
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        return QApplication::focusWidget();
    }
    QColor shown(DrawGrid *grid, int col, int row, bool bottomRight = false)
    {
        const QRect cell = grid->cellRect(col, row);
        return grid->viewport()->grab().toImage().pixelColor(
            bottomRight ? cell.bottomRight() : cell.center());
    }
    QStringList opened()
    {
        return tunesOpened(*w->player);
    }
    // Puts `notes` into the card notes dialog that `open` opens, presses OK, and returns what
    // the dialog said about characters left out.
    QString answerCardNotes(const QStringList &notes, const std::function<void()> &open)
    {
        QString said;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<CardNotesDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return; // not open yet
            answer.stop();
            for (int i = 0; i < 3; ++i) { // as a paste over the line
                dialog->line(i)->selectAll();
                dialog->line(i)->insert(notes[i]);
            }
            said = dialog->refusal()->isVisible() ? dialog->refusal()->text() : QString();
            dialog->accept();
        });
        answer.start(0);
        open();
        return said;
    }
};

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

private slots:
    void closingStoresOnlyARecordAboveThree();
    void leavingStoresTextTypedWithoutEnter();
    void changesToADefaultGameAreDropped();
    void showingTheTabRefreshesTheControls();
    void enterLeadsThroughTheRing();
    void missingPictureKeepsThePreview();
    void newRecordShowsBlankPreviews();
    void cardClickPlaysTheStoredTune();
    void testGamePlaysWhatEnterConfirmed();
    void testGameStopsAtAMissingCardBack();
    void quitStoresNothing();
    void aPictureThatFailsLeavesItsGameAlone();
    void aCutShortPictureIsNotValid();
    void cardNotesAreStoredAndShown();
    void undoDeletePutsTheGameBack();
    void everyFailingFileCallIsReportedAndHarmless_data();
    void everyFailingFileCallIsReportedAndHarmless();
};

void TestEditor::closingStoresOnlyARecordAboveThree()
{
    {
        Editor t;
        t.goTo(1);
        const QByteArray before = t.library();
        t.type(t.ui().EditorGameName, "Changed");
        QVERIFY(t.form()->close());
        QCOMPARE(t.library(), before);
    }
    Editor t;
    t.goTo(6);
    const QByteArray before = t.library();
    t.type(t.ui().EditorGameName, "Changed");
    t.type(t.ui().EditorMidisGrid, 2, "new3.mid");
    QVERIFY(t.form()->close());
    GameRecord expected = recordIn(before, 6);
    expected.Name.assign("Changed");
    expected.Midis[3].assign("new3.mid");
    QCOMPARE(t.library(), withRecord(before, 6, expected));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestEditor::leavingStoresTextTypedWithoutEnter()
{
    Editor t;
    t.goTo(5);
    const QByteArray before = t.library();
    t.type(t.ui().EditCardBack, "typed.bmp");
    t.ui().EditorPrevious->click();
    GameRecord expected = recordIn(before, 5);
    expected.Bmps[kCardBackSlot].assign("typed.bmp");
    QCOMPARE(t.library(), withRecord(before, 5, expected));
    QCOMPARE(t.form()->editor.EditIndex, 4);
    QCOMPARE(t.ui().EditorGameName->text(), QString("Game 4"));
    QCOMPARE(t.ui().EditCardBack->text(), defaultFile(0, kCardBackSlot));
}

void TestEditor::changesToADefaultGameAreDropped()
{
    Editor t;
    t.goTo(2);
    const QByteArray before = t.library();
    t.type(t.ui().EditorGameName, "Changed");
    t.type(t.ui().EditorBMPsGrid, 0, "other.bmp");
    t.ui().EditorNext->click();
    QCOMPARE(t.library(), before);
    QCOMPARE(t.form()->editor.EditIndex, 3);
    QCOMPARE(t.ui().EditorGameName->text(), QString(kDefaultGames[3].name));
}

void TestEditor::showingTheTabRefreshesTheControls()
{
    Editor t;
    for (int c = 0; c < kCardCount; ++c) {
        QCOMPARE(t.ui().EditorBMPsGrid->cell(c, 0), QString("Card %1").arg(c + 1));
        QCOMPARE(t.ui().EditorMidisGrid->cell(c, 0), QString("Song %1").arg(c + 1));
    }
    t.type(t.ui().EditHelpMidi, "typed.mid");
    t.type(t.ui().EditorBMPsGrid, 4, "typed.bmp");
    t.ui().PageControl1->setCurrentWidget(t.ui().HelpSheet);
    t.ui().PageControl1->setCurrentWidget(t.ui().QuorvelEditor);
    QCOMPARE(t.ui().EditHelpMidi->text(), defaultFile(0, kHelpTuneSlot, false));
    QCOMPARE(t.ui().EditorBMPsGrid->cell(4, 1), defaultFile(0, 5));
    QCOMPARE(QApplication::focusWidget(), t.ui().EditorGameName);
}

void TestEditor::enterLeadsThroughTheRing()
{
    Editor t;
    Ui::TForm1 &ui = t.ui();
    t.type(ui.EditorGameName, "Not yet");
    QCOMPARE(t.enter(), ui.EditorBMPsGrid);
    QCOMPARE(t.record().Name.str(), std::string(kDefaultGames[0].name));

    // Enter stores every cell of the row, the one being edited included, and moves right.
    t.type(ui.EditorBMPsGrid, 13, "x14.bmp");
    QVERIFY(ui.EditorBMPsGrid->isAncestorOf(t.enter()));
    QCOMPARE(ui.EditorBMPsGrid->currentCol(), 14);
    QCOMPARE(t.record().Bmps[14].str(), std::string("x14.bmp"));
    QCOMPARE(t.enter(), ui.EditorMidisGrid); // from the 15th picture cell

    ui.EditorMidisGrid->setCurrentCell(14, 1);
    QCOMPARE(t.enter(), ui.EditCardBack); // from the 15th song cell
    const QList<QWidget *> ring = {ui.EditRedCard,    ui.EditGreenCard,  ui.EditBlueCard,
                                   ui.EditYouWonMidi, ui.EditReadMeMidi, ui.EditHelpMidi,
                                   ui.EditorGameName};
    for (QWidget *next : ring) {
        if (next == ui.EditReadMeMidi)
            t.type(ui.EditYouWonMidi, "won.mid");
        QCOMPARE(t.enter(), next);
    }
    QCOMPARE(t.record().Midis[kWinTuneSlot].str(), std::string("won.mid"));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestEditor::missingPictureKeepsThePreview()
{
    Editor t;
    t.type(t.ui().EditorBMPsGrid, 0, "missing.bmp");
    t.enter();
    QCOMPARE(t.record().Bmps[1].str(), std::string("missing.bmp"));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid, 0, 0), pictureColour(0, 1));

    t.type(t.ui().EditRedCard, "missing.bmp");
    t.enter();
    t.type(t.ui().EditCardBack, defaultFile(1, kCardBackSlot));
    t.enter();
    QCOMPARE(t.shown(t.ui().EditorCardsGrid2, 0, 0), pictureColour(1, kCardBackSlot));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid2, 1, 0), pictureColour(0, kRedCardSlot));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid2, 3, 0), pictureColour(0, kBlueCardSlot));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestEditor::newRecordShowsBlankPreviews()
{
    Editor t(4);
    t.ui().EditorNew->click();
    QCOMPARE(t.form()->editor.EditIndex, 4);
    QVERIFY(t.ui().EditorGameName->text().isEmpty());
    QVERIFY(t.ui().EditorMidisGrid->cell(14, 1).isEmpty());
    // Blanking whitens 121 x 57 pixels: the last column and row of a picture stay.
    QCOMPARE(t.shown(t.ui().EditorCardsGrid, 4, 2), QColor(Qt::white));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid, 4, 2, true), pictureColour(0, 15));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid2, 2, 0), QColor(Qt::white));
}

void TestEditor::cardClickPlaysTheStoredTune()
{
    Editor t;
    t.ui().Button2->click();
    QCOMPARE(t.ui().Button2->text(), QString("NO MUSIC"));
    DrawGrid *cards = t.ui().EditorCardsGrid;
    const QPoint card8 = cards->cellRect(2, 1).center();

    // A name typed without Enter is not used: the click plays the stored one, each time
    // from its beginning.
    t.type(t.ui().EditorMidisGrid, 7, defaultFile(1, 8, false));
    QTest::mouseClick(cards->viewport(), Qt::LeftButton, {}, card8);
    QTest::mouseClick(cards->viewport(), Qt::LeftButton, {}, card8);
    QCOMPARE(t.opened(), QStringList({defaultFile(0, 8, false), defaultFile(0, 8, false)}));
    QCOMPARE(t.w->player->entries("play ").size(), std::size_t(2));

    cards->setCurrentCell(2, 0);
    QTest::keyClick(cards, Qt::Key_Right);
    QCOMPARE(t.opened().last(), defaultFile(0, 4, false));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestEditor::testGamePlaysWhatEnterConfirmed()
{
    Editor t;
    t.goTo(2);
    const QByteArray before = t.library();
    t.type(t.ui().EditorBMPsGrid, 0, defaultFile(0, 1));
    t.ui().TestGame->click();
    QCOMPARE(t.ui().PageControl1->currentWidget(), t.ui().Festral);
    QCOMPARE(t.ui().GameName->text(), QString(kDefaultGames[2].name));
    QCOMPARE(t.form()->PlayImages.image(1)->pixelColor(5, 5), pictureColour(2, 1));
    // The play page's show handler starts song 1, then TEST GAME starts it once more.
    QCOMPARE(t.opened(), QStringList({defaultFile(2, 1, false), defaultFile(2, 1, false)}));

    t.ui().PageControl1->setCurrentWidget(t.ui().QuorvelEditor);
    t.type(t.ui().EditorBMPsGrid, 0, defaultFile(0, 1));
    t.enter();
    t.ui().TestGame->click();
    QCOMPARE(t.form()->PlayImages.image(1)->pixelColor(5, 5), pictureColour(0, 1));
    QCOMPARE(t.library(), before);

    // SELECT GAME goes on where it was: start-up loaded game 0, so game 1 is next.
    t.ui().SelectGame->click();
    QCOMPARE(t.ui().GameName->text(), QString(kDefaultGames[1].name));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestEditor::testGameStopsAtAMissingCardBack()
{
    Editor t(4);
    const Board board = t.form()->engine.board;
    t.ui().EditorNew->click();
    t.ui().TestGame->click();
    QCOMPARE(t.errors.texts, QStringList{"Cannot open file "});
    QCOMPARE(t.ui().PageControl1->currentWidget(), t.ui().QuorvelEditor);
    QVERIFY(t.ui().GameName->text().isEmpty()); // the name was shown before the failure

    t.type(t.ui().EditCardBack, "noback.bmp");
    t.enter();
    t.ui().TestGame->click();
    QCOMPARE(t.errors.texts.last(), QString("Cannot open file noback.bmp."));
    QCOMPARE(t.ui().PageControl1->currentWidget(), t.ui().QuorvelEditor);
    const Board &now = t.form()->engine.board;
    QVERIFY(std::memcmp(now.CardNumber, board.CardNumber, sizeof board.CardNumber) == 0);
    QVERIFY(t.opened().isEmpty());
}

void TestEditor::quitStoresNothing()
{
    Editor t;
    t.goTo(5);
    const QByteArray before = t.library();
    t.type(t.ui().EditorGameName, "Changed");
    t.type(t.ui().EditorBMPsGrid, 3, "changed.bmp");
    t.ui().EditorQuit->click();
    QCOMPARE(t.w->exitCode, 0);
    QCOMPARE(t.library(), before);
    t.w.reset(); // destroying the window does not close it either
    QCOMPARE(t.library(), before);
}

void TestEditor::aPictureThatFailsLeavesItsGameAlone()
{
    Editor t;
    writeFile("broken.bmp", "not a picture");
    GameRecord seventh = recordIn(t.library(), 7);
    seventh.Bmps[9].assign("broken.bmp");
    const QByteArray before = withRecord(t.library(), 7, seventh);
    t.show(before, 2);
    t.ui().EditorLast->click();
    QCOMPARE(t.errors.texts, QStringList{"Bitmap image is not valid."});
    QCOMPARE(t.ui().EditorGameName->text(), QString("Game 7"));
    QCOMPARE(t.ui().EditorBMPsGrid->cell(8, 1), QString("broken.bmp"));
    QCOMPARE(t.ui().EditorMidisGrid->cell(14, 1), defaultFile(3, 15, false));
    t.ui().EditorFirst->click(); // stores game 7 from what the controls show
    QCOMPARE(t.library(), before);
}

void TestEditor::aCutShortPictureIsNotValid()
{
    Editor t(5);
    const QByteArray whole = t.folder.bytes(defaultFile(0, kCardBackSlot));
    writeFile("short.bmp", whole.left(whole.size() / 2)); // the header and half the rows
    GameRecord fourth = recordIn(t.library(), 4);
    fourth.Bmps[kCardBackSlot].assign("short.bmp");
    t.show(withRecord(t.library(), 4, fourth), 0);
    t.ui().EditorLast->click();
    t.ui().TestGame->click();
    QCOMPARE(t.errors.texts,
             QStringList({"Bitmap image is not valid.", "Bitmap image is not valid."}));
    QCOMPARE(t.ui().PageControl1->currentWidget(), t.ui().QuorvelEditor);
}

void TestEditor::cardNotesAreStoredAndShown()
{
    Editor t;
    t.goTo(5);
    const QByteArray before = t.library();
    DrawGrid *previews = t.ui().EditorCardsGrid;
    // Card 2's picture; its name's cell offers the same.
    const QString said = t.answerCardNotes({"\u00c4 owl \u2013 \u732b", "", "Hoots"}, [&] {
        pickFromMenu(previews->viewport(), previews->cellRect(1, 0).center(),
                     "Edit Card Notes...");
    });
    QVERIFY2(said.contains("\"\u732b\" was left out"), qPrintable(said));
    StringGrid *names = t.ui().EditorBMPsGrid;
    QVERIFY(pickFromMenu(names->viewport(), names->cellRect(1, 1).center(), "")
                .contains("Edit Card Notes..."));

    t.ui().TestGame->click();
    t.ui().PageControl1->setCurrentWidget(t.ui().AboutTheCards);
    QCOMPARE(t.ui().CardDescriptionsGrid->cell(0, 3), QString("\u00c4 owl \u2013 "));
    QCOMPARE(t.ui().CardDescriptionsGrid->cell(0, 5), QString("Hoots"));

    // Stored with the record, in the file's code page, the card's other lines emptied.
    t.ui().PageControl1->setCurrentWidget(t.ui().QuorvelEditor);
    t.ui().EditorNext->click();
    GameRecord expected = recordIn(before, 5);
    expected.description(4).assign("\xC4 owl \x96 ");
    expected.description(5).assign("");
    expected.description(6).assign("Hoots");
    QCOMPARE(t.library(), withRecord(before, 5, expected));
    QVERIFY(t.errors.texts.isEmpty());
}

// DEL, then a change typed into the game shown after it, then Undo Delete from the page's
// menu: the typed change is stored as leaving the game stores it, and the deleted game is
// back where it was, as the file held it.
void TestEditor::undoDeletePutsTheGameBack()
{
    Editor t;
    t.goTo(5);
    const QByteArray before = t.library();
    t.type(t.ui().EditCardBack, "confirmed.bmp");
    t.enter(); // confirmed, not stored: DEL does not store
    t.ui().EditorDelete->click();
    QCOMPARE(t.library().size(), 7 * int(kRecordSize));
    t.type(t.ui().EditorGameName, "Typed");
    pickFromMenu(t.ui().Label55, {2, 2}, "Undo Delete");
    GameRecord typed = recordIn(before, 6);
    typed.Name.assign("Typed");
    QCOMPARE(t.library(), withRecord(before, 6, typed));
    QCOMPARE(t.form()->editor.EditIndex, 5);
    QCOMPARE(t.ui().EditorGameName->text(), QString("Game 5"));

    // Once only.
    pickFromMenu(t.ui().Label55, {2, 2}, "Undo Delete");
    QCOMPARE(t.library(), withRecord(before, 6, typed));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestEditor::everyFailingFileCallIsReportedAndHarmless_data()
{
    QTest::addColumn<QString>("button"); // none: the window's close handler
    QTest::addColumn<int>("start");      // the record on screen before
    QTest::newRow("FIRST") << "EditorFirst" << 5;
    QTest::newRow("PREV") << "EditorPrevious" << 5;
    QTest::newRow("NEXT") << "EditorNext" << 5;
    QTest::newRow("LAST") << "EditorLast" << 5;
    QTest::newRow("NEW") << "EditorNew" << 5;
    QTest::newRow("DEL") << "EditorDelete" << 5;
    QTest::newRow("DEL of the last") << "EditorDelete" << 7;
    QTest::newRow("close") << "" << 5;
}

// Each file call of a handler fails in turn, each time with another error. The user sees
// that error's text once and the editor goes on; the library keeps every game as it was,
// but for the record on screen, which the next store writes from the screen (and but for
// the game DEL removed, or the empty game NEW appended, when only a later call failed).
void TestEditor::everyFailingFileCallIsReportedAndHarmless()
{
    QFETCH(QString, button);
    QFETCH(int, start);
    Editor t;
    const QByteArray before = t.library();
    test::FaultyFileCalls faults;
    const auto press = [&] {
        if (button.isEmpty())
            t.closeHandler();
        else
            t.form()->findChild<QPushButton *>(button)->click();
    };
    const auto startOver = [&] {
        faults.failCall(0);
        t.show(before, start);
        t.type(t.ui().EditorGameName, "Typed");
        t.errors.texts.clear();
    };
    startOver();
    faults.failCall(0);
    press();
    QVERIFY(t.errors.texts.isEmpty());
    const int callCount = int(faults.calls.size());

    GameRecord typed = recordIn(before, start);
    typed.Name.assign("Typed");
    GameRecord after = recordIn(before, start);
    after.Name.assign("After");
    const QByteArray stored = withRecord(before, start, after);
    QByteArrayList acceptable = {stored};
    if (button == "EditorNew")
        acceptable << stored + bytesOf(emptiedForNew(typed));
    if (button == "EditorDelete")
        acceptable << QByteArray(before).remove(start * kRecordSize, kRecordSize);

    for (int n = 1; n <= callCount; ++n) {
        startOver();
        const auto &error = test::kInjectedErrors[n % std::size(test::kInjectedErrors)];
        faults.failCall(n, error.errnum);
        press();
        const QByteArray context =
            QByteArray("call ") + QByteArray::number(n) + " (" + faults.calls.back().c_str() + ")";
        faults.failCall(0);
        QVERIFY2(t.errors.texts == QStringList{QString(error.text) + "."},
                 context + ": " + t.errors.texts.join(" | ").toUtf8());
        QVERIFY2(t.ui().EditorGameName->text() == "Typed", context);
        t.type(t.ui().EditorGameName, "After");
        t.closeHandler();
        QVERIFY2(acceptable.contains(t.library()), context);
        t.ui().EditorLast->click();
        const QByteArray library = t.library();
        const GameRecord last = recordIn(library, int(library.size() / kRecordSize) - 1);
        QVERIFY2(t.errors.texts.size() == 1, context);
        QVERIFY2(t.ui().EditorGameName->text().toStdString() == last.Name.str(), context);
    }
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
