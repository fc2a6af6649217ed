#pragma once

#include "gridbase.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace quorvel {

// A grid as a screen reader meets it: a table of its scrollable rows, whose heading rows are
// the column headers, and one cell per grid cell with the name the grid's cell-text handler
// gives it and a Press that clicks it. Cells are made when first asked for and kept until
// the grid goes, as Qt keeps the cells of its own item views.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(GridBase *grid);
    ~GridAccessible() override;

    // The child index of the grid's cell (col, row), heading rows first.
    static int childIndex(const GridBase *grid, int col, int row);
    // Sends a name change for every cell whose name is no longer the one last read.
    void sendNameChanges();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    GridBase *grid() const { return static_cast<GridBase *>(widget()); }

    mutable QHash<int, QAccessible::Id> cells_; // child index -> registered cell
};

// One cell of a grid, a heading cell when its row is a heading row.
class GridCellAccessible : public QAccessibleInterface,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface {
public:
    GridCellAccessible(GridBase *grid, int col, int row);

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    bool isSelected() const override;
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return col_; }
    int rowIndex() const override;
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // The name last read, against which sendNameChanges tells a change; null until read.
    mutable QString lastName;

private:
    bool isHeading() const;
    bool isCurrent() const;

    QPointer<GridBase> grid_;
    int col_;
    int row_;
};

// What a grid tells a running screen reader (GridBase calls these only while one runs):
// its current cell has the focus, and cells whose names changed.
void announceCurrentCell(GridBase *grid);
void announceCellChanges(GridBase *grid);

} // namespace quorvel
