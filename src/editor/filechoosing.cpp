#include "filechoosing.h"

#include "app/errorreport.h"
#include "app/eventhook.h"
#include "app/form1.h"
#include "editor/gamearchive.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
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

void FileChoosing::showMenu(QContextMenuEvent *event, const Target *target, QMenu *standard)
{
    std::unique_ptr<QMenu> menu(standard ? standard : new QMenu(&form_));
    QAction *choose = nullptr;
    if (target) {
        if (!menu->isEmpty())
            menu->addSeparator();
        choose = menu->addAction(QStringLiteral("Choose File..."));
        choose->setShortcut(QKeySequence::Open);
    }
    if (!menu->isEmpty())
        menu->addSeparator();
    QAction *exporting = menu->addAction(QStringLiteral("Export This Game..."));
    QAction *importing = menu->addAction(QStringLiteral("Import a Game..."));
    const QAction *chosen = menu->exec(event->globalPos());
    const bool chooseChosen = chosen && chosen == choose;
    const bool exportChosen = chosen == exporting;
    const bool importChosen = chosen == importing;
    menu.reset();
    guarded([&] {
        if (chooseChosen)
            chooseFile(*target);
        else if (exportChosen)
            exportThisGame();
        else if (importChosen)
            importAGame();
    });
}

void FileChoosing::chooseFile(const Target &target)
{
    const bool picture = target.kind == GameFileKind::Picture;
    const QString path =
        dialogs_->openFile(&form_, picture ? QStringLiteral("Choose a Picture")
                                           : QStringLiteral("Choose a Tune"),
                           QDir::currentPath(), fileFilter(target.kind));
    if (!path.isEmpty())
        takeFiles(target, {path});
}

void FileChoosing::takeFiles(Target target, const QStringList &paths)
{
    for (const QString &path : paths) {
        const std::string name = bringIntoGameFolder(path.toStdString(), target.kind);
        confirm(target, QString::fromStdString(name));
        // A field takes one file; a grid's row takes the next ones in the cells to the right.
        if (target.col < 0 || ++target.col >= kCardCount)
            break;
    }
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

} // namespace quorvel
