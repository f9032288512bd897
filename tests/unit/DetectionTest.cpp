#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Type1Bench.h"

using fake::Bytes;
using fake::FakeDiveComputer;
using fake::FakeSerial;
using fake::Op;

namespace {

const Bytes kProbeOnTheLine = {0x05, 0x00, 0x1B, 0x1B, 0x05};

struct DetectionCase {
    const char* name;
    int attempts;
    std::function<void(FakeDiveComputer&, FakeSerial&)> spoil;
    bool found;
    std::size_t probes;
    std::vector<int> progress;
};

void PrintTo(const DetectionCase& c, std::ostream* os)
{
    *os << c.name;
}

class Detection : public Type1Bench, public ::testing::WithParamInterface<DetectionCase> {};

TEST_P(Detection, ProbesUntilAValidAnswerAndReportsTheOutcome)
{
    const DetectionCase& c = GetParam();
    c.spoil(dive, port);
    if (c.found) {
        control.Open(c.attempts);
        EXPECT_EQ(reports.status, std::vector<std::wstring>{L"Comm Opened Successfully!"});
        EXPECT_EQ(reports.connected, std::vector<int>{1});
    } else {
        try {
            control.Open(c.attempts);
            ADD_FAILURE() << "found a dive computer";
        } catch (const kAPI::Device_Not_Present& e) {
            EXPECT_EQ(e.code, 17);
            EXPECT_STREQ(e.what(), L"Device Type1 Not Found");
        }
        EXPECT_EQ(reports.status, std::vector<std::wstring>{L"Comm Open Failure!"});
        EXPECT_EQ(reports.connected, std::vector<int>{0});
    }
    EXPECT_EQ(port.Written(), std::vector<Bytes>(c.probes, kProbeOnTheLine));
    EXPECT_EQ(reports.progress, c.progress);
    EXPECT_EQ(control.Detected(), c.found);
}

const auto kNothing = [](FakeDiveComputer&, FakeSerial&) {};

INSTANTIATE_TEST_SUITE_P(
    Table, Detection,
    ::testing::Values(DetectionCase{"FirstProbe", 4, kNothing, true, 1, {0, 100, 0}},
                      DetectionCase{"ThirdProbe",
                                    4,
                                    [](FakeDiveComputer& d, FakeSerial&) {
                                        d.Silence(1);
                                        d.Silence(2);
                                    },
                                    true,
                                    3,
                                    {0, 100, 75, 50, 0}},
                      DetectionCase{"BadChecksumIsAFailedAttempt",
                                    4,
                                    [](FakeDiveComputer& d, FakeSerial&) { d.SpoilChecksum(1); },
                                    true,
                                    2,
                                    {0, 100, 75, 0}},
                      DetectionCase{"AnswerForAnotherAddressIsAFailedAttempt",
                                    4,
                                    [](FakeDiveComputer& d, FakeSerial&) { d.SpoilEcho(2, 1); },
                                    true,
                                    2,
                                    {0, 100, 75, 0}},
                      DetectionCase{"AnswerToAnotherCommandIsAFailedAttempt",
                                    4,
                                    [](FakeDiveComputer& d, FakeSerial&) { d.SpoilEcho(0, 1); },
                                    true,
                                    2,
                                    {0, 100, 75, 0}},
                      DetectionCase{"ShortAnswerIsAFailedAttempt",
                                    4,
                                    [](FakeDiveComputer&, FakeSerial& p) {
                                        p.QueueAnswer(fake::WithChecksum(Bytes(30, 0x11)));
                                    },
                                    true,
                                    2,
                                    {0, 100, 75, 0}},
                      DetectionCase{"NoAnswer",
                                    4,
                                    [](FakeDiveComputer& d, FakeSerial&) { d.Silence(); },
                                    false,
                                    4,
                                    {0, 100, 75, 50, 25, 0}},
                      DetectionCase{"NoAttempts", 0, kNothing, false, 0, {0}},
                      DetectionCase{"NegativeAttempts", -1, kNothing, false, 0, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CancelCase {
    const char* name;
    std::uint8_t before;
    bool setOnFirstProbe;  // the first probe then goes unanswered
    std::size_t probes;
    bool canceled;
};

void PrintTo(const CancelCase& c, std::ostream* os)
{
    *os << c.name;
}

class DetectionCancel : public Type1Bench, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(DetectionCancel, OnlyAByteOfOneStopsItBeforeTheNextProbe)
{
    const CancelCase& c = GetParam();
    cancel = c.before;
    if (c.setOnFirstProbe) {
        dive.Silence(1);
        dive.onRequest = [&](const Bytes&) { cancel = 1; };
    }
    if (c.canceled) {
        try {
            control.Open(4);
            ADD_FAILURE() << "not canceled";
        } catch (const kAPI::User_Cancel& e) {
            EXPECT_EQ(e.code, 9999);
            EXPECT_STREQ(e.what(), L"Canceled");
        }
        EXPECT_TRUE(reports.status.empty());
        EXPECT_TRUE(reports.connected.empty());
    } else {
        control.Open(4);
        EXPECT_EQ(reports.connected, std::vector<int>{1});
    }
    EXPECT_EQ(port.Written().size(), c.probes);
}

INSTANTIATE_TEST_SUITE_P(Table, DetectionCancel,
                         ::testing::Values(CancelCase{"SetBefore", 1, false, 0, true},
                                           CancelCase{"TwoIsNotACancel", 2, false, 1, false},
                                           CancelCase{"SetDuringAFailedProbe", 0, true, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class Controller : public Type1Bench {};

TEST_F(Controller, KeepsTheIdentityAndCountersThatDetectionRead)
{
    EXPECT_FALSE(control.Detected());
    control.Open(4);
    ASSERT_TRUE(control.Detected());
    const DEVICE_DATA& found = control.DetectedSettings();
    const auto& memory = dive.memory;
    const auto word = [&](std::size_t a) { return memory[a] << 8 | memory[a + 1]; };
    EXPECT_EQ(found.maxDepth, word(0x1E));
    EXPECT_EQ(found.diveTime, word(0x20));
    EXPECT_EQ(found.totalDives, word(0x22));
    EXPECT_EQ(found.modelCode, memory[0x24]);
    EXPECT_EQ(found.firmwareVersion, memory[0x25]);
    EXPECT_EQ(Bytes(found.serialDigits, found.serialDigits + 4),
              Bytes(memory.begin() + 0x26, memory.begin() + 0x2A));

    // The answer covers 0x1B-0x35: record offsets 43-69 as a load gives them, nothing else.
    DEVICE_DATA loaded{};
    control.LoadSettings(loaded, false);
    for (std::size_t offset = 0; offset < DeviceData::RecordSize; ++offset) {
        const bool covered = offset >= 43 && offset <= 69;
        EXPECT_EQ(DeviceData::Bytes(found)[offset], covered ? DeviceData::Bytes(loaded)[offset] : 0)
            << "offset " << offset;
    }
}

struct ForgetCase {
    const char* name;
    std::function<void(FakeDiveComputer&, kAPI::CancelFlag& cancel)> spoil;
};

void PrintTo(const ForgetCase& c, std::ostream* os)
{
    *os << c.name;
}

class DetectionForgets : public Type1Bench, public ::testing::WithParamInterface<ForgetCase> {};

TEST_P(DetectionForgets, AnOpenThatFailsAfterOneThatSucceeded)
{
    control.Open(1);
    ASSERT_TRUE(control.Detected());
    GetParam().spoil(dive, cancel);
    EXPECT_THROW(control.Open(2), kAPI::Error);
    EXPECT_FALSE(control.Detected());
    const DEVICE_DATA nothing{};
    EXPECT_EQ(std::memcmp(&control.DetectedSettings(), &nothing, sizeof nothing), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DetectionForgets,
    ::testing::Values(
        ForgetCase{"NoAnswer", [](FakeDiveComputer& d, kAPI::CancelFlag&) { d.Silence(); }},
        ForgetCase{"OnlyAnswersForAnotherAddress",
                   [](FakeDiveComputer& d, kAPI::CancelFlag&) { d.SpoilEcho(1); }},
        ForgetCase{"Canceled", [](FakeDiveComputer&, kAPI::CancelFlag& cancel) { cancel = 1; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Controller, AFailedOpenLeavesTheControllerUsable)
{
    dive.Silence(1);
    EXPECT_THROW(control.Open(1), kAPI::Device_Not_Present);
    control.Open(1);
    EXPECT_EQ(reports.connected, (std::vector<int>{0, 1}));
}

TEST_F(Controller, NullCallbacksSilenceStatusButKeepTheProgressFunction)
{
    control.SetCallbacks(nullptr, nullptr, nullptr);
    control.Open(1);
    EXPECT_EQ(reports.progress, (std::vector<int>{0, 100, 0}));
    EXPECT_TRUE(reports.status.empty());
    EXPECT_TRUE(reports.connected.empty());
}

TEST(DetectionWithoutCallbacks, BehavesTheSameAndReportsNothing)
{
    reports = {};
    FakeSerial port;
    FakeDiveComputer dive(port);
    kAPI::Device_Type1_Control control(L"/dev/ttyFAKE", nullptr, port);  // no cancel byte
    EXPECT_TRUE(port.Written().empty()) << "construction sends nothing";
    control.Open(4);
    dive.Silence();
    EXPECT_THROW(control.Open(2), kAPI::Device_Not_Present);
    EXPECT_EQ(port.Written().size(), 3u);
    EXPECT_TRUE(reports.progress.empty());
    EXPECT_TRUE(reports.status.empty());
    EXPECT_TRUE(reports.connected.empty());
}

TEST(ControllerLifetime, DeletingThroughEitherBaseClosesThePort)
{
    using Deleter = std::function<void(kAPI::Device_Type1_Control*)>;
    const std::vector<Deleter> deleters = {
        [](kAPI::Device_Type1_Control* c) { delete static_cast<kAPI::Device*>(c); },
        [](kAPI::Device_Type1_Control* c) { delete static_cast<kAPI::CommModel1*>(c); },
    };
    for (const auto& destroy : deleters) {
        FakeSerial port;
        auto* control = new kAPI::Device_Type1_Control(L"/dev/ttyFAKE", nullptr, port);
        ASSERT_TRUE(port.isOpen);
        destroy(control);
        EXPECT_FALSE(port.isOpen);
        EXPECT_EQ(port.Count(Op::CloseHandle), 1);
        EXPECT_EQ(port.lineState.BaudRate, port.foundState.BaudRate) << "settings put back";
    }
}

}  // namespace
