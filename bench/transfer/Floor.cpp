// Floor.cpp: the frames of detection, load, store and verified store, and their time on the
// line.
#include "Floor.h"

#include "device/DEVICE_DATA.h"

#include <algorithm>

namespace bench {

namespace {

constexpr unsigned kRtsSettleMs = 16;
constexpr unsigned kAfterRequestMs = 100;
constexpr unsigned kBlockPauseMs = 500;
constexpr unsigned kWriteEnablePauseMs = 666;
constexpr double kByteMs = 11 * 1000.0 / 2400;

constexpr unsigned kMaxBlock = 32;
constexpr unsigned kHeader = 4;  // command, address high, address low, length
constexpr unsigned kChecksum = 1;

// The block lengths of one range.
std::vector<unsigned> blocks(unsigned length)
{
    std::vector<unsigned> lengths;
    for (; length > 0; length -= std::min(length, kMaxBlock))
        lengths.push_back(std::min(length, kMaxBlock));
    return lengths;
}

}  // namespace

std::vector<Exchange> detectExchanges()
{
    // A read of 27 bytes at 0x1B: 5 bytes out, 32 back.
    return {{0, kHeader + kChecksum, kHeader + 27 + kChecksum}};
}

std::vector<Exchange> loadExchanges()
{
    std::vector<Exchange> exchanges;
    for (const auto& range : DeviceData::TransferPlan) {
        for (unsigned n : blocks(range.length)) {
            exchanges.push_back({kBlockPauseMs, kHeader + kChecksum, kHeader + n + kChecksum});
        }
    }
    return exchanges;
}

std::vector<Exchange> storeExchanges()
{
    std::vector<Exchange> exchanges;
    for (const auto& range : DeviceData::TransferPlan) {
        exchanges.push_back({kWriteEnablePauseMs, 2 + kChecksum, 2 + kChecksum});
        for (unsigned n : blocks(range.length)) {
            exchanges.push_back({kBlockPauseMs, kHeader + n + kChecksum, kHeader + kChecksum});
        }
    }
    return exchanges;
}

std::vector<Exchange> verifiedStoreExchanges()
{
    std::vector<Exchange> exchanges = storeExchanges();
    const std::vector<Exchange> reads = loadExchanges();
    exchanges.insert(exchanges.end(), reads.begin(), reads.end());
    return exchanges;
}

double floorMs(const std::vector<Exchange>& exchanges)
{
    double ms = 0;
    for (const Exchange& e : exchanges) {
        ms +=
            e.pauseMs + kRtsSettleMs + kAfterRequestMs + (e.bytesSent + e.bytesReceived) * kByteMs;
    }
    return ms;
}

double ptyFloorMs(const std::vector<Exchange>& exchanges)
{
    double ms = 0;
    for (const Exchange& e : exchanges) {
        ms += e.pauseMs + kRtsSettleMs +
              std::max<double>(kAfterRequestMs, (e.bytesSent + e.bytesReceived) * kByteMs);
    }
    return ms;
}

}  // namespace bench
