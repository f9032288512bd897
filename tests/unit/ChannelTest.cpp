#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FakeSerial.h"
#include "TestLink.h"
#include "device/Errors.h"

using fake::FakeSerial;
using fake::Op;

namespace {

const std::vector<Op> kOpenOrder = {
    Op::CreateFile,   Op::GetCommState,    Op::GetCommTimeouts,    Op::GetCommState,
    Op::SetCommState, Op::GetCommTimeouts, Op::SetCommTimeouts,    Op::GetCommMask,
    Op::SetCommMask,  Op::SetupComm,       Op::EscapeCommFunction,
};

TEST(ChannelOpen, ConfiguresTheLineInOrderAndRaisesDtr)
{
    FakeSerial port;
    // Every bit set, as no port is found, yet none of it may carry over.
    std::memset(&port.foundState, 0xFF, sizeof port.foundState);
    TestLink link(port);

    EXPECT_EQ(port.Ops(), kOpenOrder);
    EXPECT_EQ(port.openedPath, L"/dev/ttyFAKE");
    const kAPI::DCB& s = port.lineState;
    EXPECT_EQ(s.DCBlength, 28u);
    EXPECT_EQ(s.BaudRate, 2400u);
    EXPECT_EQ(s.ByteSize, 8);
    EXPECT_EQ(s.Parity, kAPI::ODDPARITY);
    EXPECT_EQ(s.StopBits, kAPI::ONESTOPBIT);
    EXPECT_EQ(s.fParity, 0u);
    EXPECT_EQ(s.fOutxCtsFlow, 0u);
    EXPECT_EQ(s.fOutX, 0u);
    EXPECT_EQ(s.fInX, 0u);
    EXPECT_EQ(s.fDtrControl, kAPI::DTR_CONTROL_ENABLE);
    EXPECT_EQ(s.fRtsControl, kAPI::RTS_CONTROL_DISABLE);
    EXPECT_EQ(s.XonLim, 2048);
    EXPECT_EQ(s.XoffLim, 512);
    EXPECT_EQ(s.fBinary, 1u);
    EXPECT_EQ(s.fOutxDsrFlow + s.fDsrSensitivity + s.fTXContinueOnXoff + s.fErrorChar + s.fNull +
                  s.fAbortOnError + s.fDummy2,
              0u);
    EXPECT_EQ(s.wReserved + s.wReserved1, 0);
    EXPECT_EQ(s.XonChar, 0x11);
    EXPECT_EQ(s.XoffChar, 0x13);
    EXPECT_EQ(s.ErrorChar + s.EofChar + s.EvtChar, 0);
    EXPECT_EQ(port.timeouts.ReadIntervalTimeout, 0u);
    EXPECT_EQ(port.timeouts.ReadTotalTimeoutConstant, 1800u);
    EXPECT_EQ(port.timeouts.WriteTotalTimeoutConstant, 1000u);
    EXPECT_EQ(port.mask, kAPI::EV_TXEMPTY);
    EXPECT_TRUE(port.dtr);
    EXPECT_FALSE(port.rts);
    EXPECT_TRUE(link.IsOpen());
}

TEST(ChannelOpen, WithoutPathFailsBeforeTouchingAnyDevice)
{
    FakeSerial port;
    try {
        kAPI::CommModel1 link(nullptr, port);
        FAIL() << "opened without a path";
    } catch (const kAPI::CriticalError& e) {
        EXPECT_EQ(e.code, 2);
        EXPECT_STREQ(e.what(), L"No Comm Port Specified");
    }
    EXPECT_TRUE(port.calls.empty());
}

struct OpenFailure {
    const char* name;
    Op op;
    int nth;
    int code;
    const wchar_t* text;
    int lineStateWrites;  // 2: applied, then the saved line settings put back
    bool restoresAll;     // time-outs and event mask put back too
};

class ChannelOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(ChannelOpenFailure, ThrowsAndLeavesNoPortOpen)
{
    const OpenFailure& f = GetParam();
    FakeSerial port;
    port.FailOn(f.op, f.nth);
    port.failureError = EACCES;
    try {
        TestLink link(port);
        FAIL() << "open succeeded";
    } catch (const kAPI::Error& e) {
        EXPECT_EQ(e.code, f.code);
        EXPECT_STREQ(e.what(), f.text);
        // A port that would not open keeps the system's reason; set-up failures have none.
        EXPECT_EQ(e.systemError, f.code == kAPI::ErrCantOpenPort ? EACCES : 0);
    }
    EXPECT_EQ(port.Count(Op::CreateFile), 1);
    EXPECT_EQ(port.Count(Op::CloseHandle), f.op == Op::CreateFile ? 0 : 1);
    EXPECT_FALSE(port.isOpen);
    EXPECT_EQ(port.Count(Op::SetCommState), f.lineStateWrites);
    if (f.lineStateWrites == 2) {
        EXPECT_EQ(port.lineState.BaudRate, port.foundState.BaudRate);
        EXPECT_EQ(port.lineState.Parity, port.foundState.Parity);
    }
    if (f.restoresAll) {
        EXPECT_EQ(port.mask, port.foundMask);
        EXPECT_EQ(port.timeouts.ReadTotalTimeoutConstant,
                  port.foundTimeouts.ReadTotalTimeoutConstant);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, ChannelOpenFailure,
    ::testing::Values(
        OpenFailure{"Open", Op::CreateFile, 1, 12, L"Comm Port Not Found", 0, false},
        OpenFailure{"ReadState", Op::GetCommState, 1, 12, L"Invalid Port Specified", 0, false},
        OpenFailure{"ReadTimeouts", Op::GetCommTimeouts, 1, 12, L"Invalid Port Specified", 0,
                    false},
        OpenFailure{"ReadStateAgain", Op::GetCommState, 2, 2, L"Error Setting Comm Port", 0, false},
        OpenFailure{"ApplyState", Op::SetCommState, 1, 2, L"Error Setting Comm Port", 1, false},
        OpenFailure{"ReadTimeoutsAgain", Op::GetCommTimeouts, 2, 2, L"Error Setting Comm Port", 1,
                    false},
        OpenFailure{"ApplyTimeouts", Op::SetCommTimeouts, 1, 2, L"Error Setting Comm Port", 2,
                    false},
        OpenFailure{"ApplyMask", Op::SetCommMask, 1, 2, L"Error Setting Comm Port", 2, false},
        OpenFailure{"Queues", Op::SetupComm, 1, 2, L"Error Setting Comm Port", 2, false},
        // A refused DTR after a complete set-up gives the port back as it was found.
        OpenFailure{"RaiseDtr", Op::EscapeCommFunction, 1, 1, L"SetDTR", 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChannelClose, PutsBackMaskTimeoutsAndStateThenClosesOnce)
{
    FakeSerial port;
    TestLink link(port);
    const std::size_t before = port.calls.size();

    link.Close();
    link.Close();

    std::vector<Op> closing;
    for (std::size_t i = before; i < port.calls.size(); ++i)
        closing.push_back(port.calls[i].op);
    EXPECT_EQ(closing, (std::vector<Op>{Op::SetCommMask, Op::SetCommTimeouts, Op::SetCommState,
                                        Op::CloseHandle}));
    EXPECT_EQ(port.mask, port.foundMask);
    EXPECT_EQ(port.timeouts.ReadTotalTimeoutConstant, port.foundTimeouts.ReadTotalTimeoutConstant);
    EXPECT_EQ(port.lineState.BaudRate, port.foundState.BaudRate);
    EXPECT_FALSE(link.IsOpen());
}

TEST(ChannelClose, DestructionRestoresThePort)
{
    FakeSerial port;
    {
        TestLink link(port);
    }
    EXPECT_EQ(port.Count(Op::CloseHandle), 1);
    EXPECT_EQ(port.lineState.BaudRate, port.foundState.BaudRate);
    EXPECT_EQ(port.lineState.fRtsControl, port.foundState.fRtsControl);
    EXPECT_FALSE(port.isOpen);
}

TEST(ChannelLines, RefusedDtrChangeIsAnUnknownError)
{
    FakeSerial port;
    TestLink link(port);
    port.FailOn(Op::EscapeCommFunction);
    try {
        link.SetDTR(false);
        FAIL();
    } catch (const kAPI::UnknownError& e) {
        EXPECT_STREQ(e.what(), L"SetDTR");
        EXPECT_EQ(e.code, 1);
    }
}

TEST(ChannelLines, PurgeTransmitDiscardsOutputOnly)
{
    FakeSerial port;
    TestLink link(port);
    EXPECT_TRUE(link.PurgeTransmit());
    EXPECT_EQ(port.calls.back().op, Op::PurgeComm);
    EXPECT_EQ(port.calls.back().value, kAPI::PURGE_TXABORT);
}

}  // namespace
