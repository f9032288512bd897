// The fuzzer's seeds and a few thousand mutations of them through the settings-file
// reader, in every build: no crash, no read past the input (under ASan), and the record
// changed only as promised.
#include "SettingsFileHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "ReplayInputs.h"

namespace {

std::vector<Bytes> Seeds()
{
    return ReadSeeds(SEED_CORPUS);
}

bool Replay(const Bytes& input, OpenOutcome* outcome = nullptr)
{
    return ReplaySettingsFile(ExactCopy(input).get(), input.size(), outcome);
}

// A step of the settings file's own: a header size of interest in the two length bytes.
std::function<void(Bytes&)> HeaderSize(Mutator& mutator)
{
    return [&mutator](Bytes& input) {
        static const int sizes[] = {0, 1, 2, 40, 41, 42, 43, 999, 1000, 1001, 0xFFFF};
        const int n =
            mutator.Between(0, 1) ? sizes[mutator.Between(0, 10)] : mutator.Between(0, 0xFFFF);
        if (input.size() < 2)
            input.resize(2);
        input[0] = n & 0xFF;
        input[1] = n >> 8;
    };
}

TEST(SettingsFileReplay, SeedsKeepThePromises)
{
    const std::vector<Bytes> seeds = Seeds();
    ASSERT_GE(seeds.size(), 4u);
    std::set<OpenOutcome> outcomes;
    for (const Bytes& seed : seeds) {
        OpenOutcome outcome;
        EXPECT_TRUE(Replay(seed, &outcome));
        outcomes.insert(outcome);
    }
    EXPECT_EQ(outcomes.count(OpenOutcome::Opened), 1u);
}

TEST(SettingsFileReplay, MutationsAndNoiseKeepThePromises)
{
    const std::vector<Bytes> seeds = Seeds();
    ASSERT_FALSE(seeds.empty());
    Mutator mutator(20261209, 16, 1200);
    const std::function<void(Bytes&)> headerSize = HeaderSize(mutator);
    std::set<OpenOutcome> outcomes;
    for (int i = 0; i < 4000; ++i) {
        const Bytes input =
            i % 4 == 3 ? mutator.Noise() : mutator.Mutate(seeds[i % seeds.size()], headerSize);
        OpenOutcome outcome;
        ASSERT_TRUE(Replay(input, &outcome)) << "input " << i;
        outcomes.insert(outcome);
    }
    // The mutations reach every way the reader can end.
    EXPECT_EQ(outcomes,
              (std::set<OpenOutcome>{OpenOutcome::Opened, OpenOutcome::IncompatibleFileType,
                                     OpenOutcome::ReadFailure}));
}

}  // namespace
