// Moving the settings image between the dive computer and a DEVICE_DATA record.

#include <iterator>

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"

namespace kAPI {

namespace {

using DeviceData::Bytes;
using DeviceData::TransferPlan;

struct Span {
    std::uint32_t address;
    int length;
};

// The counters, the personal text and the mode settings: together they hold all seven
// 16-bit fields.
constexpr Span SettingsReads[] = {{0x1E, 14}, {0x2C, 32}, {0x53, 29}};
constexpr int SettingsReadsTotal = 75;

// A load or store ends on a cancel request at every block boundary: before each block
// of the plan as well as inside those that Read and Write split into 32-byte requests.
void StopIfCanceled(const Device& device)
{
    if (device.CancelRequested())
        throw MakeUserCancel();
}

// Reads the blocks of the plan back and throws at the first byte that differs from
// `image`, the record as it was written (16-bit fields in the dive computer's order).
void CompareWithMemory(Device_Type1_Control& device, const DEVICE_DATA& image, bool withProgress)
{
    DEVICE_DATA stored{};
    for (const auto& block : TransferPlan) {
        StopIfCanceled(device);
        device.Read(block.address, block.length, Bytes(stored) + block.recordOffset, withProgress);
        const std::uint8_t* written = Bytes(image) + block.recordOffset;
        const std::uint8_t* read = Bytes(stored) + block.recordOffset;
        for (int i = 0; i < block.length; ++i) {
            if (read[i] != written[i])
                throw VerifyError(block.address + static_cast<std::uint32_t>(i));
        }
    }
}

}  // namespace

void Device_Type1_Control::LoadSettings(DEVICE_DATA& record, bool withProgress)
{
    progress.Start(DeviceData::ProgressTotal);
    // Filled apart, so that a failed load cannot leave the record half new and half in
    // the dive computer's byte order.
    DEVICE_DATA fresh = record;
    for (const auto& block : TransferPlan) {
        StopIfCanceled(*this);
        Read(block.address, block.length, Bytes(fresh) + block.recordOffset, withProgress);
    }
    DeviceData::SwapWords(fresh);
    record = fresh;
}

void Device_Type1_Control::StoreSettings(const DEVICE_DATA& record, bool withProgress, bool verify)
{
    DEVICE_DATA image = record;
    DeviceData::SwapWords(image);
    progress.Start(verify ? 2 * DeviceData::ProgressTotal : DeviceData::ProgressTotal);
    for (const auto& block : TransferPlan) {
        StopIfCanceled(*this);
        Write(block.address, block.length, Bytes(image) + block.recordOffset, withProgress);
    }
    if (verify)
        CompareWithMemory(*this, image, withProgress);
}

void Device_Type1_Control::ReadSettings()
{
    progress.Start(SettingsReadsTotal);
    DEVICE_DATA fresh = settings;
    std::uint8_t buffer[MaxBlock];
    const int count = static_cast<int>(std::size(SettingsReads));
    for (int i = 0; i < count; ++i) {
        Read(SettingsReads[i].address, SettingsReads[i].length, buffer, true);
        DeviceData::PlaceByPlan(fresh, SettingsReads[i].address, buffer, SettingsReads[i].length);
        if (i < count - 1 && CancelRequested())
            throw MakeUserCancel();
    }
    DeviceData::SwapWords(fresh);
    settings = fresh;
}

}  // namespace kAPI
