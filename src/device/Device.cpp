#include "device/Device.h"

namespace kAPI {

Device::Device(const CancelFlag* cancel) : MaxAddress(0x1FFF), cancelFlag(cancel), progress(100)
{
}

Device::~Device() = default;

bool Device::CancelRequested() const
{
    return cancelFlag != nullptr && cancelFlag->load() == 1;
}

void Device::ReportStatus(const wchar_t* text) const
{
    onStatus.Invoke(text);
}

void Device::ReportConnected(int state) const
{
    if (onConnected != nullptr)
        onConnected(state);
}

}  // namespace kAPI
