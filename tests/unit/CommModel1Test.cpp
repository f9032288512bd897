#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Failure.h"
#include "FakeSerial.h"
#include "TestLink.h"
#include "device/Errors.h"

using fake::Bytes;
using fake::FakeSerial;
using fake::Op;
using fake::Piece;
using fake::WithChecksum;

namespace {

class Link : public ::testing::Test {
protected:
    FakeSerial port;
    TestLink link{port};
};

TEST_F(Link, TalkAppendsTheXorOfTheRequest)
{
    link.SetRequest({0x05, 0x00, 0x1B});
    link.Talk(3);
    link.SetRequest({0x05, 0x00, 0x1B, 0x1B});
    link.Talk(4);
    EXPECT_EQ(port.Written(),
              (std::vector<Bytes>{{0x05, 0x00, 0x1B, 0x1E}, {0x05, 0x00, 0x1B, 0x1B, 0x05}}));
}

TEST_F(Link, TalkHoldsRtsAroundTheFrameWithItsPauses)
{
    const std::uint64_t start = port.now;
    link.SetRequest({0x07, 0xA5});
    link.Talk(2);
    EXPECT_EQ(port.RtsChanges(),
              (std::vector<std::pair<std::uint64_t, bool>>{{start, true}, {start + 116, false}}));
    EXPECT_EQ(port.Sleeps(), (std::vector<std::uint32_t>{16, 100}));
    EXPECT_FALSE(port.rts);
    EXPECT_FALSE(link.Transmitting());
}

TEST_F(Link, TalkOfNothingFailsBeforeRaisingRts)
{
    const std::size_t before = port.calls.size();
    kAPI::Error e = Failure([&] { link.Talk(0); });
    EXPECT_EQ(e.code, 2);
    EXPECT_STREQ(e.what(), L"Attempt to checksum Null buffer");
    EXPECT_EQ(port.calls.size(), before);
}

TEST_F(Link, TalkRefusesAFrameLargerThanItsBuffer)
{
    const std::size_t before = port.calls.size();
    kAPI::Error e = Failure([&] { link.Talk(40); });
    EXPECT_EQ(e.code, kAPI::ErrBufferOverrun);
    EXPECT_EQ(port.calls.size(), before);
}

struct TalkFailure {
    const char* name;
    Op failing;
    bool shortWrite;
    int code;
    const wchar_t* text;
};

class TalkFails : public Link, public ::testing::WithParamInterface<TalkFailure> {};

TEST_P(TalkFails, WithRtsLowAgain)
{
    const TalkFailure& f = GetParam();
    if (f.shortWrite)
        port.ShortWrite(2);
    else
        port.FailOn(f.failing);
    link.SetRequest({0x05, 0x00, 0x24, 0x01});
    kAPI::Error e = Failure([&] { link.Talk(4); });
    EXPECT_EQ(e.code, f.code);
    EXPECT_STREQ(e.what(), f.text);
    EXPECT_FALSE(port.rts);
    ASSERT_FALSE(port.RtsChanges().empty());
    EXPECT_FALSE(port.RtsChanges().back().second);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TalkFails,
    ::testing::Values(TalkFailure{"Write", Op::WriteFile, false, 14, L"Talk: Write Serial Port"},
                      TalkFailure{"Drain", Op::WaitCommEvent, false, 18,
                                  L"Talk: Write Serial Timed Out"},
                      TalkFailure{"ShortWrite", Op::WriteFile, true, 14, L"Talk: Data Send"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Link, RefusedRtsIsAnUnknownError)
{
    port.FailOn(Op::EscapeCommFunction);
    link.SetRequest({0x01});
    kAPI::Error e = Failure([&] { link.Talk(1); });
    EXPECT_EQ(e.code, 1);
    EXPECT_STREQ(e.what(), L"SetRTS");
}

TEST_F(Link, ListenOfNothingReadsNothing)
{
    link.SetRequest({0xA5, 0x00, 0x00});
    link.Exchange(3, 0);
    EXPECT_EQ(port.Count(Op::ReadFile), 0);
    EXPECT_EQ(port.Written(), (std::vector<Bytes>{{0xA5, 0x00, 0x00, 0xA5}}));
}

TEST_F(Link, ExchangeReturnsAVerifiedAnswer)
{
    const Bytes answer = WithChecksum({0x05, 0x00, 0x24, 0x01, 0x0B});
    port.QueueAnswer(answer);
    link.SetRequest({0x05, 0x00, 0x24, 0x01});
    link.Exchange(4, 6);
    EXPECT_EQ(link.Answer(6), answer);
    EXPECT_EQ(port.Written(), (std::vector<Bytes>{{0x05, 0x00, 0x24, 0x01, 0x20}}));
}

TEST_F(Link, AnswerInTwoPiecesWithinBothReadTimeOutsIsAccepted)
{
    const Bytes answer = WithChecksum({1, 2, 3, 4, 5, 6});
    port.QueuePieces({Piece{10, Bytes(answer.begin(), answer.begin() + 3)},
                      Piece{2000, Bytes(answer.begin() + 3, answer.end())}});
    link.SetRequest({0x01});
    link.Exchange(1, 7);
    EXPECT_EQ(link.Answer(7), answer);
    EXPECT_EQ(port.Count(Op::ReadFile), 2);
}

struct ListenFailure {
    const char* name;
    std::vector<Piece> answer;  // empty: silence
    int answerLength;
    Op failing;
    int failingCall;
    int code;
    const wchar_t* text;
};

class ListenFails : public Link, public ::testing::WithParamInterface<ListenFailure> {};

TEST_P(ListenFails, WithItsErrorAndRtsLow)
{
    const ListenFailure& f = GetParam();
    if (f.answer.empty())
        port.QueueSilence();
    else
        port.QueuePieces(f.answer);
    if (f.failingCall > 0)
        port.FailOn(f.failing, f.failingCall);
    link.SetRequest({0x05, 0x00, 0x00, 0x01});
    kAPI::Error e = Failure([&] { link.Exchange(4, f.answerLength); });
    EXPECT_EQ(e.code, f.code);
    EXPECT_STREQ(e.what(), f.text);
    EXPECT_FALSE(port.rts);
}

const Bytes kSix = WithChecksum({1, 2, 3, 4, 5});

INSTANTIATE_TEST_SUITE_P(
    Table, ListenFails,
    ::testing::Values(
        ListenFailure{"Silence", {}, 6, Op::ReadFile, 0, 18, L"Listen: Serial Port Timed Out"},
        ListenFailure{
            "ReadFails", {Piece{0, kSix}}, 6, Op::ReadFile, 1, 15, L"Listen: Serial Port Read"},
        ListenFailure{"SecondReadFails",
                      {Piece{0, Bytes(kSix.begin(), kSix.begin() + 2)}},
                      6,
                      Op::ReadFile,
                      2,
                      15,
                      L"Listen: Partial Data Read"},
        ListenFailure{"ThreePieces",
                      {Piece{0, Bytes(kSix.begin(), kSix.begin() + 2)},
                       Piece{2000, Bytes(kSix.begin() + 2, kSix.begin() + 4)},
                       Piece{2000, Bytes(kSix.begin() + 4, kSix.end())}},
                      6,
                      Op::ReadFile,
                      0,
                      18,
                      L"Listen: Partial Read Time Out "},
        ListenFailure{"BadChecksum",
                      {Piece{0, Bytes{1, 2, 3, 4, 5, 0}}},
                      6,
                      Op::ReadFile,
                      0,
                      8,
                      L"Listen: Bad Checksum "},
        ListenFailure{"OneByteHasNoPayloadToCheck",
                      {Piece{0, Bytes{0}}},
                      1,
                      Op::ReadFile,
                      0,
                      8,
                      L"Listen: Bad Checksum "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Link, BytesLeftFromAnEarlierAnswerDoNotSpoilTheNextOne)
{
    port.Inject(0, {0xFF, 0x13});
    const Bytes answer = WithChecksum({0x07, 0xA5});
    port.QueueAnswer(answer);
    link.SetRequest({0x07, 0xA5});
    link.Exchange(2, 3);
    EXPECT_EQ(link.Answer(3), answer);
}

TEST(Checksum, VerifiesAgainstTheByteAtThePosition)
{
    const std::uint8_t frame[] = {0x05, 0x00, 0x1B, 0x1E};
    EXPECT_EQ(kAPI::CommModel1::Checksum(frame, 3), 0x1E);
    EXPECT_EQ(kAPI::CommModel1::VerifyChecksum(frame, 3), 0);
    EXPECT_NE(kAPI::CommModel1::VerifyChecksum(frame, 2), 0);
    EXPECT_EQ(kAPI::CommModel1::VerifyChecksum(frame, 0), -1);
}

}  // namespace
