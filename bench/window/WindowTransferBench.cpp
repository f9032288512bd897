// WindowTransferBench: times Load and Store clicked in the main window against the
// emulator pacing its answers like a 2400-baud line, and the device layer's transfers that
// each stands for on the same line, timed the same way, and prints the ratio: what the
// window adds to a transfer (the requests to its worker and the answers, status and progress
// painted, the settings shown or gathered, the backup file written).
//
// Store verifies, as the window does by default, and runs the store procedure: after a load
// on the same connection it reads the dive computer's own values to know it is the one
// loaded, and takes the backup from that load; on a new connection it reads the whole
// settings first.
//
// Usage: WindowTransferBench [RUNS]   (default 3)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "BenchSession.h"
#include "FormDriver.h"
#include "RunningEmulator.h"
#include "device/Device_Type1_Control.h"
#include "device/Errors.h"
#include "transfer/StoreProcedure.h"
#include "window/Main.h"

namespace {

using Clock = std::chrono::steady_clock;

double TimeMs(const std::function<void()>& operation)
{
    const auto start = Clock::now();
    operation();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Fails with a message when the window did not end a command as it should: its status
// begins with `status` (a store's names its backup after it).
bool Ended(const FormDriver& driver, const char* status)
{
    if (driver.Status().startsWith(QLatin1String(status)))
        return true;
    std::fprintf(stderr, "WindowTransferBench: expected \"%s\", the window shows \"%s\"\n", status,
                 qPrintable(driver.Status()));
    return false;
}

struct Figures {
    std::vector<double> load;
    std::vector<double> store;
    std::vector<double> storeReadingFirst;
};

Figures DeviceLayer(const RunningEmulator& emulator, int runs)
{
    kAPI::CancelFlag cancel{0};
    kAPI::Device_Type1_Control control(emulator.Terminal().toStdWString().c_str(), &cancel);
    control.Open(4);
    DEVICE_DATA record{};
    Figures figures;
    for (int i = 0; i < runs; ++i) {
        figures.load.push_back(TimeMs([&] { control.LoadSettings(record, true); }));
        figures.store.push_back(TimeMs([&] {
            StoreProcedure::ReadHeld(control, record);
            control.StoreSettings(record, true, true);
        }));
        figures.storeReadingFirst.push_back(TimeMs([&] {
            StoreProcedure::ReadHeld(control, std::nullopt);
            control.StoreSettings(record, true, true);
        }));
    }
    return figures;
}

bool Connect(FormDriver& driver, const RunningEmulator& emulator)
{
    driver.TypePort(emulator.PortText());
    driver.Click("ConnectButton");
    return Ended(driver, "Comm Opened Successfully!");
}

bool Window(const RunningEmulator& emulator, int runs, Figures& figures)
{
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", false);
    if (!Connect(driver, emulator))
        return false;
    for (int i = 0; i < runs; ++i) {
        figures.load.push_back(TimeMs([&] { driver.Click("LoadButton"); }));
        if (!Ended(driver, "Load Complete"))
            return false;
        figures.store.push_back(TimeMs([&] { driver.Click("StoreButton"); }));
        if (!Ended(driver, "Store Completed.") || !Connect(driver, emulator))
            return false;
        figures.storeReadingFirst.push_back(TimeMs([&] { driver.Click("StoreButton"); }));
        if (!Ended(driver, "Store Completed."))
            return false;
    }
    form.close();
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchSession session(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    if (!session.IsValid() || runs < 1) {
        std::fprintf(stderr, "usage: WindowTransferBench [RUNS]\n");
        return 2;
    }
    RunningEmulator emulator(QStringLiteral("bench-window"), {QStringLiteral("--pace")});
    if (!emulator.IsReady()) {
        std::fprintf(stderr, "WindowTransferBench: the emulator did not start\n");
        return 1;
    }
    Figures device, window;
    try {
        device = DeviceLayer(emulator, runs);
    } catch (const kAPI::Error& e) {
        std::fprintf(stderr, "WindowTransferBench: device error %d: %ls\n", e.code, e.what());
        return 1;
    }
    if (!Window(emulator, runs, window))
        return 1;

    std::printf("%d runs each against tidewell-emulator --pace (median ms)\n\n", runs);
    std::printf("%-32s %14s %14s %8s\n", "operation", "device layer", "window", "ratio");
    const auto row = [](const char* name, const std::vector<double>& d,
                        const std::vector<double>& w) {
        std::printf("%-32s %14.1f %14.1f %8.4f\n", name, Median(d), Median(w),
                    Median(w) / Median(d));
    };
    row("Load", device.load, window.load);
    row("Store after a load", device.store, window.store);
    row("Store on a new connection", device.storeReadingFirst, window.storeReadingFirst);
    return 0;
}
