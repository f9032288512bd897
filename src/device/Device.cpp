#include "device/Device.h"

namespace kAPI {

Device::Device(std::uint8_t* cancel) : MaxAddress(0x1FFF), cancelFlag(cancel), progress(100)
{
}

Device::~Device() = default;

bool Device::CancelRequested() const
{
    return cancelFlag != nullptr && *cancelFlag == 1;
}

void Device::ReportStatus(const wchar_t* text) const
{
    if (onStatus != nullptr)
        onStatus(text);
}

void Device::ReportConnected(int state) const
{
    if (onConnected != nullptr)
        onConnected(state);
}

}  // namespace kAPI
