// EmulatorParserFuzzTest.cpp: the emulator's request parser and dive computer fed with
// random streams rich in command bytes and valid-looking frames, with idle gaps: nothing
// crashes, and whatever comes out is well formed.
#include "DiveComputer.h"
#include "RequestParser.h"

#include <gtest/gtest.h>

#include <random>

namespace emulator {
namespace {

using namespace std::chrono_literals;

bool checksumFits(const Bytes& frame)
{
    return !frame.empty() && checksumOf(frame.begin(), frame.end() - 1) == frame.back();
}

TEST(EmulatorParserFuzz, RandomStreamsYieldOnlyWellFormedRequestsAndAnswers)
{
    std::mt19937 random(7);
    auto below = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    RequestParser parser;
    DiveComputer device(MemoryImage::builtIn(), [](const MemoryImage&) { return true; });
    Clock::time_point now{};
    std::size_t requests = 0, answers = 0;

    for (int round = 0; round < 200000; ++round) {
        Bytes chunk;
        switch (below(4)) {
            case 0:  // a frame that is right but for, now and then, one byte
                chunk = {
                    static_cast<std::uint8_t>(5 + below(3)), static_cast<std::uint8_t>(below(0x22)),
                    static_cast<std::uint8_t>(below(256)), static_cast<std::uint8_t>(below(35))};
                if (chunk[0] == kCmdWriteEnable)
                    chunk = {kCmdWriteEnable, kWriteEnableKey};
                if (chunk[0] == kCmdWrite)
                    chunk.resize(4 + chunk[3], 0x5A);
                seal(chunk);
                if (below(4) == 0)
                    chunk[below(static_cast<unsigned>(chunk.size()))] ^=
                        static_cast<std::uint8_t>(1 + below(255));
                break;
            case 1:  // line noise
                for (unsigned i = below(8); i > 0; --i)
                    chunk.push_back(static_cast<std::uint8_t>(below(256)));
                break;
            default:  // command bytes and the enable key
                for (unsigned i = below(4); i > 0; --i)
                    chunk.push_back(std::uint8_t{5} + static_cast<std::uint8_t>(below(3)));
                if (below(2))
                    chunk.push_back(kWriteEnableKey);
        }
        for (std::uint8_t b : chunk) {
            auto request = parser.push(b, now);
            if (!request)
                continue;
            ++requests;
            ASSERT_TRUE(checksumFits(request->frame));
            auto answer = device.answer(*request);
            if (!answer)
                continue;
            ++answers;
            ASSERT_TRUE(checksumFits(*answer));
            switch (request->kind) {
                case Request::Kind::Read:
                    ASSERT_EQ(answer->size(), request->length + 5u);
                    break;
                case Request::Kind::Write:
                    ASSERT_EQ(answer->size(), 5u);
                    break;
                case Request::Kind::WriteEnable:
                    ASSERT_EQ(*answer, (Bytes{0x07, 0xA5, 0xA2}));
                    break;
            }
            if (request->kind != Request::Kind::WriteEnable) {
                ASSERT_GE(request->length, 1u);
                ASSERT_LE(request->length, 32u);
                ASSERT_LE(request->address + request->length, 8192u);
            }
            const std::size_t header = request->kind == Request::Kind::WriteEnable ? 2 : 4;
            ASSERT_TRUE(
                std::equal(answer->begin(), answer->begin() + header, request->frame.begin()));
        }
        now += below(10) == 0 ? 350ms : 1ms;
    }
    // The stream must have reached deep enough to mean something.
    EXPECT_GT(requests, 10000u);
    EXPECT_GT(answers, 5000u);
}

}  // namespace
}  // namespace emulator
