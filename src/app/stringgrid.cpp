#include "stringgrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace quorvel {

QChar typedChar(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Backspace:
        return QChar(8);
    case Qt::Key_Escape:
        return QChar(27);
    default:
        break;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].isPrint())
        return text[0];
    return QChar(0);
}

StringGrid::StringGrid(QWidget *parent) : GridBase(parent)
{
    editor_ = new QLineEdit(viewport());
    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (currentRow() < cells_.size() && currentCol() < cells_[currentRow()].size())
            cells_[currentRow()][currentCol()] = text;
    });
}

QString StringGrid::cell(int col, int row) const
{
    if (row < 0 || row >= cells_.size() || col < 0 || col >= cells_[row].size())
        return {};
    return cells_[row][col];
}

void StringGrid::setCell(int col, int row, const QString &text)
{
    if (col < 0 || row < 0)
        return;
    if (cells_.size() <= row)
        cells_.resize(row + 1);
    if (cells_[row].size() <= col)
        cells_[row].resize(col + 1);
    cells_[row][col] = text;
    if (isEditing() && col == currentCol() && row == currentRow())
        editor_->setText(text);
    viewport()->update();
}

QString StringGrid::cellText(int col, int row, QAccessible::Text kind) const
{
    const QString given = GridBase::cellText(col, row, kind);
    if (!given.isNull() || kind != QAccessible::Name)
        return given;
    return cell(col, row);
}

void StringGrid::setEditable(bool editable)
{
    editable_ = editable;
    if (!editable)
        hideEditor();
}

bool StringGrid::isEditing() const { return editor_->isVisible(); }

void StringGrid::placeEditor()
{
    const QRect rect = cellRect(currentCol(), currentRow());
    if (rect.isEmpty()) {
        hideEditor();
        return;
    }
    editor_->setGeometry(rect);
}

void StringGrid::nameEditor()
{
    // The open editor is read by the heading of its column ("Card 3"), as its cell is.
    editor_->setAccessibleName(fixedRows() > 0 ? cell(currentCol(), 0) : accessibleName());
}

void StringGrid::showEditor(const QString *startText)
{
    if (!editable_ || currentRow() < fixedRows())
        return;
    textBeforeEdit_ = cell(currentCol(), currentRow());
    if (startText)
        setCell(currentCol(), currentRow(), *startText);
    editor_->setFont(font());
    editor_->setText(cell(currentCol(), currentRow()));
    placeEditor();
    nameEditor();
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    if (startText)
        editor_->end(false);
    else
        editor_->selectAll();
}

void StringGrid::hideEditor()
{
    if (!editor_->isVisible())
        return;
    // Keep the focus in the grid; hiding a focused editor would pass it on.
    if (editor_->hasFocus())
        setFocus(Qt::OtherFocusReason);
    editor_->hide();
    viewport()->update();
}

void StringGrid::currentCellMoved()
{
    if (isEditing()) {
        textBeforeEdit_ = cell(currentCol(), currentRow());
        editor_->setText(textBeforeEdit_);
        placeEditor();
        nameEditor();
        editor_->selectAll();
    }
}

bool StringGrid::offerKey(QChar &key)
{
    if (keyPress_)
        keyPress_(key);
    return !key.isNull();
}

void StringGrid::keyPressEvent(QKeyEvent *event)
{
    if (navigate(event))
        return;
    if (event->key() == Qt::Key_F2) {
        showEditor();
        return;
    }
    QChar key = typedChar(event);
    if (key.isNull()) {
        GridBase::keyPressEvent(event);
        return;
    }
    if (!offerKey(key))
        return;
    if (key == QChar(13)) {
        // Enter is the grid's own key after the handler: it opens the editor on what is
        // now the current cell, unless the handler has sent the focus elsewhere.
        if (hasFocus())
            showEditor();
    } else if (key.isPrint()) {
        const QString start(key);
        showEditor(&start);
    }
}

bool StringGrid::editorKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        setCell(currentCol(), currentRow(), textBeforeEdit_);
        hideEditor();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        hideEditor();
        navigate(event);
        return true;
    default:
        break;
    }
    const QChar typed = typedChar(event);
    if (typed.isNull())
        return false;
    QChar key = typed;
    if (!offerKey(key))
        return true;
    if (key == QChar(13)) {
        hideEditor();
        return true;
    }
    if (key != typed) {
        editor_->insert(QString(key));
        return true;
    }
    return false;
}

bool StringGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress)
            return editorKey(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::FocusOut) {
            QWidget *next = QApplication::focusWidget();
            if (next != this && next != editor_)
                editor_->hide();
        }
    }
    return GridBase::eventFilter(watched, event);
}

void StringGrid::mousePressEvent(QMouseEvent *event)
{
    hideEditor();
    GridBase::mousePressEvent(event);
}

void StringGrid::paintCell(QPainter &painter, int col, int row, const QRect &rect)
{
    const bool fixed = row < fixedRows();
    const bool selected = !fixed && col == currentCol() && row == currentRow() &&
                          (hasFocus() || isAncestorOf(QApplication::focusWidget()));
    if (fixed) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    } else if (selected) {
        painter.fillRect(rect, palette().color(QPalette::Highlight));
    }
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    painter.drawText(rect.adjusted(2, 0, -1, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     cell(col, row));
}

} // namespace quorvel
