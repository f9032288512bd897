#include "Connection.h"

#include "Console.h"
#include "Failure.h"

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "platform/PortHint.h"
#include "platform/SerialPorts.h"

#include <cstddef>

namespace {

constexpr int kDetectAttempts = 4;  // as many probes as the window's Connect sends
constexpr std::uint32_t kIdentityAddress = 0x24;
constexpr int kIdentityLength = 6;  // model code, firmware version, four serial digits

CStdStr ResolvePort(const QString& port)
{
    SERIALPORTS list;
    EnumerateSerialPorts(list);
    const CStdStr text = port.toStdWString();
    const CStdStr path = PortPathFor(list, FindPortIndex(list, text, MatchPortName), text);
    if (path.empty())
        throw Failure{ExitMissingPort,
                      QStringLiteral("no port '%1': give a name that 'tidewell-cli ports' lists, "
                                     "or the path of a device")
                          .arg(port)};
    return path;
}

QString TextOf(const kAPI::Error& error)
{
    return QString::fromWCharArray(error.what()).trimmed();
}

// What the dive computer holds after an interrupted read: it was not changed.
const char* const kNothingWritten =
    "nothing was written, and the dive computer holds its settings as before";

}  // namespace

Connection::Connection(const QString& port) : path_(ResolvePort(port))
{
    try {
        device_ = std::make_unique<kAPI::Device_Type1_Control>(path_.c_str(), &cancel_);
    } catch (const kAPI::Error& e) {
        // One message: the reason a person can act on (busy, missing, no permission) when
        // there is one, with the error's own text after it; a busy port is not "not found".
        QString hint = PortHint::WhyNotOpened(path_, e.systemError);
        if (hint.endsWith(QLatin1Char('.')))
            hint.chop(1);
        QString message = QStringLiteral("%1 (%2)").arg(hint, TextOf(e));
        if (hint.isEmpty())
            message = QStringLiteral("%1: %2").arg(Path(), TextOf(e));
        else if (PortHint::IsBusy(e.systemError))
            message = hint;
        throw Failure{ExitMissingPort, message};
    }
    try {
        ProgressLine line(QStringLiteral("Looking for the dive computer on %1").arg(Path()));
        device_->Open(kDetectAttempts);
    } catch (const kAPI::User_Cancel&) {
        throw Failure{ExitTransfer,
                      QStringLiteral("looking for the dive computer on %1 was interrupted: %2")
                          .arg(Path(), QLatin1String(kNothingWritten))};
    } catch (const kAPI::Error& e) {
        throw Failure{ExitNoDevice,
                      QStringLiteral("no dive computer answers on %1 (%2)").arg(Path(), TextOf(e))};
    }
    device_->SetCallbacks(&ProgressLine::Percent, nullptr, nullptr);
}

Connection::~Connection() = default;

QString Connection::Path() const
{
    return QString::fromStdWString(path_);
}

void Connection::ReadIdentity(DEVICE_DATA& record)
{
    try {
        device_->Read(kIdentityAddress, kIdentityLength,
                      DeviceData::Bytes(record) + offsetof(DEVICE_DATA, modelCode), false);
    } catch (const kAPI::Error& e) {
        throw Failure{ExitTransfer,
                      QStringLiteral("reading from the dive computer on %1 failed: %2")
                          .arg(Path(), TextOf(e))};
    }
}

DEVICE_DATA Connection::Load()
{
    DEVICE_DATA record{};
    try {
        ProgressLine line(QStringLiteral("Reading the settings"));
        device_->LoadSettings(record, true);
    } catch (const kAPI::User_Cancel&) {
        throw Failure{ExitTransfer,
                      QStringLiteral("reading the settings from %1 was interrupted: %2")
                          .arg(Path(), QLatin1String(kNothingWritten))};
    } catch (const kAPI::Error& e) {
        throw Failure{
            ExitTransfer,
            QStringLiteral("reading the settings from %1 failed: %2").arg(Path(), TextOf(e))};
    }
    return record;
}

void Connection::Store(const StoreProcedure::Plan& plan, bool verify)
{
    if (cancel_ == 1)
        throw Failure{ExitTransfer,
                      QStringLiteral("interrupted before anything was written to %1: the dive "
                                     "computer holds its settings as before")
                          .arg(Path())};
    try {
        ProgressLine line(QStringLiteral("Writing the settings"));
        StoreProcedure::Write(*device_, plan, verify);
    } catch (...) {
        using Kind = StoreProcedure::Failure::Kind;
        const StoreProcedure::Failure failure = StoreProcedure::Classify(std::current_exception());
        switch (failure.kind) {
            case Kind::NotKept:
                throw Failure{
                    ExitTransfer,
                    QStringLiteral("the dive computer on %1 did not keep %2: what it holds at "
                                   "address 0x%3 differs. It may now hold part of the new "
                                   "settings: store them again.")
                        .arg(Path(), failure.setting.isEmpty()
                                         ? QStringLiteral("the settings written to it")
                                         : failure.setting)
                        .arg(failure.address, 4, 16, QLatin1Char('0'))};
            case Kind::Canceled:
                throw Failure{ExitTransfer,
                              QStringLiteral("writing the settings to %1 was interrupted: the dive "
                                             "computer may now hold part of the new settings. "
                                             "Store them again to finish.")
                                  .arg(Path())};
            case Kind::LineBroken:
                break;
        }
        throw Failure{ExitTransfer,
                      QStringLiteral("writing the settings to %1 failed: %2. The dive computer may "
                                     "now hold part of the new settings.")
                          .arg(Path(), failure.detail)};
    }
}
