#include "transfer/StoreProcedure.h"

#include <cstring>

#include <QCoreApplication>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "transfer/SettingNames.h"

namespace StoreProcedure {

namespace {

using namespace DeviceData;

constexpr std::uint32_t kOwnAddress = 0x1E;  // record offset 46

bool SameOwnBytes(const DEVICE_DATA& a, const DEVICE_DATA& b)
{
    return std::memcmp(Bytes(a) + OwnBytesOffset, Bytes(b) + OwnBytesOffset, OwnBytesSize) == 0;
}

QString Tr(const char* text)
{
    return QCoreApplication::translate("StoreProcedure", text);
}

QString DiveTime(std::uint16_t minutes)
{
    return QStringLiteral("%1:%2")
        .arg(HoursOf(minutes))
        .arg(MinutesOf(minutes), 2, 10, QLatin1Char('0'));
}

}  // namespace

DEVICE_DATA ReadHeld(kAPI::Device_Type1_Control& device, const std::optional<DEVICE_DATA>& cached)
{
    if (cached) {
        std::uint8_t own[OwnBytesSize];
        device.Read(kOwnAddress, static_cast<int>(OwnBytesSize), own, false);
        DEVICE_DATA read{};
        PlaceByPlan(read, kOwnAddress, own, static_cast<int>(OwnBytesSize));
        SwapWords(read);
        if (SameOwnBytes(read, *cached))
            return *cached;
    }
    DEVICE_DATA held{};
    device.LoadSettings(held, true);
    return held;
}

std::vector<OwnChange> OwnChanges(const DEVICE_DATA& held, const DEVICE_DATA& written)
{
    std::vector<OwnChange> changes;
    auto add = [&](const char* setting, const QString& before, const QString& after) {
        if (before != after)
            changes.push_back({Tr(setting), before, after});
    };
    add(QT_TRANSLATE_NOOP("StoreProcedure", "Serial Number"), QString::number(SerialNumberOf(held)),
        QString::number(SerialNumberOf(written)));
    add(QT_TRANSLATE_NOOP("StoreProcedure", "ID #"), QString::number(held.modelCode),
        QString::number(written.modelCode));
    add(QT_TRANSLATE_NOOP("StoreProcedure", "Version #"), QString::number(held.firmwareVersion),
        QString::number(written.firmwareVersion));
    add(QT_TRANSLATE_NOOP("StoreProcedure", "Total Dives"), QString::number(held.totalDives),
        QString::number(written.totalDives));
    add(QT_TRANSLATE_NOOP("StoreProcedure", "Dive Time"), DiveTime(held.diveTime),
        DiveTime(written.diveTime));
    add(QT_TRANSLATE_NOOP("StoreProcedure", "Max Depth"),
        QString::number(DepthToShown(held.maxDepth)),
        QString::number(DepthToShown(written.maxDepth)));
    // A difference below what the window shows (a depth's fraction) is a change all the same.
    if (changes.empty() && !SameOwnBytes(held, written))
        changes.push_back({Tr(QT_TRANSLATE_NOOP("StoreProcedure", "Max Depth")),
                           QString::number(held.maxDepth / 128.0),
                           QString::number(written.maxDepth / 128.0)});
    return changes;
}

std::optional<Plan> Decide(const DEVICE_DATA& settings, const DEVICE_DATA& origin,
                           const DEVICE_DATA& held, const Options& options, Questions& questions)
{
    Plan plan;
    plan.held = held;
    plan.written = settings;
    plan.other = !SameDiveComputer(origin, held);
    if (plan.other) {
        if (!questions.StoreOnOther(origin, held))
            return std::nullopt;
        if (options.keepOwn)
            KeepOwnBytes(plan.written, held);
    } else {
        const std::vector<OwnChange> changes = OwnChanges(held, plan.written);
        if (!changes.empty()) {
            switch (questions.ChangeOwn(changes)) {
                case Questions::Answer::Write:
                    break;
                case Questions::Answer::Keep:
                    KeepOwnBytes(plan.written, held);
                    break;
                case Questions::Answer::Cancel:
                    return std::nullopt;
            }
        }
    }
    plan.backup = questions.KeepBackup(held);
    return plan;
}

void Write(kAPI::Device_Type1_Control& device, const Plan& plan, bool verify)
{
    device.StoreSettings(plan.written, true, verify);
}

Failure Classify(std::exception_ptr failure)
{
    Failure f;
    try {
        std::rethrow_exception(failure);
    } catch (const kAPI::VerifyError& e) {
        f.kind = Failure::Kind::NotKept;
        f.address = e.address;
        f.setting = SettingNames::At(e.address);
    } catch (const kAPI::User_Cancel&) {
        f.kind = Failure::Kind::Canceled;
    } catch (const kAPI::Error& e) {
        f.detail = QString::fromWCharArray(e.what()).trimmed();
    } catch (const std::exception& e) {
        f.detail = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    return f;
}

}  // namespace StoreProcedure
