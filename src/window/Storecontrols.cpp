// Store: the settings shown, written to the connected dive computer by the store procedure
// that tidewell-cli runs too. The window's part is the person's: it asks before it writes one
// dive computer's settings onto another or changes what makes a dive computer itself, keeps
// a backup before anything is written, and says plainly what happened.
#include <cstring>

#include <QDateTime>
#include <QFileInfo>

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
    return QObject::tr("the %1 with serial number %2")
        .arg(QString::fromStdWString(DeviceData::ModelNameOf(record.modelCode)))
        .arg(DeviceData::SerialNumberOf(record));
}

void ShowFailure(QWidget* window, const QString& text)
{
    Modal::Current().Message(window, text, QObject::tr("Store Failed"), QMessageBox::Ok,
                             QMessageBox::Critical);
}

// The store procedure's questions, put to the person in boxes that default to the answer
// that changes nothing.
class WindowQuestions : public StoreProcedure::Questions {
public:
    WindowQuestions(QWidget* window, const VersionInformation& version)
        : window_(window), version_(version)
    {
    }

    bool StoreOnOther(const DEVICE_DATA& origin, const DEVICE_DATA& connected) override
    {
        const QString question =
            QObject::tr(
                "These settings are of %1, but the dive computer connected is %2.\n\n"
                "Store writes the settings to %2 and keeps its own model, serial "
                "number, firmware version, dive time, number of dives and greatest "
                "depth.\n\nStore them on %2?")
                .arg(Named(origin), Named(connected));
        return Modal::Current().Message(window_, question, QObject::tr("Store"),
                                        QMessageBox::Yes | QMessageBox::No,
                                        QMessageBox::Question) == QMessageBox::Yes;
    }

    Answer ChangeOwn(const std::vector<StoreProcedure::OwnChange>& changes) override
    {
        QStringList lines;
        for (const StoreProcedure::OwnChange& change : changes)
            lines << QObject::tr("%1: %2 on the dive computer, %3 in these settings")
                         .arg(change.setting, change.before, change.after);
        const QString question =
            QObject::tr(
                "Store would change what identifies the dive computer or counts its "
                "dives:\n\n%1\n\nYes writes these values too. No keeps the dive "
                "computer's own values and stores the other settings. Cancel stores "
                "nothing.")
                .arg(lines.join(QLatin1Char('\n')));
        switch (Modal::Current().Message(window_, question, QObject::tr("Store"),
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Warning)) {
            case QMessageBox::Yes:
                return Answer::Write;
            case QMessageBox::No:
                return Answer::Keep;
            default:
                return Answer::Cancel;
        }
    }

    QString KeepBackup(const DEVICE_DATA& held) override
    {
        return SettingsBackups().Save(held, version_, QDateTime::currentDateTime());
    }

private:
    QWidget* window_;
    const VersionInformation& version_;
};

}  // namespace

void TForm1::StoreButtonClick()
{
    if (IsBusy())
        return;
    if (!deviceOpen) {
        UpdateUi(UiNotConnected);
        ShowStatus(tr("Not connected: nothing was written."));
        if (!exitAfterStore)  // the exit asks its own question
            Modal::Current().Message(this,
                                     tr("No dive computer is connected. Connect it, then Store "
                                        "again."),
                                     tr("Store"), QMessageBox::Ok, QMessageBox::Information);
        StoreEnded();
        return;
    }
    GatherSettings();
    // What the dive computer holds is read from it first: its identity always, the rest
    // when this connection has not read it yet.
    ShowStatus(QStringLiteral("Reading Kelvor for a Backup"));
    Begin(Busy::StoreRead);
    const std::optional<DEVICE_DATA> cached = heldByDevice;
    QMetaObject::invokeMethod(worker, [w = worker, cached] { w->ReadHeld(cached); });
}

void TForm1::OnHeldRead(const DEVICE_DATA& held)
{
    // The window stays inert while it asks: nothing queued meanwhile, a close among it,
    // may run in the middle of a question's own event loop.
    CancelButton->hide();
    ShowProgress(0);
    heldByDevice = held;
    if (cancelAsked) {  // asked during the read, which then ended before a block boundary
        Idle();
        UpdateUi(UiStoreFailed);
        ShowStatus(QStringLiteral("Store Canceled: nothing was written"));
        StoreEnded();
        return;
    }
    WindowQuestions questions(this, versionInfo);
    std::optional<StoreProcedure::Plan> plan;
    try {
        plan = StoreProcedure::Decide(CurrentSettings, settingsOrigin.value_or(CurrentSettings),
                                      held, StoreProcedure::Options(), questions);
    } catch (const std::exception& e) {
        Idle();
        ShowStatus(QStringLiteral("Store Failed"));
        UpdateUi(UiStoreFailed);
        ShowFailure(
            this,
            tr("%1\nNothing was written to the dive computer.").arg(QString::fromUtf8(e.what())));
        StoreEnded();
        return;
    }
    if (!plan) {
        Idle();
        ShowStatus(QStringLiteral("Store Canceled: nothing was written"));
        StoreEnded();
        return;
    }
    StorePlan(*plan);
}

void TForm1::StorePlan(const StoreProcedure::Plan& plan)
{
    storeBackup = plan.backup;
    ShowStatus(QStringLiteral("Transferring Data to Kelvor"));
    Begin(Busy::Store);
    const bool verify = ui->VerifyAfterStore->isChecked();
    const DEVICE_DATA written = plan.written;
    QMetaObject::invokeMethod(worker, [w = worker, written, verify] { w->Store(written, verify); });
}

void TForm1::OnStored(const DEVICE_DATA& written)
{
    Idle();
    heldByDevice = written;
    settingsOrigin = written;
    // What the dive computer kept of its own is shown, not what was edited.
    if (std::memcmp(&written, &CurrentSettings, sizeof written) != 0) {
        CurrentSettings = written;
        DisplaySettings();
    }
    ShowProgress(0);
    SetChanged(false);
    const QString backup = QFileInfo(storeBackup).fileName();
    ShowStatus(
        ui->VerifyAfterStore->isChecked()
            ? tr("Store Completed. Backup of the settings it held: %1").arg(backup)
            : tr("Store Completed, not checked. Backup of the settings it held: %1").arg(backup));
    UpdateUi(UiStored);
    StoreEnded();
}

void TForm1::ReportBrokenStore(std::exception_ptr failure, const QString& backup,
                               bool connectionLost)
{
    using Kind = StoreProcedure::Failure::Kind;
    const StoreProcedure::Failure f = StoreProcedure::Classify(failure);
    QString what;
    switch (f.kind) {
        case Kind::NotKept: {
            const QString address = QStringLiteral("0x%1").arg(f.address, 4, 16, QLatin1Char('0'));
            ShowStatus(tr("Store Failed at address %1").arg(address));
            what =
                f.setting.isEmpty()
                    ? tr("The dive computer did not keep the settings written to it "
                         "(address %1).")
                          .arg(address)
                    : tr("The dive computer did not keep %1 (address %2).").arg(f.setting, address);
            break;
        }
        case Kind::Canceled:
            ShowStatus(tr("Store Canceled"));
            what = tr("The store was canceled.");
            break;
        case Kind::LineBroken:
            ShowStatus(QStringLiteral("Store Failed"));
            what = tr("The dive computer stopped answering (%1).").arg(f.detail);
            break;
    }
    if (connectionLost)
        ShowFailure(this, tr("%1\nThe dive computer may now hold part of the new settings: "
                             "Connect again, then Store again to finish the job. To put back the "
                             "settings it held before, open the backup\n%2\nand Store it.")
                              .arg(what, backup));
    else
        ShowFailure(this, tr("%1\nThe dive computer may now hold part of the new settings: Store "
                             "again to finish the job. To put back the settings it held before, "
                             "open the backup\n%2\nand Store it.")
                              .arg(what, backup));
}
