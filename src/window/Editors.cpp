// Showing the settings record in the controls, gathering it back, and the editors that
// turn each change the person makes into a change of the record.
#include <algorithm>
#include <cstring>
#include <string>

#include <QLineEdit>

#include "controls/Bmspinedit.h"
#include "controls/NumberEdit.h"
#include "device/AnsiText.h"
#include "device/ModelTable.h"
#include "ui_Main.h"
#include "window/Externals.h"
#include "window/Main.h"
#include "window/Modal.h"
#include "window/Personaldataeditform.h"
#include "window/RadioGroup.h"

using namespace DeviceData;

namespace {

// Record offsets named by undo entries.
constexpr std::uint16_t kMaxDepth = 46, kDiveTime = 48, kTotalDives = 50, kModelCode = 52,
                        kFirmware = 53, kSerial = 54, kPersonalText = 60, kSampleRate = 110,
                        kPersonalAltitude = 111, kClock = 124, kUnits = 125, kDiveMode = 126,
                        kLight = 127, kAlarmFlags = 128, kTimeAlarm = 129, kDepthAlarm = 131;

std::string PersonalTextOf(const DEVICE_DATA& record)
{
    const char* text = reinterpret_cast<const char*>(record.personalText);
    return std::string(text, strnlen(text, sizeof record.personalText));
}

// Cuts to 28 bytes; zero bytes after it up to the end of the field, and the zero at 88.
void SetPersonalText(DEVICE_DATA& record, const std::string& text, bool padWithZeros)
{
    const std::size_t n = std::min(text.size(), sizeof record.personalText);
    std::memcpy(record.personalText, text.data(), n);
    if (padWithZeros)
        std::memset(record.personalText + n, 0, sizeof record.personalText - n);
    else if (n < sizeof record.personalText)
        record.personalText[n] = 0;
    record.textEnd = 0;
}

// A depth field holds 1/128 units in 16 bits: 511 whole units at most.
constexpr qint64 kDepthTop = 0xFFFF / 128;

// A number the edits let through never exceeds its field; should one still, the field
// takes its nearest value rather than the low bits of the number.
std::uint16_t DepthFrom(qint64 shown)
{
    return DepthFromShown(static_cast<std::uint32_t>(std::clamp<qint64>(shown, 0, kDepthTop)));
}

std::uint16_t WordFrom(qint64 v)
{
    return static_cast<std::uint16_t>(std::clamp<qint64>(v, 0, 0xFFFF));
}

std::uint8_t ByteFrom(qint64 v)
{
    return static_cast<std::uint8_t>(std::clamp<qint64>(v, 0, 0xFF));
}

// An emptied version edit stands for 9999, of which the field keeps the low byte.
std::uint8_t LowByte(qint64 v)
{
    return static_cast<std::uint8_t>(v & 0xFF);
}

// A depth is shown in whole units. The fraction the dive computer keeps is given up only
// when the whole number shown was changed, so storing never trims a logged depth.
std::uint16_t GatheredDepth(std::uint16_t held, qint64 shown)
{
    return qint64(DepthToShown(held)) == shown ? held : DepthFrom(shown);
}

// The dive-time counter is 16 bits of minutes: 1092 h 15 min at most. What is typed past
// that holds the counter at its top rather than wrapping it round to a few minutes.
constexpr qint64 kCounterTop = 0xFFFF;

std::uint16_t CounterMinutes(qint64 hours, qint64 minutes)
{
    return static_cast<std::uint16_t>(std::clamp<qint64>(hours * 60 + minutes, 0, kCounterTop));
}

// Four base-100 digits hold 0 to 99 999 999.
constexpr qint64 kSerialTop = 99999999;

std::uint32_t SerialNumberFrom(qint64 shown)
{
    return static_cast<std::uint32_t>(std::clamp<qint64>(shown, 0, kSerialTop));
}

// The item of a sample interval, or -1 for an interval the window does not offer.
int SampleRateIndex(std::uint8_t code)
{
    for (int i = 0; i < 4; ++i)
        if (SampleRateCodes[i] == code)
            return i;
    return -1;
}

}  // namespace

void TForm1::DisplaySettings()
{
    UpdatingControls = true;
    // The light time shown now comes from the record (a load, an opened file, an undo):
    // its next change is a new step to undo, even while the control keeps the focus.
    LiteTimeFirstChange = true;
    const DEVICE_DATA& r = CurrentSettings;

    DiveModel->SetItemIndex(r.diveMode);
    // An interval no item offers shows no item, so that it is not taken for another one.
    SampleRateBox->SetItemIndex(SampleRateIndex(r.sampleRate));
    ui->LightEnableCheck->setChecked(r.light & 0x80);
    ui->LiteTime->SetValue(r.light & 0x7F);
    ui->TotalTimeHours->setValue(HoursOf(r.diveTime));
    ui->TotalTimeMinutes->setValue(MinutesOf(r.diveTime));
    ui->TotalDivesEdit->setValue(r.totalDives);
    ui->MaxDepthEdit->setValue(DepthToShown(r.maxDepth));
    PersonalSetting->SetItemIndex((r.personalAltitude & 0x0C) / 4);
    AltitudeSetting->SetItemIndex(r.personalAltitude & 0x03);
    ui->DepthAlarmEnableCheck->setChecked(r.alarmFlags & 0x02);
    ui->DepthAlarmEdit->setValue(DepthToShown(r.depthAlarm));
    ui->TimeAlarmEnableCheck->setChecked(r.alarmFlags & 0x01);
    ui->TimeAlarmEdit->setValue(r.timeAlarm);
    ui->PersonalData->setText(QString::fromStdWString(AnsiText::ToWide(PersonalTextOf(r))));
    Units->SetItemIndex(r.units);
    ClockBox->SetItemIndex(r.clock12Hour != 0 ? 0 : 1);
    ui->CompModel->setText(QString::fromStdWString(ModelNameOf(r.modelCode)));
    ui->SerialNumber->setValue(SerialNumberOf(r));
    ui->CompIDEdit->setValue(r.modelCode);
    ui->FirmwareEdit->setValue(r.firmwareVersion);
    ui->FreeDepth->setValue(DepthToShown(r.freeDiveMaxDepth));
    ui->FreeTimeHours->setValue(HoursOf(r.freeDiveTime));
    ui->FreeTimeMinutes->setValue(MinutesOf(r.freeDiveTime));

    UpdatingControls = false;
}

void TForm1::GatherSettings()
{
    DEVICE_DATA& r = CurrentSettings;

    // A radio group with no item selected shows no value, so it writes none.
    if (DiveModel->ItemIndex() >= 0)
        r.diveMode = static_cast<std::uint8_t>(DiveModel->ItemIndex());
    if (SampleRateBox->ItemIndex() >= 0)
        r.sampleRate = SampleRateCodes[SampleRateBox->ItemIndex()];
    r.light = static_cast<std::uint8_t>(static_cast<int>(ui->LiteTime->GetValue()) & 0xFF);
    if (ui->LightEnableCheck->isChecked())
        r.light |= 0x80;
    r.diveTime = CounterMinutes(ui->TotalTimeHours->value(), ui->TotalTimeMinutes->value());
    r.totalDives = WordFrom(ui->TotalDivesEdit->value());
    r.maxDepth = GatheredDepth(r.maxDepth, ui->MaxDepthEdit->value());
    // The bits no control shows are the dive computer's own and stay as they are.
    if (PersonalSetting->ItemIndex() >= 0 && AltitudeSetting->ItemIndex() >= 0)
        r.personalAltitude = static_cast<std::uint8_t>(
            (r.personalAltitude & 0xF0) |
            (PersonalSetting->ItemIndex() * 4 + AltitudeSetting->ItemIndex()));
    r.alarmFlags = static_cast<std::uint8_t>((r.alarmFlags & 0xFC) |
                                             (ui->TimeAlarmEnableCheck->isChecked() ? 0x01 : 0) |
                                             (ui->DepthAlarmEnableCheck->isChecked() ? 0x02 : 0));
    r.depthAlarm = GatheredDepth(r.depthAlarm, ui->DepthAlarmEdit->value());
    r.timeAlarm = WordFrom(ui->TimeAlarmEdit->value());
    SetPersonalText(r, AnsiText::FromWide(ui->PersonalData->text().toStdWString()), true);
    if (Units->ItemIndex() >= 0)
        r.units = static_cast<std::uint8_t>(Units->ItemIndex());
    r.clock12Hour = ClockBox->ItemIndex() == 0 ? 1 : 0;
    // Digits that are no base-100 digits are the dive computer's own: kept unless changed.
    if (ui->SerialNumber->value() != qint64(SerialNumberOf(r)))
        SetSerialNumber(r, SerialNumberFrom(ui->SerialNumber->value()));
    r.modelCode = ByteFrom(ui->CompIDEdit->value());
    r.firmwareVersion = LowByte(ui->FirmwareEdit->value());
    r.freeDiveMaxDepth = GatheredDepth(r.freeDiveMaxDepth, ui->FreeDepth->value());
    r.freeDiveTime = CounterMinutes(ui->FreeTimeHours->value(), ui->FreeTimeMinutes->value());
}

void TForm1::DiveModelClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoByte(kDiveMode, CurrentSettings.diveMode);
    CurrentSettings.diveMode = static_cast<std::uint8_t>(DiveModel->ItemIndex());
}

void TForm1::SampleRateBoxClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoByte(kSampleRate, CurrentSettings.sampleRate);
    CurrentSettings.sampleRate = SampleRateCodes[SampleRateBox->ItemIndex()];
}

void TForm1::LightEnableCheckClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    std::uint8_t& light = CurrentSettings.light;
    PushUndoByte(kLight, static_cast<std::uint8_t>((light >> 7) | 0x80));
    light =
        static_cast<std::uint8_t>((light & 0x7F) | (ui->LightEnableCheck->isChecked() ? 0x80 : 0));
}

void TForm1::LiteTimeChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    std::uint8_t& light = CurrentSettings.light;
    // A run of spin clicks is one step to undo.
    if (LiteTimeFirstChange) {
        LiteTimeFirstChange = false;
        PushUndoByte(kLight, light & 0x3F);
    }
    const int minutes = static_cast<int>(ui->LiteTime->GetValue());
    light = static_cast<std::uint8_t>((light & 0xC0) | (minutes & 0x3F));
}

void TForm1::LiteTimeExit()
{
    LiteTimeFirstChange = true;
}

void TForm1::TotalTimeHoursChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoWord(kDiveTime, CurrentSettings.diveTime);
    CurrentSettings.diveTime =
        CounterMinutes(ui->TotalTimeHours->value(), ui->TotalTimeMinutes->value());
}

void TForm1::TotalTimeMinutesChange()
{
    TotalTimeHoursChange();
}

void TForm1::TotalTimeExit()
{
    // At 1092 hours the counter holds 15 minutes more at most; the edit says so.
    const qint64 hours = ui->TotalTimeHours->value();
    if (hours * 60 + ui->TotalTimeMinutes->value() > kCounterTop)
        ui->TotalTimeMinutes->setValue(kCounterTop - hours * 60);
}

void TForm1::TotalDivesEditChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoWord(kTotalDives, CurrentSettings.totalDives);
    CurrentSettings.totalDives = WordFrom(ui->TotalDivesEdit->value());
}

void TForm1::MaxDepthEditChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoWord(kMaxDepth, CurrentSettings.maxDepth);
    CurrentSettings.maxDepth = DepthFrom(ui->MaxDepthEdit->value());
}

void TForm1::PersonalSettingClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    std::uint8_t& b = CurrentSettings.personalAltitude;
    PushUndoByte(kPersonalAltitude, b & 0x0C);
    b = static_cast<std::uint8_t>((b & 0xF3) | ((PersonalSetting->ItemIndex() & 0x03) << 2));
}

void TForm1::AltitudeSettingClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    std::uint8_t& b = CurrentSettings.personalAltitude;
    PushUndoByte(kPersonalAltitude, static_cast<std::uint8_t>((b & 0x03) | 0x80));
    b = static_cast<std::uint8_t>((b & 0xFC) | (AltitudeSetting->ItemIndex() & 0x03));
}

void TForm1::DepthAlarmEnableCheckClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    std::uint8_t& flags = CurrentSettings.alarmFlags;
    PushUndoByte(kAlarmFlags, flags & 0x02);
    flags = static_cast<std::uint8_t>((flags & 0xFD) |
                                      (ui->DepthAlarmEnableCheck->isChecked() ? 0x02 : 0));
    GatherSettings();
}

void TForm1::TimeAlarmEnableCheckClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    std::uint8_t& flags = CurrentSettings.alarmFlags;
    PushUndoByte(kAlarmFlags, static_cast<std::uint8_t>((flags & 0x01) | 0x80));
    flags = static_cast<std::uint8_t>((flags & 0xFE) |
                                      (ui->TimeAlarmEnableCheck->isChecked() ? 0x01 : 0));
    GatherSettings();
}

void TForm1::DepthAlarmEditChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoWord(kDepthAlarm, CurrentSettings.depthAlarm);
    CurrentSettings.depthAlarm = DepthFrom(ui->DepthAlarmEdit->value());
}

void TForm1::TimeAlarmEditChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoWord(kTimeAlarm, CurrentSettings.timeAlarm);
    CurrentSettings.timeAlarm = WordFrom(ui->TimeAlarmEdit->value());
}

void TForm1::UnitsClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoByte(kUnits, CurrentSettings.units);
    CurrentSettings.units = static_cast<std::uint8_t>(Units->ItemIndex());
}

void TForm1::ClockBoxClick()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoByte(kClock, CurrentSettings.clock12Hour);
    CurrentSettings.clock12Hour = ClockBox->ItemIndex() == 0 ? 1 : 0;
}

void TForm1::SerialNumberChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoBytes(kSerial, 4, CurrentSettings.serialDigits);
    SetSerialNumber(CurrentSettings, SerialNumberFrom(ui->SerialNumber->value()));
}

void TForm1::CompIDEditChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoByte(kModelCode, CurrentSettings.modelCode);
    CurrentSettings.modelCode = ByteFrom(ui->CompIDEdit->value());
}

void TForm1::FirmwareEditChange()
{
    if (UpdatingControls)
        return;
    SetChanged(true);
    PushUndoByte(kFirmware, CurrentSettings.firmwareVersion);
    CurrentSettings.firmwareVersion = LowByte(ui->FirmwareEdit->value());
}

void TForm1::PersonalDataClick()
{
    if (UpdatingControls)
        return;
    TPersonalEditForm dialog(this);
    std::string text = AnsiText::FromWide(ui->PersonalData->text().toStdWString());
    dialog.SetText(text);
    if (Modal::Current().Exec(dialog) == TPersonalEditForm::ResultOK) {
        std::string old = PersonalTextOf(CurrentSettings);
        old.push_back('\0');
        PushUndoBytes(kPersonalText, static_cast<std::uint16_t>(old.size()),
                      reinterpret_cast<const std::uint8_t*>(old.data()));
        text = dialog.GetText();
        SetChanged(true);
    }
    text.resize(std::min<std::size_t>(text.size(), TPersonalEditForm::MaxLength));
    SetPersonalText(CurrentSettings, text, false);
    ui->PersonalData->setText(QString::fromStdWString(AnsiText::ToWide(text)));
}

void TForm1::PushUndoBytes(std::uint16_t offset, std::uint16_t size, const std::uint8_t* bytes)
{
    undo.Push(sUnDo(offset, size, bytes));
    UpdateUi(UiUndoChanged);
}

void TForm1::PushUndoByte(std::uint16_t offset, std::uint8_t value)
{
    PushUndoBytes(offset, 1, &value);
}

void TForm1::PushUndoWord(std::uint16_t offset, std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                   static_cast<std::uint8_t>(value >> 8)};
    PushUndoBytes(offset, 2, bytes);
}

void TForm1::UndoLastEdit()
{
    UpdatingControls = true;
    try {
        const sUnDo entry = undo.Pop();
        std::uint8_t* record = Bytes(CurrentSettings);
        if (entry.Size > 0 && entry.Offset + entry.Size <= RecordSize) {
            const std::uint8_t b = entry.Data[0];
            std::uint8_t& r = record[entry.Offset];
            const bool marker = b & 0x80;
            switch (entry.Offset) {
                case kPersonalAltitude:
                    r = marker ? (r & 0xFC) | (b & 0x03) : (r & 0xF3) | (b & 0x0C);
                    break;
                case kLight:
                    r = marker ? ((b & 0x01) ? (r & 0x7F) | 0x80 : r & 0x7F)
                               : (r & 0xC0) | (b & 0x3F);
                    break;
                case kAlarmFlags:
                    r = marker ? (r & 0xFE) | (b & 0x01) : (r & 0xFD) | (b & 0x02);
                    break;
                default:
                    std::memcpy(record + entry.Offset, entry.Data.get(), entry.Size);
                    break;
            }
        }
        DisplaySettings();
    } catch (...) {
        UpdatingControls = false;
        throw;
    }
    UpdatingControls = false;
    UpdateUi(UiUndoChanged);
}

void TForm1::UndoButtonClick()
{
    if (undo.IsEmpty())
        return;
    UpdatingControls = true;
    UndoLastEdit();
    UpdatingControls = false;
}
