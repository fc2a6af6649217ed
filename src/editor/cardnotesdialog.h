#pragma once

#include "library/gamerecord.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;

namespace quorvel {

// The characters of `text` that a field of the library file can hold: those with a
// Windows-1252 byte, controls excepted. The others are appended to `refused`.
QString storableText(const QString &text, QString &refused);

// The three notes of one card, its description lines, which the AboutTheCards page shows
// beside its picture. Each holds 100 characters of Windows-1252, as the record does; a
// character it cannot hold is left out as it is typed or pasted, and the dialog says why.
class CardNotesDialog : public QDialog {
    Q_OBJECT

public:
    // Shows the lines of card `card` (1 to 15) of `record`.
    CardNotesDialog(QWidget *parent, int card, const GameRecord &record);

    // Stores the three lines into the card's description lines of `record`.
    void storeInto(GameRecord &record) const;

    QLineEdit *line(int i) const { return lines_[i]; }
    QLabel *refusal() const { return refusal_; }

private:
    void leaveOutUnstorable(QLineEdit *line);

    int card_;
    std::array<QLineEdit *, 3> lines_{};
    QLabel *refusal_ = nullptr;
};

} // namespace quorvel
