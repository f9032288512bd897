#include "FakeSerial.h"

#include <algorithm>

namespace fake {

using kAPI::Handle;

Bytes WithChecksum(Bytes payload)
{
    std::uint8_t x = 0;
    for (auto b : payload)
        x ^= b;
    payload.push_back(x);
    return payload;
}

FakeSerial::FakeSerial()
{
    foundState.DCBlength = sizeof(kAPI::DCB);
    foundState.BaudRate = 9600;
    foundState.ByteSize = 8;
    foundState.Parity = kAPI::NOPARITY;
    foundState.fRtsControl = kAPI::RTS_CONTROL_ENABLE;
    foundTimeouts.ReadTotalTimeoutConstant = 50;
    foundMask = 0x1;
}

void FakeSerial::FailOn(Op op, int nth)
{
    failures_[op].push_back(nth);
}

void FakeSerial::QueueAnswer(const Bytes& answer)
{
    answers_.push_back({Piece{0, answer}});
}

void FakeSerial::QueuePieces(const std::vector<Piece>& pieces)
{
    answers_.push_back(pieces);
}

void FakeSerial::QueueSilence()
{
    answers_.push_back({});
}

void FakeSerial::Inject(std::uint64_t at, const Bytes& bytes)
{
    for (auto b : bytes)
        input_.push_back({at, b});
    std::stable_sort(input_.begin(), input_.end(),
                     [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
}

bool FakeSerial::Record(Op op, std::uint32_t value, Bytes bytes)
{
    calls.push_back({op, now, value, std::move(bytes)});
    int n = ++counts_[op];
    for (int nth : failures_[op])
        if (nth == 0 || nth == n) {
            lastError_ = failureError;
            return false;
        }
    return true;
}

std::vector<Op> FakeSerial::Ops() const
{
    std::vector<Op> ops;
    for (const auto& c : calls)
        ops.push_back(c.op);
    return ops;
}

int FakeSerial::Count(Op op) const
{
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [op](const Call& c) { return c.op == op; }));
}

std::vector<Bytes> FakeSerial::Written() const
{
    std::vector<Bytes> frames;
    for (const auto& c : calls)
        if (c.op == Op::WriteFile)
            frames.push_back(c.bytes);
    return frames;
}

std::vector<std::uint32_t> FakeSerial::Sleeps() const
{
    std::vector<std::uint32_t> sleeps;
    for (const auto& c : calls)
        if (c.op == Op::Sleep)
            sleeps.push_back(c.value);
    return sleeps;
}

std::vector<std::pair<std::uint64_t, bool>> FakeSerial::RtsChanges() const
{
    std::vector<std::pair<std::uint64_t, bool>> changes;
    for (const auto& c : calls)
        if (c.op == Op::EscapeCommFunction && (c.value == kAPI::SETRTS || c.value == kAPI::CLRRTS))
            changes.emplace_back(c.time, c.value == kAPI::SETRTS);
    return changes;
}

Handle FakeSerial::CreateFile(const wchar_t* path)
{
    if (!Record(Op::CreateFile) || path == nullptr)
        return kAPI::InvalidHandle;
    openedPath = path;
    isOpen = true;
    lineState = foundState;
    timeouts = foundTimeouts;
    mask = foundMask;
    return PortHandle;
}

bool FakeSerial::GetCommState(Handle, kAPI::DCB& state)
{
    if (!Record(Op::GetCommState))
        return false;
    state = lineState;
    return true;
}

bool FakeSerial::SetCommState(Handle, const kAPI::DCB& state)
{
    if (!Record(Op::SetCommState, state.BaudRate))
        return false;
    lineState = state;
    return true;
}

bool FakeSerial::GetCommTimeouts(Handle, kAPI::COMMTIMEOUTS& t)
{
    if (!Record(Op::GetCommTimeouts))
        return false;
    t = timeouts;
    return true;
}

bool FakeSerial::SetCommTimeouts(Handle, const kAPI::COMMTIMEOUTS& t)
{
    if (!Record(Op::SetCommTimeouts, t.ReadTotalTimeoutConstant))
        return false;
    timeouts = t;
    return true;
}

bool FakeSerial::GetCommMask(Handle, std::uint32_t& m)
{
    if (!Record(Op::GetCommMask))
        return false;
    m = mask;
    return true;
}

bool FakeSerial::SetCommMask(Handle, std::uint32_t m)
{
    if (!Record(Op::SetCommMask, m))
        return false;
    mask = m;
    return true;
}

bool FakeSerial::SetupComm(Handle, std::uint32_t in, std::uint32_t)
{
    return Record(Op::SetupComm, in);
}

bool FakeSerial::EscapeCommFunction(Handle, std::uint32_t function)
{
    if (!Record(Op::EscapeCommFunction, function))
        return false;
    switch (function) {
        case kAPI::SETDTR:
            dtr = true;
            break;
        case kAPI::CLRDTR:
            dtr = false;
            break;
        case kAPI::SETRTS:
            rts = true;
            break;
        case kAPI::CLRRTS:
            rts = false;
            break;
        default:
            return false;
    }
    return true;
}

bool FakeSerial::PurgeComm(Handle, std::uint32_t flags)
{
    if (!Record(Op::PurgeComm, flags))
        return false;
    if (flags & (kAPI::PURGE_RXCLEAR | kAPI::PURGE_RXABORT)) {
        while (!input_.empty() && input_.front().at <= now)
            input_.pop_front();
    }
    return true;
}

bool FakeSerial::ClearCommError(Handle, std::uint32_t& errors, kAPI::COMSTAT& status)
{
    errors = 0;
    status = kAPI::COMSTAT{};
    return Record(Op::ClearCommError);
}

bool FakeSerial::WriteFile(Handle, const std::uint8_t* data, std::uint32_t length,
                           std::uint32_t& written)
{
    Bytes frame(data, data + length);
    if (!Record(Op::WriteFile, length, frame)) {
        written = 0;
        return false;
    }
    written = shortWriteSet_ ? std::min(shortWrite_, length) : length;
    if (!answers_.empty()) {
        auto pieces = answers_.front();
        answers_.pop_front();
        Answer(pieces);
    } else if (responder_) {
        Answer(responder_(frame));
    }
    return true;
}

void FakeSerial::Answer(const std::vector<Piece>& pieces)
{
    std::uint64_t at = now;
    for (const auto& piece : pieces) {
        at += piece.delay;
        Inject(at, piece.bytes);
    }
}

bool FakeSerial::WaitCommEvent(Handle, std::uint32_t& events)
{
    if (!Record(Op::WaitCommEvent, mask))
        return false;
    events = kAPI::EV_TXEMPTY;
    return true;
}

bool FakeSerial::ReadFile(Handle, std::uint8_t* data, std::uint32_t length, std::uint32_t& read)
{
    read = 0;
    const std::uint64_t deadline =
        now + timeouts.ReadTotalTimeoutMultiplier * length + timeouts.ReadTotalTimeoutConstant;
    std::uint64_t last = now;
    Bytes got;
    while (read < length && !input_.empty() && input_.front().at <= deadline) {
        last = std::max(last, input_.front().at);
        data[read++] = input_.front().byte;
        got.push_back(input_.front().byte);
        input_.pop_front();
    }
    now = read == length ? last : deadline;
    return Record(Op::ReadFile, length, got);
}

bool FakeSerial::CloseHandle(Handle)
{
    isOpen = false;
    return Record(Op::CloseHandle);
}

void FakeSerial::Sleep(std::uint32_t milliseconds)
{
    Record(Op::Sleep, milliseconds);
    now += milliseconds;
}

}  // namespace fake
