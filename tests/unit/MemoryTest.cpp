#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Type1Bench.h"

using fake::Bytes;
using fake::Op;

namespace {

class Memory : public Type1Bench {
protected:
    Bytes Image(std::size_t address, std::size_t length) const
    {
        return Bytes(dive.memory.begin() + address, dive.memory.begin() + address + length);
    }

    static std::string Hex(std::uint8_t byte)
    {
        char text[3];
        std::snprintf(text, sizeof text, "%02X", byte);
        return text;
    }

    // The steps of the memory protocol on record, without the framing's own line work:
    // "pause" (500 ms), "enable pause" (666 ms), "purge tx", "send" and the command byte,
    // "read".
    std::vector<std::string> Steps() const
    {
        std::vector<std::string> steps;
        for (const auto& c : port.calls) {
            if (c.op == Op::Sleep && c.value == 500)
                steps.push_back("pause");
            else if (c.op == Op::Sleep && c.value == 666)
                steps.push_back("enable pause");
            else if (c.op == Op::PurgeComm && c.value == kAPI::PURGE_TXABORT)
                steps.push_back("purge tx");
            else if (c.op == Op::WriteFile)
                steps.push_back("send " + Hex(c.bytes.at(0)));
            else if (c.op == Op::ReadFile)
                steps.push_back("read");
        }
        return steps;
    }
};

enum class Call { Read, Write, ReadByte };

struct RangeCase {
    const char* name;
    Call call;
    std::uint32_t address;
    int length;
    bool nullBuffer;
    int code;  // 0: allowed
};

void PrintTo(const RangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class MemoryRange : public Memory, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(MemoryRange, IsCheckedBeforeAnythingIsSent)
{
    const RangeCase& c = GetParam();
    std::uint8_t buffer[32] = {};
    std::uint8_t* data = c.nullBuffer ? nullptr : buffer;
    port.calls.clear();
    const auto run = [&] {
        switch (c.call) {
            case Call::Read:
                EXPECT_EQ(control.Read(c.address, c.length, data, false), c.length);
                break;
            case Call::Write:
                EXPECT_EQ(control.Write(c.address, c.length, data, false), c.length);
                break;
            case Call::ReadByte:
                EXPECT_EQ(control.ReadByte(c.address, false), dive.memory[c.address]);
                break;
        }
    };
    if (c.code == 0) {
        run();
        if (c.call == Call::Read) {
            EXPECT_EQ(Bytes(buffer, buffer + c.length), Image(c.address, c.length));
        } else if (c.call == Call::Write) {
            EXPECT_EQ(Image(c.address, c.length), Bytes(c.length, 0));
        }
        return;
    }
    try {
        run();
        ADD_FAILURE() << "allowed";
    } catch (const kAPI::MemoryRangeError& e) {
        EXPECT_EQ(e.code, c.code);
        EXPECT_STREQ(e.what(), L"Address Out of Range");
    } catch (const kAPI::BadInstruction& e) {
        EXPECT_EQ(e.code, c.code);
        EXPECT_STREQ(e.what(), kAPI::ErrorMessages[c.code]);
    }
    // A write purges the transmitter before it checks; nothing else reaches the port.
    const std::vector<Op> expected =
        c.call == Call::Write ? std::vector<Op>{Op::PurgeComm} : std::vector<Op>{};
    EXPECT_EQ(port.Ops(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MemoryRange,
    ::testing::Values(RangeCase{"ReadEndingAtTheTop", Call::Read, 8160, 32, false, 0},
                      RangeCase{"ReadPastTheTop", Call::Read, 8161, 32, false, 23},
                      RangeCase{"ReadWrappingRound", Call::Read, 0xFFFFFFF0u, 32, false, 23},
                      RangeCase{"ReadOfNothing", Call::Read, 0, 0, false, 7},
                      RangeCase{"ReadOfLessThanNothing", Call::Read, 0, -1, false, 7},
                      RangeCase{"ReadIntoNoBuffer", Call::Read, 0, 5, true, 7},
                      RangeCase{"WriteEndingAtTheTop", Call::Write, 8160, 32, false, 0},
                      RangeCase{"WritePastTheTop", Call::Write, 8161, 32, false, 23},
                      RangeCase{"WriteWrappingRound", Call::Write, 0xFFFFFFF0u, 32, false, 23},
                      RangeCase{"WriteOfNothing", Call::Write, 0, 0, false, 6},
                      RangeCase{"WriteFromNoBuffer", Call::Write, 0, 5, true, 6},
                      RangeCase{"LastByte", Call::ReadByte, 8191, 1, false, 0},
                      RangeCase{"ByteBeyondTheLast", Call::ReadByte, 8192, 1, false, 23}),
    [](const auto& info) { return std::string(info.param.name); });

struct BlockCase {
    const char* name;
    Call call;
    int length;
    int cancelOnBlock;  // the cancel byte is set while this block is sent; 0: never
    std::vector<Bytes> blockHeads;
    bool canceled;
};

void PrintTo(const BlockCase& c, std::ostream* os)
{
    *os << c.name;
}

class MemoryBlocks : public Memory, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(MemoryBlocks, SplitAt32AndTestForCancelAfterEachFullBlock)
{
    const BlockCase& c = GetParam();
    const std::uint8_t command = c.call == Call::Read ? 0x05 : 0x06;
    int blocks = 0;
    dive.onRequest = [&](const Bytes& frame) {
        if (frame[0] == command && ++blocks == c.cancelOnBlock)
            cancel = 1;
    };
    Bytes data(c.length, 0xC3);
    const auto run = [&] {
        if (c.call == Call::Read)
            control.Read(0, c.length, data.data(), false);
        else
            control.Write(0, c.length, data.data(), false);
    };
    if (c.canceled)
        EXPECT_EQ(Failure(run).code, 9999);
    else
        run();

    std::vector<Bytes> expected = c.blockHeads;
    if (c.call == Call::Write)
        expected.insert(expected.begin(), Bytes{0x07, 0xA5, 0xA2});  // once for all blocks
    EXPECT_EQ(Heads(), expected);
    // Every block sent has been carried out, also the one after which the cancel came.
    std::size_t moved = 0;
    for (const auto& head : c.blockHeads)
        moved += head[3];
    EXPECT_EQ(Bytes(data.begin(), data.begin() + moved), Image(0, moved));
}

const Bytes kRead0x00x32 = {0x05, 0x00, 0x00, 32};
const Bytes kRead0x20x32 = {0x05, 0x00, 0x20, 32};
const Bytes kRead0x20x10 = {0x05, 0x00, 0x20, 10};
const Bytes kWrite0x00x32 = {0x06, 0x00, 0x00, 32};
const Bytes kWrite0x20x32 = {0x06, 0x00, 0x20, 32};
const Bytes kWrite0x20x10 = {0x06, 0x00, 0x20, 10};

INSTANTIATE_TEST_SUITE_P(
    Table, MemoryBlocks,
    ::testing::Values(
        BlockCase{"ReadOfOneFullBlockIsNotCanceled", Call::Read, 32, 1, {kRead0x00x32}, false},
        BlockCase{"Read42", Call::Read, 42, 0, {kRead0x00x32, kRead0x20x10}, false},
        BlockCase{"Read42CanceledAfterTheFirst", Call::Read, 42, 1, {kRead0x00x32}, true},
        BlockCase{
            "Read42NotTestedAfterTheRest", Call::Read, 42, 2, {kRead0x00x32, kRead0x20x10}, false},
        BlockCase{
            "Read64CanceledAfterTheSecond", Call::Read, 64, 2, {kRead0x00x32, kRead0x20x32}, true},
        BlockCase{"Write42", Call::Write, 42, 0, {kWrite0x00x32, kWrite0x20x10}, false},
        BlockCase{"Write42CanceledAfterTheFirst", Call::Write, 42, 1, {kWrite0x00x32}, true},
        BlockCase{"Write64CanceledAfterTheSecond",
                  Call::Write,
                  64,
                  2,
                  {kWrite0x00x32, kWrite0x20x32},
                  true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Memory, AReadBlockPurgesBeforeItsExchangeAndAWriteBlockAfterIt)
{
    std::uint8_t buffer[3];
    port.calls.clear();
    control.Read(0x100, 3, buffer, false);
    EXPECT_EQ(Steps(), (std::vector<std::string>{"pause", "purge tx", "send 05", "read"}));

    const std::uint8_t data[3] = {1, 2, 3};
    port.calls.clear();
    control.Write(0x100, 3, data, false);
    EXPECT_EQ(Steps(), (std::vector<std::string>{"purge tx", "enable pause", "send 07", "read",
                                                 "pause", "send 06", "read", "purge tx"}));
    EXPECT_EQ(port.Written().back(), (Bytes{0x06, 0x01, 0x00, 0x03, 0x01, 0x02, 0x03, 0x04}));
}

TEST_F(Memory, ReadByteOfTheModelCode)
{
    dive.memory[0x24] = 0x0B;
    EXPECT_EQ(control.ReadByte(0x24, false), 0x0B);
    EXPECT_EQ(port.Written(), (std::vector<Bytes>{{0x05, 0x00, 0x24, 0x01, 0x20}}));
    ASSERT_EQ(port.Count(Op::ReadFile), 1);
    EXPECT_EQ(port.calls.back().value, 6u) << "a 6-byte answer is expected";
    EXPECT_TRUE(reports.progress.empty());
}

TEST_F(Memory, WriteAnswerWithAnotherLengthFailsEvenWithAGoodChecksum)
{
    dive.SpoilWriteEcho(2);  // the first request is the write enable
    const std::uint8_t data[4] = {9, 8, 7, 6};
    const kAPI::Error e = Failure([&] { control.Write(0x10, 4, data, false); });
    EXPECT_EQ(e.code, 9);
    EXPECT_STREQ(e.what(), L"Write: Data returned did not match sent");
}

struct EchoCase {
    const char* name;
    Call call;
    std::size_t spoiledByte;  // of the answer's header: 0 command, 1-2 address, 3 length
    int code;
    const wchar_t* text;
};

void PrintTo(const EchoCase& c, std::ostream* os)
{
    *os << c.name;
}

class MemoryEcho : public Memory, public ::testing::WithParamInterface<EchoCase> {};

TEST_P(MemoryEcho, AnAnswerThatNamesAnotherRequestFailsEvenWithAGoodChecksum)
{
    const EchoCase& c = GetParam();
    std::uint8_t data[3] = {0xC1, 0xC2, 0xC3};
    const auto run = [&] {
        if (c.call == Call::Read)
            control.Read(0x0123, 3, data, false);
        else
            control.Write(0x0123, 3, data, false);
    };
    dive.SpoilEcho(c.spoiledByte, c.call == Call::Read ? 1 : 2);  // after the write enable
    const kAPI::Error e = Failure(run);
    EXPECT_EQ(e.code, c.code);
    EXPECT_STREQ(e.what(), c.text);
    if (c.call == Call::Read) {
        EXPECT_EQ(Bytes(data, data + 3), (Bytes{0xC1, 0xC2, 0xC3})) << "nothing taken from it";
    }
}

const wchar_t* const kBadEcho = L"Bad Command Echo";

INSTANTIATE_TEST_SUITE_P(
    Table, MemoryEcho,
    ::testing::Values(EchoCase{"ReadCommand", Call::Read, 0, 13, kBadEcho},
                      EchoCase{"ReadAddressHigh", Call::Read, 1, 13, kBadEcho},
                      EchoCase{"ReadAddressLow", Call::Read, 2, 13, kBadEcho},
                      EchoCase{"ReadLength", Call::Read, 3, 13, kBadEcho},
                      EchoCase{"WriteCommand", Call::Write, 0, 13, kBadEcho},
                      EchoCase{"WriteAddressHigh", Call::Write, 1, 13, kBadEcho},
                      EchoCase{"WriteAddressLow", Call::Write, 2, 13, kBadEcho},
                      EchoCase{"WriteLength", Call::Write, 3, 9,
                               L"Write: Data returned did not match sent"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Memory, ExchangeFailuresReachTheCallerAndEndTheTransfer)
{
    std::uint8_t buffer[64] = {};
    dive.SpoilChecksum(1);
    EXPECT_EQ(Failure([&] { control.Read(0, 64, buffer, false); }).code, 8);
    EXPECT_EQ(port.Written().size(), 1u);

    dive.Silence(2);  // the write enable
    EXPECT_EQ(Failure([&] { control.Write(0, 4, buffer, false); }).code, 18);
    EXPECT_EQ(port.Written().size(), 2u) << "no block follows a failed write enable";
}

TEST_F(Memory, RawExchangeSendsTheBytesAsTheyStand)
{
    const std::uint8_t command[3] = {0xA5, 0x00, 0x00};
    port.calls.clear();
    EXPECT_EQ(control.RawExchange(3, command, 0, nullptr), 0);
    EXPECT_EQ(port.Written(), (std::vector<Bytes>{{0xA5, 0x00, 0x00, 0xA5}}));
    EXPECT_EQ(Steps(), std::vector<std::string>{"send A5"}) << "no pause, no purge";
    EXPECT_EQ(port.Count(Op::ReadFile), 0);
}

TEST_F(Memory, RawExchangeHandsBackNoMoreThanTheAnswerFrame)
{
    const std::uint8_t request[4] = {0x05, 0x00, 0x24, 0x01};
    std::uint8_t answer[10];
    std::memset(answer, 0xEE, sizeof answer);
    EXPECT_EQ(control.RawExchange(4, request, 6, answer), 6);
    const Bytes frame = fake::WithChecksum({0x05, 0x00, 0x24, 0x01, dive.memory[0x24]});
    EXPECT_EQ(Bytes(answer, answer + 6), frame);
    EXPECT_EQ(Bytes(answer + 6, answer + 10), Bytes(4, 0xEE));
}

TEST_F(Memory, RawExchangeRefusesRequestsItCannotHold)
{
    std::uint8_t request[40] = {};
    port.calls.clear();
    EXPECT_EQ(Failure([&] { control.RawExchange(40, request, 0, nullptr); }).code,
              kAPI::ErrBufferOverrun);
    EXPECT_EQ(Failure([&] { control.RawExchange(3, nullptr, 0, nullptr); }).code,
              kAPI::ErrBadWriteParameter);
    EXPECT_EQ(Failure([&] { control.RawExchange(4, request, 41, request); }).code,
              kAPI::ErrBufferOverrun);
    EXPECT_EQ(port.Count(Op::WriteFile), 1) << "only the last request fits and is sent";
}

TEST_F(Memory, ReadIdentityReadsModelAndFirmwareWhenThereIsRoom)
{
    std::uint8_t identity[2] = {};
    control.ReadIdentity(identity, 1);
    control.ReadIdentity(nullptr, 2);
    EXPECT_TRUE(port.Written().empty());
    control.ReadIdentity(identity, 2);
    EXPECT_EQ(Heads(), (std::vector<Bytes>{{0x05, 0x00, 0x24, 0x02}}));
    EXPECT_EQ(Bytes(identity, identity + 2), Image(0x24, 2));
}

}  // namespace
