// The Options and Help menus.
#include "platform/AboutForm.h"
#include "ui_Main.h"
#include "window/Externals.h"
#include "window/HelpForm.h"
#include "window/Main.h"
#include "window/Modal.h"

void TForm1::KeepConnectionOpenClick()
{
    KeepOpenFlag = ui->KeepConnectionOpen->isChecked();
    if (worker)
        QMetaObject::invokeMethod(worker, [w = worker, on = KeepOpenFlag] { w->SetKeepAlive(on); });
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
    if (!helpForm)
        helpForm = std::make_unique<THelpForm>(this);
    helpForm->show();
    helpForm->raise();
    helpForm->activateWindow();
}
