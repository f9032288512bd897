// The Options and Help menus.
#include <QTimer>

#include "platform/AboutForm.h"
#include "ui_Main.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

void TForm1::KeepConnectionOpenClick()
{
    KeepAliveTimer->stop();
    KeepOpenFlag = ui->KeepConnectionOpen->isChecked();
    keepAliveHandler = KeepOpenFlag ? &TForm1::KeepAliveTick : nullptr;
    KeepAliveTimer->start();
}

void TForm1::RefreshOnConnectClick()
{
    RefreshOnConnectFlag = ui->RefreshOnConnect->isChecked();
}

void TForm1::AutoSave1Click()
{
    StoreOnExitFlag = ui->AutoSave1->isChecked();
}

void TForm1::EnableByteControls1Click()
{
    ui->ByteControlBox->setVisible(ui->EnableByteControls1->isChecked());
}

void TForm1::About1Click()
{
    if (!AboutForm) {
        aboutForm = std::make_unique<TAboutForm>(versionInfo, this);
        AboutForm = aboutForm.get();
    }
    Modal::Current().Exec(*AboutForm);
}

void TForm1::ShowHelp1Click()
{
    ShowHelp();
}

void TForm1::ShowHelp()
{
    // There is no help file to open; a short guide to the usual round trip will do.
    Modal::Current().Message(
        this,
        QStringLiteral("1. Plug the interface cable into the dive computer and the computer.\n"
                       "2. Choose its port on the page \"Comm Port and Byte Control\" and click "
                       "Connect.\n"
                       "3. Load reads the settings; change them on the two settings pages "
                       "(Undo takes a change back).\n"
                       "4. Store writes them to the dive computer.\n\n"
                       "Save and Open keep settings in a file, also without a dive computer."),
        QStringLiteral("Help"), QMessageBox::Ok, QMessageBox::Information);
}
