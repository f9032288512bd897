// FaultPlan.cpp: the faults applied to one answer, in the order a line would suffer them.
#include "FaultPlan.h"

#include <algorithm>

namespace emulator {

namespace {

// Stray bytes of a noisy line, sent ahead of an answer.
const Bytes kNoise{0xFF, 0x00, 0x55};

// Cuts `bytes` into `count` pieces whose sizes differ by one at most, larger ones first.
std::vector<Bytes> cut(const Bytes& bytes, unsigned long count)
{
    const std::size_t n = std::min<std::size_t>(count, bytes.size());
    std::vector<Bytes> pieces;
    auto from = bytes.begin();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t size = bytes.size() / n + (i < bytes.size() % n ? 1 : 0);
        pieces.emplace_back(from, from + static_cast<std::ptrdiff_t>(size));
        from += static_cast<std::ptrdiff_t>(size);
    }
    return pieces;
}

}  // namespace

Delivery FaultPlan::deliver(unsigned long number, Bytes answer) const
{
    Delivery delivery;
    if (silent_ || has(Fault::Drop, number))
        return delivery;

    if (has(Fault::WrongEcho, number)) {
        // The last echoed header byte: the length byte of a read or write answer (4 header
        // bytes), the key byte of a write-enable answer (2 header bytes). The checksum still fits,
        // so only the echo is wrong.
        const std::size_t echo = std::min<std::size_t>(3, answer.size() - 2);
        ++answer[echo];
        answer.back() = checksumOf(answer.begin(), answer.end() - 1);
    }
    if (has(Fault::BadChecksum, number))
        answer.back() ^= 0xFF;
    if (has(Fault::Noise, number))
        answer.insert(answer.begin(), kNoise.begin(), kNoise.end());
    if (has(Fault::HangUp, number)) {
        answer.resize(answer.size() / 2);
        delivery.hangUp = true;
    }
    const auto split = splits_.find(number);
    delivery.pieces = cut(answer, split == splits_.end() ? 1 : split->second);
    return delivery;
}

}  // namespace emulator
