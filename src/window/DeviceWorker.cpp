#include "window/DeviceWorker.h"

#include <QTimer>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "transfer/StoreProcedure.h"

namespace {

constexpr int kDetectAttempts = 4;

std::unique_ptr<kAPI::Device_Type1_Control> RealController(const CStdStr& path,
                                                           const kAPI::CancelFlag* cancel)
{
    return std::make_unique<kAPI::Device_Type1_Control>(path.c_str(), cancel);
}

// A failure that says nothing of the line: the person stopped it, or the dive computer
// answered but did not keep what was written.
bool LineMayBeFine(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const kAPI::User_Cancel&) {
        return true;
    } catch (const kAPI::VerifyError&) {
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

TDeviceWorker::TDeviceWorker(ControllerFactory factory)
    : factory_(factory ? std::move(factory) : ControllerFactory(RealController)),
      keepAliveTimer_(new QTimer(this))
{
    qRegisterMetaType<DEVICE_DATA>();
    qRegisterMetaType<std::exception_ptr>();
    qRegisterMetaType<std::optional<DEVICE_DATA>>();
    qRegisterMetaType<TDeviceWorker::Request>();
    keepAliveTimer_->setSingleShot(true);
    keepAliveTimer_->setInterval(KeepAlivePeriod);
    connect(keepAliveTimer_, &QTimer::timeout, this, &TDeviceWorker::KeepAlive);
}

TDeviceWorker::~TDeviceWorker() = default;

void TDeviceWorker::RequestCancel()
{
    cancel_.store(1);
}

void TDeviceWorker::SetKeepAlivePeriod(int ms)
{
    QMetaObject::invokeMethod(this, [this, ms] {
        keepAliveTimer_->setInterval(ms);
        RearmKeepAlive();
    });
}

void TDeviceWorker::OnProgress(int percent)
{
    emit Progress(percent);
}

void TDeviceWorker::OnStatus(const wchar_t* text)
{
    emit Status(QString::fromWCharArray(text));
}

void TDeviceWorker::Close()
{
    keepAliveTimer_->stop();
    CurrentDevice.reset();
}

void TDeviceWorker::RearmKeepAlive()
{
    if (keepAlive_ && CurrentDevice)
        keepAliveTimer_->start();
    else
        keepAliveTimer_->stop();
}

void TDeviceWorker::Connect(const QString& path)
{
    Close();
    cancel_.store(0);
    try {
        std::unique_ptr<Controller> controller = factory_(path.toStdWString(), &cancel_);
        Listen(*controller);
        controller->Open(kDetectAttempts);
        CurrentDevice = std::move(controller);
    } catch (...) {
        // The port is closed at once: nothing keeps it locked after a failed detection.
        emit Failed(Request::Connect, std::current_exception(), false);
        return;
    }
    RearmKeepAlive();
    emit Connected(CurrentDevice->DetectedSettings());
}

void TDeviceWorker::Adopt(const ControllerFactory& make)
{
    Close();
    cancel_.store(0);
    try {
        std::unique_ptr<Controller> controller = make(CStdStr(), &cancel_);
        Listen(*controller);
        CurrentDevice = std::move(controller);
    } catch (...) {
        emit Failed(Request::Connect, std::current_exception(), false);
        return;
    }
    RearmKeepAlive();
    emit Connected(CurrentDevice->DetectedSettings());
}

void TDeviceWorker::Listen(Controller& controller)
{
    controller.SetCallbacks(
        Callback::membertranslator_1<int, TDeviceWorker, void (TDeviceWorker::*)(int)>(
            *this, &TDeviceWorker::OnProgress),
        Callback::membertranslator_1<const wchar_t*, TDeviceWorker,
                                     void (TDeviceWorker::*)(const wchar_t*)>(
            *this, &TDeviceWorker::OnStatus));
}

void TDeviceWorker::Disconnect()
{
    Close();
}

bool TDeviceWorker::Run(Request request, const std::function<void(Controller&)>& exchange)
{
    keepAliveTimer_->stop();
    cancel_.store(0);
    if (!CurrentDevice) {  // the window thought it connected: it learns otherwise
        const std::exception_ptr failure =
            std::make_exception_ptr(kAPI::Error(kAPI::ErrorFromCode(kAPI::ErrPortNotOpen)));
        emit Failed(request, failure, true);
        return false;
    }
    try {
        exchange(*CurrentDevice);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        bool gone = false;
        if (!LineMayBeFine(failure)) {
            try {
                CurrentDevice->ReadByte(KeepAliveAddress, false);
            } catch (...) {
                gone = true;
            }
        }
        if (gone)
            Close();
        emit Failed(request, failure, gone);
        RearmKeepAlive();
        return false;
    }
    // Between a store's read and its write the window asks its questions: the keep-alive
    // waits until the window says the store has ended.
    if (request != Request::ReadHeld)
        RearmKeepAlive();
    return true;
}

void TDeviceWorker::Load()
{
    DEVICE_DATA record{};
    if (Run(Request::Load, [&](Controller& device) { device.LoadSettings(record, true); }))
        emit Loaded(record);
}

void TDeviceWorker::ReadHeld(const std::optional<DEVICE_DATA>& cached)
{
    DEVICE_DATA held{};
    if (Run(Request::ReadHeld,
            [&](Controller& device) { held = StoreProcedure::ReadHeld(device, cached); }))
        emit HeldRead(held);
}

void TDeviceWorker::Store(const DEVICE_DATA& record, bool verify)
{
    if (Run(Request::Store,
            [&](Controller& device) { device.StoreSettings(record, true, verify); }))
        emit Stored(record);
}

void TDeviceWorker::SendCommand(int command)
{
    const std::uint8_t request[3] = {static_cast<std::uint8_t>(command), 0x00, 0x00};
    if (Run(Request::Command,
            [&](Controller& device) { device.RawExchange(3, request, 0, nullptr); }))
        emit CommandSent();
}

void TDeviceWorker::SetKeepAlive(bool on)
{
    keepAlive_ = on;
    RearmKeepAlive();
}

void TDeviceWorker::KeepAlive()
{
    if (!CurrentDevice) {
        emit KeepAliveDone();
        return;
    }
    // A keep-alive that fails is told only as a closed connection, when the dive computer
    // does not answer the check either; the value read is not used.
    Run(Request::KeepAlive, [](Controller& device) { device.ReadByte(KeepAliveAddress, false); });
    emit KeepAliveDone();
}
