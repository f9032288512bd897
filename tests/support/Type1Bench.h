#pragma once
// A Type1 controller on a fake serial port with a fake dive computer behind it, and
// recorders for the controller's plain-function callbacks.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Failure.h"
#include "FakeDiveComputer.h"
#include "FakeSerial.h"
#include "device/DEVICE_DATA.h"
#include "device/Device_Type1_Control.h"
#include "device/Errors.h"

// What the controller reported through its callbacks.
struct Reports {
    std::vector<int> progress;
    std::vector<std::wstring> status;
    std::vector<int> connected;
};
inline Reports reports;
inline void RecordProgress(int percent)
{
    reports.progress.push_back(percent);
}
inline void RecordStatus(const wchar_t* text)
{
    reports.status.emplace_back(text);
}
inline void RecordConnected(int state)
{
    reports.connected.push_back(state);
}

// The controller with its own settings record open to the test.
struct InspectableControl : kAPI::Device_Type1_Control {
    using Device_Type1_Control::Device_Type1_Control;
    const DEVICE_DATA& Settings() const { return settings; }
};

class Type1Bench : public ::testing::Test {
protected:
    Type1Bench()
    {
        reports = {};
        for (std::size_t i = 0; i < dive.memory.size(); ++i)
            dive.memory[i] = static_cast<std::uint8_t>(i * 37 + 11);
        control.SetCallbacks(&RecordProgress, &RecordStatus, &RecordConnected);
    }

    // The first four bytes of each request frame sent (the whole frame when shorter).
    std::vector<fake::Bytes> Heads() const
    {
        std::vector<fake::Bytes> heads;
        for (const auto& frame : port.Written()) {
            const std::size_t length = std::min<std::size_t>(4, frame.size());
            heads.emplace_back(frame.begin(), frame.begin() + length);
        }
        return heads;
    }

    int SleepsOf(std::uint32_t ms) const
    {
        const auto sleeps = port.Sleeps();
        return static_cast<int>(std::count(sleeps.begin(), sleeps.end(), ms));
    }

    fake::FakeSerial port;
    fake::FakeDiveComputer dive{port};
    kAPI::CancelFlag cancel{0};
    InspectableControl control{L"/dev/ttyFAKE", &cancel, port};
};
