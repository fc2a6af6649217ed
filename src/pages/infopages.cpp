// The fixed pages: "How To Be Saved", "Help" and "Read Me". Their texts live in the
// layout; showing one starts its tune of the game in play.
#include "infopages.h"

#include "app/form1.h"

#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>

namespace quorvel {
namespace {

// Narrower than this, text stops being comfortable to read.
constexpr int kNarrowestStretch = 50;
// The left edge of the pages' text.
constexpr int kPageMargin = 4;
constexpr const char *kLayoutRight = "layoutRight";

// A web address as the pages show it: without its scheme and a closing slash.
QString shownAddress(QString address)
{
    address.remove(QRegularExpression(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://")));
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address;
}

// Fits a label that ends where the layout ends it and grows leftwards with a longer text,
// as far as the page's margin.
void fitRightAligned(QLabel *label)
{
    if (!label->property(kLayoutRight).isValid())
        label->setProperty(kLayoutRight, label->x() + layoutWidth(label));
    const int right = label->property(kLayoutRight).toInt();
    fitLabelToWidth(label, right - kPageMargin);
    label->move(right - label->width(), label->y());
}

// A text set earlier may have left the font narrowed; a new text is fitted afresh.
void unnarrow(QLabel *label)
{
    QFont font = label->font();
    font.setStretch(QFont::AnyStretch);
    label->setFont(font);
}

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

ProjectPointer builtProjectPointer()
{
    return {QString::fromUtf8(QUORVEL_HOMEPAGE), QString::fromUtf8(QUORVEL_README_PATH)};
}

void showProjectPointer(Ui::TForm1 &ui, const ProjectPointer &pointer)
{
    const QString site = shownAddress(pointer.homepage);
    if (!site.isEmpty()) {
        ui.Label30->setText(QStringLiteral("Newer versions of Festral Quorvel and its source "
                                           "code can always be found at"));
        ui.Label31->setText(site);
        ui.Label46->setText(QStringLiteral("Comments and suggestions are welcome at %1")
                                .arg(site));
        ui.Label48->setText(QStringLiteral("Visit"));
        ui.Label47->setText(site);
        ui.Label49->setText(QStringLiteral("for newer versions and the source code."));
    } else {
        const QFileInfo readme(pointer.readmePath);
        ui.Label30->setText(QStringLiteral("Read about newer versions of Festral Quorvel and "
                                           "its source code in the file"));
        ui.Label31->setText(readme.filePath());
        ui.Label46->setText(QStringLiteral("Comments and suggestions: the README tells where "
                                           "this copy of the game comes from."));
        ui.Label48->setText(QStringLiteral("See"));
        ui.Label47->setText(readme.fileName());
        ui.Label49->setText(QStringLiteral("in %1.").arg(readme.path()));
    }
    for (QLabel *label : {ui.Label30, ui.Label46, ui.Label48, ui.Label47, ui.Label49}) {
        unnarrow(label);
        fitLabelToWidth(label, layoutWidth(label));
    }
    unnarrow(ui.Label31);
    fitRightAligned(ui.Label31);
}

void setUpInfoPages(Ui::TForm1 &ui)
{
    QLabel *const pictures[] = {ui.Image1, ui.Image2, ui.Image3, ui.Image4, ui.Image5};
    for (int n = 1; n <= 5; ++n) {
        const QPixmap picture(QStringLiteral(":/saved/saved%1.bmp").arg(n));
        if (!picture.isNull())
            pictures[n - 1]->setPixmap(picture);
    }

    for (QWidget *page : {ui.GetSaved, ui.HelpSheet, ui.ReadMe}) {
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->text().isEmpty())
                fitLabelToWidth(label, layoutWidth(label));
        }
    }
    showProjectPointer(ui, builtProjectPointer());
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
