// The card descriptions page: the game in play's card faces in a column, each beside its
// three description lines, the two grids and the scroll bar scrolling together.
#include "app/errorreport.h"
#include "app/eventhook.h"
#include "app/form1.h"
#include "pages/infopages.h"

#include <QPainter>

namespace quorvel {
namespace {

// Description lines per card: picture row r stands beside description rows 3r to 3r + 2.
constexpr int kLinesPerCard = 3;

} // namespace

void TForm1::connectPages()
{
    ui.AboutTheCardsGrid->setDrawCellHandler(
        [this](QPainter &canvas, int col, int row, const QRect &rect) {
            AboutTheCardsGridDrawCell(canvas, col, row, rect);
        });
    connect(ui.AboutTheCardsGrid, &GridBase::topLeftChanged, this,
            [this] { guarded([this] { AboutTheCardsGridTopLeftChanged(); }); });
    connect(ui.CardDescriptionsGrid, &GridBase::topLeftChanged, this,
            [this] { guarded([this] { CardDescriptionsGridTopLeftChanged(); }); });
    connect(ui.ScrollBar1, &QScrollBar::valueChanged, this,
            [this] { guarded([this] { ScrollBar1Change(); }); });
    // A screen reader reads each picture by its card's spoken name, with the card's three
    // lines as its description; the description grid's cells read their own lines.
    ui.AboutTheCardsGrid->setCellTextHandler([this](int, int row, QAccessible::Text kind) {
        if (row < 0 || row >= kCardCount)
            return QString();
        if (kind == QAccessible::Name)
            return QString::fromStdString(engine.cardNames[row]);
        if (kind != QAccessible::Description)
            return QString();
        QStringList lines;
        for (int i = 0; i < kLinesPerCard; ++i)
            lines << ui.CardDescriptionsGrid->cell(0, kLinesPerCard * row + i);
        return lines.join(QLatin1Char(' ')).simplified();
    });
    // A notch of the wheel over the descriptions scrolls a whole card, as it does over the
    // pictures; a single line down would only snap back to the card's first line.
    EventHook::install(ui.CardDescriptionsGrid->viewport(), [this](QEvent *event) {
        if (event->type() != QEvent::Wheel)
            return false;
        QCoreApplication::sendEvent(ui.AboutTheCardsGrid->viewport(), event);
        return true;
    });

    // A context-menu request anywhere on the page reaches the page: no control on it has a
    // menu of its own (the scroll bar would), so each passes the request up to its parent.
    for (QWidget *control : ui.AboutTheCards->findChildren<QWidget *>())
        control->setContextMenuPolicy(Qt::NoContextMenu);
    EventHook::install(ui.AboutTheCards, [this](QEvent *event) {
        if (event->type() == QEvent::ContextMenu)
            guarded([this] { AboutTheCardsContextPopup(); });
        return false;
    });

    setUpInfoPages(ui);
}

void TForm1::AboutTheCardsShow()
{
    ui.GameName2->setText(QString::fromStdString(textOf(PlayRecord.Name)));
    autoSize(ui.GameName2);
    // Every line is written, empty ones too, so nothing of an earlier game stays.
    for (int j = 1; j <= kDescriptionCount; ++j) {
        ui.CardDescriptionsGrid->setCell(
            0, j - 1, QString::fromStdString(textOf(PlayRecord.description(j))));
    }
    if (MusicOn())
        StartTune(PlayRecord, kWinTuneSlot);
}

void TForm1::AboutTheCardsGridDrawCell(QPainter &canvas, int, int row, const QRect &rect)
{
    if (row >= 0 && row < kCardCount)
        PlayImages.draw(canvas, row + 1, rect.topLeft());
}

// Setting a grid's top row signals only an actual change, so each chain below comes to rest
// after at most one further step, with the description grid's top row at three times the
// picture grid's.

void TForm1::AboutTheCardsGridTopLeftChanged()
{
    ui.CardDescriptionsGrid->setTopRow(kLinesPerCard * ui.AboutTheCardsGrid->topRow());
}

void TForm1::CardDescriptionsGridTopLeftChanged()
{
    // Snaps the descriptions back to the first line of the card now at the top.
    ui.AboutTheCardsGrid->setTopRow(ui.CardDescriptionsGrid->topRow() / kLinesPerCard);
    ui.CardDescriptionsGrid->setTopRow(kLinesPerCard * ui.AboutTheCardsGrid->topRow());
}

void TForm1::ScrollBar1Change()
{
    // The scroll bar follows only the user: scrolling the grids never moves it.
    ui.AboutTheCardsGrid->setTopRow(ui.ScrollBar1->value());
    ui.CardDescriptionsGrid->setTopRow(kLinesPerCard * ui.AboutTheCardsGrid->topRow());
}

void TForm1::AboutTheCardsContextPopup()
{
    ui.AboutTheCardsGrid->viewport()->repaint();
}

} // namespace quorvel
