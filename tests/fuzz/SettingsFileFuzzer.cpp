// libFuzzer entry for the settings-file reader.
#include "SettingsFileHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!ReplaySettingsFile(data, size))
        __builtin_trap();
    return 0;
}
