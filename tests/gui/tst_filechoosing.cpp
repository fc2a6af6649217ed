// Choosing files in the editor on the real window: drops from the file manager, the file
// dialog (answered through the window's dialog seam) by Ctrl+O and by the context menu,
// and exporting and importing a game from the editor's menu.
#include "guitest.h"

#include "editor/editorstore.h"
#include "editor/filechoosing.h"
#include "filedrop.h"
#include "library/libraryfile.h"
#include "testtune.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>
#include <cstring>
#include <tuple>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Another window that is active while it lives, as the desktop's file dialog or the file
// manager is while a file is chosen or dragged.
struct OtherWindow : QWidget {
    OtherWindow()
    {
        show();
        QApplication::setActiveWindow(this);
    }
};

// Answers the dialogs in turn (several files of one answer split by "\n") and notes how
// each was opened.
struct FakeDialogs : FileDialogs {
    QStringList answers, calls;
    QString openFile(QWidget *, const QString &t, const QString &f, const QString &x) override
    {
        calls << t + "|" + f + "|" + x;
        const OtherWindow dialog;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList openFiles(QWidget *w, const QString &t, const QString &f,
                          const QString &x) override
    {
        return openFile(w, t, f, x).split('\n', Qt::SkipEmptyParts);
    }
    QString saveFile(QWidget *w, const QString &t, const QString &s, const QString &x) override
    {
        return openFile(w, t, s, x);
    }
    // Whether to replace a file: the replies in turn, and the files asked about.
    QList<bool> replies;
    QStringList asked;
    bool mayReplace(QWidget *, const QString &path) override
    {
        asked << path;
        return !replies.isEmpty() && replies.takeFirst();
    }
};

struct Editor {
    WorkingFolder folder;
    QTemporaryDir elsewhere; // the author's own files
    ErrorLog errors;
    TestWindow w;
    FakeDialogs *dialogs = new FakeDialogs;

    Editor()
    {
        w->findChild<FileChoosing *>()->setDialogs(std::unique_ptr<FakeDialogs>(dialogs));
        w->show();
        if (!QTest::qWaitForWindowActive(w.form.get()))
            qFatal("the window did not become active");
        ui().PageControl1->setCurrentWidget(ui().QuorvelEditor);
        // A photo, red with a blue middle, and a tune of 2 seconds.
        QImage photo(300, 200, QImage::Format_RGB32);
        photo.fill(Qt::red);
        QPainter(&photo).fillRect(130, 80, 40, 40, Qt::blue);
        photo.save(own("photo.png"));
        QFile tune(own("song.mid"));
        QVERIFY(tune.open(QIODevice::WriteOnly) && tune.write(song()) > 0);
    }
    Ui::TForm1 &ui() { return w->ui; }
    GameRecord &record() { return w->editor.EditRecord; }
    QString own(const QString &name) const { return elsewhere.filePath(name); }
    static QByteArray song() { return QByteArray::fromStdString(tuneOfSeconds(2)); }

    // Files dropped from the file manager; the window is active again afterwards.
    void drop(QWidget *target, QPoint at, const QStringList &files)
    {
        {
            const OtherWindow fileManager;
            QCOMPARE(dropFiles(target, at, files), Qt::CopyAction); // never a move
        }
        QApplication::setActiveWindow(w.form.get());
    }
    // Ctrl+O, and the window active again once the dialog has gone.
    void choose(QWidget *control)
    {
        QTest::keyClick(control, Qt::Key_O, Qt::ControlModifier);
        QApplication::setActiveWindow(w.form.get());
    }
    QColor shown(DrawGrid *grid, int col)
    {
        return grid->viewport()->grab().toImage().pixelColor(grid->cellRect(col, 0).center());
    }
};

} // namespace

class TestFileChoosing : public QObject {
    Q_OBJECT

private slots:
    void droppedPhotosBecomeCards();
    void dialogChoosesLikeTypingAndEnter();
    void exportAndImportFromTheMenu();
};

void TestFileChoosing::droppedPhotosBecomeCards()
{
    Editor t;
    StringGrid *grid = t.ui().EditorBMPsGrid;
    t.drop(grid->viewport(), grid->cellRect(2, 1).center(), {t.own("photo.png")});
    QCOMPARE(grid->cell(2, 1), QString("photo.bmp"));
    const QImage card(t.folder.file("photo.bmp"));
    QCOMPARE(card.size(), QSize(122, 58));
    QCOMPARE(t.record().Bmps[3].str(), std::string("photo.bmp"));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid, 2), QColor(Qt::blue)); // the photo's middle
    QCOMPARE(grid->currentCol(), 2); // the keyboard goes on from the cell that took it

    // Several files fill the cell and those to its right, as far as the row goes.
    for (const char *name : {"two.png", "three.png", "four.png"})
        QFile::copy(t.own("photo.png"), t.own(name));
    t.drop(grid->viewport(), grid->cellRect(13, 1).center(),
           {t.own("two.png"), t.own("three.png"), t.own("four.png")});
    QCOMPARE(grid->cell(13, 1) + " " + grid->cell(14, 1), QString("two.bmp three.bmp"));
    QVERIFY(!QFile::exists(t.folder.file("four.bmp")));
    QCOMPARE(t.record().Bmps[15].str(), std::string("three.bmp"));
    QCOMPARE(t.errors.texts,
             QStringList{"Card 15 is the last cell: 1 more file was not taken: \"four.png\""});
    QCOMPARE(QApplication::focusWidget(), grid);
    QCOMPARE(grid->currentCol(), 14);

    // On a field: its own picture and preview; a tune there is named as the field's error.
    t.drop(t.ui().EditRedCard, {5, 5}, {t.own("photo.png")});
    QCOMPARE(t.ui().EditRedCard->text(), QString("photo.bmp"));
    QCOMPARE(t.record().Bmps[kRedCardSlot].str(), std::string("photo.bmp"));
    QCOMPARE(QApplication::focusWidget(), t.ui().EditRedCard);
    t.drop(t.ui().EditRedCard, {5, 5}, {t.own("song.mid")});
    QCOMPARE(t.errors.texts.last(),
             "Red Card: \"" + t.own("song.mid") + "\" is not a picture.");
    QCOMPARE(t.ui().EditRedCard->text(), QString("photo.bmp"));
}

void TestFileChoosing::dialogChoosesLikeTypingAndEnter()
{
    Editor t;
    // The user's own folders, where the dialogs open the first time.
    const QString home = t.own("home");
    QVERIFY(QDir().mkpath(home + "/Music") && QDir().mkpath(home + "/Pictures"));
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", home.toUtf8() + "/.config");
    t.dialogs->answers = {t.own("song.mid"), t.folder.file("BQCvr.bmp"), t.own("song.mid"),
                          t.own("photo.png")};
    t.ui().EditHelpMidi->setFocus();
    t.choose(t.ui().EditHelpMidi);
    QCOMPARE(t.ui().EditHelpMidi->text(), QString("song.mid"));
    QCOMPARE(t.record().Midis[kHelpTuneSlot].str(), std::string("song.mid"));
    QCOMPARE(t.folder.bytes("song.mid"), t.song());
    QCOMPARE(QApplication::focusWidget(), t.ui().EditHelpMidi);
    QVERIFY(t.dialogs->calls[0].startsWith("Choose a Tune|" + home + "/Music|"));
    QVERIFY(t.dialogs->calls[0].contains("*.mid"));

    // A picture already in the game's folder is used as it is.
    const int files = QDir(t.folder.path()).count();
    t.ui().EditCardBack->setFocus();
    t.choose(t.ui().EditCardBack);
    QCOMPARE(t.ui().EditCardBack->text(), QString("BQCvr.bmp"));
    QCOMPARE(t.shown(t.ui().EditorCardsGrid2, 0), pictureColour(2, kCardBackSlot));
    QCOMPARE(QDir(t.folder.path()).count(), files);
    QVERIFY(t.dialogs->calls[1].startsWith("Choose a Picture|" + home + "/Pictures|"));
    QVERIFY(t.dialogs->calls[1].contains("*.png") && t.dialogs->calls[1].contains("*.svg"));

    // The grid's menu on a cell: the tune, already brought in, keeps its name.
    StringGrid *songs = t.ui().EditorMidisGrid;
    const QStringList entries = pickFromMenu(songs->viewport(), songs->cellRect(4, 1).center(),
                                       "Choose File...");
    QCOMPARE(entries, QStringList({"Choose File...", "", "Export This Game...",
                                   "Import a Game...", "Undo Delete"}));
    QCOMPARE(songs->cell(4, 1), QString("song.mid"));
    QCOMPARE(t.record().Midis[5].str(), std::string("song.mid"));
    QCOMPARE(QDir(t.folder.path()).count(), files);
    // The keyboard is on that cell: the arrow keys and Ctrl+O go on from there.
    QCOMPARE(QApplication::focusWidget(), songs);
    QCOMPARE(songs->currentCol(), 4);
    QTest::keyClick(songs, Qt::Key_Right);
    QTest::keyClick(songs, Qt::Key_Right);
    QTest::keyClick(songs, Qt::Key_F2); // Ctrl+O while the cell's editor is open

    // A picture for a tune: the field is named, the dialog opened where the last tune was.
    t.choose(songs->editor());
    QCOMPARE(t.dialogs->calls.size(), 4);
    QVERIFY(t.dialogs->calls[3].startsWith("Choose a Tune|" + t.elsewhere.path() + "|"));
    QCOMPARE(t.errors.texts, QStringList{"Song 7: \"" + t.own("photo.png") + "\" is not a tune."});
    QCOMPARE(songs->cell(6, 1), QString::fromStdString(t.record().Midis[7].str()));
    QVERIFY(!QFile::exists(t.folder.file("photo.png")));

    // Several pictures for one cell fill it and the cells to its right.
    StringGrid *cards = t.ui().EditorBMPsGrid;
    t.dialogs->answers = {t.own("photo.png") + "\n" + t.folder.file("BQCvr.bmp")};
    cards->setFocus();
    cards->setCurrentCell(9, 1);
    t.choose(cards);
    QCOMPARE(cards->cell(9, 1) + " " + cards->cell(10, 1), QString("photo.bmp BQCvr.bmp"));
    QCOMPARE(t.record().Bmps[11].str(), std::string("BQCvr.bmp"));
    QCOMPARE(QApplication::focusWidget(), cards);
    QCOMPARE(cards->currentCol(), 10);
}

void TestFileChoosing::exportAndImportFromTheMenu()
{
    Editor t;
    t.ui().EditorNew->click();
    t.ui().EditorGameName->setText("Holiday: 2026");
    t.drop(t.ui().EditCardBack, {5, 5}, {t.own("photo.png")});
    const QString archive = t.own("shared");
    t.dialogs->answers = {archive, archive + ".quorvel"};

    // From the page itself, outside the fields: the record on screen is stored first.
    pickFromMenu(t.ui().Label55, {2, 2}, "Export This Game...");
    QCOMPARE(t.dialogs->calls[0],
             "Export This Game|" + QDir::home().filePath("Holiday- 2026.quorvel") +
                 "|Festral Quorvel games (*.quorvel *.QUORVEL)");
    QVERIFY(QFile::exists(archive + ".quorvel"));
    const QByteArray library = t.folder.bytes(kLibraryFileName);
    QCOMPARE(library.size(), 5 * int(kRecordSize));
    QVERIFY(library.mid(4 * kRecordSize).contains("Holiday: 2026"));

    // A field's menu keeps its editing entries and imports.
    const QStringList entries = pickFromMenu(t.ui().EditorGameName, {5, 5}, "Import a Game...");
    QVERIFY(entries.size() > 4 && entries.contains("Import a Game..."));
    QCOMPARE(t.dialogs->calls.size(), 2);
    QCOMPARE(t.w->editor.EditIndex, 5);
    // The same game, but for the leftovers behind its fields, which do not travel.
    const auto texts = [](const QByteArray &bytes) {
        GameRecord r;
        std::memcpy(r.data(), bytes.constData(), kRecordSize);
        const EditorFields shown = fieldsOf(r);
        return std::tuple(shown.name, shown.bmps, shown.midis);
    };
    QVERIFY(texts(t.folder.bytes(kLibraryFileName).mid(5 * kRecordSize)) ==
            texts(library.mid(4 * kRecordSize)));
    QCOMPARE(t.ui().EditorGameName->text(), QString("Holiday: 2026"));
    QVERIFY(t.errors.texts.isEmpty());

    // The file the export will write exists, though the name given does not: it is kept
    // unless the author agrees to replace it.
    QFile kept(archive + ".quorvel");
    QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
    kept.close();
    t.dialogs->answers = {archive, archive};
    t.dialogs->replies = {false, true};
    pickFromMenu(t.ui().Label55, {2, 2}, "Export This Game...");
    QCOMPARE(t.dialogs->asked, QStringList{archive + ".quorvel"});
    QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == "kept");
    kept.close();
    pickFromMenu(t.ui().Label55, {2, 2}, "Export This Game...");
    QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll().startsWith("PK"));
    QVERIFY(t.errors.texts.isEmpty());
}

QTEST_MAIN(TestFileChoosing)
#include "tst_filechoosing.moc"
