// Exit and closing: the store on exit, and no way out that drops changes which were
// neither stored nor saved without asking first.
#include <QCloseEvent>

#include "ui_Main.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

namespace {

bool Confirmed(QWidget* window, const QString& question)
{
    return Modal::Current().Message(window, question, QStringLiteral("Exit"),
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::Warning) == QMessageBox::Yes;
}

}  // namespace

std::vector<TForm1::CommandState> TForm1::Commands() const
{
    const std::pair<QToolButton*, QAction*> commands[] = {
        {ui->ConnectButton, nullptr}, {ui->LoadButton, ui->Load}, {ui->StoreButton, ui->Store},
        {ui->OpenButton, ui->Open},   {ui->SaveButton, ui->Save}, {ui->UndoButton, nullptr},
    };
    std::vector<CommandState> states;
    for (const auto& [button, item] : commands)
        states.push_back(
            {button, item, button->isEnabled(), button->property("glyphIndex").toInt()});
    return states;
}

void TForm1::RestoreCommands(const std::vector<CommandState>& states)
{
    for (const CommandState& command : states) {
        command.button->setEnabled(command.on);
        if (command.item)
            command.item->setEnabled(command.on);
        SetGlyph(command.button, command.glyph);
    }
}

void TForm1::ExitButtonClick()
{
    const std::vector<CommandState> before = Commands();
    UpdateUi(UiExit);
    if (ui->AutoSave1->isChecked() && Changed) {
        ExitStoreActive = true;
        ShowStatus(QStringLiteral("Storing to Kelvor Please Wait"));
        StoreButtonClick();
        // A store that failed or could not run never raised its event to clear this.
        ExitStoreActive = false;
        if (Changed) {
            if (!Confirmed(this, QStringLiteral("The changed settings could not be stored on the "
                                                "dive computer. Close anyway and lose them?"))) {
                RestoreCommands(before);
                return;
            }
            closeConfirmed = true;
        }
    }
    if (!close()) {
        closeConfirmed = false;
        RestoreCommands(before);
    }
}

bool TForm1::CloseConfirmed()
{
    return closeConfirmed || !unsavedEdits ||
           Confirmed(this, QStringLiteral("The settings were changed, and the changes were "
                                          "neither stored on the dive computer nor saved to a "
                                          "file. Close and lose them?"));
}
