// WindowTransferBench: times Load and Store clicked in the main window against the
// emulator pacing its answers like a 2400-baud line, and the device layer's LoadSettings
// and StoreSettings on the same line, timed the same way, and prints the ratio: what the
// window adds to a transfer (status and progress painted at once, the settings shown or
// gathered, the device claimed from the refresh worker).
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

struct Figures {
    std::vector<double> load;
    std::vector<double> store;
};

Figures DeviceLayer(const RunningEmulator& emulator, int runs)
{
    std::uint8_t cancel = 0;
    kAPI::Device_Type1_Control control(emulator.Terminal().toStdWString().c_str(), &cancel);
    control.Open(4);
    DEVICE_DATA record{};
    Figures figures;
    for (int i = 0; i < runs; ++i) {
        figures.load.push_back(TimeMs([&] { control.LoadSettings(record, true); }));
        figures.store.push_back(TimeMs([&] { control.StoreSettings(record, true); }));
    }
    return figures;
}

// Fails with a message when the window did not end a command as it should.
bool Ended(const FormDriver& driver, const char* status)
{
    if (driver.Status() == QLatin1String(status))
        return true;
    std::fprintf(stderr, "WindowTransferBench: expected \"%s\", the window shows \"%s\"\n", status,
                 qPrintable(driver.Status()));
    return false;
}

bool Window(const RunningEmulator& emulator, int runs, Figures& figures)
{
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", false);
    driver.TypePort(emulator.PortText());
    driver.Click("ConnectButton");
    if (!Ended(driver, "Comm Opened Successfully!"))
        return false;
    for (int i = 0; i < runs; ++i) {
        figures.load.push_back(TimeMs([&] { driver.Click("LoadButton"); }));
        if (!Ended(driver, "Refresh Complete"))
            return false;
        figures.store.push_back(TimeMs([&] { driver.Click("StoreButton"); }));
        if (!Ended(driver, "Store Completed"))
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
    std::printf("%-10s %14s %14s %8s\n", "operation", "device layer", "window", "ratio");
    const auto row = [](const char* name, const std::vector<double>& d,
                        const std::vector<double>& w) {
        std::printf("%-10s %14.1f %14.1f %8.4f\n", name, Median(d), Median(w),
                    Median(w) / Median(d));
    };
    row("Load", device.load, window.load);
    row("Store", device.store, window.store);
    return 0;
}
