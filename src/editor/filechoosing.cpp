#include "filechoosing.h"

#include "app/errorreport.h"
#include "app/eventhook.h"
#include "app/form1.h"
#include "editor/cardnotesdialog.h"
#include "editor/editorstore.h"
#include "editor/gamearchive.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QUrl>

namespace quorvel {
namespace {

class DesktopFileDialogs : public FileDialogs {
public:
    QString openFile(QWidget *parent, const QString &title, const QString &folder,
                     const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, folder, filter, nullptr, kOptions);
    }
    QStringList openFiles(QWidget *parent, const QString &title, const QString &folder,
                          const QString &filter) override
    {
        return QFileDialog::getOpenFileNames(parent, title, folder, filter, nullptr, kOptions);
    }
    QString saveFile(QWidget *parent, const QString &title, const QString &suggested,
                     const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, title, suggested, filter, nullptr, kOptions);
    }
    bool mayReplace(QWidget *parent, const QString &path) override
    {
        return QMessageBox::question(parent, QStringLiteral("Export This Game"),
                                     QStringLiteral("\"%1\" already exists. Replace it?")
                                         .arg(QFileInfo(path).fileName())) ==
               QMessageBox::Yes;
    }

private:
    // The filters list both cases of every extension; the kind of file says enough.
    static constexpr QFileDialog::Options kOptions = QFileDialog::HideNameFilterDetails;
};

// "*.x *.X ..." for the extensions given: the desktop's dialogs tell case apart.
QString patterns(const QStringList &extensions)
{
    QStringList out;
    for (const QString &extension : extensions)
        out << "*." + extension.toLower() << "*." + extension.toUpper();
    out.removeDuplicates();
    return out.join(QLatin1Char(' '));
}

// The local files of a drop from the file manager, in the order it lists them.
QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    return paths;
}

bool isOpenKey(QEvent *event)
{
    return event->type() == QEvent::KeyPress &&
           static_cast<QKeyEvent *>(event)->matches(QKeySequence::Open);
}

bool isDragOrDrop(QEvent *event)
{
    return event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
           event->type() == QEvent::Drop;
}

// Enter on a control, through the same handlers as a key the author presses.
void pressEnter(QWidget *control)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(control, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(control, &release);
}

// A file name made of a game's name: no folder separators or characters that file
// managers and archives trip over.
QString archiveName(QString gameName)
{
    gameName.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")),
                     QStringLiteral("-"));
    gameName = gameName.trimmed();
    if (gameName.isEmpty() || gameName.startsWith(QLatin1Char('.')))
        gameName.prepend(QStringLiteral("game"));
    return gameName + QString::fromLatin1(kArchiveExtension);
}

} // namespace

QString fileFilter(GameFileKind kind)
{
    if (kind == GameFileKind::Tune)
        return QStringLiteral("MIDI files (%1);;All files (*)")
            .arg(patterns({QStringLiteral("mid"), QStringLiteral("midi")}));
    QStringList formats;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        formats << QString::fromLatin1(format);
    return QStringLiteral("Pictures (%1);;All files (*)").arg(patterns(formats));
}

QString gameArchiveFilter()
{
    return QStringLiteral("Festral Quorvel games (%1)")
        .arg(patterns({QString::fromLatin1(kArchiveExtension).mid(1)}));
}

FileChoosing::FileChoosing(TForm1 &form)
    : QObject(&form), form_(form), dialogs_(std::make_unique<DesktopFileDialogs>())
{
    setObjectName(QStringLiteral("FileChoosing"));
}

void FileChoosing::install(TForm1 &form)
{
    auto *choosing = new FileChoosing(form);
    Ui::TForm1 &ui = form.ui;
    for (QLineEdit *edit : {ui.EditCardBack, ui.EditRedCard, ui.EditGreenCard, ui.EditBlueCard})
        choosing->watchField(edit, GameFileKind::Picture);
    for (QLineEdit *edit : {ui.EditYouWonMidi, ui.EditReadMeMidi, ui.EditHelpMidi})
        choosing->watchField(edit, GameFileKind::Tune);
    choosing->watchGrid(ui.EditorBMPsGrid, GameFileKind::Picture);
    choosing->watchGrid(ui.EditorMidisGrid, GameFileKind::Tune);
    choosing->watchPreview();

    // The game name's menu and the page's own (what its buttons, labels and previews pass
    // up) offer the game as a whole.
    QLineEdit *name = ui.EditorGameName;
    EventHook::install(name, [choosing, name](QEvent *event) {
        if (event->type() != QEvent::ContextMenu)
            return false;
        choosing->showMenu(static_cast<QContextMenuEvent *>(event), nullptr,
                           name->createStandardContextMenu());
        return true;
    });
    EventHook::install(ui.QuorvelEditor, [choosing](QEvent *event) {
        if (event->type() != QEvent::ContextMenu)
            return false;
        choosing->showMenu(static_cast<QContextMenuEvent *>(event), nullptr, nullptr);
        return true;
    });
}

std::unique_ptr<FileDialogs> FileChoosing::setDialogs(std::unique_ptr<FileDialogs> dialogs)
{
    std::swap(dialogs, dialogs_);
    return dialogs;
}

void FileChoosing::watchField(QLineEdit *edit, GameFileKind kind)
{
    const Target target{edit, -1, kind};
    EventHook::install(edit, [this, target, edit](QEvent *event) {
        return fieldEvent(target, event, edit);
    });
}

// The grid's card row: Ctrl+O and the keyboard's menu key act on the current cell, whether
// or not its in-place editor is open; the mouse's menu and drops on the cell under it.
void FileChoosing::watchGrid(StringGrid *grid, GameFileKind kind)
{
    const auto current = [grid, kind] { return Target{grid, grid->currentCol(), kind}; };
    EventHook::install(grid, [this, current](QEvent *event) {
        return fieldEvent(current(), event, nullptr);
    });
    QLineEdit *editor = grid->editor();
    EventHook::install(editor, [this, current, editor](QEvent *event) {
        return fieldEvent(current(), event, editor);
    });
    grid->viewport()->setAcceptDrops(true);
    EventHook::install(grid->viewport(), [this, grid, kind](QEvent *event) {
        QPoint at;
        if (event->type() == QEvent::ContextMenu)
            at = static_cast<QContextMenuEvent *>(event)->pos();
        else if (isDragOrDrop(event))
            at = static_cast<QDropEvent *>(event)->position().toPoint();
        else
            return false;
        int col = -1, row = -1;
        const bool onCell = grid->cellAt(at, &col, &row);
        const Target target{grid, col, kind};
        if (event->type() == QEvent::ContextMenu) {
            showMenu(static_cast<QContextMenuEvent *>(event), onCell ? &target : nullptr,
                     nullptr);
            return true;
        }
        if (!onCell && event->type() != QEvent::DragEnter) {
            event->ignore();
            return !localFiles(static_cast<QDropEvent *>(event)->mimeData()).isEmpty();
        }
        return dropEvent(target, event);
    });
}

// The card previews: the menu of a card's picture offers its notes, by the mouse on the
// card under it, by the keyboard's menu key on the current one.
void FileChoosing::watchPreview()
{
    DrawGrid *cards = form_.ui.EditorCardsGrid;
    const auto cardAt = [cards](int col, int row) {
        const int card = 1 + col + cards->colCount() * row;
        return col >= 0 && row >= 0 && card <= kCardCount ? card : 0;
    };
    EventHook::install(cards->viewport(), [this, cards, cardAt](QEvent *event) {
        if (event->type() != QEvent::ContextMenu)
            return false;
        auto *request = static_cast<QContextMenuEvent *>(event);
        int col = -1, row = -1;
        const bool onCell = cards->cellAt(request->pos(), &col, &row);
        showMenu(request, nullptr, nullptr, onCell ? cardAt(col, row) : 0);
        return true;
    });
    EventHook::install(cards, [this, cards, cardAt](QEvent *event) {
        if (event->type() != QEvent::ContextMenu)
            return false;
        showMenu(static_cast<QContextMenuEvent *>(event), nullptr, nullptr,
                 cardAt(cards->currentCol(), cards->currentRow()));
        return true;
    });
}

bool FileChoosing::fieldEvent(const Target &target, QEvent *event, QLineEdit *edit)
{
    if (isOpenKey(event)) {
        guarded([&] { chooseFile(target); });
        return true;
    }
    if (event->type() == QEvent::ContextMenu) {
        showMenu(static_cast<QContextMenuEvent *>(event), &target,
                 edit ? edit->createStandardContextMenu() : nullptr);
        return true;
    }
    return isDragOrDrop(event) && dropEvent(target, event);
}

// Takes a drop of files from the file manager; any other drop keeps its ordinary meaning.
// The files are brought in after the drop has ended, so that the file manager is not kept
// waiting by a conversion or an error box.
bool FileChoosing::dropEvent(const Target &target, QEvent *event)
{
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList paths = localFiles(drop->mimeData());
    if (paths.isEmpty() || !(drop->possibleActions() & Qt::CopyAction))
        return false;
    // A copy, never a move: the author's own file stays where it is.
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop) {
        QMetaObject::invokeMethod(
            this, [this, target, paths] { guarded([&] { takeFiles(target, paths); }); },
            Qt::QueuedConnection);
    }
    return true;
}

void FileChoosing::showMenu(QContextMenuEvent *event, const Target *target, QMenu *standard,
                            int card)
{
    if (target && target->control == form_.ui.EditorBMPsGrid && target->col >= 0)
        card = target->col + 1;
    std::unique_ptr<QMenu> menu(standard ? standard : new QMenu(&form_));
    if ((target || card) && !menu->isEmpty())
        menu->addSeparator();
    QAction *choose = nullptr;
    if (target) {
        choose = menu->addAction(QStringLiteral("Choose File..."));
        choose->setShortcut(QKeySequence::Open);
    }
    QAction *notes = card ? menu->addAction(QStringLiteral("Edit Card Notes...")) : nullptr;
    if (!menu->isEmpty())
        menu->addSeparator();
    QAction *exporting = menu->addAction(QStringLiteral("Export This Game..."));
    QAction *importing = menu->addAction(QStringLiteral("Import a Game..."));
    QAction *undoing = menu->addAction(QStringLiteral("Undo Delete"));
    undoing->setEnabled(form_.editor.LastDeleted.has_value());
    const QAction *chosen = menu->exec(event->globalPos());
    const bool chooseChosen = chosen && chosen == choose;
    const bool notesChosen = chosen && chosen == notes;
    const bool exportChosen = chosen == exporting;
    const bool importChosen = chosen == importing;
    const bool undoChosen = chosen == undoing;
    menu.reset();
    guarded([&] {
        if (chooseChosen)
            chooseFile(*target);
        else if (notesChosen)
            editCardNotes(card);
        else if (exportChosen)
            exportThisGame();
        else if (importChosen)
            importAGame();
        else if (undoChosen)
            undoDelete();
    });
}

// The name the author knows a field by: the heading of its grid's column ("Song 3"), or the
// label that stands above it ("Card Back").
QString FileChoosing::fieldName(const Target &target) const
{
    if (auto *grid = qobject_cast<StringGrid *>(target.control))
        return grid->cell(target.col, 0);
    for (const QLabel *label : form_.ui.QuorvelEditor->findChildren<QLabel *>()) {
        if (label->buddy() == target.control)
            return label->text();
    }
    return {};
}

// Where the last file of the kind came from while the program runs; at first the user's
// own folder for it, or the home folder.
QString FileChoosing::startFolder(GameFileKind kind) const
{
    const QString &last = lastFolder_[kind == GameFileKind::Picture ? 0 : 1];
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const auto own = kind == GameFileKind::Picture ? QStandardPaths::PicturesLocation
                                                   : QStandardPaths::MusicLocation;
    for (const QString &folder : QStandardPaths::standardLocations(own)) {
        if (QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

// A grid's cell takes several files, which fill it and the cells to its right.
void FileChoosing::chooseFile(const Target &target)
{
    const bool picture = target.kind == GameFileKind::Picture;
    const QString title = picture ? QStringLiteral("Choose a Picture")
                                  : QStringLiteral("Choose a Tune");
    const QString folder = startFolder(target.kind);
    const QString filter = fileFilter(target.kind);
    QStringList paths;
    if (target.col >= 0)
        paths = dialogs_->openFiles(&form_, title, folder, filter);
    else
        paths << dialogs_->openFile(&form_, title, folder, filter);
    paths.removeAll(QString());
    if (!paths.isEmpty())
        takeFiles(target, paths);
}

// Confirms the files one by one in the field, or in the cell and those to its right; files
// beyond the field or the last cell are reported, and so is a file that cannot be used, with
// the name of its field. The files before it stay.
void FileChoosing::takeFiles(Target target, const QStringList &paths)
{
    lastFolder_[target.kind == GameFileKind::Picture ? 0 : 1] =
        QFileInfo(paths.last()).absolutePath();
    Target received = target;
    const auto keepPlace = qScopeGuard([&] { returnTo(received); });
    const bool field = target.col < 0;
    const qsizetype taken = field ? 1 : std::min<qsizetype>(paths.size(), kCardCount - target.col);
    for (qsizetype i = 0; i < taken; ++i, ++target.col) {
        std::string name;
        try {
            name = bringIntoGameFolder(paths[i].toStdString(), target.kind);
        } catch (const QuorvelError &error) {
            throw QuorvelError(fieldName(target).toStdString() + ": " + error.what());
        }
        confirm(target, QString::fromStdString(name));
        received = target;
    }
    if (taken == paths.size())
        return;
    QStringList left;
    for (qsizetype i = taken; i < paths.size(); ++i)
        left << quoted(QFileInfo(paths[i]).fileName().toStdString()).c_str();
    const QString where = field ? fieldName(received) + " takes one file"
                                : fieldName(received) + " is the last cell";
    throw QuorvelError(QStringLiteral("%1: %2 more %3 not taken: %4")
                           .arg(where)
                           .arg(left.size())
                           .arg(left.size() == 1 ? "file was" : "files were")
                           .arg(left.join(QStringLiteral(", ")))
                           .toStdString());
}

// Puts the name where the author would have typed it and presses Enter there: a field's
// text, or the grid's in-place editor on the cell.
void FileChoosing::confirm(const Target &target, const QString &name)
{
    auto *grid = qobject_cast<StringGrid *>(target.control);
    if (!grid) {
        auto *edit = static_cast<QLineEdit *>(target.control);
        edit->setFocus(Qt::OtherFocusReason);
        edit->setText(name);
        pressEnter(edit);
        return;
    }
    grid->setFocus(Qt::OtherFocusReason);
    grid->setCurrentCell(target.col, 1);
    grid->showEditor(&name);
    pressEnter(grid->editor());
}

// The keyboard goes on from the field or cell that took the file, the cell's editor closed,
// also when the file dialog or the file manager had made the window inactive: the window
// then gives the focus back to it when it is active again.
void FileChoosing::returnTo(const Target &target)
{
    if (auto *grid = qobject_cast<StringGrid *>(target.control)) {
        grid->hideEditor();
        grid->setCurrentCell(target.col, 1);
    }
    target.control->setFocus(Qt::OtherFocusReason);
}

// The notes go into EditRecord, as a field confirmed with Enter does, and reach the file
// with the record; unless the editor has gone to another record while the dialog was open.
void FileChoosing::editCardNotes(int card)
{
    const std::int32_t index = form_.editor.EditIndex;
    CardNotesDialog dialog(&form_, card, form_.editor.EditRecord);
    if (dialog.exec() == QDialog::Accepted && form_.editor.EditIndex == index)
        dialog.storeInto(form_.editor.EditRecord);
}

// Stores the record on screen first, as leaving it would, so that the archive holds what
// the author sees.
void FileChoosing::exportThisGame()
{
    const QString suggested =
        QDir::home().filePath(archiveName(form_.ui.EditorGameName->text()));
    QString path = dialogs_->saveFile(&form_, QStringLiteral("Export This Game"), suggested,
                                      gameArchiveFilter());
    if (path.isEmpty())
        return;
    // The dialog asked about the name it was given; the file written may be another.
    if (!path.endsWith(QString::fromLatin1(kArchiveExtension), Qt::CaseInsensitive)) {
        path += QString::fromLatin1(kArchiveExtension);
        if (QFileInfo::exists(path) && !dialogs_->mayReplace(&form_, path))
            return;
    }
    form_.StoreEditRecord();
    exportGame(form_.editor.EditIndex, path.toStdString());
}

void FileChoosing::importAGame()
{
    const QString path = dialogs_->openFile(&form_, QStringLiteral("Import a Game"),
                                            QDir::homePath(), gameArchiveFilter());
    if (!path.isEmpty())
        form_.ImportGameFile(path.toStdString());
}

// As a navigation button does, the record on screen is stored first.
void FileChoosing::undoDelete()
{
    form_.StoreEditRecord();
    if (EditorStore(form_.editor).UndoDelete())
        form_.ShowEditRecord();
}

} // namespace quorvel
