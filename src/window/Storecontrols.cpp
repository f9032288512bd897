// Store: the settings shown, written to the connected dive computer. It asks before it
// writes one dive computer's settings onto another, keeps a backup of what the dive computer
// held before anything is written, and says plainly when a store broke off.
#include <QDateTime>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "device/ModelTable.h"
#include "persistence/SettingsBackups.h"
#include "ui_Main.h"
#include "window/Application.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"

namespace {

// "the Pellan with serial number 271828"
QString Named(const DEVICE_DATA& record)
{
    return QStringLiteral("the %1 with serial number %2")
        .arg(QString::fromStdWString(DeviceData::ModelNameOf(record.modelCode)))
        .arg(DeviceData::SerialNumberOf(record));
}

void ShowFailure(QWidget* window, const QString& text)
{
    Modal::Current().Message(window, text, QStringLiteral("Store Failed"), QMessageBox::Ok,
                             QMessageBox::Critical);
}

}  // namespace

bool TForm1::StoreOnOtherConfirmed(const DEVICE_DATA& connected)
{
    const QString question =
        QStringLiteral(
            "These settings are of %1, but the dive computer connected is %2.\n\n"
            "Store writes the settings to %2 and keeps its own model, serial "
            "number, firmware version, dive time, number of dives and greatest "
            "depth.\n\nStore them on %2?")
            .arg(Named(CurrentSettings), Named(connected));
    return Modal::Current().Message(this, question, QStringLiteral("Store"),
                                    QMessageBox::Yes | QMessageBox::No,
                                    QMessageBox::Question) == QMessageBox::Yes;
}

bool TForm1::ReadForBackup(DEVICE_DATA& held)
{
    ShowStatus(QStringLiteral("Reading Kelvor for a Backup"));
    std::exception_ptr failure;
    if (Transfer(
            KeepOpenFlag,
            [&](kAPI::Device_Type1_Control& device) { device.LoadSettings(held, true); },
            QStringLiteral("Store Failed"), UiStoreFailed, &failure)) {
        ShowProgress(0);
        heldByDevice = held;
        return true;
    }
    if (failure)
        ShowFailure(this, QStringLiteral("What the dive computer holds could not be read for a "
                                         "backup (%1). Nothing was written to it.")
                              .arg(TApplication::MessageOf(failure)));
    return false;
}

void TForm1::StoreButtonClick()
{
    ShowStatus(QStringLiteral("Transfering Data To Kelvor"));
    if (!(state.bits & State::Loaded))
        return;
    GatherSettings();
    if (!CurrentDevice) {  // the transfer finds no controller and says so, as Load does
        Transfer(KeepOpenFlag, nullptr, QString(), UiStoreFailed);
        return;
    }

    // Asked as soon as the connected dive computer is known: from this connection's load
    // or store, or from what detection read.
    std::optional<DEVICE_DATA> asked;
    const std::optional<DEVICE_DATA> known =
        heldByDevice                ? heldByDevice
        : CurrentDevice->Detected() ? std::optional<DEVICE_DATA>(CurrentDevice->DetectedSettings())
                                    : std::nullopt;
    auto confirmed = [&](const DEVICE_DATA& connected) {
        if (DeviceData::SameDiveComputer(CurrentSettings, connected) ||
            (asked && DeviceData::SameDiveComputer(*asked, connected)))
            return true;
        asked = connected;
        if (StoreOnOtherConfirmed(connected))
            return true;
        ShowStatus(QStringLiteral("Store Canceled: nothing was written"));
        return false;
    };
    if (known && !confirmed(*known))
        return;

    // The backup comes from what this connection last read or wrote; otherwise it is read
    // first, without touching the settings shown.
    DEVICE_DATA held{};
    if (heldByDevice)
        held = *heldByDevice;
    else if (!ReadForBackup(held))
        return;
    if (!confirmed(held))
        return;

    QString backup;
    try {
        backup = SettingsBackups().Save(held, versionInfo, QDateTime::currentDateTime());
    } catch (const std::exception& e) {
        ShowStatus(QStringLiteral("Store Failed"));
        UpdateUi(UiStoreFailed);
        ShowFailure(this, QStringLiteral("%1\nNothing was written to the dive computer.")
                              .arg(QString::fromUtf8(e.what())));
        return;
    }

    DEVICE_DATA stored = CurrentSettings;
    const bool keepsOwn = !DeviceData::SameDiveComputer(stored, held);
    if (keepsOwn)
        DeviceData::KeepOwnBytes(stored, held);
    ShowStatus(QStringLiteral("Transfering Data To Kelvor"));
    const bool verify = ui->VerifyAfterStore->isChecked();
    std::exception_ptr failure;
    if (!Transfer(
            KeepOpenFlag,
            [&](kAPI::Device_Type1_Control& device) { device.StoreSettings(stored, true, verify); },
            QStringLiteral("Store Failed"), UiStoreFailed, &failure)) {
        heldByDevice.reset();  // part of the new settings, perhaps
        if (failure)           // else there was no controller, and nothing went out
            ReportBrokenStore(failure, backup);
        return;
    }
    heldByDevice = stored;
    CurrentSettings = stored;
    if (keepsOwn)
        DisplaySettings();
    ShowProgress(0);
    SetChanged(false);
    ShowStatus(QStringLiteral("Store Completed"));
    UpdateUi(UiStored);
}

void TForm1::ReportBrokenStore(std::exception_ptr failure, const QString& backup)
{
    QString what;
    try {
        std::rethrow_exception(failure);
    } catch (const kAPI::VerifyError& e) {
        const QString address = QStringLiteral("0x%1").arg(e.address, 4, 16, QLatin1Char('0'));
        ShowStatus(QStringLiteral("Store Failed at address %1").arg(address));
        what = QStringLiteral(
                   "The dive computer did not keep the settings written to it: "
                   "what it holds at address %1 differs.")
                   .arg(address);
    } catch (...) {
        what = QStringLiteral("The store broke off (%1).").arg(TApplication::MessageOf(failure));
    }
    ShowFailure(this, QStringLiteral("%1\nThe dive computer may now hold part of the new settings: "
                                     "Store again to finish the job. To put back the settings it "
                                     "held before, open the backup\n%2\nand Store it.")
                          .arg(what, backup));
}
