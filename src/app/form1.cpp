#include "form1.h"

#include "accessibility.h"
#include "errorreport.h"
#include "play/fluidplayer.h"

#include <QCloseEvent>
#include <QFont>
#include <QIcon>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace quorvel {
namespace {

// The layout names Windows fonts; use the closest free ones this system has.
void installFontFallbacks()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"),
                               {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")});
}

// Labels whose size the layout fixes; every other label sizes itself to its text.
bool hasFixedSize(const QLabel *label)
{
    static const QStringList fixed = {
        QStringLiteral("Label1"), QStringLiteral("StaticText1"), QStringLiteral("Image1"),
        QStringLiteral("Image2"), QStringLiteral("Image3"), QStringLiteral("Image4"),
        QStringLiteral("Image5")};
    return fixed.contains(label->objectName());
}

// The layout gives font sizes in pixels, as it gives positions and sizes, so that text keeps
// its size in its fixed controls whatever font resolution the desktop sets. uic reads only
// point sizes, so the layout puts each size in the property fontPixels beside its font.
void applyFontPixels(QWidget *form)
{
    QList<QWidget *> widgets = form->findChildren<QWidget *>();
    widgets.prepend(form);
    for (QWidget *widget : widgets) {
        const QVariant pixels = widget->property("fontPixels");
        if (!pixels.isValid())
            continue;
        QFont font = widget->font();
        font.setPixelSize(pixels.toInt());
        widget->setFont(font);
    }
}

unsigned clockSeed()
{
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    return static_cast<unsigned>(duration_cast<milliseconds>(now).count() % 86400000);
}

} // namespace

void onClick(QAbstractButton *button, TForm1 *form, void (TForm1::*handler)())
{
    QObject::connect(button, &QAbstractButton::clicked, form,
                     [form, handler] { guarded([&] { (form->*handler)(); }); });
}

int layoutWidth(const QLabel *label)
{
    return label->property(kLayoutWidth).toInt();
}

void autoSize(QLabel *label)
{
    const int width = label->fontMetrics().horizontalAdvance(label->text()) +
                      2 * label->frameWidth() + 1;
    label->resize(qMax(1, width), label->height());
}

std::unique_ptr<MediaPlayer> warmFluidPlayer()
{
    auto player = std::make_unique<FluidPlayer>();
    player->warmUp();
    return player;
}

TForm1::TForm1(Options options)
    : player_(options.player ? std::move(options.player) : warmFluidPlayer()),
      clock(pump_, [this] { repaintBoard(); }),
      tunes(*player_, clock),
      exitProgram_(std::move(options.exitProgram)),
      seed_(options.seed)
{
    installFontFallbacks();
    // Before any control exists: a screen reader that runs from the start asks for the
    // controls' accessible objects as soon as they are made, and Qt keeps the first answer.
    installAccessibility();
    ui.setupUi(this);
    applyFontPixels(this);
    ui.PageControl1->fitCaptions();
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(632, 436);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/festral-quorvel-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/festral-quorvel-128.png"), QSize(128, 128));
    setWindowIcon(icon);

    ui.MediaPlayer1->hide();
    ui.Label57->lower();
    for (QLabel *label : findChildren<QLabel *>()) {
        label->setProperty(kLayoutWidth, label->width());
        if (!hasFixedSize(label))
            autoSize(label);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    Timer1->start();

    connectScreenReader();
    connectApp();
    connectPlayPage();
    connectSelection();
    connectEditor();
    connectPages();

    guarded([this] { FormCreate(); });
}

TForm1::~TForm1()
{
    Timer1->stop();
    FormDestroy();
    player_->close();
}

void TForm1::connectApp()
{
    onClick(ui.Button1, this, &TForm1::Button1Click);
    connect(ui.PageControl1, &QTabWidget::currentChanged, this, &TForm1::pageShown);
}

void TForm1::FormCreate()
{
    ui.FestquorGrid1->setColCount(kBoardColumns);
    ui.FestquorGrid1->setRowCount(kBoardRows);
    selection.GameIndex = 0;
    editor.EditIndex = 0;
    for (int c = 0; c < kBoardColumns; ++c)
        ui.FestquorGrid1->setColWidth(c, 122);
    for (int r = 0; r < kBoardRows; ++r)
        ui.FestquorGrid1->setRowHeight(r, 58);
    random_.seed(seed_ ? *seed_ : clockSeed());
    move(0, 0);
    for (int i = 0; i < kImageCount; ++i) {
        PlayImages.create(i);
        EditImages.create(i);
    }
    // Each of the two start-up clicks reports its own failure; start-up goes on, so the
    // editor still stores its records for the rest of the run.
    ui.SelectGame->click();
    editor.EditorLoaded = false;
    ui.EditorFirst->click();
    editor.EditorLoaded = true;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    guarded([this] { FormClose(); });
    event->accept();
    // The program ends once control is back in the main loop, also when the request came
    // inside a pause: the loop is told so here and now. Qt's own quit on the last window
    // closed is a posted event that Qt may drop or refuse on its way (a window shown, a quit
    // lock held, another window still visible), and then the program ran on with nothing
    // left to end it. Before the main loop runs there is nothing to end.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

void TForm1::FormClose()
{
    StoreEditRecord();
}

void TForm1::FormDestroy()
{
    for (int i = 0; i < kImageCount; ++i) {
        guarded([&] {
            PlayImages.release(i);
            EditImages.release(i);
        });
    }
}

void TForm1::Button1Click()
{
    // Ends the program at once, from inside the click: the close handler does not run, so
    // nothing of the editor is stored.
    Timer1->stop();
    FormDestroy();
    player_->close();
    if (exitProgram_) {
        exitProgram_(0);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!shownOnce_ && !event->spontaneous()) {
        shownOnce_ = true;
        // The first page's show handler may pause for its tune; let the window paint first.
        QTimer::singleShot(0, this, [this] { pageShown(ui.PageControl1->currentIndex()); });
    }
}

void TForm1::pageShown(int index)
{
    QWidget *page = ui.PageControl1->widget(index);
    guarded([&] {
        if (page == ui.Festral)
            FestralShow();
        else if (page == ui.QuorvelEditor)
            QuorvelEditorShow();
        else if (page == ui.AboutTheCards)
            AboutTheCardsShow();
        else if (page == ui.GetSaved)
            GetSavedShow();
        else if (page == ui.HelpSheet)
            HelpSheetShow();
        else if (page == ui.ReadMe)
            ReadMeShow();
    });
}

void TForm1::reportError(const std::string &message)
{
    ErrorReport::show(message);
}

} // namespace quorvel
