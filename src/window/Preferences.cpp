// The choices remembered from one run to the next: read at the first showing of the
// window, written when it closes.
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QShowEvent>

#include "persistence/FormState.h"
#include "persistence/PreferencesStore.h"
#include "ui_Main.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

namespace {
const QString kOptions;  // the unnamed section
// The usual cable's port on this platform.
#ifdef Q_OS_WIN
const CStdStr kDefaultPort = L"COM1";
#else
const CStdStr kDefaultPort = L"ttyUSB0";
#endif
}  // namespace

void TForm1::showEvent(QShowEvent* event)
{
    if (!restored) {
        restored = true;
        PreferencesStore store;
        RestoreFormState(store, *this);
        RestorePreferences(store);
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (IsBusy()) {  // a transfer is not cut off half-way: the window closes after it
        closeAfterTransfer = true;
        ShowStatus(tr("Tidewell closes when the transfer has ended."));
        event->ignore();
        return;
    }
    if (!CloseConfirmed()) {
        event->ignore();
        return;
    }
    {
        PreferencesStore store;
        const CStdStr failure = SaveFormState(store, *this);
        if (!failure.empty())
            Modal::Current().Message(this, QString::fromStdWString(failure), QString(),
                                     QMessageBox::Ok, QMessageBox::Critical);
        SavePreferences(store);
    }
    FormClose();
    event->accept();
}

void TForm1::RestorePreferences(const PreferencesStore& store)
{
    LastSaveFile = store.ReadString(kOptions, QStringLiteral("LastSave"), L"");
    LastOpenFile = store.ReadString(kOptions, QStringLiteral("LastOpen"), L"");
    ui->ByteControlBox->setVisible(
        store.ReadBool(kOptions, QStringLiteral("ShowByteControls"), false));
    StoreOnExitFlag = store.ReadBool(kOptions, QStringLiteral("StoreOnExit"), false);
    ui->AutoSave1->setChecked(StoreOnExitFlag);

    LastPort = store.ReadString(kOptions, QStringLiteral("Port"), kDefaultPort);
    ListPortsAtStart();
    int index = FindPortIndex(PortList, LastPort, MatchPortName);
    if (index < 0 && QDir::isAbsolutePath(QString::fromStdWString(LastPort))) {
        // A device path that connected last time is offered again as typed.
        SelectedPortIndex = -1;
        ui->ComSelect->setCurrentIndex(-1);
        ui->ComSelect->setEditText(QString::fromStdWString(LastPort));
    } else {
        if (index < 0)
            index = 0;
        SelectedPortIndex = index;
        ui->ComSelect->setCurrentIndex(index < ui->ComSelect->count() ? index : -1);
    }

    KeepOpenFlag = store.ReadBool(kOptions, QStringLiteral("KeepCommOpen"), false);
    RefreshOnConnectFlag = store.ReadBool(kOptions, QStringLiteral("RefreshOnConnect"), false);
    // Setting the marks runs no handler: no keep-alive is armed before Connect.
    ui->EnableByteControls1->setChecked(!ui->ByteControlBox->isHidden());
    ui->KeepConnectionOpen->setChecked(KeepOpenFlag);
    KeepConnectionOpenClick();
    ui->RefreshOnConnect->setChecked(RefreshOnConnectFlag);
    ui->VerifyAfterStore->setChecked(
        store.ReadBool(kOptions, QStringLiteral("VerifyAfterStore"), true));
}

void TForm1::SavePreferences(PreferencesStore& store)
{
    store.WriteString(kOptions, QStringLiteral("LastSave"), LastSaveFile);
    store.WriteString(kOptions, QStringLiteral("LastOpen"), LastOpenFile);
    store.WriteString(kOptions, QStringLiteral("Port"), LastPort);
    store.WriteBool(kOptions, QStringLiteral("KeepCommOpen"), KeepOpenFlag);
    store.WriteBool(kOptions, QStringLiteral("RefreshOnConnect"), RefreshOnConnectFlag);
    store.WriteBool(kOptions, QStringLiteral("StoreOnExit"), StoreOnExitFlag);
    store.WriteBool(kOptions, QStringLiteral("VerifyAfterStore"),
                    ui->VerifyAfterStore->isChecked());
    store.WriteBool(kOptions, QStringLiteral("ShowByteControls"), !ui->ByteControlBox->isHidden());
    store.WriteInteger(kOptions, QStringLiteral("ActivePage"), ui->PageControl1->currentIndex());
}
