#include <cstring>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Type1Bench.h"

using DeviceData::Bytes;
using DeviceData::RecordSize;
using Frame = fake::Bytes;

namespace {

// Record offset -> dive computer address of every byte a load or store moves.
struct Mapped {
    std::size_t offset;
    std::size_t address;
};
std::vector<Mapped> MovedBytes()
{
    std::vector<Mapped> moved;
    for (std::size_t a = 0x00; a <= 0x47; ++a)
        moved.push_back({a + 16, a});
    for (std::size_t a = 0x4A; a <= 0x70; ++a)
        moved.push_back({a + 27, a});
    return moved;
}

// The seven 16-bit fields: record offset and address of the most significant byte.
const Mapped kWords[] = {{46, 0x1E},  {48, 0x20},  {50, 0x22}, {119, 0x5C},
                         {121, 0x5E}, {129, 0x66}, {131, 0x68}};

bool InWord(std::size_t offset)
{
    for (const auto& w : kWords)
        if (offset == w.offset || offset == w.offset + 1)
            return true;
    return false;
}

// The heads of a store's frames: each run of blocks after the write enable it needs.
std::vector<Frame> StoreHeads()
{
    const Frame enable = {0x07, 0xA5, 0xA2};
    return {enable,
            {0x06, 0x00, 0x00, 32},
            {0x06, 0x00, 0x20, 10},
            enable,
            {0x06, 0x00, 0x2A, 2},
            enable,
            {0x06, 0x00, 0x2C, 28},
            enable,
            {0x06, 0x00, 0x4A, 22},
            enable,
            {0x06, 0x00, 0x60, 17}};
}

std::uint16_t HostWord(const DEVICE_DATA& record, std::size_t offset)
{
    std::uint16_t v;
    std::memcpy(&v, Bytes(record) + offset, 2);
    return v;
}

class Settings : public Type1Bench {
protected:
    Settings()
    {
        dive.memory[0x1E] = 0x0C;  // greatest depth 3200 / 128 = 25
        dive.memory[0x1F] = 0x80;
    }

    std::uint16_t DeviceWord(std::size_t address) const
    {
        return static_cast<std::uint16_t>(dive.memory[address] << 8 | dive.memory[address + 1]);
    }
};

TEST_F(Settings, LoadPutsEveryByteAtItsOffsetWithWordsInHostOrder)
{
    DEVICE_DATA record;
    std::memset(&record, 0xEE, sizeof record);
    control.LoadSettings(record, true);

    std::set<std::size_t> loaded;
    for (const auto& m : MovedBytes()) {
        loaded.insert(m.offset);
        if (!InWord(m.offset)) {
            EXPECT_EQ(Bytes(record)[m.offset], dive.memory[m.address]) << "offset " << m.offset;
        }
    }
    for (const auto& w : kWords)
        EXPECT_EQ(HostWord(record, w.offset), DeviceWord(w.address)) << "offset " << w.offset;
    EXPECT_EQ(record.maxDepth, 3200);
    for (std::size_t offset = 0; offset < RecordSize; ++offset) {
        if (loaded.count(offset) == 0) {
            EXPECT_EQ(Bytes(record)[offset], 0xEE) << "offset " << offset << " was not to move";
        }
    }

    EXPECT_EQ(Heads(), (std::vector<Frame>{{0x05, 0x00, 0x00, 32},
                                           {0x05, 0x00, 0x20, 10},
                                           {0x05, 0x00, 0x2A, 2},
                                           {0x05, 0x00, 0x2C, 28},
                                           {0x05, 0x00, 0x4A, 22},
                                           {0x05, 0x00, 0x60, 17}}));
    EXPECT_EQ(reports.progress.front(), 0);
    EXPECT_EQ(reports.progress.back(), 98);
    EXPECT_EQ(SleepsOf(500), 6);
    EXPECT_EQ(SleepsOf(666), 0);
}

TEST_F(Settings, AFailedLoadLeavesTheRecordAsItWas)
{
    DEVICE_DATA record{};
    record.maxDepth = 1234;
    const DEVICE_DATA before = record;
    dive.Silence(4);
    EXPECT_EQ(Failure([&] { control.LoadSettings(record, true); }).code, 18);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

TEST_F(Settings, StoreWritesTheImageWithWordsBigEndianAndLeavesItsArgumentAlone)
{
    dive.memory.fill(0xEE);
    DEVICE_DATA record;
    for (std::size_t i = 0; i < RecordSize; ++i)
        Bytes(record)[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    record.maxDepth = 3200;
    const DEVICE_DATA before = record;

    control.StoreSettings(record, true);

    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    EXPECT_EQ(dive.memory[0x1E], 0x0C);
    EXPECT_EQ(dive.memory[0x1F], 0x80);
    std::set<std::size_t> stored;
    for (const auto& m : MovedBytes()) {
        stored.insert(m.address);
        if (!InWord(m.offset)) {
            EXPECT_EQ(dive.memory[m.address], Bytes(record)[m.offset]) << "address " << m.address;
        }
    }
    for (const auto& w : kWords)
        EXPECT_EQ(DeviceWord(w.address), HostWord(record, w.offset)) << "address " << w.address;
    for (std::size_t address = 0; address < 0x100; ++address) {
        if (stored.count(address) == 0) {
            EXPECT_EQ(dive.memory[address], 0xEE) << "address " << address << " was written";
        }
    }

    EXPECT_EQ(Heads(), StoreHeads());
    EXPECT_EQ(reports.progress.front(), 0);
    EXPECT_EQ(reports.progress.back(), 98);
    EXPECT_EQ(SleepsOf(666), 5);
    EXPECT_EQ(SleepsOf(500), 6);
}

TEST_F(Settings, AVerifiedStoreReadsEveryBlockBackAndEndsAt98)
{
    DEVICE_DATA record{};
    for (std::size_t i = 0; i < RecordSize; ++i)
        Bytes(record)[i] = static_cast<std::uint8_t>(i ^ 0xA5);
    int progressBeforeReadBack = -1;
    dive.onRequest = [&](const Frame& frame) {
        if (frame[0] == 0x05 && progressBeforeReadBack < 0)
            progressBeforeReadBack = reports.progress.back();
    };

    control.StoreSettings(record, true, true);

    std::vector<Frame> heads = StoreHeads();
    for (const Frame& readBack : std::vector<Frame>{{0x05, 0x00, 0x00, 32},
                                                    {0x05, 0x00, 0x20, 10},
                                                    {0x05, 0x00, 0x2A, 2},
                                                    {0x05, 0x00, 0x2C, 28},
                                                    {0x05, 0x00, 0x4A, 22},
                                                    {0x05, 0x00, 0x60, 17}})
        heads.push_back(readBack);
    EXPECT_EQ(Heads(), heads);
    // Two passes of 113: the writes end at 111 of 226, the reads at 222.
    EXPECT_EQ(reports.progress.front(), 0);
    EXPECT_EQ(progressBeforeReadBack, 49);
    EXPECT_EQ(reports.progress.back(), 98);
}

struct VerifyCase {
    const char* name;
    std::vector<std::size_t> unkept;  // addresses whose byte the dive computer does not keep
    int firstDifference;              // -1: the store verifies
};

void PrintTo(const VerifyCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsVerify : public Settings, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(SettingsVerify, NamesTheFirstAddressThatDoesNotHoldWhatWasWritten)
{
    const VerifyCase& c = GetParam();
    DEVICE_DATA record{};
    for (std::size_t i = 0; i < RecordSize; ++i)
        Bytes(record)[i] = static_cast<std::uint8_t>(i ^ 0xA5);
    bool spoiled = false;
    dive.onRequest = [&](const Frame& frame) {
        if (frame[0] != 0x05 || std::exchange(spoiled, true))
            return;
        for (std::size_t address : c.unkept)
            dive.memory[address] ^= 0xFF;
    };
    try {
        control.StoreSettings(record, true, true);
        EXPECT_EQ(c.firstDifference, -1) << "verified";
    } catch (const kAPI::VerifyError& e) {
        EXPECT_EQ(static_cast<int>(e.address), c.firstDifference);
        EXPECT_EQ(e.code, 9);
        EXPECT_STREQ(e.what(), L"Data did not match expected values");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsVerify,
                         ::testing::Values(VerifyCase{"AllKept", {}, -1},
                                           VerifyCase{"FirstByte", {0x00}, 0x00},
                                           VerifyCase{"LowByteOfTheGreatestDepth", {0x1F}, 0x1F},
                                           VerifyCase{"LastByteOfTheSecondRequest", {0x29}, 0x29},
                                           VerifyCase{"PersonalText", {0x47}, 0x47},
                                           VerifyCase{"LastByte", {0x70}, 0x70},
                                           VerifyCase{"FirstOfTwo", {0x63, 0x2B}, 0x2B},
                                           VerifyCase{"NeverWritten", {0x48, 0x49, 0x71}, -1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
    const char* name;
    bool store;
    int cancelOnBlock;  // the cancel byte is set while this block is sent; 0: before all
    int blocksSent;
    bool canceled;
    bool verify = false;  // a store's read-back blocks count on after its write blocks
};

void PrintTo(const CancelCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsCancel : public Settings, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(SettingsCancel, EndsAtTheNextBlockBoundary)
{
    const CancelCase& c = GetParam();
    const std::uint8_t command = c.store ? 0x06 : 0x05;
    int blocks = 0;
    cancel = c.cancelOnBlock == 0 ? 1 : 0;
    dive.onRequest = [&](const Frame& frame) {
        const bool block = frame[0] == command || (c.verify && frame[0] == 0x05);
        if (block && ++blocks == c.cancelOnBlock)
            cancel = 1;
    };
    DEVICE_DATA record{};
    for (std::size_t i = 0; i < RecordSize; ++i)
        Bytes(record)[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    const DEVICE_DATA before = record;
    const auto memory = dive.memory;
    const auto run = [&] {
        if (c.store)
            control.StoreSettings(record, true, c.verify);
        else
            control.LoadSettings(record, true);
    };
    if (c.canceled)
        EXPECT_EQ(Failure(run).code, 9999);
    else
        run();

    EXPECT_EQ(blocks, c.blocksSent);
    if (!c.canceled)
        return;
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
    if (c.store && !c.verify) {
        // Nothing past the blocks written: 32 bytes at 0x00, 10 at 0x20, 2 at 0x2A.
        const std::size_t end[] = {0x00, 0x20, 0x2A, 0x2C};
        for (std::size_t a = end[c.blocksSent]; a <= 0x70; ++a)
            EXPECT_EQ(dive.memory[a], memory[a]) << "address " << a;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettingsCancel,
    ::testing::Values(CancelCase{"LoadCanceledBeforeItBegins", false, 0, 0, true},
                      CancelCase{"LoadInsideTheFirstPlanBlock", false, 1, 1, true},
                      CancelCase{"LoadBetweenPlanBlocks", false, 2, 2, true},
                      CancelCase{"LoadDuringTheLastBlockCompletes", false, 6, 6, false},
                      CancelCase{"StoreBetweenPlanBlocks", true, 3, 3, true},
                      CancelCase{"StoreDuringTheLastBlockCompletes", true, 6, 6, false},
                      CancelCase{"VerifiedStoreBeforeItsReadBack", true, 6, 6, true, true},
                      CancelCase{"VerifiedStoreBetweenReadBackBlocks", true, 8, 8, true, true},
                      CancelCase{"VerifiedStoreDuringTheLastReadCompletes", true, 12, 12, false,
                                 true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Settings, ReadSettingsRefreshesOnlyWhatItReadByTheTransferPlan)
{
    dive.memory[0x48] = 0x99;  // after the personal text; never moved
    DEVICE_DATA loaded{};
    control.LoadSettings(loaded, false);
    port.calls.clear();
    reports = {};

    control.ReadSettings();

    EXPECT_EQ(Heads(),
              (std::vector<Frame>{
                  {0x05, 0x00, 0x1E, 14}, {0x05, 0x00, 0x2C, 32}, {0x05, 0x00, 0x53, 29}}));
    const auto read = [](std::size_t offset) {
        return (offset >= 46 && offset <= 87) || offset == 101 || offset == 102 ||
               (offset >= 110 && offset <= 138);
    };
    const DEVICE_DATA& settings = control.Settings();
    for (std::size_t offset = 0; offset < RecordSize; ++offset)
        EXPECT_EQ(Bytes(settings)[offset], read(offset) ? Bytes(loaded)[offset] : 0)
            << "offset " << offset;
    EXPECT_EQ(reports.progress.back(), 100);
}

TEST_F(Settings, ReadSettingsCanceledAfterAReadKeepsTheOldSettings)
{
    dive.onRequest = [&](const Frame&) { cancel = 1; };
    EXPECT_EQ(Failure([&] { control.ReadSettings(); }).code, 9999);
    EXPECT_EQ(port.Written().size(), 1u);
    const DEVICE_DATA empty{};
    EXPECT_EQ(std::memcmp(&control.Settings(), &empty, sizeof empty), 0);
}

}  // namespace
