// EmulatorProtocolTest.cpp: the emulator's answers to reads, writes and write enables,
// seen through its pseudo-terminal, and its image file.
#include "EmulatorProcess.h"
#include "Port.h"
#include "TestFrames.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

namespace e2e {
namespace {

using namespace std::chrono_literals;

// Only reached when an expected answer fails to come.
constexpr auto kPatience = 5000ms;

Bytes fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes exchange(Port& port, const Bytes& request, std::size_t answerSize)
{
    port.send(request);
    return port.receive(answerSize, kPatience);
}

TEST(EmulatorProtocol, ReadAnswersEchoTheHeaderThenDataThenChecksum)
{
    EmulatorProcess emulator({"--name", "read-answers"});
    Port port(emulator.slavePath());

    // The detection probe: a read of 27 bytes at 0x1B, answered with 32 bytes.
    const Bytes probe = exchange(port, {0x05, 0x00, 0x1B, 0x1B, 0x05}, 32);
    ASSERT_EQ(probe.size(), 32u) << hex(probe);
    EXPECT_EQ(Bytes(probe.begin(), probe.begin() + 4), (Bytes{0x05, 0x00, 0x1B, 0x1B}));
    EXPECT_EQ(sealed(Bytes(probe.begin(), probe.end() - 1)), probe) << hex(probe);

    EXPECT_EQ(exchange(port, {0x05, 0x00, 0x24, 0x01, 0x20}, 6),
              (Bytes{0x05, 0x00, 0x24, 0x01, 0x0B, 0x2B}));
    // The last 32 bytes of memory.
    EXPECT_EQ(exchange(port, readRequest(8160, 32), 37), readAnswer(8160, fillFrom(8160, 32)));
}

// Tidewell opens and closes the port for every connection; the emulator must outlive that.
TEST(EmulatorProtocol, ServesHostsThatComeAndGo)
{
    EmulatorProcess emulator({"--name", "come-and-go"});
    for (int host = 0; host < 20; ++host) {
        SCOPED_TRACE("host " + std::to_string(host));
        Port port(emulator.slavePath());
        ASSERT_EQ(exchange(port, readRequest(0x24, 1), 6), readAnswer(0x24, {0x0B}));
    }
    EXPECT_TRUE(emulator.running());
}

// The built-in image, in its file and in read answers: 16-bit values most significant byte first.
TEST(EmulatorProtocol, BuiltInImageHoldsPlausibleSettingsBigEndian)
{
    TempDir dir;
    const std::string image = dir.path() + "/image.bin";
    EmulatorProcess emulator({"--name", "built-in", "--image", image});
    Port port(emulator.slavePath());

    const Bytes text{'I', 'f', ' ', 'f', 'o', 'u', 'n', 'd', ':', ' ', 'c', 'a', 'l', 'l',
                     ' ', '5', '5', '5', '-', '0', '1', '9', '9', 0,   0,   0,   0,   0};
    const struct {
        const char* what;
        std::uint16_t address;
        Bytes bytes;
    } fields[] = {
        {"greatest depth 38.5 m x 128, dive time 7523 min, 312 dives",
         0x1E,
         {0x13, 0x40, 0x1D, 0x63, 0x01, 0x38}},
        {"model Quessa, firmware 33, serial 3141592", 0x24, {0x0B, 0x21, 3, 14, 15, 92}},
        {"personal text", 0x2C, text},
        {"sample rate 20, A1 P2", 0x53, {20, 0x09}},
        {"free dive 12.25 m x 128, 263 min", 0x5C, {0x06, 0x20, 0x01, 0x07}},
        {"12 h, metric, nitrox, light on 31, both alarms: 50 min, 40 m x 128",
         0x61,
         {1, 1, 1, 0x9F, 0x03, 0x00, 0x32, 0x14, 0x00}},
        {"uninterpreted bytes", 0x00, fillFrom(0x00, 0x1E)},
        {"log memory", 0x0FF0, fillFrom(0x0FF0, 32)},
    };
    const Bytes file = fileBytes(image);
    ASSERT_EQ(file.size(), 8192u);
    for (const auto& f : fields) {
        SCOPED_TRACE(f.what);
        EXPECT_EQ(Bytes(file.begin() + f.address, file.begin() + f.address + f.bytes.size()),
                  f.bytes);
        const auto n = static_cast<std::uint8_t>(f.bytes.size());
        EXPECT_EQ(hex(exchange(port, readRequest(f.address, n), n + 5u)),
                  hex(readAnswer(f.address, f.bytes)));
    }
}

// One enable opens a sequence of block writes, as the host sends it; every completed
// write is in the image file at once, and a restarted emulator starts from it.
TEST(EmulatorProtocol, WriteSequenceChangesTheImageFileAndSurvivesARestart)
{
    TempDir dir;
    const std::string image = dir.path() + "/image.bin";
    Bytes memory = fillFrom(0, 8192);
    writeFile(image, memory);
    Bytes block1(32), block2(10);
    for (std::size_t i = 0; i < 32; ++i)
        block1[i] = static_cast<std::uint8_t>(0xA0 + i);
    for (std::size_t i = 0; i < 10; ++i)
        block2[i] = static_cast<std::uint8_t>(0x50 + i);
    {
        EmulatorProcess emulator({"--name", "write-sequence", "--image", image});
        Port port(emulator.slavePath());
        EXPECT_EQ(exchange(port, enableRequest(), 3), enableAnswer());
        EXPECT_EQ(exchange(port, writeRequest(0x1000, block1), 5), writeAnswer(0x1000, 32));
        std::copy(block1.begin(), block1.end(), memory.begin() + 0x1000);
        EXPECT_EQ(fileBytes(image), memory);
        EXPECT_EQ(exchange(port, writeRequest(0x1020, block2), 5), writeAnswer(0x1020, 10));
        std::copy(block2.begin(), block2.end(), memory.begin() + 0x1020);
        EXPECT_EQ(fileBytes(image), memory);
        EXPECT_EQ(exchange(port, readRequest(0x1000, 32), 37), readAnswer(0x1000, block1));
    }
    EmulatorProcess restarted({"--name", "write-sequence-again", "--image", image});
    Port port(restarted.slavePath());
    EXPECT_EQ(exchange(port, readRequest(0x1020, 10), 15), readAnswer(0x1020, block2));
}

// A memory image whose model, firmware version and serial number (0x24-0x29) are `identity`.
Bytes imageOf(const Bytes& identity)
{
    Bytes memory = fillFrom(0, 8192);
    std::copy(identity.begin(), identity.end(), memory.begin() + 0x24);
    return memory;
}

// SIGUSR1 moves the cable to the other dive computer: the next request is answered from the
// other image, and a write goes into the image of the one on the line.
TEST(EmulatorProtocol, SwapSignalPutsTheOtherDiveComputerOnTheLine)
{
    TempDir dir;
    const std::string first = dir.path() + "/quessa.bin";
    const std::string second = dir.path() + "/ludmo.bin";
    const Bytes quessa{0x0B, 33, 3, 14, 15, 92};  // model, firmware, serial 3141592
    const Bytes ludmo{0x0C, 7, 7, 77, 77, 77};    // serial 7777777
    writeFile(first, imageOf(quessa));
    writeFile(second, imageOf(ludmo));
    EmulatorProcess emulator({"--name", "swapped", "--image", first, "--second-image", second});
    Port port(emulator.slavePath());

    const Bytes* const onTheLine[] = {&quessa, &ludmo, &quessa, &ludmo};
    for (std::size_t swaps = 0; swaps < std::size(onTheLine); ++swaps) {
        SCOPED_TRACE("after " + std::to_string(swaps) + " swaps");
        if (swaps > 0)
            emulator.signal(SIGUSR1);
        EXPECT_EQ(hex(exchange(port, readRequest(0x24, 6), 11)),
                  hex(readAnswer(0x24, *onTheLine[swaps])));
    }

    EXPECT_EQ(exchange(port, enableRequest(), 3), enableAnswer());
    EXPECT_EQ(exchange(port, writeRequest(0x05, {0x5A}), 5), writeAnswer(0x05, 1));
    Bytes written = imageOf(ludmo);
    written[0x05] = 0x5A;
    EXPECT_EQ(fileBytes(second), written);
    EXPECT_EQ(fileBytes(first), imageOf(quessa));
    EXPECT_TRUE(emulator.running());
}

// Requests a Type1 dive computer ignores. Each script ends with a read whose answer must be
// the next thing on the line: an answer to a refused request would come before it.
struct Refusal {
    const char* name;
    std::vector<std::pair<Bytes, Bytes>> script;  // request, expected answer (empty: none)
};

class EmulatorRefuses : public testing::TestWithParam<Refusal> {};

TEST_P(EmulatorRefuses, WithoutAnswerAndWithoutEffect)
{
    EmulatorProcess emulator({"--name", std::string("refuses-") + GetParam().name});
    Port port(emulator.slavePath());
    for (const auto& [request, answer] : GetParam().script) {
        SCOPED_TRACE("request " + hex(request));
        port.send(request);
        if (!answer.empty()) {
            EXPECT_EQ(hex(port.receive(answer.size(), kPatience)), hex(answer));
        }
    }
}

Bytes withChecksumOff(Bytes frame)
{
    frame.back() ^= 0x01;
    return frame;
}

const Bytes kModel = readRequest(0x24, 1);
const Bytes kModelAnswer = readAnswer(0x24, {0x0B});
const Bytes kLog = readRequest(0x0300, 2);
const Bytes kLogUnchanged = readAnswer(0x0300, fillFrom(0x0300, 2));

INSTANTIATE_TEST_SUITE_P(
    Table, EmulatorRefuses,
    testing::Values(Refusal{"WriteWithoutEnable",
                            {{writeRequest(0x0300, {1, 2}), {}}, {kLog, kLogUnchanged}}},
                    Refusal{"WriteAfterReadEndedTheSequence",
                            {{enableRequest(), enableAnswer()},
                             {kModel, kModelAnswer},
                             {writeRequest(0x0300, {1, 2}), {}},
                             {kLog, kLogUnchanged}}},
                    Refusal{"BadChecksums",
                            {{withChecksumOff(kModel), {}},
                             {withChecksumOff(enableRequest()), {}},
                             {writeRequest(0x0300, {1, 2}), {}},
                             {kLog, kLogUnchanged}}},
                    Refusal{"BadChecksumOnAnEnabledWrite",
                            {{enableRequest(), enableAnswer()},
                             {withChecksumOff(writeRequest(0x0300, {1, 2})), {}},
                             {kLog, kLogUnchanged}}},
                    Refusal{"RangesOutsideMemory",
                            {{readRequest(8161, 32), {}},
                             {readRequest(0x2000, 1), {}},
                             {readRequest(0xFFFF, 1), {}},
                             {enableRequest(), enableAnswer()},
                             {writeRequest(8190, {1, 2, 3}), {}},
                             {readRequest(8191, 1), readAnswer(8191, {fill(8191)})}}},
                    Refusal{"LengthsOutsideOneTo32",
                            {{readRequest(0x24, 0), {}},
                             {readRequest(0x24, 33), {}},
                             {enableRequest(), enableAnswer()},
                             {sealed({0x06, 0x03, 0x00, 0x00}), {}},
                             {sealed(Bytes{0x06, 0x03, 0x00, 33} + Bytes(33, 1)), {}},
                             {kLog, kLogUnchanged}}},
                    Refusal{"EnableWithAnotherKey",
                            {{sealed({0x07, 0x5A}), {}},
                             {writeRequest(0x0300, {1, 2}), {}},
                             {kLog, kLogUnchanged}}},
                    Refusal{"RawCommandsOfThePanel",
                            {{sealed({0xA5, 0x00, 0x00}), {}},
                             {sealed({0x07, 0x00, 0x00}), {}},
                             {kModel, kModelAnswer}}},
                    Refusal{"GarbageByteBeforeARequest", {{Bytes{0xFF} + kModel, kModelAnswer}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A request cut short is given up once the line has been quiet a while, and the next
// one is served.
TEST(EmulatorProtocol, ResynchronisesAfterATruncatedRequest)
{
    EmulatorProcess emulator({"--name", "truncated"});
    Port port(emulator.slavePath());
    port.send({0x05, 0x00, 0x24});
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(exchange(port, kModel, 6), kModelAnswer);
}

TEST(EmulatorProtocol, SurvivesRandomBytesAndServesTheNextRequest)
{
    EmulatorProcess emulator({"--name", "random-bytes"});
    Port port(emulator.slavePath());
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255), command(5, 7);
    for (int round = 0; round < 200; ++round) {
        Bytes noise(256);
        // Plenty of command bytes, so that many frames get started and cut off.
        for (auto& b : noise)
            b = static_cast<std::uint8_t>(byte(random) < 64 ? command(random) : byte(random));
        port.send(noise);
        port.drain(1ms);
    }
    port.drain(400ms);
    EXPECT_EQ(exchange(port, kModel, 6), kModelAnswer);
    EXPECT_TRUE(emulator.running());
}

}  // namespace
}  // namespace e2e
