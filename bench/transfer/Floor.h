// Floor.h: the least time an operation can take on a 2400-baud line, worked out from the
// frames it exchanges: the protocol's fixed pauses plus the line time of every byte.
#pragma once

#include <vector>

namespace bench {

// One request and its answer, and the pause the protocol puts before the request.
struct Exchange {
    unsigned pauseMs;
    unsigned bytesSent;      // request with its checksum
    unsigned bytesReceived;  // answer with its checksum
};

// Detection answered at the first probe.
std::vector<Exchange> detectExchanges();
// The five settings ranges in blocks of at most 32 bytes, each read after its pause.
std::vector<Exchange> loadExchanges();
// The five settings ranges, each behind its own write enable, in blocks of at most 32 bytes.
std::vector<Exchange> storeExchanges();
// A store, then the load's reads of what it wrote.
std::vector<Exchange> verifiedStoreExchanges();

// The protocol's floor. Per exchange: its pause, 16 ms after RTS goes up, 100 ms after the
// request has gone, and 11 bit times (start, 8 data, parity, stop) at 2400 baud for each
// byte sent and received, one after the other.
double floorMs(const std::vector<Exchange>& exchanges);

// The floor on a pseudo-terminal against the paced emulator. The host's write returns at
// once, and the emulator answers after the request's line time, so the line time of both
// frames runs inside the host's 100 ms after sending instead of after it.
double ptyFloorMs(const std::vector<Exchange>& exchanges);

}  // namespace bench
