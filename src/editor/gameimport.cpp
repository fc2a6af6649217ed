// Importing a shared game into the running editor.
#include "app/form1.h"
#include "editor/gamearchive.h"
#include "library/quorvelerror.h"

namespace quorvel {

// As a navigation button does, the record on screen is stored first; the imported game then
// becomes the editor's record, shown on the editor's page. A game that is in the library but
// cannot be shown (a file of its folder that it names is damaged, say) is said to be there.
void TForm1::ImportGameFile(const std::string &archivePath)
{
    StoreEditRecord();
    editor.EditIndex = importGame(archivePath);
    try {
        ReadEditRecord();
        ShowEditRecord();
    } catch (const QuorvelError &e) {
        ui.PageControl1->setCurrentWidget(ui.QuorvelEditor);
        throw QuorvelError("The game in " + quoted(archivePath) + " was imported as game " +
                           std::to_string(editor.EditIndex) + ", but it cannot be shown: " +
                           e.what());
    }
    ui.PageControl1->setCurrentWidget(ui.QuorvelEditor);
}

} // namespace quorvel
