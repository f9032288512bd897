#pragma once
// The connection's worker: it owns the device controller and does every exchange with the
// dive computer on a thread of its own, so that the window stays live while the line
// crawls at 2400 baud. The window asks by calling its slots through queued connections (or
// QMetaObject::invokeMethod) and hears back through its signals; it never waits on the line.
// The keep-alive lives here too: one byte read every 30 s while the worker is idle.

#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"
#include "device/Device.h"

class QTimer;

namespace kAPI {
class Device_Type1_Control;
}

class TDeviceWorker : public QObject {
    Q_OBJECT

public:
    using Controller = kAPI::Device_Type1_Control;
    // Makes a controller on a port path; throws a kAPI::Error when the port will not open.
    using ControllerFactory =
        std::function<std::unique_ptr<Controller>(const CStdStr& path, const kAPI::CancelFlag*)>;

    // What a failure or a result belongs to.
    enum class Request { Connect, Load, ReadHeld, Store, Command, KeepAlive };
    Q_ENUM(Request)

    static constexpr int KeepAlivePeriod = 30000;            // ms
    static constexpr std::uint32_t KeepAliveAddress = 0x24;  // the model code; not used

    explicit TDeviceWorker(ControllerFactory factory = {});
    ~TDeviceWorker() override;

    // From any thread: the transfer under way ends at its next block boundary.
    void RequestCancel();
    // The keep-alive's period, for tests that cannot wait 30 s.
    void SetKeepAlivePeriod(int ms);

public slots:
    // Closes the controller there is, then opens `path` and looks for the dive computer.
    // A failed detection closes the port at once.
    void Connect(const QString& path);
    // Takes the controller that `make` makes as a successful Connect would leave it,
    // without looking for the dive computer: for a line that is known to have one.
    void Adopt(const ControllerFactory& make);
    void Disconnect();
    void Load();
    // What the dive computer holds now, for a store (see StoreProcedure::ReadHeld).
    void ReadHeld(const std::optional<DEVICE_DATA>& cached);
    void Store(const DEVICE_DATA& record, bool verify);
    void SendCommand(int command);
    void SetKeepAlive(bool on);
    // One keep-alive exchange now, as the timer would do it.
    void KeepAlive();

signals:
    void Progress(int percent);
    void Status(const QString& text);
    void Connected(const DEVICE_DATA& detected);
    void Loaded(const DEVICE_DATA& record);
    void HeldRead(const DEVICE_DATA& held);
    void Stored(const DEVICE_DATA& written);
    void CommandSent();
    void KeepAliveDone();
    // A request failed with `failure`, a kAPI::Error (or a standard exception); with
    // `connectionLost` the dive computer did not answer a check either, and the port is
    // closed.
    void Failed(TDeviceWorker::Request request, std::exception_ptr failure, bool connectionLost);

private:
    // Runs `exchange` on the controller; a failure is reported for `request`. A failure
    // other than a cancel or a read-back difference is checked with one more exchange: a
    // dive computer that does not answer that either has gone, and the connection is closed.
    bool Run(Request request, const std::function<void(Controller&)>& exchange);
    void Close();
    // Reports the controller's progress and status texts as this worker's signals.
    void Listen(Controller& controller);
    void RearmKeepAlive();
    void OnProgress(int percent);
    void OnStatus(const wchar_t* text);

    ControllerFactory factory_;
    std::unique_ptr<Controller> CurrentDevice;
    kAPI::CancelFlag cancel_{0};
    QTimer* keepAliveTimer_;
    bool keepAlive_ = false;
};

Q_DECLARE_METATYPE(DEVICE_DATA)
Q_DECLARE_METATYPE(std::exception_ptr)
Q_DECLARE_METATYPE(std::optional<DEVICE_DATA>)
