#pragma once

class QLabel;
namespace Ui {
class TForm1;
}

namespace quorvel {

// Where the program's source and its newer versions are published, written as a web
// address is shown to the user. The Help and Read Me pages name it; its issue tracker
// takes comments and suggestions.
inline constexpr char kProjectSite[] = "github.com/festral/quorvel";

// Puts what the "How To Be Saved", "Help" and "Read Me" pages show beside the layout in
// place: the five pictures (when the program carries them), the texts naming the project's
// site, and every text label narrowed to fit the width the layout gives it.
void setUpInfoPages(Ui::TForm1 &ui);

// Sizes the label to its text; when that is wider than `width`, narrows the font
// horizontally just enough to fit, never below half its natural width.
void fitLabelToWidth(QLabel *label, int width);

} // namespace quorvel
