// The fuzzer's seeds and a few thousand mutations of them through the settings-file
// reader, in every build: no crash, no read past the input (under ASan), and the record
// changed only as promised.
#include "SettingsFileHarness.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<Bytes> Seeds()
{
    std::vector<Bytes> seeds;
    const QDir corpus(SEED_CORPUS);
    for (const QString& name : corpus.entryList(QDir::Files, QDir::Name)) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray contents = file.readAll();
        seeds.emplace_back(contents.begin(), contents.end());
    }
    return seeds;
}

bool Replay(const Bytes& input, OpenOutcome* outcome = nullptr)
{
    // A copy of exactly the input's size, so that ASan sees a read past its end.
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[input.size()]);
    std::copy(input.begin(), input.end(), exact.get());
    return ReplaySettingsFile(exact.get(), input.size(), outcome);
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : random_(seed) {}

    Bytes Mutate(Bytes input)
    {
        const int steps = Between(1, 4);
        for (int i = 0; i < steps; ++i) {
            switch (Between(0, 4)) {
                case 0:  // one byte anew
                    if (!input.empty())
                        input[Index(input)] = Byte();
                    break;
                case 1:  // cut short
                    input.resize(Between(0, static_cast<int>(input.size())));
                    break;
                case 2:  // bytes put in
                    input.insert(input.begin() + Between(0, static_cast<int>(input.size())),
                                 Between(1, 16), Byte());
                    break;
                case 3: {  // a header size of interest
                    static const int sizes[] = {0, 1, 2, 40, 41, 42, 43, 999, 1000, 1001, 0xFFFF};
                    const int n = Between(0, 1) ? sizes[Between(0, 10)] : Between(0, 0xFFFF);
                    if (input.size() < 2)
                        input.resize(2);
                    input[0] = n & 0xFF;
                    input[1] = n >> 8;
                    break;
                }
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
        Bytes input(Between(0, 1200));
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
    Mutator mutator(20261209);
    std::set<OpenOutcome> outcomes;
    for (int i = 0; i < 4000; ++i) {
        const Bytes input = i % 4 == 3 ? mutator.Noise() : mutator.Mutate(seeds[i % seeds.size()]);
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
