// The fixed pages: "How To Be Saved", "Help" and "Read Me". Their texts live in the
// layout; showing one starts its tune of the game in play.
#include "infopages.h"

#include "app/form1.h"

#include <QPixmap>

namespace quorvel {
namespace {

// Narrower than this, text stops being comfortable to read.
constexpr int kNarrowestStretch = 50;

} // namespace

void fitLabelToWidth(QLabel *label, int width)
{
    autoSize(label);
    if (label->width() <= width)
        return;
    // Text width scales roughly with the stretch: start from that guess and settle on the
    // widest stretch that fits.
    QFont font = label->font();
    const int frame = label->width() - label->fontMetrics().horizontalAdvance(label->text());
    const auto fits = [&](int stretch) {
        font.setStretch(stretch);
        return QFontMetrics(font).horizontalAdvance(label->text()) + frame <= width;
    };
    int stretch = qBound(kNarrowestStretch, 100 * width / label->width(), 99);
    while (stretch < 99 && fits(stretch + 1))
        ++stretch;
    while (stretch > kNarrowestStretch && !fits(stretch))
        --stretch;
    font.setStretch(stretch);
    label->setFont(font);
    autoSize(label);
}

void setUpInfoPages(Ui::TForm1 &ui)
{
    QLabel *const pictures[] = {ui.Image1, ui.Image2, ui.Image3, ui.Image4, ui.Image5};
    for (int n = 1; n <= 5; ++n) {
        const QPixmap picture(QStringLiteral(":/saved/saved%1.bmp").arg(n));
        if (!picture.isNull())
            pictures[n - 1]->setPixmap(picture);
    }

    const QString site = QString::fromLatin1(kProjectSite);
    ui.Label31->setText(site);
    ui.Label47->setText(site);
    ui.Label46->setText(QStringLiteral("Please send comments and suggestions to %1/issues")
                            .arg(site));

    for (QWidget *page : {ui.GetSaved, ui.HelpSheet, ui.ReadMe}) {
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                fitLabelToWidth(label, layoutWidth(label));
        }
    }
}

void TForm1::GetSavedShow()
{
    if (MusicOn())
        StartTune(PlayRecord, kReadMeTuneSlot);
}

void TForm1::HelpSheetShow()
{
    if (MusicOn())
        StartTune(PlayRecord, kHelpTuneSlot);
}

void TForm1::ReadMeShow()
{
    // The Read Me page plays the help tune too; the "Read Me" tune belongs to the
    // "How To Be Saved" page.
    if (MusicOn())
        StartTune(PlayRecord, kHelpTuneSlot);
}

} // namespace quorvel
