// What a screen reader says of the window's controls: a name that tells what each one is
// and its unit, where the group box around it would otherwise lend its title to several;
// the range of each number in its description; and the state of Connect.
#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QToolButton>

#include "controls/Bmspinedit.h"
#include "controls/NumberEdit.h"
#include "ui_Main.h"
#include "window/Main.h"

namespace {

// Renames Connect whenever its glyph changes, since the glyph is all that shows whether
// the window is connected.
class ConnectState : public QObject {
public:
    explicit ConnectState(QToolButton* button) : QObject(button), button_(button)
    {
        button->installEventFilter(this);
        Name();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DynamicPropertyChange)
            Name();
        return QObject::eventFilter(watched, event);
    }

private:
    void Name()
    {
        const bool connected = button_->property("glyphIndex").toInt() == TForm1::GlyphConnected;
        const QString name =
            connected ? TForm1::tr("Connect (connected)") : TForm1::tr("Connect (not connected)");
        if (button_->accessibleName() != name)
            button_->setAccessibleName(name);
    }

    QToolButton* button_;
};

void Describe(TNumberEdit* edit, const QString& name)
{
    edit->setAccessibleName(name);
    edit->setAccessibleDescription(
        edit->maxValue() > 0 ? TForm1::tr("A whole number from 0 to %1.").arg(edit->maxValue())
                             : TForm1::tr("A whole number."));
}

}  // namespace

void TForm1::SetUpAccessibility()
{
    new ConnectState(ui->ConnectButton);
    // Not only "Help", which the menu beside it is called.
    ui->HelpButton->setAccessibleName(tr("Show help"));

    // The tab captions carry blanks that are only there for their looks.
    ui->PageControl1->setAccessibleName(tr("Settings pages"));
    QTabBar* tabs = ui->PageControl1->tabBar();
    for (int i = 0; i < tabs->count(); ++i)
        tabs->setAccessibleTabName(i, tabs->tabText(i).trimmed());

    const QString sampleRates[] = {tr("Sample every 10 seconds"), tr("Sample every 20 seconds"),
                                   tr("Sample every 30 seconds"), tr("Sample every 60 seconds")};
    QAbstractButton* const sampleButtons[] = {ui->SampleRateBoxItem0, ui->SampleRateBoxItem1,
                                              ui->SampleRateBoxItem2, ui->SampleRateBoxItem3};
    for (int i = 0; i < 4; ++i)
        sampleButtons[i]->setAccessibleName(sampleRates[i]);
    ui->PersonalSettingItem0->setAccessibleName(tr("Personal setting P0"));
    ui->PersonalSettingItem1->setAccessibleName(tr("Personal setting P1"));
    ui->PersonalSettingItem2->setAccessibleName(tr("Personal setting P2"));
    ui->AltitudeSettingItem0->setAccessibleName(tr("Altitude setting A0"));
    ui->AltitudeSettingItem1->setAccessibleName(tr("Altitude setting A1"));
    ui->AltitudeSettingItem2->setAccessibleName(tr("Altitude setting A2"));
    ui->DiveModelItem0->setAccessibleName(tr("Computer mode Air"));
    ui->DiveModelItem1->setAccessibleName(tr("Computer mode Nitrox"));
    ui->DiveModelItem2->setAccessibleName(tr("Computer mode Gauge"));
    ui->UnitsItem0->setAccessibleName(tr("Units Imperial"));
    ui->UnitsItem1->setAccessibleName(tr("Units Metric"));
    ui->ClockBoxItem0->setAccessibleName(tr("12 hour clock"));
    ui->ClockBoxItem1->setAccessibleName(tr("24 hour clock"));

    ui->LiteTime->setAccessibleName(tr("Light time"));
    ui->LiteTime->setAccessibleDescription(
        tr("From %1 to %2. Up and Down change it, Alt+Down drops down a slider.")
            .arg(ui->LiteTime->MinValue())
            .arg(ui->LiteTime->MaxValue()));
    if (auto* up = ui->LiteTime->findChild<QAbstractButton*>(QStringLiteral("UpButton")))
        up->setAccessibleName(tr("Light time one more"));
    if (auto* down = ui->LiteTime->findChild<QAbstractButton*>(QStringLiteral("DownButton")))
        down->setAccessibleName(tr("Light time one less"));
    if (auto* drop = ui->LiteTime->findChild<QWidget*>(QStringLiteral("DropButton")))
        drop->setAccessibleName(tr("Light time slider"));

    Describe(ui->TotalTimeHours, tr("Dive time, hours"));
    Describe(ui->TotalTimeMinutes, tr("Dive time, minutes"));
    Describe(ui->TotalDivesEdit, tr("Total dives"));
    Describe(ui->MaxDepthEdit, tr("Max depth in feet"));
    Describe(ui->DepthAlarmEdit, tr("Depth alarm in feet"));
    Describe(ui->TimeAlarmEdit, tr("Time alarm in minutes"));
    Describe(ui->SerialNumber, tr("Serial number"));
    Describe(ui->CompIDEdit, tr("ID number"));
    Describe(ui->FirmwareEdit, tr("Version number"));
    Describe(ui->FreeDepth, tr("Free dive max depth in feet"));
    Describe(ui->FreeTimeHours, tr("Free dive time, hours"));
    Describe(ui->FreeTimeMinutes, tr("Free dive time, minutes"));
    ui->DepthAlarmEnableCheck->setAccessibleName(tr("Depth alarm enabled"));
    ui->TimeAlarmEnableCheck->setAccessibleName(tr("Time alarm enabled"));
    ui->LightEnableCheck->setAccessibleName(tr("Light enabled"));

    ui->PersonalData->setAccessibleName(tr("Personal data"));
    ui->PersonalData->setAccessibleDescription(tr("Press Enter to change the text in a box."));
    ui->CompModel->setAccessibleName(tr("Model"));

    ui->ComSelect->setAccessibleName(tr("Port"));
    ui->ComSelect->lineEdit()->setAccessibleName(tr("Port name or device path"));
    ui->CommandEdit->setAccessibleName(tr("Command byte"));
    ui->CommandSendButton->setAccessibleName(tr("Send command"));
    ui->ByteAddressLabel->setBuddy(ui->ByteAddress);
    ui->ByteDataLabel->setBuddy(ui->ByteData);
    ui->ByteAddress->setAccessibleName(tr("Byte address"));
    ui->ByteData->setAccessibleName(tr("Byte data"));
    ui->BytesUseWord->setAccessibleName(tr("Byte data is a word"));
    ui->BytesUseHex->setAccessibleName(tr("Byte values in hexadecimal"));
    ui->ByteFetchButton->setAccessibleName(tr("Fetch byte"));
    ui->ByteStoreButton->setAccessibleName(tr("Store byte"));

    ProgressBar1->setAccessibleName(tr("Transfer progress"));
    StatusBar1->setAccessibleDescription(tr("Status"));
}
