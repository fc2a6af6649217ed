// The play page: the board's painting, the turn engine's click, the players button, the
// music switch, NEW, the tick clock and the tunes of the game in play.
#include "app/errorreport.h"
#include "app/eventhook.h"
#include "app/form1.h"
#include "play/announcements.h"

#include <QPainter>
#include <QTimer>

namespace quorvel {

void TForm1::connectPlayPage()
{
    ui.FestquorGrid1->setDrawCellHandler(
        [this](QPainter &canvas, int col, int row, const QRect &rect) {
            FestquorGrid1DrawCell(canvas, col, row, rect);
        });
    connect(ui.FestquorGrid1, &GridBase::cellClicked, this,
            [this] { guarded([this] { FestquorGrid1Click(); }); });
    // A cell reads what it shows, as a sighted player sees it: a missed pair stays turned up
    // until the board is next repainted, as on the screen.
    ui.FestquorGrid1->setCellTextHandler([this](int col, int row, QAccessible::Text kind) {
        if (kind != QAccessible::Name)
            return QString();
        return QString::fromStdString(CellName(shownBoard_, engine.cardNames, col, row));
    });
    onClick(ui.SelectPlayers, this, &TForm1::SelectPlayersClick);
    onClick(ui.Button2, this, &TForm1::Button2Click);
    onClick(ui.NewGame, this, &TForm1::NewGameClick);
    ui.FestquorGrid1->setLiveUpdates(false);
    ui.Panel2->setAutoFillBackground(false);
    // Panel2 shows the current player's colour around the play grid. It is painted here,
    // not through its palette, because a palette change would also repaint the grid.
    EventHook::install(ui.Panel2, [this](QEvent *event) {
        if (event->type() == QEvent::Paint) {
            QPainter painter(ui.Panel2);
            painter.fillRect(ui.Panel2->rect(), frameColour_);
        }
        return false;
    });
    showFrameColour(PlayerColour(kRed));
}

void TForm1::FestquorGrid1Click()
{
    engine.Click(ui.FestquorGrid1->currentCol(), ui.FestquorGrid1->currentRow());
}

void TForm1::FestquorGrid1DrawCell(QPainter &canvas, int col, int row, const QRect &rect)
{
    const int card = engine.board.CardNumber[col][row];
    shownBoard_.CardNumber[col][row] = card;
    shownBoard_.CellState[col][row] = engine.board.CellState[col][row];
    int slot;
    switch (engine.board.CellState[col][row]) {
    case kFaceDown:
        slot = kCardBackSlot;
        break;
    case kFaceUp:
        if (card < 1 || card > kBoardCells)
            return;
        slot = PictureOf(card);
        break;
    case kMatchedByRed:
        slot = kRedCardSlot;
        break;
    case kMatchedByRed + 1:
        slot = kGreenCardSlot;
        break;
    case kMatchedByRed + 2:
        slot = kBlueCardSlot;
        break;
    default:
        return;
    }
    PlayImages.draw(canvas, slot, rect.topLeft());
}

void TForm1::SelectPlayersClick()
{
    const QString caption = ui.SelectPlayers->text();
    if (caption == QLatin1String("1"))
        ui.SelectPlayers->setText(QStringLiteral("2"));
    else if (caption == QLatin1String("2"))
        ui.SelectPlayers->setText(QStringLiteral("3"));
    else if (caption == QLatin1String("3"))
        ui.SelectPlayers->setText(QStringLiteral("1"));
    nameSwitches();
    announce(PlayersButtonName(PlayerCountFromCaption(playersCaption())));
}

void TForm1::Button2Click()
{
    ui.Button2->setText(MusicOn() ? QStringLiteral("NO MUSIC") : QStringLiteral("MUSIC"));
    nameSwitches();
    announce(MusicButtonName(MusicOn()));
}

void TForm1::nameSwitches()
{
    ui.SelectPlayers->setAccessibleName(
        QString::fromStdString(PlayersButtonName(PlayerCountFromCaption(playersCaption()))));
    ui.Button2->setAccessibleName(QString::fromStdString(MusicButtonName(MusicOn())));
}

void TForm1::NewGameClick()
{
    Deal();
}

void TForm1::FestralShow()
{
    if (MusicOn())
        StartTune(PlayRecord, 1);
}

void TForm1::Timer1Timer()
{
    clock.Timer1Timer();
}

void TForm1::Deal()
{
    engine.cardNames = SpokenCardNames(PlayRecord);
    engine.Deal([this](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); });
    announce(DealNews(textOf(PlayRecord.Name), PlayerCountFromCaption(playersCaption())));
}

bool TForm1::MusicOn() const
{
    return quorvel::MusicOn(ui.Button2->text().toStdString());
}

void TForm1::StartTune(const GameRecord &record, int slot)
{
    tunes.StartTune(textOf(record.Midis[slot]));
}

void TForm1::repaintBoard()
{
    ui.FestquorGrid1->viewport()->repaint();
}

void TForm1::restartTicks()
{
    clock.TickCount = 0;
}

void TForm1::enablePlayersButton(bool enabled)
{
    ui.SelectPlayers->setEnabled(enabled);
}

std::string TForm1::playersCaption()
{
    return ui.SelectPlayers->text().toStdString();
}

void TForm1::showStatus(const std::string &text)
{
    ui.Label1->setText(QString::fromStdString(text));
}

void TForm1::showFrameColour(Rgb colour)
{
    frameColour_ = QColor(colour.red, colour.green, colour.blue);
    // Only the frame around the grid: the board catches up at its own next repaint.
    ui.Panel2->update(QRegion(ui.Panel2->rect()) - QRegion(ui.FestquorGrid1->geometry()));
}

void TForm1::playCardTune(int picture)
{
    tunes.PlayCardTune(MusicOn(), textOf(PlayRecord.Midis[picture]));
}

void TForm1::playWinTune()
{
    tunes.PlayTuneToEnd(textOf(PlayRecord.Midis[kWinTuneSlot]));
}

} // namespace quorvel
