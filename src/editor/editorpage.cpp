// The game editor page: browsing, creating, storing and deleting the library's games, the
// fields with their Enter ring, the picture previews, a card's tune, TEST GAME and QUIT.
// The record operations themselves are EditorStore's; this file moves texts between the
// controls and EditRecord and keeps the previews up to date.
#include "app/errorreport.h"
#include "app/form1.h"
#include "app/keypressfilter.h"
#include "editor/editorstore.h"
#include "editor/filechoosing.h"

#include <QLineEdit>
#include <QPainter>
#include <algorithm>
#include <iterator>

namespace quorvel {
namespace {

const QChar kEnter(13);
constexpr int kPreviewColumns = 5; // card faces per row of the card preview

// The seven single-line fields after the game name: the order in which they are shown,
// stored and reached by Enter, with the slot of Bmps (pictures) or Midis (tunes) each holds.
struct SingleField {
    QLineEdit *Ui::TForm1::*edit;
    bool picture;
    int slot;
};
constexpr SingleField kSingleFields[] = {
    {&Ui::TForm1::EditCardBack, true, kCardBackSlot},
    {&Ui::TForm1::EditRedCard, true, kRedCardSlot},
    {&Ui::TForm1::EditGreenCard, true, kGreenCardSlot},
    {&Ui::TForm1::EditBlueCard, true, kBlueCardSlot},
    {&Ui::TForm1::EditYouWonMidi, false, kWinTuneSlot},
    {&Ui::TForm1::EditReadMeMidi, false, kReadMeTuneSlot},
    {&Ui::TForm1::EditHelpMidi, false, kHelpTuneSlot},
};

EditorStore storeOf(TForm1 &form)
{
    return EditorStore(form.editor);
}

std::string editText(const QLineEdit *edit)
{
    return edit->text().toStdString();
}

// What the controls show now, typed text included, whether confirmed with Enter or not.
EditorFields fieldsOnScreen(const Ui::TForm1 &ui)
{
    EditorFields fields;
    fields.name = editText(ui.EditorGameName);
    for (const SingleField &f : kSingleFields)
        (f.picture ? fields.bmps : fields.midis)[f.slot] = editText(ui.*f.edit);
    for (int k = 1; k <= kCardCount; ++k) {
        fields.bmps[k] = ui.EditorBMPsGrid->cell(k - 1, 1).toStdString();
        fields.midis[k] = ui.EditorMidisGrid->cell(k - 1, 1).toStdString();
    }
    return fields;
}

void showSingleFields(Ui::TForm1 &ui, const EditorFields &fields)
{
    for (const SingleField &f : kSingleFields) {
        const std::string &text = (f.picture ? fields.bmps : fields.midis)[f.slot];
        (ui.*f.edit)->setText(QString::fromStdString(text));
    }
}

// Row 1 of a string grid shows slots 1 to 15.
void showCardRow(StringGrid *grid, const std::array<std::string, kImageCount> &names)
{
    for (int k = 1; k <= kCardCount; ++k)
        grid->setCell(k - 1, 1, QString::fromStdString(names[k]));
}

// ShowEditRecord, with or without its picture loading (NEW shows blank previews). Every
// text control is filled before the first picture loads: a picture that fails to load ends
// the display, and controls still holding the previous record's names would be stored into
// this one when it is left.
void showEditRecord(TForm1 &form, bool loadPictures)
{
    Ui::TForm1 &ui = form.ui;
    const EditorFields fields = fieldsOf(form.editor.EditRecord);
    ui.EditorGameName->setText(QString::fromStdString(fields.name));
    showSingleFields(ui, fields);
    showCardRow(ui.EditorBMPsGrid, fields.bmps);
    showCardRow(ui.EditorMidisGrid, fields.midis);
    form.BlankEditImages();
    if (loadPictures)
        form.LoadEditImages();
    ui.EditorCardsGrid->viewport()->repaint();
    ui.EditorCardsGrid2->viewport()->repaint();
}

void moveEditor(TForm1 &form, EditorStep step)
{
    storeOf(form).Move(step, fieldsOnScreen(form.ui));
    form.ShowEditRecord();
}

// Enter in one of the seven single fields: stores it into EditRecord, reloads a picture
// field's own preview when its file exists, and moves the focus to the next field of the
// ring. Enter is swallowed; any other key passes.
void confirmSingleField(TForm1 &form, QChar &key, QLineEdit *Ui::TForm1::*edit)
{
    if (key != kEnter)
        return;
    const auto *field = std::find_if(std::begin(kSingleFields), std::end(kSingleFields),
                                     [edit](const SingleField &f) { return f.edit == edit; });
    GameRecord &record = form.editor.EditRecord;
    const std::string text = editText(form.ui.*edit);
    if (field->picture) {
        storeText(record.Bmps[field->slot], text);
        const std::string name = textOf(record.Bmps[field->slot]);
        if (fileExists(name))
            form.EditImages.load(field->slot, name);
        form.ui.EditorCardsGrid2->viewport()->repaint();
    } else {
        storeText(record.Midis[field->slot], text);
    }
    const auto *next = field + 1;
    QWidget *target = next != std::end(kSingleFields) ? form.ui.*next->edit
                                                      : form.ui.EditorGameName;
    target->setFocus(Qt::TabFocusReason);
    key = QChar(0);
}

// Enter in a string grid: stores all 15 cells of row 1 (the one being edited included) and
// moves one cell to the right, or from the last cell to `after`. The grid then handles
// Enter itself on what is now its current cell.
void confirmGridRow(StringGrid *grid, QChar &key,
                    ShortString<kFileNameCapacity> (&names)[kSlotCount], QWidget *after,
                    const std::function<void()> &reload)
{
    if (key != kEnter)
        return;
    for (int k = 1; k <= kCardCount; ++k)
        storeText(names[k], grid->cell(k - 1, 1).toStdString());
    if (reload)
        reload();
    if (grid->currentCol() < kCardCount - 1)
        grid->setCurrentCell(grid->currentCol() + 1, 1);
    else
        after->setFocus(Qt::TabFocusReason);
}

} // namespace

void TForm1::connectEditor()
{
    onClick(ui.EditorFirst, this, &TForm1::EditorFirstClick);
    onClick(ui.EditorPrevious, this, &TForm1::EditorPreviousClick);
    onClick(ui.EditorNext, this, &TForm1::EditorNextClick);
    onClick(ui.EditorLast, this, &TForm1::EditorLastClick);
    onClick(ui.EditorNew, this, &TForm1::EditorNewClick);
    onClick(ui.EditorDelete, this, &TForm1::EditorDeleteClick);
    onClick(ui.TestGame, this, &TForm1::TestGameClick);
    onClick(ui.EditorQuit, this, &TForm1::EditorQuitClick);

    const auto keyHandler = [this](void (TForm1::*handler)(QChar &)) {
        return [this, handler](QChar &key) { guarded([&] { (this->*handler)(key); }); };
    };
    KeyPressFilter::install(ui.EditorGameName, keyHandler(&TForm1::EditorGameNameKeyPress));
    KeyPressFilter::install(ui.EditCardBack, keyHandler(&TForm1::EditCardBackKeyPress));
    KeyPressFilter::install(ui.EditRedCard, keyHandler(&TForm1::EditRedCardKeyPress));
    KeyPressFilter::install(ui.EditGreenCard, keyHandler(&TForm1::EditGreenCardKeyPress));
    KeyPressFilter::install(ui.EditBlueCard, keyHandler(&TForm1::EditBlueCardKeyPress));
    KeyPressFilter::install(ui.EditYouWonMidi, keyHandler(&TForm1::EditYouWonMidiKeyPress));
    KeyPressFilter::install(ui.EditReadMeMidi, keyHandler(&TForm1::EditReadMeMidiKeyPress));
    KeyPressFilter::install(ui.EditHelpMidi, keyHandler(&TForm1::EditHelpMidiKeyPress));
    ui.EditorBMPsGrid->setKeyPressHandler(keyHandler(&TForm1::EditorBMPsGridKeyPress));
    ui.EditorMidisGrid->setKeyPressHandler(keyHandler(&TForm1::EditorMidisGridKeyPress));

    ui.EditorCardsGrid->setDrawCellHandler(
        [this](QPainter &canvas, int col, int row, const QRect &rect) {
            EditorCardsGridDrawCell(canvas, col, row, rect);
        });
    ui.EditorCardsGrid2->setDrawCellHandler(
        [this](QPainter &canvas, int col, int row, const QRect &rect) {
            EditorCardsGrid2DrawCell(canvas, col, row, rect);
        });
    connect(ui.EditorCardsGrid, &GridBase::cellClicked, this,
            [this] { guarded([this] { EditorCardsGridClick(); }); });
    FileChoosing::install(*this);
}

// ---- Navigation and storage

void TForm1::EditorFirstClick() { moveEditor(*this, EditorStep::First); }
void TForm1::EditorPreviousClick() { moveEditor(*this, EditorStep::Previous); }
void TForm1::EditorNextClick() { moveEditor(*this, EditorStep::Next); }
void TForm1::EditorLastClick() { moveEditor(*this, EditorStep::Last); }

void TForm1::EditorNewClick()
{
    storeOf(*this).AppendNew(fieldsOnScreen(ui));
    showEditRecord(*this, false);
}

void TForm1::EditorDeleteClick()
{
    if (storeOf(*this).Delete())
        ShowEditRecord();
}

void TForm1::StoreEditRecord() { storeOf(*this).StoreEditRecord(fieldsOnScreen(ui)); }
void TForm1::CountEditRecords() { storeOf(*this).CountEditRecords(); }
void TForm1::ReadEditRecord() { storeOf(*this).ReadEditRecord(); }
void TForm1::ShowEditRecord() { showEditRecord(*this, true); }

void TForm1::BlankEditImages()
{
    for (int i = 0; i < kImageCount; ++i)
        EditImages.blank(i);
}

void TForm1::LoadEditImages()
{
    for (int i = 0; i < kImageCount; ++i) {
        const std::string name = textOf(editor.EditRecord.Bmps[i]);
        if (fileExists(name))
            EditImages.load(i, name);
    }
}

// Refreshes the controls from EditRecord, without touching the file or the pictures, so
// text typed but not stored is dropped whenever the tab is shown.
void TForm1::QuorvelEditorShow()
{
    const EditorFields fields = fieldsOf(editor.EditRecord);
    ui.EditorGameName->setText(QString::fromStdString(fields.name));
    for (int c = 0; c < kCardCount; ++c)
        ui.EditorBMPsGrid->setCell(c, 0, QStringLiteral("Card %1").arg(c + 1));
    for (int c = 0; c < kCardCount; ++c)
        ui.EditorMidisGrid->setCell(c, 0, QStringLiteral("Song %1").arg(c + 1));
    showCardRow(ui.EditorBMPsGrid, fields.bmps);
    showSingleFields(ui, fields);
    showCardRow(ui.EditorMidisGrid, fields.midis);
    ui.EditorGameName->setFocus(Qt::TabFocusReason);
}

// ---- Fields: Enter stores a field and leads on through the ring

void TForm1::EditorGameNameKeyPress(QChar &Key)
{
    // The name is stored only with the whole record, when it is left.
    if (Key != kEnter)
        return;
    ui.EditorBMPsGrid->setFocus(Qt::TabFocusReason);
    Key = QChar(0);
}

void TForm1::EditorBMPsGridKeyPress(QChar &Key)
{
    confirmGridRow(ui.EditorBMPsGrid, Key, editor.EditRecord.Bmps, ui.EditorMidisGrid, [this] {
        LoadEditImages();
        ui.EditorCardsGrid->viewport()->repaint();
    });
}

void TForm1::EditorMidisGridKeyPress(QChar &Key)
{
    confirmGridRow(ui.EditorMidisGrid, Key, editor.EditRecord.Midis, ui.EditCardBack, {});
}

void TForm1::EditCardBackKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditCardBack);
}

void TForm1::EditRedCardKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditRedCard);
}

void TForm1::EditGreenCardKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditGreenCard);
}

void TForm1::EditBlueCardKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditBlueCard);
}

void TForm1::EditYouWonMidiKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditYouWonMidi);
}

void TForm1::EditReadMeMidiKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditReadMeMidi);
}

void TForm1::EditHelpMidiKeyPress(QChar &Key)
{
    confirmSingleField(*this, Key, &Ui::TForm1::EditHelpMidi);
}

// ---- Previews

void TForm1::EditorCardsGridDrawCell(QPainter &canvas, int col, int row, const QRect &rect)
{
    const int slot = 1 + col + kPreviewColumns * row;
    if (col >= 0 && col < kPreviewColumns && slot >= 1 && slot <= kCardCount)
        EditImages.draw(canvas, slot, rect.topLeft());
}

// Column 0 the card back, columns 1 to 3 the red, green and blue cards, in every row.
void TForm1::EditorCardsGrid2DrawCell(QPainter &canvas, int col, int, const QRect &rect)
{
    if (col == 0)
        EditImages.draw(canvas, kCardBackSlot, rect.topLeft());
    else if (col >= 1 && col <= 3)
        EditImages.draw(canvas, kRedCardSlot + col - 1, rect.topLeft());
}

// Plays the stored tune of the current card, music switch or not; a tune whose file is
// missing is simply not played.
void TForm1::EditorCardsGridClick()
{
    const int k = ui.EditorCardsGrid->currentRow() * kPreviewColumns +
                  ui.EditorCardsGrid->currentCol() + 1;
    if (k < 1 || k > kCardCount)
        return;
    const std::string name = textOf(editor.EditRecord.Midis[k]);
    if (fileExists(name))
        tunes.StartTune(name);
}

// ---- Leaving the editor

// Puts EditRecord in play as it is, without storing it; GameIndex stays, so SELECT GAME
// goes on with the library game it would have chosen.
void TForm1::TestGameClick()
{
    PlayRecord = editor.EditRecord;
    ShowGameInPlay(PlayRecord, *this);
    ui.PageControl1->setCurrentWidget(ui.Festral);
    StartGameInPlay(PlayRecord, *this);
}

void TForm1::EditorQuitClick()
{
    ui.Button1->click();
}

} // namespace quorvel
