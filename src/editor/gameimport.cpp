// Importing a shared game into the running editor.
#include "app/form1.h"
#include "editor/gamearchive.h"

namespace quorvel {

// As a navigation button does, the record on screen is stored first; the imported game then
// becomes the editor's record, shown on the editor's page.
void TForm1::ImportGameFile(const std::string &archivePath)
{
    StoreEditRecord();
    editor.EditIndex = importGame(archivePath);
    ReadEditRecord();
    ShowEditRecord();
    ui.PageControl1->setCurrentWidget(ui.QuorvelEditor);
}

} // namespace quorvel
