// The tool-button commands that talk to the dive computer: Connect, Load and the raw
// command panel, each a request to the connection's worker, and what the window does
// while a request runs and when its answer comes.
#include <stdexcept>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "platform/PortHint.h"
#include "ui_Main.h"
#include "window/Application.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

namespace {

// The error's own text, and what a person can do about a port that would not open. Only
// such a port carries the system's reason: once it is open, nothing about the port is to
// blame. A busy port is said to be busy, not missing.
QString ConnectFailureText(std::exception_ptr failure, const CStdStr& path)
{
    try {
        std::rethrow_exception(failure);
    } catch (const kAPI::Error& error) {
        const QString hint = PortHint::WhyNotOpened(path, error.systemError);
        if (PortHint::IsBusy(error.systemError))
            return hint;
        const QString text = QString::fromWCharArray(error.what());
        return hint.isEmpty() ? text : text + QLatin1Char('\n') + hint;
    } catch (...) {
        return TApplication::MessageOf(failure);
    }
}

bool WasCanceled(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const kAPI::User_Cancel&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

void TForm1::ConnectWorker()
{
    connect(worker, &TDeviceWorker::Progress, this, &TForm1::ShowProgress);
    connect(worker, &TDeviceWorker::Status, this, &TForm1::ShowStatus);
    connect(worker, &TDeviceWorker::Connected, this, &TForm1::OnConnected);
    connect(worker, &TDeviceWorker::Loaded, this, &TForm1::OnLoaded);
    connect(worker, &TDeviceWorker::HeldRead, this, &TForm1::OnHeldRead);
    connect(worker, &TDeviceWorker::Stored, this, &TForm1::OnStored);
    connect(worker, &TDeviceWorker::CommandSent, this, &TForm1::OnCommandSent);
    connect(worker, &TDeviceWorker::Failed, this, &TForm1::OnFailed);
    connect(CancelButton, &QPushButton::clicked, this, &TForm1::CancelButtonClick);
}

void TForm1::Begin(Busy what)
{
    // Disabled controls lose the focus; a keyboard user gets it back where it was.
    if (busy == Busy::None) {
        focusBeforeTransfer = QApplication::focusWidget();
        cancelAsked = false;
    }
    busy = what;
    for (int i = 0; i < ui->PageControl1->count(); ++i)
        ui->PageControl1->widget(i)->setEnabled(false);
    for (const CommandState& command : Commands()) {
        command.button->setEnabled(false);
        if (command.item)
            command.item->setEnabled(false);
    }
    const bool cancellable = what == Busy::Load || what == Busy::StoreRead || what == Busy::Store;
    CancelButton->setEnabled(cancellable);
    CancelButton->setVisible(cancellable);
}

void TForm1::Idle()
{
    busy = Busy::None;
    CancelButton->hide();
    for (int i = 0; i < ui->PageControl1->count(); ++i)
        ui->PageControl1->widget(i)->setEnabled(true);
    RestoreCommands(Commands());
    if (focusBeforeTransfer && focusBeforeTransfer->isEnabled())
        focusBeforeTransfer->setFocus();
    // A close asked for during the transfer happens once nothing follows it.
    if (closeAfterTransfer)
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (closeAfterTransfer && !IsBusy()) {
                    closeAfterTransfer = false;
                    close();
                }
            },
            Qt::QueuedConnection);
}

void TForm1::CancelButtonClick()
{
    if (!IsBusy() || !worker)
        return;
    worker->RequestCancel();
    cancelAsked = true;
    CancelButton->setEnabled(false);
    ShowStatus(tr("Canceling at the end of the block under way."));
}

void TForm1::AttachController(const TDeviceWorker::ControllerFactory& make)
{
    Begin(Busy::Connect);
    QMetaObject::invokeMethod(worker, [w = worker, make] { w->Adopt(make); });
}

void TForm1::ConnectButtonClick()
{
    if (IsBusy())
        return;
    RefreshPortList();
    ComSelectSelect();  // closes the connection there was
    UpdateUi(UiNotConnected);
    if (PortPath.empty()) {
        Modal::Current().Message(this,
                                 tr("No port is chosen. Choose the port of the interface cable "
                                    "on the page \"Comm Port and Byte Control\"."),
                                 QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
        ShowStatus(QStringLiteral("Device Not Open"));
        return;
    }
    ShowStatus(QStringLiteral("Searching for Device"));
    Begin(Busy::Connect);
    const QString path = QString::fromStdWString(PortPath);
    QMetaObject::invokeMethod(worker, [w = worker, path] { w->Connect(path); });
}

void TForm1::OnConnected(const DEVICE_DATA&)
{
    Idle();
    deviceOpen = true;
    // A typed device path that connected is remembered as typed.
    LastPort = SelectedPortIndex >= 0 && SelectedPortIndex < portNames.size()
                   ? portNames[SelectedPortIndex].toStdWString()
                   : PortPath;
    UpdateUi(UiConnected);
    update();
    if (RefreshOnConnectFlag)
        LoadButtonClick();
}

void TForm1::LoadButtonClick()
{
    if (IsBusy())
        return;
    if (!deviceOpen) {
        UpdateUi(UiNotConnected);
        return;
    }
    if (!MaySaveChanges(tr("loading the settings from the dive computer"),
                        [this] { LoadButtonClick(); }))
        return;
    ShowStatus(QStringLiteral("Transferring Data from Kelvor"));
    Begin(Busy::Load);
    QMetaObject::invokeMethod(worker, [w = worker] { w->Load(); });
}

void TForm1::OnLoaded(const DEVICE_DATA& record)
{
    Idle();
    CurrentSettings = record;
    heldByDevice = record;
    settingsOrigin = record;
    DisplaySettings();
    EnableSettingGroups(true);
    ShowStatus(QStringLiteral("Load Complete"));
    ShowProgress(0);
    SetChanged(false);
    UpdateUi(UiLoaded);
}

void TForm1::CommandSendButtonClick()
{
    if (IsBusy())
        return;
    ShowStatus(QStringLiteral("Sending Command"));
    if (!deviceOpen) {
        ShowStatus(QStringLiteral("Error Sending Command"));
        throw std::runtime_error("Error Sending Command");
    }
    // Whatever the command does, what the dive computer holds is not known after it.
    heldByDevice.reset();
    Begin(Busy::Command);
    const int command = ui->CommandEdit->value();
    QMetaObject::invokeMethod(worker, [w = worker, command] { w->SendCommand(command); });
}

void TForm1::OnCommandSent()
{
    Idle();
    ShowStatus(QStringLiteral("Command Sent"));
}

void TForm1::OnFailed(TDeviceWorker::Request request, std::exception_ptr failure,
                      bool connectionLost)
{
    using Request = TDeviceWorker::Request;
    const QString why = StoreProcedure::Classify(failure).detail;
    if (request == Request::KeepAlive) {  // a failed keep-alive is told only by a lost line
        if (connectionLost)
            ShowDisconnected(why);
        return;
    }
    Idle();
    ShowProgress(0);
    // Known before any box is shown, so that nothing offers what needs the connection.
    if (connectionLost)
        deviceOpen = false;
    switch (request) {
        case Request::Connect:
            Modal::Current().Message(this, ConnectFailureText(failure, PortPath),
                                     QStringLiteral("Error"), QMessageBox::Ok,
                                     QMessageBox::Critical);
            ShowStatus(QStringLiteral("Device Not Open"));
            break;
        case Request::Load:
            // The controls keep what they showed; the dive computer was not changed.
            ShowStatus(WasCanceled(failure)
                           ? tr("Load canceled: the dive computer holds its settings as before.")
                           : QStringLiteral("Read Failure"));
            UpdateUi(UiLoadFailed);
            break;
        case Request::ReadHeld:
            UpdateUi(UiStoreFailed);
            if (WasCanceled(failure)) {
                ShowStatus(QStringLiteral("Store Canceled: nothing was written"));
            } else {
                // In a diver's words first; the line's own term after it, for support.
                ShowStatus(QStringLiteral("Store Failed"));
                Modal::Current().Message(
                    this,
                    tr("The dive computer stopped answering (%1). Nothing was written to it.")
                        .arg(StoreProcedure::Classify(failure).detail),
                    tr("Store Failed"), QMessageBox::Ok, QMessageBox::Critical);
            }
            StoreEnded();
            break;
        case Request::Store:
            heldByDevice.reset();  // part of the new settings, perhaps
            UpdateUi(UiStoreFailed);
            ReportBrokenStore(failure, storeBackup, connectionLost);
            StoreEnded();
            break;
        case Request::Command:
            ShowStatus(QStringLiteral("Error Sending Command"));
            // The person learns that the command did not go out, not the line's own reason.
            TApplication::ShowException(
                std::make_exception_ptr(std::runtime_error("Error Sending Command")));
            break;
        case Request::KeepAlive:
            break;
    }
    if (connectionLost)
        ShowDisconnected(why);
}

void TForm1::ShowDisconnected(const QString& why)
{
    deviceOpen = false;
    UpdateUi(UiNotConnected);
    ShowStatus(tr("The dive computer stopped answering (%1). Check the cable, then Connect again.")
                   .arg(why));
}

void TForm1::HelpButtonClick()
{
    ShowHelp();
}
