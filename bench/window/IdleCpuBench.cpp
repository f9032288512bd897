// IdleCpuBench: the processor time the program takes while it is connected with "Keep
// Connection Open" on and nothing else happens: the keep-alive at its own 30 s period,
// the worker waiting for its timer, the window shown. Read from /proc/self/stat (all
// threads).
//
// Usage: IdleCpuBench [SECONDS]   (default 60)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <QElapsedTimer>
#include <QTimer>

#include "BenchSession.h"
#include "FormDriver.h"
#include "RunningEmulator.h"
#include "window/Main.h"

namespace {

// User and system time of the whole process so far, in seconds.
double ProcessorSeconds()
{
    std::ifstream stat("/proc/self/stat");
    std::string line;
    std::getline(stat, line);
    // Fields 14 and 15 (utime, stime) follow the command name in parentheses.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

}  // namespace

int main(int argc, char** argv)
{
    BenchSession session(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (!session.IsValid() || seconds < 1) {
        std::fprintf(stderr, "usage: IdleCpuBench [SECONDS]\n");
        return 2;
    }
    RunningEmulator emulator(QStringLiteral("bench-idle"));
    if (!emulator.IsReady()) {
        std::fprintf(stderr, "IdleCpuBench: the emulator did not start\n");
        return 1;
    }
    TForm1 form;
    FormDriver driver(form);
    driver.SetOption("RefreshOnConnect", false);
    driver.SetOption("KeepConnectionOpen", true);
    driver.TypePort(emulator.PortText());
    driver.Click("ConnectButton");
    if (driver.Status() != QLatin1String("Comm Opened Successfully!")) {
        std::fprintf(stderr, "IdleCpuBench: Connect failed: %s\n", qPrintable(driver.Status()));
        return 1;
    }

    const double before = ProcessorSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &form, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    const double used = ProcessorSeconds() - before;
    const double elapsed = wall.elapsed() / 1000.0;

    std::printf("%.1f s connected, Keep Connection Open on, %d keep-alive exchanges\n", elapsed,
                driver.DoneMessages());
    std::printf("processor time %.3f s = %.3f %% of one core\n", used, 100.0 * used / elapsed);
    form.close();
    return 0;
}
