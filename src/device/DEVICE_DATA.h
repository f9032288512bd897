#pragma once
// The settings of one dive computer: a fixed 140-byte record, for the most part an image
// of two stretches of the dive computer's memory (0x00-0x49 and 0x4A-0x70) with the
// 16-bit values in host byte order. Undo entries name its bytes by offset and the
// settings file saves three byte ranges of it, so the layout is fixed byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstring>

// A 16-bit field at any byte offset, in host byte order.
struct U16 {
    std::uint8_t bytes[2];

    operator std::uint16_t() const
    {
        std::uint16_t v;
        std::memcpy(&v, bytes, 2);
        return v;
    }
    U16& operator=(std::uint16_t v)
    {
        std::memcpy(bytes, &v, 2);
        return *this;
    }
};

struct __profile_ptrs {
    U16 words[5];  // zero; nothing reads or writes them
};

struct DEVICE_DATA {
    __profile_ptrs profilePtrs;  //   0
    std::uint8_t reserved[6];    //  10
    // memoryA: dive computer addresses 0x00-0x49 at record offset address + 16
    std::uint8_t header[30];        //  16  0x00-0x1D, not interpreted
    U16 maxDepth;                   //  46  0x1E  greatest depth x 128
    U16 diveTime;                   //  48  0x20  total dive time, minutes
    U16 totalDives;                 //  50  0x22
    std::uint8_t modelCode;         //  52  0x24  shown as the ID
    std::uint8_t firmwareVersion;   //  53  0x25
    std::uint8_t serialDigits[4];   //  54  0x26  base-100 digits, most significant first
    std::uint8_t block2[2];         //  58  0x2A  not interpreted
    std::uint8_t personalText[28];  //  60  0x2C  8-bit text, NUL padded
    std::uint8_t textEnd;           //  88  0x48  always 0: ends a 28-character text
    std::uint8_t afterText;         //  89  0x49  never transferred
    std::uint8_t spare[11];         //  90  never transferred, not in the settings file
    // memoryB: dive computer addresses 0x4A-0x70 at record offset address + 27
    std::uint8_t memoryBHead[9];    // 101  0x4A-0x52, not interpreted
    std::uint8_t sampleRate;        // 110  0x53  10, 20, 30 or 60 seconds
    std::uint8_t personalAltitude;  // 111  0x54  bits 0-1 altitude, bits 2-3 personal
    std::uint8_t unused112[7];      // 112  0x55-0x5B, not interpreted
    U16 freeDiveMaxDepth;           // 119  0x5C  x 128
    U16 freeDiveTime;               // 121  0x5E  minutes
    std::uint8_t unused123;         // 123  0x60, not interpreted
    std::uint8_t clock12Hour;       // 124  0x61  nonzero: 12-hour clock
    std::uint8_t units;             // 125  0x62  0 Imperial, 1 Metric
    std::uint8_t diveMode;          // 126  0x63  0 Air, 1 Nitrox, 2 Gauge
    std::uint8_t light;             // 127  0x64  bit 7 enabled, bits 0-6 time
    std::uint8_t alarmFlags;        // 128  0x65  bit 0 time alarm, bit 1 depth alarm
    U16 timeAlarm;                  // 129  0x66  minutes
    U16 depthAlarm;                 // 131  0x68  x 128
    std::uint8_t tail[7];           // 133  0x6A-0x70, not interpreted
};

namespace DeviceData {

constexpr std::size_t RecordSize = 140;
constexpr std::size_t MemoryAOffset = 16;  // address 0x00
constexpr std::size_t MemoryASize = 74;    // through address 0x49
constexpr std::size_t SpareOffset = 90;
constexpr std::size_t SpareSize = 11;
constexpr std::size_t MemoryBOffset = 101;  // address 0x4A
constexpr std::size_t MemoryBSize = 39;     // through address 0x70
// Amount that means 100 percent for a load or store: both memory regions.
constexpr int ProgressTotal = 113;

// The record's bytes, for byte-offset access.
inline std::uint8_t* Bytes(DEVICE_DATA& record)
{
    return reinterpret_cast<std::uint8_t*>(&record);
}
inline const std::uint8_t* Bytes(const DEVICE_DATA& record)
{
    return reinterpret_cast<const std::uint8_t*>(&record);
}

// One block that a load reads and a store writes.
struct TransferBlock {
    std::uint16_t address;
    std::uint16_t length;
    std::uint16_t recordOffset;
};

// In the order of transfer: 111 bytes, all of memoryA but record offsets 88-89, and
// all of memoryB.
constexpr TransferBlock TransferPlan[] = {
    {0x00, 42, 16}, {0x2A, 2, 58}, {0x2C, 28, 60}, {0x4A, 22, 101}, {0x60, 17, 123},
};
constexpr int TransferBlockCount = 5;

// Puts `length` bytes read at dive computer `address` where the transfer plan keeps them
// in `record`, as they are; bytes at addresses that the plan never transfers (0x48-0x49,
// past 0x70) are left out.
void PlaceByPlan(DEVICE_DATA& record, std::uint32_t address, const std::uint8_t* bytes, int length);

// Record offsets of the seven 16-bit fields.
constexpr std::size_t WordOffsets[] = {46, 48, 50, 119, 121, 129, 131};

// Exchanges the two bytes of each 16-bit field: the dive computer's order (most
// significant byte first) <-> host order. Its own inverse.
void SwapWords(DEVICE_DATA& record);

// The bytes that are a dive computer's own, record offsets 46-57 (addresses 0x1E-0x29):
// its counters (greatest depth, dive time, number of dives), model code, firmware version
// and serial digits. Settings copied from one dive computer to another keep them.
constexpr std::size_t OwnBytesOffset = 46;
constexpr std::size_t OwnBytesSize = 12;
// Copies those bytes of `owner` into `settings`.
void KeepOwnBytes(DEVICE_DATA& settings, const DEVICE_DATA& owner);
// True when both records name one dive computer: the same model code and serial number.
bool SameDiveComputer(const DEVICE_DATA& a, const DEVICE_DATA& b);

// d0 x 1000000 + d1 x 10000 + d2 x 100 + d3.
std::uint32_t SerialNumberOf(const DEVICE_DATA& record);
// The inverse; each digit keeps only its low 8 bits.
void SetSerialNumber(DEVICE_DATA& record, std::uint32_t n);

// Depths are held in 1/128 units and shown as whole numbers, truncated.
inline std::uint32_t DepthToShown(std::uint16_t field)
{
    return field / 128u;
}
inline std::uint16_t DepthFromShown(std::uint32_t shown)
{
    return static_cast<std::uint16_t>(shown * 128u);
}
inline std::uint32_t HoursOf(std::uint16_t minutes)
{
    return minutes / 60u;
}
inline std::uint32_t MinutesOf(std::uint16_t minutes)
{
    return minutes % 60u;
}
inline std::uint16_t MinutesFrom(std::uint32_t hours, std::uint32_t minutes)
{
    return static_cast<std::uint16_t>(hours * 60u + minutes);
}

}  // namespace DeviceData
