#include "cardnotesdialog.h"

#include "editor/editorstore.h"
#include "library/ansi.h"
#include "library/gameselection.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quorvel {
namespace {

constexpr int kLinesPerCard = 3;

// Description line j (1 to 45) of a card's i-th note (0 to 2): card k owns 3k - 2 to 3k.
int lineOf(int card, int i)
{
    return kLinesPerCard * (card - 1) + 1 + i;
}

} // namespace

QString storableText(const QString &text, QString &refused)
{
    QString kept;
    for (const char32_t c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        const std::string byte = utf8ToAnsi(character.toStdString());
        // utf8ToAnsi makes "?" of what it cannot hold; a control is no text to show.
        if ((byte == "?" && c != U'?') || !QChar::isPrint(c))
            refused += character;
        else
            kept += character;
    }
    return kept;
}

CardNotesDialog::CardNotesDialog(QWidget *parent, int card, const GameRecord &record)
    : QDialog(parent), card_(card)
{
    setObjectName(QStringLiteral("CardNotesDialog"));
    setWindowTitle(QStringLiteral("Card %1 Notes").arg(card));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("The notes the AboutTheCards page shows beside card %1:").arg(card)));
    for (int i = 0; i < kLinesPerCard; ++i) {
        auto *line = new QLineEdit(this);
        line->setMaxLength(int(kDescriptionCapacity));
        line->setMinimumWidth(line->fontMetrics().averageCharWidth() * 70);
        line->setText(QString::fromStdString(textOf(record.description(lineOf(card, i)))));
        connect(line, &QLineEdit::textEdited, this, [this, line] { leaveOutUnstorable(line); });
        layout->addWidget(line);
        lines_[i] = line;
    }
    refusal_ = new QLabel(this);
    refusal_->setWordWrap(true);
    refusal_->hide();
    layout->addWidget(refusal_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CardNotesDialog::leaveOutUnstorable(QLineEdit *line)
{
    QString refused;
    const int cursor = line->cursorPosition();
    const QString before = line->text().left(cursor);
    const QString kept = storableText(line->text(), refused);
    if (refused.isEmpty())
        return;
    QString ignored;
    line->setText(kept);
    line->setCursorPosition(int(storableText(before, ignored).size()));
    refusal_->setText(QStringLiteral("A card note holds only the characters of Windows-1252, "
                                     "as the game's file stores them: \"%1\" was left out.")
                          .arg(refused));
    refusal_->show();
}

void CardNotesDialog::storeInto(GameRecord &record) const
{
    for (int i = 0; i < kLinesPerCard; ++i)
        storeText(record.description(lineOf(card_, i)), lines_[i]->text().toStdString());
}

} // namespace quorvel
