// SELECT GAME on the play page: the next game of the library file comes into play.
#include "app/errorreport.h"
#include "app/form1.h"

namespace quorvel {

void TForm1::connectSelection()
{
    onClick(ui.SelectGame, this, &TForm1::SelectGameClick);
}

void TForm1::SelectGameClick()
{
    selection.SelectGame(PlayRecord, *this);
}

void TForm1::showGameName(const std::string &name)
{
    ui.GameName->setText(QString::fromStdString(name));
    autoSize(ui.GameName);
}

void TForm1::loadPicture(int slot, const std::string &fileName)
{
    PlayImages.load(slot, fileName);
}

} // namespace quorvel
