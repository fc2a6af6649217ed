#include "drawgrid.h"

#include "errorreport.h"

namespace quorvel {

DrawGrid::DrawGrid(QWidget *parent) : GridBase(parent) {}

void DrawGrid::paintCell(QPainter &painter, int col, int row, const QRect &rect)
{
    if (drawCell_)
        guarded([&] { drawCell_(painter, col, row, rect); });
}

} // namespace quorvel
