#include "device/DEVICE_DATA.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "host order of the 16-bit fields is least significant byte first");
static_assert(sizeof(DEVICE_DATA) == DeviceData::RecordSize, "the record is 140 bytes");
static_assert(std::is_standard_layout<DEVICE_DATA>::value, "byte offsets name its fields");
static_assert(std::is_trivially_copyable<DEVICE_DATA>::value, "copied as 140 bytes");
static_assert(offsetof(DEVICE_DATA, maxDepth) == DeviceData::OwnBytesOffset &&
                  offsetof(DEVICE_DATA, block2) ==
                      DeviceData::OwnBytesOffset + DeviceData::OwnBytesSize,
              "a dive computer's own bytes run from its counters to its serial digits");
static_assert(alignof(DEVICE_DATA) == 1, "no padding anywhere");
static_assert(offsetof(DEVICE_DATA, reserved) == 10);
static_assert(offsetof(DEVICE_DATA, header) == 16);
static_assert(offsetof(DEVICE_DATA, maxDepth) == 46);
static_assert(offsetof(DEVICE_DATA, diveTime) == 48);
static_assert(offsetof(DEVICE_DATA, totalDives) == 50);
static_assert(offsetof(DEVICE_DATA, modelCode) == 52);
static_assert(offsetof(DEVICE_DATA, firmwareVersion) == 53);
static_assert(offsetof(DEVICE_DATA, serialDigits) == 54);
static_assert(offsetof(DEVICE_DATA, block2) == 58);
static_assert(offsetof(DEVICE_DATA, personalText) == 60);
static_assert(offsetof(DEVICE_DATA, textEnd) == 88);
static_assert(offsetof(DEVICE_DATA, afterText) == 89);
static_assert(offsetof(DEVICE_DATA, spare) == DeviceData::SpareOffset);
static_assert(offsetof(DEVICE_DATA, memoryBHead) == DeviceData::MemoryBOffset);
static_assert(offsetof(DEVICE_DATA, sampleRate) == 110);
static_assert(offsetof(DEVICE_DATA, personalAltitude) == 111);
static_assert(offsetof(DEVICE_DATA, unused112) == 112);
static_assert(offsetof(DEVICE_DATA, freeDiveMaxDepth) == 119);
static_assert(offsetof(DEVICE_DATA, freeDiveTime) == 121);
static_assert(offsetof(DEVICE_DATA, unused123) == 123);
static_assert(offsetof(DEVICE_DATA, clock12Hour) == 124);
static_assert(offsetof(DEVICE_DATA, units) == 125);
static_assert(offsetof(DEVICE_DATA, diveMode) == 126);
static_assert(offsetof(DEVICE_DATA, light) == 127);
static_assert(offsetof(DEVICE_DATA, alarmFlags) == 128);
static_assert(offsetof(DEVICE_DATA, timeAlarm) == 129);
static_assert(offsetof(DEVICE_DATA, depthAlarm) == 131);
static_assert(offsetof(DEVICE_DATA, tail) == 133);
static_assert(DeviceData::MemoryAOffset + DeviceData::MemoryASize == DeviceData::SpareOffset);
static_assert(DeviceData::MemoryBOffset + DeviceData::MemoryBSize == DeviceData::RecordSize);

namespace DeviceData {

void PlaceByPlan(DEVICE_DATA& record, std::uint32_t address, const std::uint8_t* bytes, int length)
{
    const std::uint32_t end = address + static_cast<std::uint32_t>(length);
    for (const auto& block : TransferPlan) {
        const std::uint32_t from = std::max<std::uint32_t>(address, block.address);
        const std::uint32_t to = std::min<std::uint32_t>(end, block.address + block.length);
        if (from < to)
            std::memcpy(Bytes(record) + block.recordOffset + (from - block.address),
                        bytes + (from - address), to - from);
    }
}

void SwapWords(DEVICE_DATA& record)
{
    std::uint8_t* bytes = Bytes(record);
    for (std::size_t offset : WordOffsets)
        std::swap(bytes[offset], bytes[offset + 1]);
}

void KeepOwnBytes(DEVICE_DATA& settings, const DEVICE_DATA& owner)
{
    std::memcpy(Bytes(settings) + OwnBytesOffset, Bytes(owner) + OwnBytesOffset, OwnBytesSize);
}

bool SameDiveComputer(const DEVICE_DATA& a, const DEVICE_DATA& b)
{
    return a.modelCode == b.modelCode && SerialNumberOf(a) == SerialNumberOf(b);
}

std::uint32_t SerialNumberOf(const DEVICE_DATA& record)
{
    const std::uint8_t* d = record.serialDigits;
    return d[0] * 1000000u + d[1] * 10000u + d[2] * 100u + d[3];
}

void SetSerialNumber(DEVICE_DATA& record, std::uint32_t n)
{
    record.serialDigits[0] = static_cast<std::uint8_t>(n / 1000000u);
    record.serialDigits[1] = static_cast<std::uint8_t>((n % 1000000u) / 10000u);
    record.serialDigits[2] = static_cast<std::uint8_t>((n % 10000u) / 100u);
    record.serialDigits[3] = static_cast<std::uint8_t>(n % 100u);
}

}  // namespace DeviceData
