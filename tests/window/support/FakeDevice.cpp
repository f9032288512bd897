#include "FakeDevice.h"

#include <cstring>

#include <QtTest>
#include "device/Device_Type1_Control.h"

#include "window/Main.h"

namespace {

struct Setting {
    std::uint16_t address;
    fake::Bytes bytes;
};

// 16-bit values most significant byte first, as the dive computer keeps them.
fake::Bytes Word(std::uint16_t value)
{
    return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

fake::Bytes Text(const char* text)
{
    fake::Bytes bytes(28, 0);
    std::memcpy(bytes.data(), text, std::strlen(text));
    return bytes;
}

}  // namespace

const fake::Bytes FakeDevice::KeepAliveRead = {0x05, 0x00, 0x24, 0x01, 0x20};

FakeDevice::FakeDevice()
{
    const Setting settings[] = {
        {0x1E, Word(3200)},       // greatest depth 25 m
        {0x20, Word(605)},        // dive time 10 h 5 min
        {0x22, Word(48)},         // 48 dives
        {0x24, {0x04}},           // model: Pellan
        {0x25, {0x11}},           // firmware 17
        {0x26, {0, 27, 18, 28}},  // serial number 271828
        {0x2C, Text("Fake Pellan")},
        {0x53, {30}},         // sample rate 30 s
        {0x54, {0x05}},       // altitude A1, personal P1
        {0x62, {1}},          // metric
        {0x64, {0x80 | 12}},  // light on, 12 s
        {0x65, {0x01}},       // time alarm on
        {0x66, Word(45)},     // time alarm 45 min
        {0x68, Word(3840)},   // depth alarm 30 m
    };
    for (const Setting& s : settings)
        std::copy(s.bytes.begin(), s.bytes.end(), dive_.memory.begin() + s.address);
    dive_.onRequest = [this](const fake::Bytes& frame) { OnRequest(frame); };
}

FakeDevice::~FakeDevice() = default;

void FakeDevice::Attach(TForm1& form)
{
    form.AttachController([this](const CStdStr&, const kAPI::CancelFlag* cancel) {
        return std::make_unique<kAPI::Device_Type1_Control>(L"/dev/ttyFAKE", cancel, port_);
    });
    if (!QTest::qWaitFor([&] { return !form.IsBusy(); }, 10000) || !form.IsConnected())
        qWarning("the fake dive computer did not attach");
}

std::vector<SentFrame> FakeDevice::Frames() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

int FakeDevice::KeepAliveReads() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    int reads = 0;
    for (const SentFrame& frame : frames_)
        reads += frame.bytes == KeepAliveRead ? 1 : 0;
    return reads;
}

void FakeDevice::HoldNextRequest(std::chrono::milliseconds hold)
{
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = hold;
}

void FakeDevice::OnRequest(const fake::Bytes& frame)
{
    const bool main = std::this_thread::get_id() == mainThread_;
    std::chrono::milliseconds hold{0};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.push_back({frame, main});
        std::swap(hold, hold_);
    }
    std::this_thread::sleep_for(hold);
    if (onFrame)
        onFrame(frame);
}
