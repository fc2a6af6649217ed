#pragma once

#include "gridbase.h"

#include <QChar>
#include <functional>

class QLineEdit;

namespace quorvel {

// A grid of texts with optional heading rows and, when editable, in-place editing of the
// other cells: a typed character or Enter (or F2) opens an editor on the current cell, Enter
// closes it again, Escape undoes the edit. What the editor holds is the cell's text at once.
// A key-press handler sees every character typed into the grid or its editor first (Enter
// as 13) and can swallow it by setting it to 0.
class StringGrid : public GridBase {
    Q_OBJECT
    Q_PROPERTY(bool editable READ editable WRITE setEditable)

public:
    using KeyPressHandler = std::function<void(QChar &key)>;

    explicit StringGrid(QWidget *parent = nullptr);

    QString cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);

    bool editable() const { return editable_; }
    void setEditable(bool editable);
    void setKeyPressHandler(KeyPressHandler handler) { keyPress_ = std::move(handler); }

    bool isEditing() const;
    void showEditor(const QString *startText = nullptr);
    void hideEditor();
    QLineEdit *editor() const { return editor_; }

    // A cell says its text to a screen reader, unless a cell-text handler says otherwise.
    QString cellText(int col, int row, QAccessible::Text kind) const override;

protected:
    void paintCell(QPainter &painter, int col, int row, const QRect &rect) override;
    void currentCellMoved() override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    // Offers a typed character to the handler; false when it was swallowed.
    bool offerKey(QChar &key);
    void placeEditor();
    void nameEditor();
    bool editorKey(QKeyEvent *event);

    QVector<QVector<QString>> cells_; // [row][col]
    bool editable_ = false;
    KeyPressHandler keyPress_;
    QLineEdit *editor_ = nullptr;
    QString textBeforeEdit_;
};

// The character a key event types, as a key-press handler sees it: Enter is 13, Backspace
// 8, Escape 27; a key that types nothing gives 0.
QChar typedChar(const QKeyEvent *event);

} // namespace quorvel
