#pragma once

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QColor>
#include <QVector>
#include <functional>

namespace quorvel {

// What the game's grids have in common: columns and rows of settable sizes separated by
// grid lines of a settable width, optional heading rows at the top, a top row that scrolls
// (by scroll bar, keyboard or wheel) with a change signal, and a current cell that the
// mouse and the keyboard move. A click on a cell, every plain keyboard move of the current
// cell and Enter or Space on it emit cellClicked, as the game's handlers expect of a grid's
// click; Ctrl with an arrow key moves without a click. To a screen reader the grid is a
// table whose cells say what the cell-text handler gives them (gridaccessible.h).
class GridBase : public QAbstractScrollArea {
    Q_OBJECT
    Q_PROPERTY(int colCount READ colCount WRITE setColCount)
    Q_PROPERTY(int rowCount READ rowCount WRITE setRowCount)
    Q_PROPERTY(int fixedRows READ fixedRows WRITE setFixedRows)
    Q_PROPERTY(int defaultColWidth READ defaultColWidth WRITE setDefaultColWidth)
    Q_PROPERTY(int defaultRowHeight READ defaultRowHeight WRITE setDefaultRowHeight)
    Q_PROPERTY(int gridLineWidth READ gridLineWidth WRITE setGridLineWidth)
    Q_PROPERTY(bool scrollBars READ scrollBars WRITE setScrollBars)
    Q_PROPERTY(bool bordered READ bordered WRITE setBordered)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QColor fixedColor READ fixedColor WRITE setFixedColor)

public:
    explicit GridBase(QWidget *parent = nullptr);

    int colCount() const { return colWidths_.size(); }
    void setColCount(int count);
    int rowCount() const { return rowHeights_.size(); }
    void setRowCount(int count);
    int fixedRows() const { return fixedRows_; }
    void setFixedRows(int rows);
    int defaultColWidth() const { return defaultColWidth_; }
    void setDefaultColWidth(int width);   // also sets every column to it
    int defaultRowHeight() const { return defaultRowHeight_; }
    void setDefaultRowHeight(int height); // also sets every row to it
    int colWidth(int col) const { return colWidths_.value(col); }
    void setColWidth(int col, int width);
    int rowHeight(int row) const { return rowHeights_.value(row); }
    void setRowHeight(int row, int height);
    int gridLineWidth() const { return gridLineWidth_; }
    void setGridLineWidth(int width);
    bool scrollBars() const { return scrollBars_; }
    void setScrollBars(bool shown);
    bool bordered() const { return bordered_; }
    void setBordered(bool bordered);
    QColor color() const { return color_; }
    void setColor(const QColor &color);
    QColor fixedColor() const { return fixedColor_; }
    void setFixedColor(const QColor &color);

    // The first scrollable row in view. Setting it is clamped to the rows that can be on
    // top; only an actual change scrolls and emits topLeftChanged.
    int topRow() const { return topRow_; }
    void setTopRow(int row);
    // The highest top row: the one that brings the last row fully into view.
    int maxTopRow() const;
    // Scrollable rows fully in view from the top row on.
    int visibleRowCount() const;

    // Whether moving the current cell or the focus repaints the cells concerned at once.
    // The play grid turns this off: its screen catches up with the board only when it is
    // repainted as a whole, which is part of the game.
    bool liveUpdates() const { return liveUpdates_; }
    void setLiveUpdates(bool live) { liveUpdates_ = live; }

    int currentCol() const { return currentCol_; }
    int currentRow() const { return currentRow_; }
    // Makes (col, row) the current cell and scrolls it into view; emits no click.
    void setCurrentCell(int col, int row);

    // Makes (col, row) the current cell and runs the grid's click on it, as a mouse click
    // does: a screen reader's Press on the cell.
    void clickCell(int col, int row);

    // What a screen reader is told of a cell: its name (QAccessible::Name) and, where there
    // is more to say, its description. Only a screen reader's questions call the handler.
    using CellTextHandler = std::function<QString(int col, int row, QAccessible::Text kind)>;
    void setCellTextHandler(CellTextHandler handler) { cellText_ = std::move(handler); }
    virtual QString cellText(int col, int row, QAccessible::Text kind) const;

    // The cell's rectangle in the viewport, without its grid lines; empty when out of view.
    QRect cellRect(int col, int row) const;
    // The cell under a viewport point, or false.
    bool cellAt(const QPoint &pos, int *col, int *row) const;

signals:
    void cellClicked(int col, int row);
    void topLeftChanged();

protected:
    // Paints one cell inside `rect` (background already filled).
    virtual void paintCell(QPainter &painter, int col, int row, const QRect &rect) = 0;
    // Called after the current cell has moved to another cell.
    virtual void currentCellMoved() {}
    // Moves the current cell for a navigation key; true when the key was one.
    bool navigate(QKeyEvent *event);

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int rowTop(int row) const; // viewport y of a row in view
    void tellCurrentCell();
    // Tells a running screen reader of the cells whose names have changed.
    void cellsChanged();
    void updateScrollRange();
    void scrollToCurrent();

    QVector<int> colWidths_;
    QVector<int> rowHeights_;
    int fixedRows_ = 0;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    int gridLineWidth_ = 1;
    bool scrollBars_ = true;
    bool bordered_ = true;
    QColor color_ = Qt::white;
    QColor fixedColor_ = QColor(192, 192, 192);
    int topRow_ = 0;
    int currentCol_ = 0;
    int currentRow_ = 0;
    int pressedCol_ = -1;
    int pressedRow_ = -1;
    bool syncingScrollBar_ = false;
    bool liveUpdates_ = true;
    CellTextHandler cellText_;
};

} // namespace quorvel
