// EmulatorFaultTest.cpp: what each fault flag does to the Nth answer, counted over the
// emulator's life (the port is closed and opened again between the first two answers).
#include "EmulatorProcess.h"
#include "Port.h"
#include "TestFrames.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 5000ms;
constexpr auto kHostReadTimeOut = 1800ms;

// The three requests of every case: a write enable, a write and a read of what it wrote.
const Bytes kRequests[3] = {enableRequest(), writeRequest(0x0300, {0xAA, 0xBB}),
                            readRequest(0x0300, 2)};
const Bytes kEnableAnswer = enableAnswer();
const Bytes kWriteAnswer = writeAnswer(0x0300, 2);
const Bytes kReadAnswer = readAnswer(0x0300, {0xAA, 0xBB});

Bytes badChecksum(Bytes answer)
{
    answer.back() ^= 0xFF;
    return answer;
}

// The last echoed header byte one too high, the checksum still right.
Bytes wrongEcho(Bytes answer)
{
    answer.pop_back();
    ++answer[std::min<std::size_t>(3, answer.size() - 1)];
    return sealed(answer);
}

Bytes noise(const Bytes& answer)
{
    return Bytes{0xFF, 0x00, 0x55} + answer;
}

struct FaultCase {
    const char* name;
    std::vector<std::string> flags;
    Bytes answers[3];  // as they arrive; empty: none
};

class EmulatorFault : public testing::TestWithParam<FaultCase> {};

TEST_P(EmulatorFault, DisturbsOnlyTheAnswersItNames)
{
    const FaultCase& c = GetParam();
    std::vector<std::string> args{"--name", std::string("fault-") + c.name};
    args.insert(args.end(), c.flags.begin(), c.flags.end());
    EmulatorProcess emulator(args);

    auto port = std::make_unique<Port>(emulator.slavePath());
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("answer " + std::to_string(i + 1));
        port->send(kRequests[i]);
        if (!c.answers[i].empty()) {
            EXPECT_EQ(hex(port->receive(c.answers[i].size(), kPatience)), hex(c.answers[i]));
        }
        if (i == 0) {
            port.reset();
            port = std::make_unique<Port>(emulator.slavePath());
        }
    }
    EXPECT_EQ(hex(port->drain(300ms)), hex({}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, EmulatorFault,
    testing::Values(
        FaultCase{"None", {}, {kEnableAnswer, kWriteAnswer, kReadAnswer}},
        FaultCase{"Pace", {"--pace"}, {kEnableAnswer, kWriteAnswer, kReadAnswer}},
        FaultCase{"Silent", {"--silent"}, {{}, {}, {}}},
        // The write was done all the same: only its answer was lost.
        FaultCase{"Drop", {"--drop", "2"}, {kEnableAnswer, {}, kReadAnswer}},
        FaultCase{"BadChecksum",
                  {"--bad-checksum", "2"},
                  {kEnableAnswer, badChecksum(kWriteAnswer), kReadAnswer}},
        FaultCase{"WrongEcho",
                  {"--wrong-echo", "2"},
                  {kEnableAnswer, wrongEcho(kWriteAnswer), kReadAnswer}},
        FaultCase{"Noise", {"--noise", "2"}, {kEnableAnswer, noise(kWriteAnswer), kReadAnswer}},
        // The read of 0x0300 answered for 0x0200, with that memory.
        FaultCase{"WrongAddress",
                  {"--wrong-address", "3"},
                  {kEnableAnswer, kWriteAnswer, readAnswer(0x0200, fillFrom(0x0200, 2))}},
        // The write acknowledged, the memory as it was.
        FaultCase{"AckOnly",
                  {"--ack-only", "2"},
                  {kEnableAnswer, kWriteAnswer, readAnswer(0x0300, fillFrom(0x0300, 2))}},
        FaultCase{"MisbehaviourOnlyOnItsKind",
                  {"--wrong-address", "2", "--ack-only", "3", "--ack-only", "1"},
                  {kEnableAnswer, kWriteAnswer, kReadAnswer}},
        FaultCase{"OtherAnswers",
                  {"--wrong-echo", "1", "--bad-checksum", "3"},
                  {wrongEcho(kEnableAnswer), kWriteAnswer, badChecksum(kReadAnswer)}},
        FaultCase{"Combined",
                  {"--noise", "2", "--bad-checksum", "2", "--drop", "3", "--pace"},
                  {kEnableAnswer, noise(badChecksum(kWriteAnswer)), {}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Each piece needs a read of its own: the pauses are longer than the host's read time-out.
TEST(EmulatorFaultSplit, SendsTheAnswerInPiecesFartherApartThanAHostRead)
{
    EmulatorProcess emulator({"--name", "split", "--split", "2:3"});
    Port port(emulator.slavePath());
    port.send(kRequests[0]);
    ASSERT_EQ(port.receive(3, kPatience), kEnableAnswer);

    port.send(kRequests[1]);
    const Bytes first = port.receive(5, kHostReadTimeOut);
    const Bytes second = port.receive(5 - first.size(), kHostReadTimeOut);
    const Bytes third = port.receive(5 - first.size() - second.size(), kPatience);
    EXPECT_EQ(hex(first), hex({0x06, 0x03}));
    EXPECT_EQ(hex(second), hex({0x00, 0x02}));
    EXPECT_EQ(first + second + third, kWriteAnswer);

    port.send(kRequests[2]);
    EXPECT_EQ(port.receive(kReadAnswer.size(), kPatience), kReadAnswer);
}

TEST(EmulatorFaultHangUp, CutsTheAnswerHalfwayThenHangsUpAndLeaves)
{
    EmulatorProcess emulator({"--name", "hangup", "--hangup", "2"});
    const std::string link = emulator.announcement("hangup");
    Port port(emulator.slavePath());
    port.send(kRequests[0]);
    ASSERT_EQ(port.receive(3, kPatience), kEnableAnswer);

    port.send(kRequests[1]);
    EXPECT_EQ(hex(port.receive(5, kPatience)), hex({0x06, 0x03}));
    EXPECT_TRUE(port.hungUp());
    EXPECT_EQ(emulator.wait(), 0);
    struct stat st {};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << link;
}

}  // namespace
}  // namespace e2e
