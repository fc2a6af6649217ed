// What a screen reader is told beyond what the controls say of themselves: the news of the
// game, and the names of the editor's picture previews, which only paint their pictures.
// Each page names its own grids' cells (the play grid in playpage.cpp, the card pictures in
// cardspage.cpp).
#include "app/accessibility.h"
#include "app/form1.h"
#include "library/cardnames.h"

#include <QTabBar>

namespace quorvel {

void TForm1::connectScreenReader()
{
    announcer_ = new Announcer(this);
    ui.PageControl1->tabBar()->setAccessibleName(QStringLiteral("Pages"));
    nameSwitches();

    // The card faces, five a row, by the names they are spoken by in play.
    ui.EditorCardsGrid->setCellTextHandler([this](int col, int row, QAccessible::Text kind) {
        const int slot = 1 + col + ui.EditorCardsGrid->colCount() * row;
        if (kind != QAccessible::Name || slot < 1 || slot > kCardCount)
            return QString();
        return QString::fromStdString(SpokenCardNames(editor.EditRecord)[slot - 1]);
    });
    // The card back and the colour cards in the first four columns, by their fields' labels.
    ui.EditorCardsGrid2->setCellTextHandler([this](int col, int, QAccessible::Text kind) {
        const QLabel *labels[] = {ui.Label55, ui.Label56, ui.Label58, ui.Label59};
        if (kind != QAccessible::Name || col < 0 || col >= int(std::size(labels)))
            return QString();
        return labels[col]->text();
    });
}

void TForm1::announce(const std::string &news)
{
    announcer_->announce(QString::fromStdString(news));
}

} // namespace quorvel
