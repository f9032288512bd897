#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "device/DEVICE_DATA.h"
#include "device/ModelTable.h"

using namespace DeviceData;

namespace {

TEST(DeviceData, NewRecordIsAllZero)
{
    DEVICE_DATA record{};
    for (std::size_t i = 0; i < RecordSize; ++i)
        ASSERT_EQ(Bytes(record)[i], 0) << i;
}

TEST(DeviceData, DeviceOrderDepthBecomesHostOrderAndShowsWholeUnits)
{
    DEVICE_DATA record{};
    Bytes(record)[46] = 0x0C;  // as read from address 0x1E
    Bytes(record)[47] = 0x80;
    SwapWords(record);
    EXPECT_EQ(record.maxDepth, 3200);
    EXPECT_EQ(Bytes(record)[46], 0x80);
    EXPECT_EQ(Bytes(record)[47], 0x0C);
    EXPECT_EQ(DepthToShown(record.maxDepth), 25u);
    EXPECT_EQ(DepthToShown(1000), 7u);  // the fraction is not shown
    EXPECT_EQ(DepthFromShown(12), 1536);
}

TEST(DeviceData, SwapWordsTouchesOnlyTheSevenWordsAndIsItsOwnInverse)
{
    DEVICE_DATA record{};
    for (std::size_t i = 0; i < RecordSize; ++i)
        Bytes(record)[i] = static_cast<std::uint8_t>(i);
    DEVICE_DATA swapped = record;
    SwapWords(swapped);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < RecordSize; ++i)
        changed += Bytes(swapped)[i] != Bytes(record)[i];
    EXPECT_EQ(changed, 14u);
    EXPECT_EQ(Bytes(swapped)[131], 132);
    SwapWords(swapped);
    EXPECT_EQ(std::memcmp(&swapped, &record, RecordSize), 0);
}

TEST(DeviceData, SerialNumberFromAndToBase100Digits)
{
    DEVICE_DATA record{};
    const std::uint8_t digits[] = {1, 23, 45, 67};
    std::memcpy(record.serialDigits, digits, 4);
    EXPECT_EQ(SerialNumberOf(record), 1234567u);
    SetSerialNumber(record, 1234567);
    EXPECT_EQ(std::memcmp(record.serialDigits, digits, 4), 0);
    SetSerialNumber(record, 12345678);
    EXPECT_EQ(record.serialDigits[0], 12);
    EXPECT_EQ(record.serialDigits[1], 34);
    EXPECT_EQ(record.serialDigits[2], 56);
    EXPECT_EQ(record.serialDigits[3], 78);
}

TEST(DeviceData, ModelNamesByCode)
{
    EXPECT_EQ(ModelNameOf(0x0B), L"Quessa");
    EXPECT_EQ(ModelNameOf(0x20), L"Hamri");
    EXPECT_EQ(ModelNameOf(0x05), L"Unknown");
    EXPECT_EQ(ModelNameOf(0x00), L"Unknown");
}

TEST(DeviceData, TransferPlanCoversBothMemoryRegionsButTheTextEnd)
{
    int total = 0;
    for (const auto& block : TransferPlan) {
        const std::size_t base = block.address < 0x4A ? MemoryAOffset : MemoryBOffset - 0x4A;
        EXPECT_EQ(block.recordOffset, base + block.address);
        total += block.length;
    }
    EXPECT_EQ(total, 111);
}

}  // namespace
