#pragma once
// A dive computer found on a port, as Connect finds it in the window: the port opened at
// 2400 baud and the detection probe answered. While it lives, SIGINT, SIGTERM and SIGHUP
// end its detection, load or store at the next block boundary (Interruption), as a
// Failure with ExitTransfer that says what the dive computer may now hold.

#include "Interruption.h"

#include "device/CStdStr.h"
#include "device/DEVICE_DATA.h"
#include "transfer/StoreProcedure.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace kAPI {
class Device_Type1_Control;
}

class Connection {
public:
    // `port` is a name that the port list shows (letter case ignored) or a device path.
    // Throws a Failure: ExitMissingPort when it names no port or the port will not open,
    // ExitNoDevice when no dive computer answers.
    explicit Connection(const QString& port);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The device path in use.
    QString Path() const;

    // The dive computer's model code, firmware version and serial number digits: record
    // offsets 52 to 57, read in one request. Throws a Failure with ExitTransfer.
    void ReadIdentity(DEVICE_DATA& record);
    // The whole settings record, as Load reads it. Throws a Failure with ExitTransfer.
    DEVICE_DATA Load();
    // The store's last step: writes the plan's settings, and with `verify` reads them back
    // to check that the dive computer kept them. Throws a Failure with ExitTransfer.
    void Store(const StoreProcedure::Plan& plan, bool verify);

private:
    CStdStr path_;
    kAPI::CancelFlag cancel_{0};  // the device's cancel byte
    Interruption interruption_{&cancel_};
    std::unique_ptr<kAPI::Device_Type1_Control> device_;
};
