#include "DeviceAnswerHarness.h"

#include "FakeSerial.h"
#include "device/DEVICE_DATA.h"
#include "device/Device_Type1_Control.h"
#include "device/Errors.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

using fake::Bytes;
using fake::Op;
using fake::Piece;

constexpr int kMaxOperations = 6;
constexpr std::uint8_t kRead = 0x05;
constexpr std::uint8_t kWrite = 0x06;
constexpr std::uint8_t kWriteEnable = 0x07;
constexpr std::size_t kHeader = 4;
constexpr std::uint8_t kPattern = 0xA5;  // record bytes that no answer is to touch
// The longest one exchange may take: a write enable's pause, a block's pause, RTS settling,
// the pause after sending and two full read time-outs.
constexpr std::uint64_t kMostPerExchangeMs = 666 + 500 + 16 + 100 + 2 * 1800;

// The input, byte by byte; zeros once it is used up.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    std::uint8_t Byte() { return Empty() ? 0 : data_[at_++]; }
    std::uint16_t Word()
    {
        const unsigned high = Byte();
        return static_cast<std::uint16_t>(high << 8 | Byte());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

std::uint8_t XorOf(const Bytes& bytes)
{
    std::uint8_t x = 0;
    for (std::uint8_t b : bytes)
        x ^= b;
    return x;
}

// The length of the answer a dive computer gives to `request` (checksum included); 0 when
// it is no request of the memory protocol.
std::size_t AnswerLength(const Bytes& request)
{
    if (request[0] == kRead && request.size() == kHeader + 1)
        return kHeader + request[3] + 1;
    if (request[0] == kWrite && request.size() > kHeader + 1)
        return kHeader + 1;
    if (request[0] == kWriteEnable && request.size() == 3)
        return 3;
    return 0;
}

// Cuts `bytes` into `count` pieces, each arriving `delay` ms after the one before.
std::vector<Piece> InPieces(const Bytes& bytes, std::size_t count, Input& in, bool late)
{
    std::vector<Piece> pieces;
    const std::size_t size = (bytes.size() + count - 1) / count;
    for (std::size_t from = 0; from < bytes.size(); from += size) {
        const std::uint32_t delay = late ? in.Byte() * 16u : 0u;
        const auto end =
            bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), from + size));
        pieces.push_back({delay, Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), end)});
    }
    return pieces;
}

// The far end of the fake port: a dive computer as erratic as the input says. It keeps
// the bytes of every write it sees, so that answers from its memory can make a verified
// store succeed.
class FuzzedDiveComputer {
public:
    explicit FuzzedDiveComputer(Input& in) : in_(in) {}

    // What the port gives back for `request` (its checksum last). The low three bits of
    // the input's shape byte choose the answer: the echoed header with data from the
    // input or from memory, that with one header byte changed, raw bytes, silence, a wrong
    // checksum, a wrong length. The higher bits add pieces, lateness and stray bytes.
    std::vector<Piece> Answer(const Bytes& request);

private:
    Bytes Payload(const Bytes& request, std::size_t length, unsigned kind);

    Input& in_;
    std::uint8_t memory_[8192] = {};
};

Bytes FuzzedDiveComputer::Payload(const Bytes& request, std::size_t length, unsigned kind)
{
    const std::size_t header =
        std::min(request[0] == kWriteEnable ? 2 : kHeader, request.size() - 1);
    Bytes payload(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(header));
    payload.resize(length - 1);
    const std::size_t address = request.size() > 2 ? request[1] << 8 | request[2] : 0;
    const bool fromMemory = kind >= 6 && request[0] == kRead;
    for (std::size_t i = header; i < payload.size(); ++i)
        payload[i] = fromMemory ? memory_[(address + i - header) % sizeof memory_] : in_.Byte();
    return payload;
}

std::vector<Piece> FuzzedDiveComputer::Answer(const Bytes& request)
{
    if (request[0] == kWrite && request.size() > kHeader + 1) {
        const std::size_t address = request[1] << 8 | request[2];
        for (std::size_t i = kHeader; i + 1 < request.size(); ++i)
            memory_[(address + i - kHeader) % sizeof memory_] = request[i];
    }
    const std::uint8_t shape = in_.Byte();
    const unsigned kind = shape & 7;
    if (kind == 3)
        return {};
    std::size_t length = AnswerLength(request);
    if (length == 0)
        length = in_.Byte() % 41;
    Bytes answer;
    if (kind == 2) {
        answer.resize(in_.Byte() % 48);
        for (std::uint8_t& b : answer)
            b = in_.Byte();
    } else if (length > 0) {
        answer = Payload(request, length, kind);
        if (kind == 1 && !answer.empty()) {
            const std::size_t at = in_.Byte() % std::min(answer.size(), kHeader);
            answer[at] ^= in_.Byte() | 1;
        }
        if (kind == 5) {
            const std::size_t change = 1 + in_.Byte() % 3;
            answer.resize(in_.Byte() % 2 ? answer.size() + change
                                         : answer.size() - std::min(answer.size(), change));
        }
        answer.push_back(XorOf(answer));
        if (kind == 4)
            answer.back() ^= in_.Byte() | 1;
    }
    if (shape & 0x20) {
        Bytes stray(1 + in_.Byte() % 3);
        for (std::uint8_t& b : stray)
            b = in_.Byte();
        answer.insert(answer.begin(), stray.begin(), stray.end());
    }
    if (answer.empty())
        return {};
    return InPieces(answer, 1 + ((shape >> 3) & 3) % 3, in_, (shape & 0x40) != 0);
}

// One request and the bytes the host read until the next one.
struct Exchange {
    Bytes request;
    Bytes answer;
    std::uint8_t Command() const { return request[0]; }
    std::uint32_t Address() const { return std::uint32_t{request[1]} << 8 | request[2]; }
    std::size_t Length() const { return request[3]; }
    // A whole answer with the request's header and a right checksum.
    bool Echoed() const
    {
        return request.size() > kHeader && answer.size() == AnswerLength(request) &&
               std::equal(request.begin(), request.begin() + kHeader, answer.begin()) &&
               XorOf(answer) == 0;
    }
    const std::uint8_t* Data() const { return answer.data() + kHeader; }
};

std::vector<Exchange> ExchangesSince(const fake::FakeSerial& port, std::size_t firstCall)
{
    std::vector<Exchange> exchanges;
    for (std::size_t i = firstCall; i < port.calls.size(); ++i) {
        const fake::Call& c = port.calls[i];
        if (c.op == Op::WriteFile)
            exchanges.push_back({c.bytes, {}});
        else if (c.op == Op::ReadFile && !exchanges.empty())
            exchanges.back().answer.insert(exchanges.back().answer.end(), c.bytes.begin(),
                                           c.bytes.end());
    }
    return exchanges;
}

// Where the memory map keeps a settings address in the record; -1 outside the settings.
int OffsetOf(std::uint32_t address)
{
    if (address < 0x48)
        return static_cast<int>(address) + 16;
    if (address >= 0x4A && address <= 0x70)
        return static_cast<int>(address) + 27;
    return -1;
}

constexpr std::size_t kWordOffsets[] = {46, 48, 50, 119, 121, 129, 131};

// `record` with the data of every read answer at its record offset, 16-bit fields turned
// into host order: what a load or detection builds from those answers.
DEVICE_DATA Placed(DEVICE_DATA record, const std::vector<Exchange>& reads)
{
    auto* bytes = reinterpret_cast<std::uint8_t*>(&record);
    for (const Exchange& e : reads) {
        for (std::size_t i = 0; i < e.Length(); ++i) {
            const int offset = OffsetOf(e.Address() + static_cast<std::uint32_t>(i));
            if (offset >= 0)
                bytes[offset] = e.Data()[i];
        }
    }
    for (std::size_t offset : kWordOffsets)
        std::swap(bytes[offset], bytes[offset + 1]);
    return record;
}

bool Same(const DEVICE_DATA& a, const DEVICE_DATA& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool AllEchoed(const std::vector<Exchange>& exchanges, std::uint8_t command)
{
    return std::all_of(exchanges.begin(), exchanges.end(), [command](const Exchange& e) {
        return e.Command() != command || e.Echoed();
    });
}

std::vector<Exchange> Only(const std::vector<Exchange>& exchanges, std::uint8_t command)
{
    std::vector<Exchange> kept;
    std::copy_if(exchanges.begin(), exchanges.end(), std::back_inserter(kept),
                 [command](const Exchange& e) { return e.Command() == command; });
    return kept;
}

// The blocks of a read of `length` bytes at `address`, for a read that may be sent.
std::size_t ReadBlocks(std::uint32_t address, int length)
{
    if (length < 1 || address + static_cast<std::uint32_t>(length) > 8192)
        return 0;
    return (static_cast<std::size_t>(length) + 31) / 32;
}

class Run {
public:
    explicit Run(Input& in) : in_(in), diveComputer_(in)
    {
        port_.SetResponder([this](const Bytes& request) { return diveComputer_.Answer(request); });
        for (std::size_t i = 0; i < sizeof stored_; ++i)
            DeviceData::Bytes(stored_)[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }

    // Runs one operation chosen by the input; false when a promise is broken.
    bool Next(DeviceOutcomes* outcomes)
    {
        const auto operation = static_cast<DeviceOperation>(in_.Byte() % 7);
        const std::size_t firstCall = port_.calls.size();
        const std::uint64_t start = port_.now;
        int code = 0;
        bool kept = true;
        try {
            kept = Perform(operation, firstCall);
        } catch (const kAPI::Error& e) {
            code = e.code;
            kept = Failed(operation);
        } catch (...) {
            return false;
        }
        if (outcomes != nullptr)
            outcomes->insert({operation, code});
        const std::size_t sent = ExchangesSince(port_, firstCall).size();
        return kept && sent <= budget_ && port_.now - start <= sent * kMostPerExchangeMs;
    }

private:
    // Runs `operation`; true when what it returned keeps the promises.
    bool Perform(DeviceOperation operation, std::size_t firstCall)
    {
        switch (operation) {
            case DeviceOperation::Open: {
                const int attempts = 1 + in_.Byte() % 4;
                budget_ = static_cast<std::size_t>(attempts);
                control_.Open(attempts);
                const auto exchanges = ExchangesSince(port_, firstCall);
                return control_.Detected() && exchanges.back().Echoed() &&
                       Same(control_.DetectedSettings(), Placed(DEVICE_DATA{}, {exchanges.back()}));
            }
            case DeviceOperation::Read:
                return Read(firstCall);
            case DeviceOperation::ReadByte: {
                const std::uint32_t address = in_.Word();
                budget_ = address < 8192 ? 1 : 0;
                const std::uint8_t byte = control_.ReadByte(address, false);
                const auto exchanges = ExchangesSince(port_, firstCall);
                return exchanges.size() == 1 && exchanges[0].Echoed() &&
                       exchanges[0].Address() == address && exchanges[0].Data()[0] == byte;
            }
            case DeviceOperation::Load: {
                budget_ = 6;
                std::memset(&loaded_, kPattern, sizeof loaded_);
                const DEVICE_DATA before = loaded_;
                control_.LoadSettings(loaded_, true);
                const auto exchanges = ExchangesSince(port_, firstCall);
                return AllEchoed(exchanges, kRead) && Only(exchanges, kRead).size() == 6 &&
                       Same(loaded_, Placed(before, exchanges));
            }
            case DeviceOperation::Store:
                budget_ = 11;
                control_.StoreSettings(stored_, true);
                return AllEchoed(ExchangesSince(port_, firstCall), kWrite);
            case DeviceOperation::VerifiedStore:
                budget_ = 17;
                control_.StoreSettings(stored_, true, true);
                return ReadBackMatches(ExchangesSince(port_, firstCall));
            case DeviceOperation::Raw:
                return Raw();
        }
        return false;
    }

    bool Read(std::size_t firstCall)
    {
        const std::uint32_t address = in_.Word();
        const int length = in_.Byte() % 80;
        budget_ = ReadBlocks(address, length);
        std::uint8_t buffer[80];
        control_.Read(address, length, buffer, true);
        Bytes data;
        std::uint32_t next = address;
        for (const Exchange& e : ExchangesSince(port_, firstCall)) {
            if (!e.Echoed() || e.Address() != next)
                return false;
            data.insert(data.end(), e.Data(), e.Data() + e.Length());
            next += static_cast<std::uint32_t>(e.Length());
        }
        return data == Bytes(buffer, buffer + length);
    }

    // Every write acknowledged with its own header, and every byte read back is the one
    // written at its address.
    bool ReadBackMatches(const std::vector<Exchange>& exchanges) const
    {
        std::map<std::uint32_t, std::uint8_t> written;
        for (const Exchange& e : Only(exchanges, kWrite)) {
            for (std::size_t i = 0; i < e.Length(); ++i)
                written[e.Address() + static_cast<std::uint32_t>(i)] = e.request[kHeader + i];
        }
        const auto reads = Only(exchanges, kRead);
        if (!AllEchoed(exchanges, kWrite) || !AllEchoed(reads, kRead) || reads.size() != 6)
            return false;
        for (const Exchange& e : reads) {
            for (std::size_t i = 0; i < e.Length(); ++i) {
                const auto w = written.find(e.Address() + static_cast<std::uint32_t>(i));
                if (w == written.end() || w->second != e.Data()[i])
                    return false;
            }
        }
        return true;
    }

    bool Raw()
    {
        std::uint8_t request[48];
        const int sendLength = in_.Byte() % 42;
        for (int i = 0; i < sendLength; ++i)
            request[i] = in_.Byte();
        const int answerLength = in_.Byte() % 44;
        std::uint8_t answer[44];
        budget_ = 1;
        return control_.RawExchange(sendLength, request, answerLength, answer) == answerLength;
    }

    // After `operation` threw: true when that left things as promised.
    bool Failed(DeviceOperation operation) const
    {
        if (operation == DeviceOperation::Open) {
            return !control_.Detected() && Same(control_.DetectedSettings(), DEVICE_DATA{});
        }
        if (operation == DeviceOperation::Load) {
            DEVICE_DATA untouched;
            std::memset(&untouched, kPattern, sizeof untouched);
            return Same(loaded_, untouched);
        }
        return true;
    }

    Input& in_;
    FuzzedDiveComputer diveComputer_;
    fake::FakeSerial port_;
    kAPI::Device_Type1_Control control_{L"/dev/ttyFUZZ", nullptr, port_};
    DEVICE_DATA stored_{};
    DEVICE_DATA loaded_{};
    std::size_t budget_ = 0;
};

}  // namespace

bool ReplayDeviceAnswers(const std::uint8_t* data, std::size_t size, DeviceOutcomes* outcomes)
{
    Input in(data, size);
    Run run(in);
    for (int i = 0; i < kMaxOperations && !in.Empty(); ++i) {
        if (!run.Next(outcomes))
            return false;
    }
    return true;
}
