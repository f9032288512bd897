// The device fuzzer's seeds and a few thousand mutations of them through the answer path,
// in every build: no crash, no access past a buffer (under ASan), no operation that runs
// away on the virtual clock, and nothing that succeeds on an answer to another request.
#include "DeviceAnswerHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ReplayInputs.h"

namespace {

std::vector<Bytes> Seeds()
{
    return ReadSeeds(DEVICE_SEED_CORPUS);
}

bool Replay(const Bytes& input, DeviceOutcomes* outcomes)
{
    return ReplayDeviceAnswers(ExactCopy(input).get(), input.size(), outcomes);
}

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
    Mutator mutator(20261210, 8, 400);
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
