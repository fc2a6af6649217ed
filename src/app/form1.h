#pragma once

#include "app/imagetable.h"
#include "app/qteventpump.h"
#include "editor/editorstate.h"
#include "library/gamerecord.h"
#include "library/gameselection.h"
#include "play/mediaplayer.h"
#include "play/tickclock.h"
#include "play/tunes.h"
#include "play/turnengine.h"
#include "ui_form1.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <random>

class QTimer;

namespace quorvel {

class Announcer;

// The one main window. It holds every control of the fixed layout (`ui`, built from
// form1.ui) and the game state beside it, and its handlers are named after the control and
// the event. Each subsystem implements its handlers in its own folder; this class only
// gathers them. Every handler runs inside guarded(), so an error ends it with the standard
// error report and the program goes on.
class TForm1 : public QWidget, private TurnHost, private GameInPlayHost {
    Q_OBJECT

    // Declared first: the clock and the tunes below are built on them.
    QtEventPump pump_;
    std::unique_ptr<MediaPlayer> player_;

public:
    struct Options {
        // The player behind every tune; warmFluidPlayer() when not given.
        std::unique_ptr<MediaPlayer> player;
        // Ends the process at once (QUIT); std::_Exit when not given.
        std::function<void(int exitCode)> exitProgram;
        // Seed of the deal's random generator; the clock when not given.
        std::optional<unsigned> seed;
    };

    explicit TForm1(Options options = {});
    ~TForm1() override;

    Ui::TForm1 ui;
    QTimer *Timer1 = nullptr;

    // The game in play.
    GameRecord PlayRecord = GameRecord::zeroed();
    ImageTable PlayImages;
    GameSelection selection; // GameIndex, GameLast
    TurnEngine engine{static_cast<TurnHost &>(*this)};

    // The game editor.
    EditorState editor;
    ImageTable EditImages;

    // Tick clock and tunes.
    TickClock clock;
    Tunes tunes;

    // ---- Application shell (src/app/form1.cpp)
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void Button1Click();

    // ---- Play page (src/play/playpage.cpp)
    void FestquorGrid1Click();
    void FestquorGrid1DrawCell(QPainter &canvas, int col, int row, const QRect &rect);
    void SelectPlayersClick();
    void Button2Click();
    void NewGameClick();
    void FestralShow();
    void Timer1Timer();
    void Deal();
    bool MusicOn() const;
    void WaitTicks(int n) { clock.WaitTicks(n); }
    void StartTune(const GameRecord &record, int slot);
    QColor frameColour() const { return frameColour_; } // Panel2's colour

    // ---- Game selection (src/library/selectgame.cpp)
    void SelectGameClick();

    // ---- Game editor (src/editor/editorpage.cpp)
    void EditorFirstClick();
    void EditorPreviousClick();
    void EditorNextClick();
    void EditorLastClick();
    void EditorNewClick();
    void EditorDeleteClick();
    void QuorvelEditorShow();
    void StoreEditRecord();
    void CountEditRecords();
    void ReadEditRecord();
    void ShowEditRecord();
    void BlankEditImages();
    void LoadEditImages();
    void EditorGameNameKeyPress(QChar &Key);
    void EditorBMPsGridKeyPress(QChar &Key);
    void EditorMidisGridKeyPress(QChar &Key);
    void EditCardBackKeyPress(QChar &Key);
    void EditRedCardKeyPress(QChar &Key);
    void EditGreenCardKeyPress(QChar &Key);
    void EditBlueCardKeyPress(QChar &Key);
    void EditYouWonMidiKeyPress(QChar &Key);
    void EditReadMeMidiKeyPress(QChar &Key);
    void EditHelpMidiKeyPress(QChar &Key);
    void EditorCardsGridDrawCell(QPainter &canvas, int col, int row, const QRect &rect);
    void EditorCardsGrid2DrawCell(QPainter &canvas, int col, int row, const QRect &rect);
    void EditorCardsGridClick();
    void TestGameClick();
    void EditorQuitClick();
    // Imports a shared game (src/editor/gameimport.cpp); throws, callers run it in guarded().
    void ImportGameFile(const std::string &archivePath);

    // ---- Card descriptions and fixed pages (src/pages/)
    void AboutTheCardsShow();
    void AboutTheCardsGridDrawCell(QPainter &canvas, int col, int row, const QRect &rect);
    void AboutTheCardsGridTopLeftChanged();
    void CardDescriptionsGridTopLeftChanged();
    void ScrollBar1Change();
    void AboutTheCardsContextPopup();
    void GetSavedShow();
    void HelpSheetShow();
    void ReadMeShow();

    MediaPlayer &mediaPlayer() { return *player_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Wiring of each subsystem's controls to its handlers, called once by the constructor.
    void connectApp();
    void connectPlayPage();
    void connectSelection();
    void connectEditor();
    void connectPages();
    void connectScreenReader();
    void pageShown(int index);
    // Gives the players button and the music switch names that say what their captions mean.
    void nameSwitches();

    // TurnHost and GameInPlayHost: what the rules need of the window.
    void repaintBoard() override;
    void restartTicks() override;
    void enablePlayersButton(bool enabled) override;
    std::string playersCaption() override;
    void showStatus(const std::string &text) override;
    void showFrameColour(Rgb colour) override;
    void playCardTune(int picture) override;
    bool musicOn() override { return MusicOn(); }
    void playWinTune() override;
    void reportError(const std::string &message) override;
    void showGameName(const std::string &name) override;
    void loadPicture(int slot, const std::string &fileName) override;
    void deal() override { Deal(); }
    void startTune(const std::string &fileName) override { tunes.StartTune(fileName); }
    void announce(const std::string &news) override;

    std::function<void(int)> exitProgram_;
    std::optional<unsigned> seed_;
    std::mt19937 random_;
    bool shownOnce_ = false;
    QColor frameColour_;
    Announcer *announcer_ = nullptr;
    Board shownBoard_; // the board as the play grid last painted it
};

// The real player, its synthesiser and sound font already loading on a thread of their own.
// The first tune starts while the window is built, so the earlier this is called, the less
// the window waits for it: main() calls it before the application object exists.
std::unique_ptr<MediaPlayer> warmFluidPlayer();

// Connects a button's click to a handler of the window, run inside guarded().
void onClick(QAbstractButton *button, TForm1 *form, void (TForm1::*handler)());

// Sizes a label to its text, as labels without a fixed size do.
void autoSize(QLabel *label);
// The width the layout gives a label, whatever its text has sized it to since.
inline constexpr const char *kLayoutWidth = "layoutWidth";
int layoutWidth(const QLabel *label);

} // namespace quorvel
