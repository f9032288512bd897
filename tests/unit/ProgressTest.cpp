#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "device/Callback.h"
#include "device/TSmartProgress.h"

namespace {

std::vector<int> percentages;
void RecordReport(int percent)
{
    percentages.push_back(percent);
}

using FunctionCallback = Callback::functiontranslator_1<int, void (*)(int)>;

// Start(total), then each value of `currents` in turn followed by Update().
struct ProgressCase {
    const char* name;
    int total;
    std::vector<int> currents;
    std::vector<int> expected;  // every percentage reported, in order
    int finalCurrent;
};

void PrintTo(const ProgressCase& c, std::ostream* os)
{
    *os << c.name;
}

class Progress : public ::testing::TestWithParam<ProgressCase> {
protected:
    void SetUp() override { percentages.clear(); }
};

TEST_P(Progress, ReportsEachNewPercentageOnce)
{
    const ProgressCase& c = GetParam();
    TSmartProgress progress(100);
    progress.onPercent = FunctionCallback(&RecordReport);
    progress.Start(c.total);
    for (int current : c.currents) {
        progress.current = current;
        const int returned = progress.Update();
        EXPECT_EQ(returned, progress.percent);
        EXPECT_EQ(percentages.back(), returned);  // the last report is the present value
    }
    EXPECT_EQ(percentages, c.expected);
    EXPECT_EQ(progress.current, c.finalCurrent);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Progress,
    ::testing::Values(
        ProgressCase{"DetectionCountsDown", 4, {4, 3, 2, 1, 0}, {0, 100, 75, 50, 25, 0}, 0},
        ProgressCase{
            "SettingsTransferEndsAt98", 113, {42, 44, 72, 94, 111}, {0, 37, 39, 64, 83, 98}, 111},
        ProgressCase{"RoundsTheQuotientHalfUp", 75, {14}, {0, 19}, 14},
        ProgressCase{"UnchangedRoundingIsSilent", 1000, {1, 2, 4, 5}, {0, 1}, 5},
        ProgressCase{"AboveTotalIsClampedToFull", 10, {15}, {0, 100}, 10},
        ProgressCase{"BelowZeroIsClampedToNothing", 10, {5, -3}, {0, 50, 0}, 0},
        ProgressCase{"ZeroTotalNeverDivides", 0, {5, -5}, {0}, 0},
        ProgressCase{"NegativeTotalCountsAsNoWork", -4, {0, -4, 3}, {0}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgressStart, ReportsZeroEvenWhenZeroWasTheLastReport)
{
    percentages.clear();
    TSmartProgress progress(100);
    progress.onPercent = FunctionCallback(&RecordReport);
    progress.Start(100);
    progress.current = 60;
    progress.Update();
    progress.Start(100);
    EXPECT_EQ(percentages, (std::vector<int>{0, 60, 0}));
    EXPECT_EQ(progress.percent, 0);
    EXPECT_EQ(progress.current, 0);
}

TEST(ProgressStart, WithoutAnInstalledFunctionStillCounts)
{
    TSmartProgress progress(4);
    progress.Start(4);
    progress.current = 3;
    EXPECT_EQ(progress.Update(), 75);
}

// A member function reached through a pointer that must adjust `this` (the second base)
// or dispatch virtually only works if the whole member pointer is kept.
struct First {
    virtual ~First() = default;
    long padding = 0;
};
struct Second {
    virtual ~Second() = default;
    virtual void Take(int v) { seen = v; }
    int seen = 0;
};
struct Both : First, Second {
    void Take(int v) override { seen = v * 10; }
};

TEST(Callbacks, MemberTranslatorKeepsTheWholeMemberPointer)
{
    Both target;
    Callback::Callback_1<int> callback =
        Callback::membertranslator_1<int, Both, void (Both::*)(int)>(target, &Both::Take);
    callback.Invoke(4);
    EXPECT_EQ(target.seen, 40);

    Callback::Callback_1<int> viaBase =
        Callback::membertranslator_1<int, Second, void (Second::*)(int)>(target, &Second::Take);
    viaBase.Invoke(5);
    EXPECT_EQ(target.seen, 50);
}

TEST(Callbacks, AssignmentCopiesTheTargetByValue)
{
    percentages.clear();
    Callback::Callback_1<int> first = FunctionCallback(&RecordReport);
    Callback::Callback_1<int> copy = first;
    first = FunctionCallback(nullptr);  // a null function makes a silent callback
    first.Invoke(1);
    copy.Invoke(2);
    EXPECT_EQ(percentages, (std::vector<int>{2}));
}

}  // namespace
