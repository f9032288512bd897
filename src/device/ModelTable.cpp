#include "device/ModelTable.h"

namespace DeviceData {

const std::uint8_t ModelCodes[ModelCount] = {0x00, 0x03, 0x04, 0x0A, 0x0B, 0x0C, 0x0D, 0x20};
const CStdStr ModelNames[ModelCount] = {L"Unknown", L"Orvik", L"Pellan", L"Tavro",
                                        L"Quessa",  L"Ludmo", L"Ferrel", L"Hamri"};

CStdStr ModelNameOf(std::uint8_t modelCode)
{
    CStdStr name = ModelNames[0];
    for (int i = 1; i < ModelCount; ++i)
        if (ModelCodes[i] == modelCode)
            name = ModelNames[i];
    return name;
}

}  // namespace DeviceData
