#pragma once

#include "editor/gamefiles.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QContextMenuEvent;
class QEvent;
class QLineEdit;
class QMenu;
class QWidget;

namespace quorvel {

class StringGrid;
class TForm1;

// The file dialogs the editor opens. The window holds the desktop's; tests put their own in
// its place, so that no test ever opens a real dialog.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The file the author picked, or empty when the dialog was cancelled.
    virtual QString openFile(QWidget *parent, const QString &title, const QString &folder,
                             const QString &filter) = 0;
    // The files the author picked, in the dialog's order; none when it was cancelled.
    virtual QStringList openFiles(QWidget *parent, const QString &title, const QString &folder,
                                  const QString &filter) = 0;
    // Where the author chose to save, starting from `suggested`; empty when cancelled.
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &suggested,
                             const QString &filter) = 0;
    // Whether the existing file `path` may be replaced; the dialogs that do not ask keep it.
    virtual bool mayReplace(QWidget *, const QString &) { return false; }
};

// The name filters of a file dialog for pictures (every format this Qt reads) or tunes.
QString fileFilter(GameFileKind kind);
// The name filter of a file dialog for shared games.
QString gameArchiveFilter();

// Choosing files in the game editor, so that an author never has to type a file name.
// Every file field and every card cell of the two string grids takes a file dropped on it
// from the file manager, or one chosen in a dialog by its context menu's "Choose File..."
// or by Ctrl+O. The dialog opens where the last file of its kind came from, at first on the
// user's Pictures or Music folder. The file is brought into the game's folder and its name
// is confirmed as if typed there and Enter pressed: the same handler, preview and store;
// then the keyboard is back on the field or cell that took it. Files dropped on a grid cell,
// or chosen together for it, fill it and the cells to its right. The editor page's context
// menus also edit a card's notes (on its picture and its name), export the game on screen,
// import a shared one and undo the last DEL. Errors end the action with the standard error
// report, naming the field.
class FileChoosing : public QObject {
    Q_OBJECT

public:
    // Wires the editor's controls; the object is the window's child and lives as long.
    static void install(TForm1 &form);
    // Replaces the dialogs and returns the ones before.
    std::unique_ptr<FileDialogs> setDialogs(std::unique_ptr<FileDialogs> dialogs);

private:
    // A file field (column -1) or a column of the card row of a string grid.
    struct Target {
        QWidget *control = nullptr;
        int col = -1;
        GameFileKind kind = GameFileKind::Picture;
    };

    explicit FileChoosing(TForm1 &form);
    void watchField(QLineEdit *edit, GameFileKind kind);
    void watchGrid(StringGrid *grid, GameFileKind kind);
    void watchPreview();
    // Ctrl+O, the context menu (with the standard one of `edit`, if any) and drops.
    bool fieldEvent(const Target &target, QEvent *event, QLineEdit *edit);
    bool dropEvent(const Target &target, QEvent *event);
    // Shows the context menu, `standard` (taken over) with the entries added; may be null.
    // `card` (1 to 15) offers that card's notes; a target in the picture grid offers its own.
    void showMenu(QContextMenuEvent *event, const Target *target, QMenu *standard, int card = 0);

    QString fieldName(const Target &target) const;
    QString startFolder(GameFileKind kind) const;
    void chooseFile(const Target &target);
    void takeFiles(Target target, const QStringList &paths);
    void confirm(const Target &target, const QString &name);
    void returnTo(const Target &target);
    void editCardNotes(int card);
    void exportThisGame();
    void importAGame();
    void undoDelete();

    TForm1 &form_;
    std::unique_ptr<FileDialogs> dialogs_;
    QString lastFolder_[2]; // where the last picture and the last tune came from
};

} // namespace quorvel
