// bench_transfer: times detection, a whole load, a whole store and a verified store of the
// settings against the emulator pacing its answers like a 2400-baud line, and sets each
// against its floor.
//
// The floor counts the protocol's fixed pauses and the line time of every byte both ways,
// one after the other (see Floor.h). A pseudo-terminal takes the host's own requests at
// once, and the paced emulator's answer runs while the host waits its 100 ms after sending,
// so here a flawless host stays below that floor. The pty floor counts this overlap; its
// ratio is what the host itself adds.
//
// Usage: bench_transfer [RUNS]   (default 5)
#include "Emulator.h"
#include "Floor.h"

#include "device/Device_Type1_Control.h"
#include "device/Errors.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double timeMs(const std::function<void()>& operation)
{
    const auto start = Clock::now();
    operation();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Measured {
    const char* name;
    std::vector<bench::Exchange> exchanges;
    std::vector<double> ms;
};

int run(int runs)
{
    e2e::Emulator emulator("bench-transfer", {"--pace"});
    kAPI::CancelFlag cancel{0};
    kAPI::Device_Type1_Control control(emulator.portPath().c_str(), &cancel);
    DEVICE_DATA record{};

    Measured detect{"Open(4)", bench::detectExchanges(), {}};
    Measured load{"LoadSettings", bench::loadExchanges(), {}};
    Measured store{"StoreSettings", bench::storeExchanges(), {}};
    Measured verified{"Store+verify", bench::verifiedStoreExchanges(), {}};
    for (int i = 0; i < runs; ++i) {
        detect.ms.push_back(timeMs([&] { control.Open(4); }));
        load.ms.push_back(timeMs([&] { control.LoadSettings(record, true); }));
        store.ms.push_back(timeMs([&] { control.StoreSettings(record, true); }));
        verified.ms.push_back(timeMs([&] { control.StoreSettings(record, true, true); }));
    }

    std::printf("%d runs against tidewell-emulator --pace\n\n", runs);
    std::printf("%-14s %9s %10s %10s %7s %14s %7s\n", "operation", "exchanges", "median ms",
                "floor ms", "ratio", "pty floor ms", "ratio");
    for (const Measured* m : {&detect, &load, &store, &verified}) {
        const double measured = median(m->ms);
        const double floor = bench::floorMs(m->exchanges);
        const double ptyFloor = bench::ptyFloorMs(m->exchanges);
        std::printf("%-14s %9zu %10.1f %10.1f %7.3f %14.1f %7.3f\n", m->name, m->exchanges.size(),
                    measured, floor, measured / floor, ptyFloor, measured / ptyFloor);
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_transfer [RUNS]\n");
        return 2;
    }
    try {
        return run(runs);
    } catch (const kAPI::Error& e) {
        const std::wstring text = e.what();
        std::fprintf(stderr, "bench_transfer: device error %d: %s\n", e.code,
                     std::string(text.begin(), text.end()).c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_transfer: %s\n", e.what());
    }
    return 1;
}
