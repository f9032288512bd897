#pragma once
// A Type1 dive computer for tests, answering through a FakeSerial: it serves read (05),
// write (06) and write-enable (07 A5) requests on an 8192-byte memory image, and can
// spoil chosen answers. It knows the protocol from the frame tables alone, not from the
// device layer, so that the two sides check each other.
//
// A write is carried out only after a write enable; the enable holds until the next read.
// Requests that are malformed (bad checksum, wrong length, out of range) get no answer.

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include "FakeSerial.h"

namespace fake {

class FakeDiveComputer {
public:
    static constexpr std::size_t MemorySize = 8192;

    // Answers every frame written to `port` from now on; must outlive its use.
    explicit FakeDiveComputer(FakeSerial& port);

    std::array<std::uint8_t, MemorySize> memory{};
    // Called with each request frame before it is answered, e.g. to set a cancel byte
    // in the middle of a transfer.
    std::function<void(const Bytes& frame)> onRequest;

    // Spoil the answer to the nth request (from 1, counting every frame received);
    // 0 spoils every answer.
    void Silence(int nth = 0) { silent_.insert(nth); }
    void SpoilChecksum(int nth = 0) { badChecksum_.insert(nth); }
    // The echoed length byte differs from the request's; the checksum stays right.
    void SpoilWriteEcho(int nth = 0) { badEcho_.insert(nth); }
    // A write is acknowledged as usual, but its bytes are not kept.
    void KeepNoWrite(int nth = 0) { notKept_.insert(nth); }
    // Header byte `byte` of the answer (0 command, 1-2 address, 3 length) differs from
    // the request's; data and checksum stay right.
    void SpoilEcho(std::size_t byte, int nth = 0) { badHeader_.insert({nth, byte}); }

    int Requests() const { return requests_; }

private:
    std::vector<Piece> Respond(const Bytes& frame);
    // The answer's payload, or an empty one when the request is not served.
    Bytes Serve(const Bytes& frame);
    bool Hits(const std::set<int>& which) const
    {
        return which.count(0) != 0 || which.count(requests_) != 0;
    }

    bool writeEnabled_ = false;
    int requests_ = 0;
    std::set<int> silent_;
    std::set<int> badChecksum_;
    std::set<int> badEcho_;
    std::set<int> notKept_;
    std::set<std::pair<int, std::size_t>> badHeader_;
};

}  // namespace fake
