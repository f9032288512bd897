#pragma once
// A serial port for tests: the device side is scripted, every call is on record, and
// time is virtual, so a whole exchange with all its pauses runs in microseconds.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "device/SerialOps.h"

namespace fake {

using Bytes = std::vector<std::uint8_t>;

enum class Op {
    CreateFile,
    GetCommState,
    SetCommState,
    GetCommTimeouts,
    SetCommTimeouts,
    GetCommMask,
    SetCommMask,
    SetupComm,
    EscapeCommFunction,
    PurgeComm,
    ClearCommError,
    WriteFile,
    WaitCommEvent,
    ReadFile,
    CloseHandle,
    Sleep,
};

struct Call {
    Op op;
    std::uint64_t time;   // virtual milliseconds
    std::uint32_t value;  // escape function, purge flags, sleep length, mask, length asked
    Bytes bytes;          // bytes written or read
};

// Part of an answer: arrives `delay` ms after the request was written (or after the
// previous piece).
struct Piece {
    std::uint32_t delay;
    Bytes bytes;
};

class FakeSerial : public kAPI::SerialOps {
public:
    using Responder = std::function<std::vector<Piece>(const Bytes& request)>;

    FakeSerial();

    // Scripting ----------------------------------------------------------------------
    // The `nth` call (from 1) of `op` fails; 0 makes every call fail.
    void FailOn(Op op, int nth = 0);
    // Answers requests in order: each queued answer serves one written frame; when the
    // queue is empty the responder (if any) is asked.
    void QueueAnswer(const Bytes& answer);
    void QueuePieces(const std::vector<Piece>& pieces);
    void QueueSilence();
    void SetResponder(Responder responder) { responder_ = std::move(responder); }
    // Writes report this many bytes written instead of all of them.
    void ShortWrite(std::uint32_t count)
    {
        shortWrite_ = count;
        shortWriteSet_ = true;
    }
    // Bytes that arrive unasked at virtual time `at`.
    void Inject(std::uint64_t at, const Bytes& bytes);
    // The system error number that a scripted failure leaves for LastError.
    int failureError = 0;

    // What the port looks like before the channel opens it.
    kAPI::DCB foundState{};
    kAPI::COMMTIMEOUTS foundTimeouts{};
    std::uint32_t foundMask = 0;

    // Record -------------------------------------------------------------------------
    std::vector<Call> calls;
    std::uint64_t now = 0;
    std::wstring openedPath;
    bool isOpen = false;
    bool dtr = false;
    bool rts = false;
    kAPI::DCB lineState{};
    kAPI::COMMTIMEOUTS timeouts{};
    std::uint32_t mask = 0;

    std::vector<Op> Ops() const;
    int Count(Op op) const;
    std::vector<Bytes> Written() const;
    std::vector<std::uint32_t> Sleeps() const;
    // Each change of RTS as (time, raised).
    std::vector<std::pair<std::uint64_t, bool>> RtsChanges() const;

    // Platform operations --------------------------------------------------------------
    kAPI::Handle CreateFile(const wchar_t* path) override;
    bool GetCommState(kAPI::Handle h, kAPI::DCB& state) override;
    bool SetCommState(kAPI::Handle h, const kAPI::DCB& state) override;
    bool GetCommTimeouts(kAPI::Handle h, kAPI::COMMTIMEOUTS& t) override;
    bool SetCommTimeouts(kAPI::Handle h, const kAPI::COMMTIMEOUTS& t) override;
    bool GetCommMask(kAPI::Handle h, std::uint32_t& m) override;
    bool SetCommMask(kAPI::Handle h, std::uint32_t m) override;
    bool SetupComm(kAPI::Handle h, std::uint32_t in, std::uint32_t out) override;
    bool EscapeCommFunction(kAPI::Handle h, std::uint32_t function) override;
    bool PurgeComm(kAPI::Handle h, std::uint32_t flags) override;
    bool ClearCommError(kAPI::Handle h, std::uint32_t& errors, kAPI::COMSTAT& status) override;
    bool WriteFile(kAPI::Handle h, const std::uint8_t* data, std::uint32_t length,
                   std::uint32_t& written) override;
    bool WaitCommEvent(kAPI::Handle h, std::uint32_t& events) override;
    bool ReadFile(kAPI::Handle h, std::uint8_t* data, std::uint32_t length,
                  std::uint32_t& read) override;
    bool CloseHandle(kAPI::Handle h) override;
    void Sleep(std::uint32_t milliseconds) override;
    int LastError() const override { return lastError_; }

    static constexpr kAPI::Handle PortHandle = 7;

private:
    struct Arrival {
        std::uint64_t at;
        std::uint8_t byte;
    };

    // Records the call; false when it is scripted to fail.
    bool Record(Op op, std::uint32_t value = 0, Bytes bytes = {});
    void Answer(const std::vector<Piece>& pieces);

    std::map<Op, std::vector<int>> failures_;
    std::map<Op, int> counts_;
    std::deque<std::vector<Piece>> answers_;
    Responder responder_;
    std::deque<Arrival> input_;
    int lastError_ = 0;
    std::uint32_t shortWrite_ = 0;
    bool shortWriteSet_ = false;
};

// The frame a dive computer sends back: payload plus its XOR checksum.
Bytes WithChecksum(Bytes payload);

}  // namespace fake
