#pragma once
// The Type1 models by the code the dive computer keeps at address 0x24.

#include <cstdint>

#include "device/CStdStr.h"

namespace DeviceData {

constexpr int ModelCount = 8;
extern const std::uint8_t ModelCodes[ModelCount];
extern const CStdStr ModelNames[ModelCount];  // row 0 is "Unknown"

// The name of the model with this code, or "Unknown".
CStdStr ModelNameOf(std::uint8_t modelCode);

}  // namespace DeviceData
