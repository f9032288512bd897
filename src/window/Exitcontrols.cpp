// Exit and closing: the store on exit, and no way out, nor an Open or a Load, that drops
// changes which were neither stored nor saved without asking first.
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
        states.push_back({button, item, button->property("commandOn").toBool(),
                          button->property("glyphIndex").toInt()});
    return states;
}

void TForm1::RestoreCommands(const std::vector<CommandState>& states)
{
    for (const CommandState& command : states) {
        command.button->setProperty("commandOn", command.on);
        command.button->setEnabled(command.on && !IsBusy());
        if (command.item)
            command.item->setEnabled(command.on && !IsBusy());
        SetGlyph(command.button, command.glyph);
    }
}

void TForm1::ExitButtonClick()
{
    if (IsBusy()) {  // the transfer is not cut off half-way: the window closes after it
        closeAfterTransfer = true;
        ShowStatus(tr("Tidewell closes when the transfer has ended."));
        return;
    }
    exitCommands = Commands();
    UpdateUi(UiExit);
    if (ui->AutoSave1->isChecked() && Changed) {
        exitAfterStore = true;
        ShowStatus(QStringLiteral("Storing to Kelvor Please Wait"));
        StoreButtonClick();  // the exit goes on in StoreEnded
        return;
    }
    if (!close()) {
        closeConfirmed = false;
        RestoreCommands(exitCommands);
    }
}

void TForm1::StoreEnded()
{
    KeepConnectionOpenClick();  // the worker holds the keep-alive until a store has ended
    if (afterStore) {
        const std::function<void()> next = std::move(afterStore);
        afterStore = nullptr;
        if (!unsavedEdits)  // stored: what was asked for before the store may go on
            next();
    }
    if (!exitAfterStore)
        return;
    exitAfterStore = false;
    if (Changed) {
        if (!Confirmed(this, tr("The changed settings could not be stored on the dive computer. "
                                "Close anyway and lose them?"))) {
            RestoreCommands(exitCommands);
            return;
        }
        closeConfirmed = true;
    }
    if (!close()) {
        closeConfirmed = false;
        RestoreCommands(exitCommands);
    }
}

bool TForm1::MaySaveChanges(const QString& purpose, std::function<void()> then)
{
    if (!unsavedEdits)
        return true;
    QMessageBox::StandardButtons buttons =
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    if (deviceOpen)
        buttons |= QMessageBox::Apply;  // shown as Store
    const QString question =
        tr("The settings were changed, and the changes were neither stored on the dive computer "
           "nor saved to a file.\n\nStore or save them before %1, or discard them?")
            .arg(purpose);
    switch (Modal::Current().Message(this, question, tr("Unsaved Changes"), buttons,
                                     QMessageBox::Warning)) {
        case QMessageBox::Discard:
            return true;
        case QMessageBox::Save:
            SaveButtonClick();
            return !unsavedEdits;
        case QMessageBox::Apply: {
            // The store runs on the worker; what was asked for follows once it has stored.
            afterStore = std::move(then);
            StoreButtonClick();
            return false;
        }
        default:
            return false;
    }
}

bool TForm1::CloseConfirmed()
{
    if (closeConfirmed || !unsavedEdits)
        return true;
    return MaySaveChanges(tr("closing"), [this] { close(); });
}
