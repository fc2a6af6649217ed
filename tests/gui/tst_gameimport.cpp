// Importing a shared game on the real window: the record on screen is stored first, and the
// imported game is shown in the editor.
#include "guitest.h"

#include "editor/gamearchive.h"
#include "library/libraryfile.h"
#include "testtune.h"

#include <QLineEdit>
#include <filesystem>

using namespace quorvel;
using namespace quorvel::test;

class TestGameImport : public QObject {
    Q_OBJECT

private slots:
    void importStoresTheScreenThenShowsTheGame();
};

void TestGameImport::importStoresTheScreenThenShowsTheGame()
{
    WorkingFolder folder;
    ErrorLog errors;
    // A library of the default games and two more; a third, exported, is then cut off again.
    GameRecord r;
    CreateDefaultLibrary(kLibraryFileName, r);
    LibraryFile file;
    file.Open();
    for (int n = 4; n <= 6; ++n) {
        fillDefaultRecord(r, kDefaultGames[n % 4]);
        r.Name.assign("Game " + std::to_string(n));
        file.Seek(n);
        file.Write(r);
    }
    file.Close();
    // The shared game carries no leftovers behind its fields, which would not travel.
    r = GameRecord::zeroed();
    fillDefaultRecord(r, kDefaultGames[2]);
    r.Name = {};
    r.Name.assign("Shared game");
    for (int k = 1; k <= kHelpTuneSlot; ++k)
        r.Midis[k].assign("shared.mid");
    r.Bmps[kBlueCardSlot].assign("later.bmp"); // not there yet: the archive does not hold it
    QFile tune(folder.file("shared.mid"));
    QVERIFY(tune.open(QIODevice::WriteOnly));
    tune.write(QByteArray::fromStdString(tuneOfSeconds(2)));
    tune.close();
    file.Open();
    file.Seek(6);
    file.Write(r);
    file.Close();
    const std::string archive = folder.file("shared.quorvel").toStdString();
    exportGame(6, archive);
    const QByteArray shared = folder.bytes(kLibraryFileName).mid(6 * kRecordSize);
    std::filesystem::resize_file(kLibraryFileName, 6 * kRecordSize);

    TestWindow w;
    w->show();
    w->ui.EditorLast->click();
    QCOMPARE(w->editor.EditIndex, 5);
    w->ui.EditorGameName->setText(QStringLiteral("Typed, not stored"));

    guarded([&] { w->ImportGameFile(archive); });
    QCOMPARE(errors.texts, QStringList());
    const QByteArray library = folder.bytes(kLibraryFileName);
    QCOMPARE(library.size(), 7 * static_cast<int>(kRecordSize));
    QCOMPARE(library.mid(6 * kRecordSize), shared);
    QVERIFY(library.mid(5 * kRecordSize, 101).contains("Typed, not stored"));
    QCOMPARE(w->editor.EditIndex, 6);
    QCOMPARE(w->ui.EditorGameName->text(), QStringLiteral("Shared game"));
    QCOMPARE(w->ui.EditorMidisGrid->cell(0, 1), QStringLiteral("shared.mid"));
    QCOMPARE(w->ui.PageControl1->currentWidget(), w->ui.QuorvelEditor);

    // A damaged archive: the error report, and the editor and the library as they were.
    QFile damaged(folder.file("damaged.quorvel"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("PK\x03\x04 and then nothing");
    damaged.close();
    guarded([&] { w->ImportGameFile(folder.file("damaged.quorvel").toStdString()); });
    QCOMPARE(errors.texts.size(), 1);
    QVERIFY2(errors.texts[0].contains("is not a game archive or is damaged"),
             qPrintable(errors.texts[0]));
    QCOMPARE(w->editor.EditIndex, 6);
    QCOMPARE(folder.bytes(kLibraryFileName), library);

    // A picture the game names from this folder is damaged: the game is imported all the
    // same, and the error says so.
    QFile later(folder.file("later.bmp"));
    QVERIFY(later.open(QIODevice::WriteOnly) && later.write("BM, but no more") > 0);
    later.close();
    guarded([&] { w->ImportGameFile(archive); });
    QCOMPARE(errors.texts.size(), 2);
    QCOMPARE(errors.texts[1], "The game in \"" + QString::fromStdString(archive) +
                                  "\" was imported as game 7, but it cannot be shown: Bitmap "
                                  "image is not valid.");
    QCOMPARE(w->editor.EditIndex, 7);
    QCOMPARE(folder.bytes(kLibraryFileName).size(), 8 * static_cast<int>(kRecordSize));
}

QTEST_MAIN(TestGameImport)
#include "tst_gameimport.moc"
