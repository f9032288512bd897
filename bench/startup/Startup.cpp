// Start-up benchmark: runs tidewell and a bare QMainWindow program alternately, offscreen,
// and measures for each run the time from just before the process is started to the first
// paint of its main window (reported by the first-paint probe plugin) and the process's
// peak resident memory. Prints the medians and the two ratios against their targets.
//
//   startup [runs]        (default 9 runs of each, after one warm-up run of each)

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kTimeTarget = 1.5;
constexpr double kMemoryTarget = 1.3;
constexpr int kTimeoutSeconds = 30;

struct Run {
    double milliseconds;
    long peakKiB;
};

long long Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

std::vector<std::string> Environment(const std::string& home)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "QT_QPA_PLATFORM" || name == "QT_QPA_GENERIC_PLUGINS" ||
            name == "QT_PLUGIN_PATH" || name == "XDG_CONFIG_HOME" || name == "XDG_RUNTIME_DIR" ||
            name == "DISPLAY" || name == "WAYLAND_DISPLAY")
            continue;
        env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("QT_QPA_GENERIC_PLUGINS=tidewellfirstpaint");
    env.push_back("QT_PLUGIN_PATH=" PROBE_PLUGIN_PATH);
    // Preferences and port announcements of a fresh user, not of whoever runs this.
    env.push_back("XDG_CONFIG_HOME=" + home + "/config");
    env.push_back("XDG_RUNTIME_DIR=" + home);
    return env;
}

bool Measure(const char* program, const std::string& home, Run& run)
{
    int out[2];
    if (::pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<std::string> env = Environment(home);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    pid_t pid = 0;
    const long long start = Now();
    const int spawned = ::posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        std::fprintf(stderr, "cannot start %s: %s\n", program, std::strerror(spawned));
        return false;
    }

    // The probe's line; a program that never paints is stopped after the time-out.
    std::string line;
    char buffer[64];
    ::alarm(kTimeoutSeconds);
    for (;;) {
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n > 0) {
            line.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            ::kill(pid, SIGKILL);
            continue;
        }
        break;
    }
    ::alarm(0);
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (line.empty()) {
        std::fprintf(stderr, "%s reported no paint\n", program);
        return false;
    }
    run.milliseconds = (std::atoll(line.c_str()) - start) / 1e6;
    run.peakKiB = usage.ru_maxrss;
    return true;
}

template <typename T>
T Median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    struct sigaction quiet {};
    quiet.sa_handler = [](int) {};
    ::sigaction(SIGALRM, &quiet, nullptr);  // only interrupts the read

    std::string folder = std::filesystem::temp_directory_path() / "tidewell-startup-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string home = folder;

    const char* const programs[2] = {TIDEWELL_PROGRAM, BARE_PROGRAM};
    std::vector<Run> results[2];
    Run run{};
    for (const char* program : programs)  // warm-up: the files in the page cache
        if (!Measure(program, home, run))
            return 1;
    for (int i = 0; i < runs; ++i)
        for (int p = 0; p < 2; ++p) {
            if (!Measure(programs[p], home, run))
                return 1;
            results[p].push_back(run);
        }
    std::system(("rm -rf '" + home + "'").c_str());

    double ms[2];
    long kib[2];
    for (int p = 0; p < 2; ++p) {
        std::vector<double> times;
        std::vector<long> peaks;
        for (const Run& r : results[p]) {
            times.push_back(r.milliseconds);
            peaks.push_back(r.peakKiB);
        }
        ms[p] = Median(times);
        kib[p] = Median(peaks);
        std::printf(
            "%-9s start to first paint: median %7.1f ms (min %.1f, max %.1f); peak RSS: median "
            "%6ld KiB\n",
            p == 0 ? "tidewell" : "bare", ms[p], *std::min_element(times.begin(), times.end()),
            *std::max_element(times.begin(), times.end()), kib[p]);
    }
    const double timeRatio = ms[0] / ms[1];
    const double memoryRatio = double(kib[0]) / double(kib[1]);
    std::printf("runs: %d of each, offscreen\n", runs);
    std::printf("time ratio: %.2fx (target <= %.1fx) %s\n", timeRatio, kTimeTarget,
                timeRatio <= kTimeTarget ? "met" : "MISSED");
    std::printf("RSS ratio:  %.2fx (target <= %.1fx) %s\n", memoryRatio, kMemoryTarget,
                memoryRatio <= kMemoryTarget ? "met" : "MISSED");
    return 0;
}
