// The fixed pages: "How To Be Saved", "Help" and "Read Me". Their texts live in the
// layout; showing one starts its tune of the game in play.
#include "infopages.h"

#include "app/form1.h"

#include <QHash>
#include <QPixmap>

namespace quorvel {
namespace {

// Narrower than this, text stops being comfortable to read.
constexpr int kNarrowestStretch = 50;

// The widths the layout gives the labels of the three pages. The window's own labels have
// sized themselves to their texts by the time the pages are set up, so the widths are read
// from a second copy of the layout that is never shown.
QHash<QString, int> layoutWidths()
{
    QWidget scratch;
    Ui::TForm1 layout;
    layout.setupUi(&scratch);
    QHash<QString, int> widths;
    for (const QWidget *page : {layout.GetSaved, layout.HelpSheet, layout.ReadMe}) {
        for (const QLabel *label : page->findChildren<QLabel *>())
            widths.insert(label->objectName(), label->width());
    }
    return widths;
}

} // namespace

void fitLabelToWidth(QLabel *label, int width)
{
    autoSize(label);
    QFont font = label->font();
    for (int stretch = 99; label->width() > width && stretch >= kNarrowestStretch; --stretch) {
        font.setStretch(stretch);
        label->setFont(font);
        autoSize(label);
    }
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

    const QHash<QString, int> widths = layoutWidths();
    for (QWidget *page : {ui.GetSaved, ui.HelpSheet, ui.ReadMe}) {
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                fitLabelToWidth(label, widths.value(label->objectName()));
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
