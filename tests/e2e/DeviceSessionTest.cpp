// DeviceSessionTest.cpp: Tidewell's device layer (the termios port and the Type1 controller)
// against the emulator process through the kernel's pseudo-terminal, as the window uses it:
// detection, a whole load and a whole store, with the real pauses.
#include "Emulator.h"
#include "SettingsImage.h"

#include "device/Device_Type1_Control.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace e2e {
namespace {

// The controller reports through plain functions.
std::vector<std::wstring> statuses;
std::vector<int> connections;
void recordStatus(const wchar_t* text)
{
    statuses.emplace_back(text);
}
void recordConnected(int state)
{
    connections.push_back(state);
}

Bytes bytesOf(const DEVICE_DATA& record)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    return Bytes(bytes, bytes + sizeof record);
}

TEST(DeviceSession, DetectsTheDiveComputer)
{
    Emulator emulator("session-detect");
    kAPI::CancelFlag cancel{0};
    kAPI::Device_Type1_Control control(emulator.portPath().c_str(), &cancel);
    control.SetCallbacks(nullptr, &recordStatus, &recordConnected);

    control.Open(4);
    EXPECT_EQ(statuses, std::vector<std::wstring>{L"Comm Opened Successfully!"});
    EXPECT_EQ(connections, std::vector<int>{1});
}

TEST(DeviceSession, LoadGivesTheSettingsOfTheImageFile)
{
    Emulator emulator("session-load");
    kAPI::CancelFlag cancel{0};
    kAPI::Device_Type1_Control control(emulator.portPath().c_str(), &cancel);
    DEVICE_DATA before;
    std::memset(&before, 0xEE, sizeof before);  // bytes a load does not transfer keep this
    DEVICE_DATA record = before;

    control.LoadSettings(record, true);
    EXPECT_EQ(differences(bytesOf(record), bytesOf(afterLoad(before, emulator.image()))), "");
    // A few of the emulator's built-in settings, in host order.
    EXPECT_EQ(record.maxDepth, 4928);
    EXPECT_EQ(record.totalDives, 312);
    EXPECT_EQ(record.depthAlarm, 5120);
    EXPECT_EQ(record.modelCode, 0x0B);
    EXPECT_EQ(record.sampleRate, 20);
}

TEST(DeviceSession, StoreLeavesAnEditedRecordInTheImageFile)
{
    Emulator emulator("session-store");
    const Bytes before = emulator.image();
    kAPI::CancelFlag cancel{0};
    kAPI::Device_Type1_Control control(emulator.portPath().c_str(), &cancel);

    DEVICE_DATA record = afterLoad(DEVICE_DATA{}, before);
    // Edits as the window makes them; 16-bit values whose two bytes differ show their order.
    record.maxDepth = 0x1234;
    record.totalDives = 313;
    record.timeAlarm = 95;
    record.depthAlarm = 30 * 128;
    record.freeDiveTime = 0x0102;
    record.sampleRate = 60;
    record.light = 0x80 | 45;
    record.units = 0;
    std::memset(record.personalText, 0, sizeof record.personalText);
    std::memcpy(record.personalText, "Back by 18:00", 13);
    // Bytes of the record that never reach the dive computer.
    std::memset(record.reserved, 0xA1, sizeof record.reserved);
    record.textEnd = 0x5A;
    record.afterText = 0x5B;
    std::memset(record.spare, 0xC3, sizeof record.spare);

    control.StoreSettings(record, true);
    const Bytes after = emulator.image();
    EXPECT_EQ(differences(after, afterStore(before, record)), "");
    EXPECT_EQ(after[0x1E], 0x12);
    EXPECT_EQ(after[0x1F], 0x34);
    EXPECT_EQ(after[0x48], before[0x48]);
    EXPECT_EQ(after[0x49], before[0x49]);
}

}  // namespace
}  // namespace e2e
