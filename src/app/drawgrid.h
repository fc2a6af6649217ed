#pragma once

#include "gridbase.h"

#include <functional>

namespace quorvel {

// An owner-drawn grid: the window paints every cell through the draw-cell handler.
class DrawGrid : public GridBase {
    Q_OBJECT

public:
    using DrawCellHandler =
        std::function<void(QPainter &painter, int col, int row, const QRect &rect)>;

    explicit DrawGrid(QWidget *parent = nullptr);
    void setDrawCellHandler(DrawCellHandler handler) { drawCell_ = std::move(handler); }

protected:
    void paintCell(QPainter &painter, int col, int row, const QRect &rect) override;

private:
    DrawCellHandler drawCell_;
};

} // namespace quorvel
