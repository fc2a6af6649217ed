#include "gridaccessible.h"

#include <QTimer>
#include <QWindow>

namespace quorvel {

// ---- The table

GridAccessible::GridAccessible(GridBase *grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible()
{
    for (QAccessible::Id id : std::as_const(cells_))
        QAccessible::deleteAccessibleInterface(id);
}

int GridAccessible::childIndex(const GridBase *grid, int col, int row)
{
    return row * grid->colCount() + col;
}

int GridAccessible::childCount() const
{
    return grid()->rowCount() * grid()->colCount();
}

QAccessibleInterface *GridAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto found = cells_.constFind(index); found != cells_.constEnd()) {
        if (QAccessibleInterface *cell = QAccessible::accessibleInterface(*found))
            return cell;
    }
    const int cols = grid()->colCount();
    auto *cell = new GridCellAccessible(grid(), index % cols, index / cols);
    cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int GridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->parent() != this)
        return -1;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface *>(child));
    return cells_.key(id, -1);
}

QAccessibleInterface *GridAccessible::childAt(int x, int y) const
{
    const QPoint at = grid()->viewport()->mapFromGlobal(QPoint(x, y));
    int col, row;
    return grid()->cellAt(at, &col, &row) ? child(childIndex(grid(), col, row)) : nullptr;
}

QAccessibleInterface *GridAccessible::focusChild() const
{
    if (!grid()->hasFocus())
        return nullptr;
    return child(childIndex(grid(), grid()->currentCol(), grid()->currentRow()));
}

void *GridAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface *GridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return child(childIndex(grid(), column, row + grid()->fixedRows()));
}

QList<QAccessibleInterface *> GridAccessible::selectedCells() const
{
    return {child(childIndex(grid(), grid()->currentCol(), grid()->currentRow()))};
}

QString GridAccessible::columnDescription(int column) const
{
    return grid()->fixedRows() > 0 ? grid()->cellText(column, 0, QAccessible::Name) : QString();
}

int GridAccessible::columnCount() const
{
    return grid()->colCount();
}

int GridAccessible::rowCount() const
{
    return grid()->rowCount() - grid()->fixedRows();
}

void GridAccessible::sendNameChanges()
{
    for (QAccessible::Id id : std::as_const(cells_)) {
        auto *cell = static_cast<GridCellAccessible *>(QAccessible::accessibleInterface(id));
        if (!cell || !cell->isValid() || cell->lastName.isNull())
            continue;
        const QString before = cell->lastName;
        if (cell->text(QAccessible::Name) != before) {
            // The event carries only the cell; the reader asks it for its new name.
            QAccessibleEvent event(cell, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void announceCurrentCell(GridBase *grid)
{
    QAccessibleEvent event(grid, QAccessible::Focus);
    event.setChild(GridAccessible::childIndex(grid, grid->currentCol(), grid->currentRow()));
    QAccessible::updateAccessibility(&event);
}

void announceCellChanges(GridBase *grid)
{
    if (auto *table = dynamic_cast<GridAccessible *>(QAccessible::queryAccessibleInterface(grid)))
        table->sendNameChanges();
}

// ---- A cell

GridCellAccessible::GridCellAccessible(GridBase *grid, int col, int row)
    : grid_(grid), col_(col), row_(row)
{
}

bool GridCellAccessible::isValid() const
{
    return grid_ && col_ < grid_->colCount() && row_ < grid_->rowCount();
}

QWindow *GridCellAccessible::window() const
{
    return grid_ ? grid_->window()->windowHandle() : nullptr;
}

QAccessibleInterface *GridCellAccessible::parent() const
{
    return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
}

QString GridCellAccessible::text(QAccessible::Text kind) const
{
    if (!isValid())
        return {};
    const QString text = grid_->cellText(col_, row_, kind);
    if (kind == QAccessible::Name)
        lastName = text.isNull() ? QString("") : text;
    return text;
}

QRect GridCellAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect cell = grid_->cellRect(col_, row_);
    if (cell.isEmpty())
        return {};
    return QRect(grid_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::Role GridCellAccessible::role() const
{
    return isHeading() ? QAccessible::ColumnHeader : QAccessible::Cell;
}

QAccessible::State GridCellAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    if (!grid_->isVisible() || grid_->cellRect(col_, row_).isEmpty()) {
        state.invisible = true;
        state.offscreen = true;
    }
    if (isHeading())
        return state;
    state.focusable = true;
    state.selectable = true;
    state.selected = isCurrent();
    state.focused = isCurrent() && grid_->hasFocus();
    return state;
}

void *GridCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (isHeading())
        return nullptr;
    if (type == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

bool GridCellAccessible::isSelected() const
{
    return isCurrent();
}

QList<QAccessibleInterface *> GridCellAccessible::columnHeaderCells() const
{
    QList<QAccessibleInterface *> headers;
    if (QAccessibleInterface *table = parent()) {
        for (int r = 0; r < grid_->fixedRows(); ++r)
            headers << table->child(GridAccessible::childIndex(grid_, col_, r));
    }
    return headers;
}

int GridCellAccessible::rowIndex() const
{
    return grid_ ? row_ - grid_->fixedRows() : -1;
}

QStringList GridCellAccessible::actionNames() const
{
    return {pressAction(), setFocusAction()};
}

void GridCellAccessible::doAction(const QString &actionName)
{
    if (!isValid())
        return;
    if (actionName == pressAction()) {
        // Clicked from the event loop, not inside the screen reader's request: a click may
        // pause for a pair's tune, and the reader waits for its answer meanwhile.
        const int col = col_, row = row_;
        QTimer::singleShot(0, grid_.data(), [grid = grid_, col, row] {
            if (grid)
                grid->clickCell(col, row);
        });
    } else if (actionName == setFocusAction()) {
        grid_->setFocus(Qt::OtherFocusReason);
        grid_->setCurrentCell(col_, row_);
    }
}

QStringList GridCellAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == pressAction())
        return {QStringLiteral("Space")};
    return {};
}

bool GridCellAccessible::isHeading() const
{
    return grid_ && row_ < grid_->fixedRows();
}

bool GridCellAccessible::isCurrent() const
{
    return grid_ && col_ == grid_->currentCol() && row_ == grid_->currentRow();
}

} // namespace quorvel
