// The tool-button commands that talk to the dive computer, the keep-alive tick and the
// raw command panel.
#include <stdexcept>

#include <QLabel>
#include <QSpinBox>
#include <QTimer>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "platform/PortHint.h"
#include "ui_Main.h"
#include "window/Application.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

namespace {

constexpr int kDetectAttempts = 4;

void ProgressCallback(int percent)
{
    if (Form1)
        Form1->ShowProgress(percent);
}

void StatusCallback(const wchar_t* text)
{
    if (Form1)
        Form1->ShowStatus(QString::fromWCharArray(text));
}

void ConnectedCallback(int)
{
}

// The error's own text, and what a person can do about a port that would not open. Only
// such a port carries the system's reason: once it is open, nothing about the port is to
// blame. A busy port is said to be busy, not missing.
QString ConnectFailureText(const kAPI::Error& error, const CStdStr& path)
{
    const QString hint = PortHint::WhyNotOpened(path, error.systemError);
    if (PortHint::IsBusy(error.systemError))
        return hint;
    const QString text = QString::fromWCharArray(error.what());
    return hint.isEmpty() ? text : text + QLatin1Char('\n') + hint;
}

}  // namespace

void TForm1::ConnectButtonClick()
{
    {
        DeviceClaim claim;
        DestroyCurrentDevice();
        RefreshPortList();
        ComSelectSelect();
        UpdateUi(UiNotConnected);
        if (PortPath.empty()) {
            Modal::Current().Message(this,
                                     QStringLiteral("No port is chosen. Choose the port of "
                                                    "the interface cable on the page \"Comm "
                                                    "Port and Byte Control\"."),
                                     QStringLiteral("Error"), QMessageBox::Ok,
                                     QMessageBox::Critical);
            ShowStatus(QStringLiteral("Device Not Open"));
            return;
        }
        try {
            auto* device = new kAPI::Device_Type1_Control(PortPath.c_str(), &CancelByte);
            CurrentDevice = device;
            device->SetCallbacks(ProgressCallback, StatusCallback, ConnectedCallback);
            ShowStatus(QStringLiteral("Searching for Device"));
            device->Open(kDetectAttempts);
        } catch (const kAPI::Error& e) {
            Modal::Current().Message(this, ConnectFailureText(e, PortPath), QStringLiteral("Error"),
                                     QMessageBox::Ok, QMessageBox::Critical);
            ShowStatus(QStringLiteral("Device Not Open"));
            return;
        }
        // A typed device path that connected is remembered as typed.
        LastPort = SelectedPortIndex >= 0 && SelectedPortIndex < portNames.size()
                       ? portNames[SelectedPortIndex].toStdWString()
                       : PortPath;
        UpdateUi(UiConnected);
        update();
    }
    if (RefreshOnConnectFlag)
        LoadButtonClick();
    keepAliveHandler = KeepOpenFlag ? &TForm1::KeepAliveTick : nullptr;
    KeepAliveTimer->start();
}

bool TForm1::Transfer(bool holdTimer,
                      const std::function<void(kAPI::Device_Type1_Control&)>& transfer,
                      const QString& failureStatus, std::uint32_t failureEvent,
                      std::exception_ptr* failure)
{
    bool ok = false;
    {
        DeviceClaim claim;
        if (holdTimer)
            KeepAliveTimer->stop();
        KeepAliveTimer->setInterval(KeepAlivePeriod);
        if (!CurrentDevice) {
            UpdateUi(UiNotConnected);
        } else {
            try {
                transfer(*CurrentDevice);
                ok = true;
            } catch (...) {
                if (failure)
                    *failure = std::current_exception();
                ShowStatus(failureStatus);
                UpdateUi(failureEvent);
            }
        }
    }
    KeepAliveTimer->start();
    if (!ok)
        ShowProgress(0);
    return ok;
}

void TForm1::LoadButtonClick()
{
    ShowStatus(QStringLiteral("Transfering Data from Kelvor"));
    // Into a copy: a load that fails half-way must not leave the record a mix of two
    // dive computers.
    DEVICE_DATA loaded = CurrentSettings;
    if (!Transfer(
            true, [&](kAPI::Device_Type1_Control& device) { device.LoadSettings(loaded, true); },
            QStringLiteral("Read Failure"), UiLoadFailed))
        return;
    CurrentSettings = loaded;
    heldByDevice = loaded;
    DisplaySettings();
    EnableSettingGroups(true);
    ShowStatus(QStringLiteral("Refresh Complete"));
    ShowProgress(0);
    SetChanged(false);
    UpdateUi(UiLoaded);
}

void TForm1::KeepAliveTick()
{
    if (!KeepOpenFlag)
        return;
    {
        boost::mutex::scoped_lock lock(BusyLock);
        if (DeviceBusy)
            return;
    }
    KeepAliveTimer->stop();
    boost::mutex::scoped_lock lock(RequestLock);
    RefreshRequested = true;
}

void TForm1::RefreshDoneMessage()
{
    if (KeepAliveTimer && KeepOpenFlag)
        KeepAliveTimer->start();
}

void TForm1::CommandSendButtonClick()
{
    const std::uint8_t request[3] = {static_cast<std::uint8_t>(ui->CommandEdit->value()), 0x00,
                                     0x00};
    ShowStatus(QStringLiteral("Sending Command"));
    try {
        DeviceClaim claim;
        if (!CurrentDevice)
            throw std::runtime_error("no device controller");
        // Whatever the command does, what the dive computer holds is not known after it.
        heldByDevice.reset();
        CurrentDevice->RawExchange(3, request, 0, nullptr);
    } catch (...) {
        // The person learns that the command did not go out, not the line's own reason.
        ShowStatus(QStringLiteral("Error Sending Command"));
        throw std::runtime_error("Error Sending Command");
    }
    ShowStatus(QStringLiteral("Command Sent"));
}

void TForm1::HelpButtonClick()
{
    ShowHelp();
}
