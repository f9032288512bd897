#pragma once
// A Type1 dive computer on a fake serial port that runs on virtual time, made the
// window's device controller as a successful Connect makes one. Every request frame is
// logged with the thread that sent it; the log may be read while the worker runs.

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "FakeDiveComputer.h"
#include "FakeSerial.h"

namespace kAPI {
class Device_Type1_Control;
}
class TForm1;

struct SentFrame {
    fake::Bytes bytes;
    bool fromMainThread;
};

class FakeDevice {
public:
    // The keep-alive request: a read of one byte at 0x24.
    static const fake::Bytes KeepAliveRead;

    // A dive computer with plausible settings; made on the main thread.
    FakeDevice();
    // Make the FakeDevice before the window and destroy it after: the window's worker
    // reaches the fake port through the controller.
    ~FakeDevice();
    FakeDevice(const FakeDevice&) = delete;
    FakeDevice& operator=(const FakeDevice&) = delete;

    // Hands the window's worker a controller on the fake port, as a successful Connect
    // leaves one, and waits until the window shows it connected.
    void Attach(TForm1& form);

    std::vector<SentFrame> Frames() const;
    int KeepAliveReads() const;
    // The next request is answered only after `hold` of real time, so that the window
    // gets its turns meanwhile.
    void HoldNextRequest(std::chrono::milliseconds hold);

    // Called with each request frame before it is answered, on the thread that sent it:
    // e.g. to look at what is on disk when the first write goes out, or to spoil an answer.
    std::function<void(const fake::Bytes& frame)> onFrame;

    // The line and the memory; the main thread may use them while the window is not busy
    // and keep-alive is off.
    fake::FakeSerial& Port() { return port_; }
    fake::FakeDiveComputer& Dive() { return dive_; }

private:
    void OnRequest(const fake::Bytes& frame);

    const std::thread::id mainThread_ = std::this_thread::get_id();
    fake::FakeSerial port_;
    fake::FakeDiveComputer dive_{port_};
    mutable std::mutex mutex_;
    std::vector<SentFrame> frames_;
    std::chrono::milliseconds hold_{0};
};
