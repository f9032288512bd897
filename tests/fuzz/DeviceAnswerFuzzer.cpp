// libFuzzer entry for the device layer's answer path.
#include "DeviceAnswerHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!ReplayDeviceAnswers(data, size))
        __builtin_trap();
    return 0;
}
