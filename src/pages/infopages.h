#pragma once

#include <QString>

class QLabel;
namespace Ui {
class TForm1;
}

namespace quorvel {

// Where the Help and Read Me pages send a reader for newer versions, the source code and
// comments. The build names the project's home page (the CMake cache variable
// QUORVEL_HOMEPAGE, empty unless the distributor sets it); without one the pages name the
// README that `cmake --install` puts in the doc folder, never a web address of their own.
struct ProjectPointer {
    QString homepage;   // a web address, or empty
    QString readmePath; // the installed README, absolute
};
ProjectPointer builtProjectPointer();

// Puts what the "How To Be Saved", "Help" and "Read Me" pages show beside the layout in
// place: the five pictures (when the program carries them), the texts that point to newer
// versions, and every text label narrowed to fit the width the layout gives it.
void setUpInfoPages(Ui::TForm1 &ui);

// Words the Help page's pointer to newer versions and the Read Me page's lines on comments
// and newer versions after `pointer`, and fits those labels to their room.
void showProjectPointer(Ui::TForm1 &ui, const ProjectPointer &pointer);

// Sizes the label to its text; when that is wider than `width`, narrows the font
// horizontally just enough to fit, never below half its natural width.
void fitLabelToWidth(QLabel *label, int width);

} // namespace quorvel
