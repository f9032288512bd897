// The device fuzzer's seeds and a few thousand mutations of them through the answer path,
// in every build: no crash, no access past a buffer (under ASan), no operation that runs
// away on the virtual clock, and nothing that succeeds on an answer to another request.
#include "DeviceAnswerHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> Seeds()
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(DEVICE_SEED_CORPUS))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<Bytes> seeds;
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return seeds;
}

bool Replay(const Bytes& input, DeviceOutcomes* outcomes)
{
    // A copy of exactly the input's size, so that ASan sees a read past its end.
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[input.size()]);
    std::copy(input.begin(), input.end(), exact.get());
    return ReplayDeviceAnswers(exact.get(), input.size(), outcomes);
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    Bytes Mutate(Bytes input)
    {
        const int steps = Between(1, 4);
        for (int i = 0; i < steps; ++i) {
            switch (Between(0, 3)) {
                case 0:  // one byte anew
                    if (!input.empty())
                        input[Index(input)] = Byte();
                    break;
                case 1:  // cut short
                    input.resize(Between(0, static_cast<int>(input.size())));
                    break;
                case 2:  // bytes put in
                    input.insert(input.begin() + Between(0, static_cast<int>(input.size())),
                                 Between(1, 8), Byte());
                    break;
                default:  // a bit flipped
                    if (!input.empty())
                        input[Index(input)] ^= 1u << Between(0, 7);
                    break;
            }
        }
        return input;
    }

    Bytes Noise()
    {
        Bytes input(Between(0, 400));
        for (std::uint8_t& b : input)
            b = Byte();
        return input;
    }

private:
    int Between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    std::size_t Index(const Bytes& input) { return Between(0, static_cast<int>(input.size()) - 1); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Between(0, 255)); }

    std::mt19937 random_;
};

TEST(DeviceAnswerReplay, SeedsKeepThePromisesAndReachEveryKindOfEnd)
{
    const std::vector<Bytes> seeds = Seeds();
    ASSERT_GE(seeds.size(), 10u);
    DeviceOutcomes outcomes;
    for (std::size_t i = 0; i < seeds.size(); ++i)
        EXPECT_TRUE(Replay(seeds[i], &outcomes)) << "seed " << i;
    using Op = DeviceOperation;
    const DeviceOutcomes expected = {
        {Op::Open, 0},          {Op::Load, 0},  {Op::Load, 13},         {Op::Load, 18},
        {Op::VerifiedStore, 0}, {Op::Store, 9}, {Op::VerifiedStore, 9}, {Op::Read, 0},
        {Op::ReadByte, 8},      {Op::Raw, 0},   {Op::ReadByte, 0},
    };
    for (const auto& outcome : expected) {
        EXPECT_EQ(outcomes.count(outcome), 1u)
            << "operation " << static_cast<int>(outcome.first) << " ending " << outcome.second;
    }
}

TEST(DeviceAnswerReplay, MutationsAndNoiseKeepThePromises)
{
    const std::vector<Bytes> seeds = Seeds();
    ASSERT_FALSE(seeds.empty());
    Mutator mutator(20261210);
    DeviceOutcomes outcomes;
    for (int i = 0; i < 4000; ++i) {
        const Bytes input = i % 4 == 3 ? mutator.Noise() : mutator.Mutate(seeds[i % seeds.size()]);
        ASSERT_TRUE(Replay(input, &outcomes)) << "input " << i;
    }
    // The mutations reach failures of every layer: checksum, length, echo, range, time-out.
    for (int code : {2, 5, 7, 8, 9, 13, 17, 18, 23}) {
        const bool seen = std::any_of(outcomes.begin(), outcomes.end(),
                                      [code](const auto& o) { return o.second == code; });
        EXPECT_TRUE(seen) << "code " << code;
    }
}

}  // namespace
