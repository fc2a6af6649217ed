// The "How To Be Saved", "Help" and "Read Me" pages on the real window: their tunes, their
// fixed texts and whether every text fits the room the layout gives it.
#include "guitest.h"

#include "pages/infopages.h"

#include <QLabel>

using namespace quorvel;
using namespace quorvel::test;

namespace {

constexpr int kPageWidth = 622;

struct InfoPages {
    WorkingFolder folder;
    ErrorLog errors;
    TestWindow w;

    InfoPages()
    {
        QVERIFY(showWindow(w.form.get()));
    }

    QWidget *page(const QString &name) { return w->ui.PageControl1->findChild<QWidget *>(name); }
    QLabel *label(const QString &name) { return w.form->findChild<QLabel *>(name); }

    // Brings a page to the front as a click on its tab does and returns the tunes opened.
    QStringList show(const QString &name)
    {
        w.player->log.clear();
        w->ui.PageControl1->setCurrentWidget(page(name));
        return tunesOpened(*w.player);
    }
};

QString tuneOf(int game, int slot)
{
    return QString::fromStdString(defaultMidiName(kDefaultGames[game], slot));
}

// The labels of the three pages with their widths in the layout, read from a copy of the
// layout whose labels have not sized themselves to their texts.
QList<QPair<QString, int>> layoutLabels()
{
    QWidget scratch;
    Ui::TForm1 layout;
    layout.setupUi(&scratch);
    QList<QPair<QString, int>> out;
    for (const QWidget *page : {layout.GetSaved, layout.HelpSheet, layout.ReadMe}) {
        for (const QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->objectName().startsWith("Image"))
                out.append({label->objectName(), label->width()});
        }
    }
    return out;
}

// The labels that point to newer versions fit their lines: the Help page's place ends where
// the layout ends it, and the Read Me page's bottom line does not run together.
void checkPointerFits(InfoPages &t)
{
    const QLabel *place = t.label("Label31");
    QCOMPARE(place->geometry().right() + 1, 432 + 175);
    QVERIFY(place->x() >= 4);
    QVERIFY(place->font().stretch() == 0 || place->font().stretch() >= 85);
    QVERIFY(t.label("Label48")->geometry().right() < t.label("Label47")->x());
    QVERIFY(t.label("Label47")->geometry().right() < t.label("Label49")->x());
    QVERIFY(t.label("Label49")->geometry().right() < t.label("Label44")->x());
    QVERIFY(t.label("Label46")->width() <= 601);
}

} // namespace

class TestInfoPages : public QObject {
    Q_OBJECT

private slots:
    void showingAPageStartsItsTune_data();
    void showingAPageStartsItsTune();
    void helpAndReadMeRestartTheSameTune();
    void missingHelpTuneIsReportedAtEachShowing();
    void helpTextsAreFixed();
    void pointerToNewerVersions();
    void everyTextFitsItsLabel();
    void fitNarrowsOnlyWhatIsTooWide();
    void savedPicturesAreShown();
};

void TestInfoPages::showingAPageStartsItsTune_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("slot");
    QTest::newRow("How To Be Saved") << "GetSaved" << kReadMeTuneSlot;
    QTest::newRow("Help") << "HelpSheet" << kHelpTuneSlot;
    QTest::newRow("Read Me") << "ReadMe" << kHelpTuneSlot;
}

void TestInfoPages::showingAPageStartsItsTune()
{
    QFETCH(QString, page);
    QFETCH(int, slot);
    InfoPages t;
    // The editor's record is never played from here.
    fillDefaultRecord(t.w->editor.EditRecord, kDefaultGames[3]);
    QCOMPARE(t.show(page), QStringList{tuneOf(0, slot)});
    QCOMPARE(t.w.player->entries("play "),
             std::vector<std::string>{tuneOf(0, slot).toStdString()});

    // Another game in play brings its own tunes.
    t.show("Festral");
    t.w->ui.SelectGame->click();
    QCOMPARE(t.show(page), QStringList{tuneOf(1, slot)});

    // With music off the page shows and the tune that plays is left alone.
    t.show("Festral");
    t.w->ui.Button2->click();
    QVERIFY(t.show(page).isEmpty());
    QVERIFY(t.w.player->log.empty());
    QCOMPARE(t.w->ui.PageControl1->currentWidget(), t.page(page));
    QVERIFY(t.errors.texts.isEmpty());
}

void TestInfoPages::helpAndReadMeRestartTheSameTune()
{
    InfoPages t;
    t.w->ui.PageControl1->setCurrentWidget(t.page("HelpSheet"));
    t.w.player->log.clear();
    t.w->ui.PageControl1->setCurrentWidget(t.page("ReadMe"));
    t.w->ui.PageControl1->setCurrentWidget(t.page("HelpSheet"));
    const std::string help = tuneOf(0, kHelpTuneSlot).toStdString();
    // Each showing closes the playing tune and starts the help tune from its beginning.
    QCOMPARE(t.w.player->log, (std::vector<std::string>{"open " + help, "close", "play " + help,
                                                         "open " + help, "close",
                                                         "play " + help}));
}

void TestInfoPages::missingHelpTuneIsReportedAtEachShowing()
{
    InfoPages t;
    const QString help = tuneOf(0, kHelpTuneSlot);
    QVERIFY(QFile::remove(t.folder.file(help)));
    int shown = 0;
    for (const QString name : {"HelpSheet", "ReadMe", "HelpSheet"}) {
        QCOMPARE(t.show(name), QStringList{help});
        ++shown;
        QCOMPARE(t.errors.texts.size(), shown);
        QVERIFY(t.errors.texts.last().contains(help));
        QCOMPARE(t.w->ui.PageControl1->currentWidget(), t.page(name));
        QVERIFY(t.w.player->entries("play ").empty());
    }
    // The message page has a tune of its own and still plays.
    QCOMPARE(t.show("GetSaved"), QStringList{tuneOf(0, kReadMeTuneSlot)});
    QCOMPARE(t.errors.texts.size(), shown);
}

void TestInfoPages::helpTextsAreFixed()
{
    InfoPages t;
    const QList<QPair<const char *, const char *>> texts = {
        {"Label21", "Select the game you want to play by clicking repeatedly on SELECT GAME."},
        {"Label11",
         "Then select One, Two, or Three players and click on New Game to start playing!"},
        {"Label15",
         "Players will then take turns clicking on pairs of cards to reveal what they are."},
        {"Label17",
         "When two of the same card are uncovered in the turn a \"Quorvel\" has occured."},
        {"Label18",
         "Cards the color of the player who has matched them will replace the set of cards."},
        {"Label19",
         "And on PCs with a MIDI capable device you will hear a  part of a Hymn play."},
        {"Label12", "The game ends when all the cards have been matched up."},
        {"Label23", "If it is a One Player game then the number of turns will be reported. "
                    "If not the winner(s)"},
        {"Label24",
         "will be listed along with the number of Quorvels the winner(s) made in the game."},
        {"Label16",
         "You may use the Game Editor to create games of your own, you will need 15 BMPs"},
        {"Label22", "for cards that are 122x58 in size, as well as 15 Midis for playing when "
                    "the cards match."},
        {"Label13", "You will also want a Midi for the end of the game and 4 sets of BMPs for "
                    "the card tops."},
        {"Label50",
         "In the editor you may click on a shown card to play its associated MIDI file. "},
        {"Label51",
         "You may test the game you are editing by clicking on TEST GAME in the lower right."},
    };
    for (const auto &[name, text] : texts)
        QCOMPARE(t.label(name)->text(), QString::fromLatin1(text));
}

// Without a home page the pages name the installed README, never a web address; with one
// they name it, without its scheme. Either way the texts fit their lines.
void TestInfoPages::pointerToNewerVersions()
{
    InfoPages t;
    const ProjectPointer built = builtProjectPointer();
    QVERIFY(QDir::isAbsolutePath(built.readmePath));
    QVERIFY(built.readmePath.endsWith("/share/doc/festral-quorvel/README.md"));
    const auto text = [&](const char *name) { return t.label(name)->text(); };
    if (built.homepage.isEmpty())
        QCOMPARE(text("Label31"), built.readmePath);

    const QString readme = "/opt/games/share/doc/festral-quorvel/README.md";
    showProjectPointer(t.w->ui, {QString(), readme});
    QCOMPARE(text("Label31"), readme);
    QCOMPARE(text("Label48") + " " + text("Label47") + " " + text("Label49"),
             "See README.md in /opt/games/share/doc/festral-quorvel.");
    for (QLabel *label : t.w->findChildren<QLabel *>()) {
        QVERIFY2(!label->text().contains("github") && !label->text().contains("www"),
                 qPrintable(label->objectName()));
    }
    checkPointerFits(t);

    showProjectPointer(t.w->ui, {"https://example.org/quorvel/", readme});
    QCOMPARE(text("Label31"), QString("example.org/quorvel"));
    QCOMPARE(text("Label47"), QString("example.org/quorvel"));
    QCOMPARE(text("Label49"), QString("for newer versions and the source code."));
    QVERIFY(text("Label46").endsWith(" example.org/quorvel"));
    QVERIFY(text("Label30").endsWith(" can always be found at"));
    QVERIFY(t.label("Label31")->font().bold());
    checkPointerFits(t);
}

void TestInfoPages::everyTextFitsItsLabel()
{
    InfoPages t;
    const auto labels = layoutLabels();
    QCOMPARE(labels.size(), 14 + 16 + 23);
    for (const auto &[name, layoutWidth] : labels) {
        const QLabel *label = t.label(name);
        QVERIFY2(!label->text().isEmpty(), qPrintable(name));
        const int textWidth = label->fontMetrics().horizontalAdvance(label->text());
        // The Help page's place grows leftwards from where the layout ends it.
        const int room = name == "Label31" ? 432 + 175 - 4 : layoutWidth;
        QVERIFY2(textWidth < label->width() && label->width() <= room,
                 qPrintable(QString("%1: text %2, label %3, layout %4")
                                .arg(name).arg(textWidth).arg(label->width()).arg(layoutWidth)));
        QVERIFY2(label->fontMetrics().height() <= label->height(), qPrintable(name));
        QVERIFY2(label->geometry().right() < kPageWidth, qPrintable(name));
        // Narrowed, if at all, only so far that it reads comfortably.
        const int stretch = label->font().stretch();
        QVERIFY2(stretch == 0 || stretch >= 85,
                 qPrintable(QString("%1: stretch %2").arg(name).arg(stretch)));
    }
    // Labels that share a line do not run into each other.
    const auto leftOf = [&](const char *left, const char *right) {
        QVERIFY2(t.label(left)->geometry().right() < t.label(right)->x(),
                 qPrintable(QString("%1 runs into %2").arg(left, right)));
    };
    leftOf("Label27", "Label28");
    leftOf("Label48", "Label47");
    leftOf("Label47", "Label49");
    leftOf("Label49", "Label44");
    for (const char *web : {"Label41", "Label66", "Label43", "Label64", "Label45", "Label63"})
        leftOf(web, "Label37");
}

void TestInfoPages::fitNarrowsOnlyWhatIsTooWide()
{
    InfoPages t;
    QLabel label(QStringLiteral("Narrowed just enough to fit the room it is given here"));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(12);
    label.setFont(font);
    const int natural = label.fontMetrics().horizontalAdvance(label.text()) + 1;

    fitLabelToWidth(&label, natural);
    QCOMPARE(label.width(), natural);
    QCOMPARE(label.font().stretch(), font.stretch());

    const int room = natural * 9 / 10;
    fitLabelToWidth(&label, room);
    QVERIFY(label.width() <= room);
    const int stretch = label.font().stretch();
    QVERIFY(stretch >= 85 && stretch < 95);
    // One step wider would not have fitted.
    QFont wider = label.font();
    wider.setStretch(stretch + 1);
    QVERIFY(QFontMetrics(wider).horizontalAdvance(label.text()) + 1 > room);
}

void TestInfoPages::savedPicturesAreShown()
{
    InfoPages t;
    t.show("GetSaved");
    QList<QImage> pictures;
    for (int n = 1; n <= 5; ++n) {
        QLabel *image = t.label(QString("Image%1").arg(n));
        const QString name = image->objectName();
        QCOMPARE(image->size(), QSize(122, 74));
        // The program carries its five pictures: each is there, of its own size, and they
        // differ.
        const QImage picture = image->pixmap().toImage();
        QVERIFY2(!picture.isNull(), qPrintable(name + " shows no picture"));
        QCOMPARE(picture.size(), QSize(122, 74));
        QVERIFY2(!pictures.contains(picture), qPrintable(name + " repeats a picture"));
        pictures << picture;
        // And the page has painted them.
        for (const QPoint at : {QPoint(3, 3), QPoint(61, 37), QPoint(118, 70)}) {
            QTRY_COMPARE_WITH_TIMEOUT(lastPainted(image, at), picture.pixelColor(at),
                                      kPatienceMs);
        }
    }
}

QTEST_MAIN(TestInfoPages)
#include "tst_infopages.moc"
