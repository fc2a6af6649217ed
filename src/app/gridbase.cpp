#include "gridbase.h"

#include "gridaccessible.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>

namespace quorvel {

GridBase::GridBase(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBordered(true);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(1);
}

void GridBase::setColCount(int count)
{
    colWidths_.resize(qMax(0, count), defaultColWidth_);
    for (int &w : colWidths_)
        w = w ? w : defaultColWidth_;
    currentCol_ = qBound(0, currentCol_, qMax(0, count - 1));
    viewport()->update();
}

void GridBase::setRowCount(int count)
{
    const int old = rowHeights_.size();
    rowHeights_.resize(qMax(0, count));
    for (int r = old; r < rowHeights_.size(); ++r)
        rowHeights_[r] = defaultRowHeight_;
    currentRow_ = qBound(fixedRows_, currentRow_, qMax(fixedRows_, count - 1));
    updateScrollRange();
}

void GridBase::setFixedRows(int rows)
{
    fixedRows_ = qMax(0, rows);
    topRow_ = qMax(topRow_, fixedRows_);
    currentRow_ = qMax(currentRow_, fixedRows_);
    updateScrollRange();
}

void GridBase::setDefaultColWidth(int width)
{
    defaultColWidth_ = width;
    colWidths_.fill(width);
    viewport()->update();
}

void GridBase::setDefaultRowHeight(int height)
{
    defaultRowHeight_ = height;
    rowHeights_.fill(height);
    updateScrollRange();
}

void GridBase::setColWidth(int col, int width)
{
    if (col >= 0 && col < colWidths_.size()) {
        colWidths_[col] = width;
        viewport()->update();
    }
}

void GridBase::setRowHeight(int row, int height)
{
    if (row >= 0 && row < rowHeights_.size()) {
        rowHeights_[row] = height;
        updateScrollRange();
    }
}

void GridBase::setGridLineWidth(int width)
{
    gridLineWidth_ = qMax(0, width);
    updateScrollRange();
}

void GridBase::setScrollBars(bool shown)
{
    scrollBars_ = shown;
    setVerticalScrollBarPolicy(shown ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    updateScrollRange();
}

void GridBase::setBordered(bool bordered)
{
    bordered_ = bordered;
    if (bordered) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    updateScrollRange();
}

void GridBase::setColor(const QColor &color)
{
    color_ = color;
    viewport()->update();
}

void GridBase::setFixedColor(const QColor &color)
{
    fixedColor_ = color;
    viewport()->update();
}

int GridBase::maxTopRow() const
{
    // The last rows that fit the viewport, the grid line below the last one not counted.
    const int height = viewport()->height() - rowTop(fixedRows_);
    int used = -gridLineWidth_;
    int top = rowHeights_.size();
    while (top > fixedRows_) {
        const int extent = rowHeights_[top - 1] + gridLineWidth_;
        if (used + extent > height)
            break;
        used += extent;
        --top;
    }
    return qMax(fixedRows_, qMin(top, rowHeights_.size() - 1));
}

int GridBase::visibleRowCount() const
{
    const int height = viewport()->height() - rowTop(fixedRows_);
    int used = -gridLineWidth_;
    int count = 0;
    for (int r = topRow_; r < rowHeights_.size(); ++r) {
        used += rowHeights_[r] + gridLineWidth_;
        if (used > height)
            break;
        ++count;
    }
    return count;
}

void GridBase::setTopRow(int row)
{
    row = qBound(fixedRows_, row, maxTopRow());
    if (row == topRow_)
        return;
    topRow_ = row;
    syncingScrollBar_ = true;
    verticalScrollBar()->setValue(row);
    syncingScrollBar_ = false;
    viewport()->update();
    emit topLeftChanged();
}

void GridBase::setCurrentCell(int col, int row)
{
    col = qBound(0, col, qMax(0, colCount() - 1));
    row = qBound(fixedRows_, row, qMax(fixedRows_, rowCount() - 1));
    if (col == currentCol_ && row == currentRow_)
        return;
    if (liveUpdates_)
        viewport()->update(cellRect(currentCol_, currentRow_));
    currentCol_ = col;
    currentRow_ = row;
    scrollToCurrent();
    if (liveUpdates_)
        viewport()->update(cellRect(currentCol_, currentRow_));
    currentCellMoved();
    tellCurrentCell();
}

void GridBase::clickCell(int col, int row)
{
    if (col < 0 || col >= colCount() || row < fixedRows_ || row >= rowCount())
        return;
    setCurrentCell(col, row);
    emit cellClicked(col, row);
}

QString GridBase::cellText(int col, int row, QAccessible::Text kind) const
{
    return cellText_ ? cellText_(col, row, kind) : QString();
}

void GridBase::cellsChanged()
{
    if (QAccessible::isActive())
        announceCellChanges(this);
}

void GridBase::tellCurrentCell()
{
    if (QAccessible::isActive() && hasFocus())
        announceCurrentCell(this);
}

void GridBase::scrollToCurrent()
{
    if (currentRow_ < fixedRows_)
        return;
    if (currentRow_ < topRow_) {
        setTopRow(currentRow_);
    } else {
        const int visible = qMax(1, visibleRowCount());
        if (currentRow_ >= topRow_ + visible)
            setTopRow(currentRow_ - visible + 1);
    }
}

int GridBase::rowTop(int row) const
{
    int y = 0;
    if (row < fixedRows_) {
        for (int r = 0; r < row; ++r)
            y += rowHeights_[r] + gridLineWidth_;
        return y;
    }
    for (int r = 0; r < fixedRows_; ++r)
        y += rowHeights_[r] + gridLineWidth_;
    for (int r = topRow_; r < row; ++r)
        y += rowHeights_[r] + gridLineWidth_;
    return y;
}

QRect GridBase::cellRect(int col, int row) const
{
    if (col < 0 || col >= colCount() || row < 0 || row >= rowCount())
        return {};
    if (row >= fixedRows_ && row < topRow_)
        return {};
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += colWidths_[c] + gridLineWidth_;
    const int y = rowTop(row);
    if (x >= viewport()->width() || y >= viewport()->height())
        return {};
    return QRect(x, y, colWidths_[col], rowHeights_[row]);
}

bool GridBase::cellAt(const QPoint &pos, int *col, int *row) const
{
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < colCount(); ++c) {
            const QRect rect = cellRect(c, r);
            if (!rect.isEmpty() && rect.contains(pos)) {
                *col = c;
                *row = r;
                return true;
            }
        }
    }
    return false;
}

void GridBase::updateScrollRange()
{
    syncingScrollBar_ = true;
    verticalScrollBar()->setRange(fixedRows_, scrollBars_ ? maxTopRow() : fixedRows_);
    syncingScrollBar_ = false;
    const int clamped = qBound(fixedRows_, topRow_, maxTopRow());
    if (clamped != topRow_)
        setTopRow(clamped);
    viewport()->update();
}

void GridBase::scrollContentsBy(int, int)
{
    if (!syncingScrollBar_)
        setTopRow(verticalScrollBar()->value());
}

void GridBase::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void GridBase::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    const QColor lineColor = palette().color(QPalette::Button);
    painter.fillRect(area, color_);
    const bool focused = hasFocus() || isAncestorOf(QApplication::focusWidget());
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < colCount(); ++c) {
            const QRect rect = cellRect(c, r);
            if (rect.isEmpty())
                continue;
            if (gridLineWidth_ > 0) {
                painter.fillRect(QRect(rect.right() + 1, rect.top(), gridLineWidth_,
                                       rect.height() + gridLineWidth_), lineColor);
                painter.fillRect(QRect(rect.left(), rect.bottom() + 1,
                                       rect.width() + gridLineWidth_, gridLineWidth_),
                                 lineColor);
            }
            painter.save();
            painter.setClipRect(rect);
            painter.fillRect(rect, r < fixedRows_ ? fixedColor_ : color_);
            paintCell(painter, c, r, rect);
            painter.restore();
            if (focused && c == currentCol_ && r == currentRow_) {
                QStyleOptionFocusRect option;
                option.initFrom(this);
                option.rect = rect.adjusted(1, 1, -1, -1);
                option.backgroundColor = color_;
                style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
            }
        }
    }
    // Cells read what they show, so their names change as they are painted.
    cellsChanged();
}

void GridBase::mousePressEvent(QMouseEvent *event)
{
    pressedCol_ = pressedRow_ = -1;
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    int col, row;
    if (cellAt(event->position().toPoint(), &col, &row) && row >= fixedRows_) {
        pressedCol_ = col;
        pressedRow_ = row;
        setCurrentCell(col, row);
    }
}

void GridBase::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || pressedCol_ < 0)
        return;
    const int col = pressedCol_, row = pressedRow_;
    pressedCol_ = pressedRow_ = -1;
    if (viewport()->rect().contains(event->position().toPoint()))
        emit cellClicked(col, row);
}

bool GridBase::navigate(QKeyEvent *event)
{
    int col = currentCol_, row = currentRow_;
    const int page = qMax(1, visibleRowCount());
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    // Ctrl with an arrow only moves, so a player who listens can go back to a card they
    // remember without turning the cards on the way. (Qt numbers the four arrows in a row.)
    const bool click = !ctrl || event->key() < Qt::Key_Left || event->key() > Qt::Key_Down;
    switch (event->key()) {
    case Qt::Key_Left:
        --col;
        break;
    case Qt::Key_Right:
        ++col;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Home:
        col = 0;
        if (ctrl)
            row = fixedRows_;
        break;
    case Qt::Key_End:
        col = colCount() - 1;
        if (ctrl)
            row = rowCount() - 1;
        break;
    case Qt::Key_PageUp:
        row -= page;
        break;
    case Qt::Key_PageDown:
        row += page;
        break;
    default:
        return false;
    }
    col = qBound(0, col, colCount() - 1);
    row = qBound(fixedRows_, row, rowCount() - 1);
    if (col != currentCol_ || row != currentRow_) {
        setCurrentCell(col, row);
        if (click)
            emit cellClicked(col, row);
    }
    return true;
}

void GridBase::keyPressEvent(QKeyEvent *event)
{
    if (navigate(event))
        return;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit cellClicked(currentCol_, currentRow_);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void GridBase::wheelEvent(QWheelEvent *event)
{
    // The wheel scrolls the view a row at a time; it never picks a cell.
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setTopRow(topRow_ - steps);
    event->accept();
}

void GridBase::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (liveUpdates_)
        viewport()->update();
    // Posted: Qt tells of the grid's own focus after this handler, and the reader would
    // stay on the table instead of going on to its current cell.
    if (QAccessible::isActive())
        QMetaObject::invokeMethod(this, [this] { tellCurrentCell(); }, Qt::QueuedConnection);
}

void GridBase::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    if (liveUpdates_)
        viewport()->update();
}

} // namespace quorvel
