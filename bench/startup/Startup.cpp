// Start-up benchmark: runs tidewell, its main form alone (the floor: what uic builds from
// the form description, with the real controls) and a bare QMainWindow, interleaved run
// by run, offscreen and, when DISPLAY names one, on the X display too. For each run it
// measures the time from just before the process is started to the first paint of its
// main window (reported by the first-paint probe plugin) and the process's peak resident
// memory, and the processor time it took until then as a figure that a busy machine
// disturbs less. Prints the medians and each program's ratios against the form alone.
//
//   startup [runs [PROGRAM...]]   15 runs of each by default, after one warm-up run of
//                                 each; other builds of tidewell to set beside this one
//                                 (before and after a change) as further programs
//   xvfb-run -a startup           adds the figures on a virtual X display

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

constexpr double kTimeTarget = 1.15;
constexpr double kMemoryTarget = 1.05;
constexpr int kTimeoutSeconds = 30;

struct Program {
    std::string label;
    std::string path;
};

struct Run {
    double milliseconds;
    double cpuMilliseconds;  // user and system time: less disturbed by a busy machine
    long peakKiB;
};

long long Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

double Load()
{
    double load = 0;
    return ::getloadavg(&load, 1) == 1 ? load : -1;
}

// platform is "offscreen" or "xcb"; only xcb keeps the display.
std::vector<std::string> Environment(const std::string& platform, const std::string& home)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "QT_QPA_PLATFORM" || name == "QT_QPA_GENERIC_PLUGINS" ||
            name == "QT_PLUGIN_PATH" || name == "XDG_CONFIG_HOME" || name == "XDG_RUNTIME_DIR" ||
            name == "TMPDIR" || name == "WAYLAND_DISPLAY" ||
            (name == "DISPLAY" && platform != "xcb"))
            continue;
        env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=" + platform);
    env.push_back("QT_QPA_GENERIC_PLUGINS=tidewellfirstpaint");
    env.push_back("QT_PLUGIN_PATH=" PROBE_PLUGIN_PATH);
    // Preferences and port announcements of a fresh user, not of whoever runs this.
    env.push_back("XDG_CONFIG_HOME=" + home + "/config");
    env.push_back("XDG_RUNTIME_DIR=" + home);
    env.push_back("TMPDIR=" + home);
    return env;
}

bool Measure(const char* program, const std::vector<std::string>& environment, Run& run)
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

    std::vector<std::string> env = environment;
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
    run.cpuMilliseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                          (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
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

struct Platform {
    std::string name;
    std::vector<std::string> environment;
    std::vector<std::vector<Run>> results;
};

// The form alone comes first: the others are set against it; tidewell second.
void Report(const std::vector<Program>& programs, const Platform& platform)
{
    std::printf("\n%s\n", platform.name.c_str());
    std::printf("  %-10s %-30s %12s %13s %11s %8s %10s\n", "program",
                "median first paint ms (min-max)", "peak RSS KiB", "time ratio", "RSS ratio",
                "CPU ms", "CPU ratio");
    std::vector<double> ms(programs.size()), cpu(programs.size());
    std::vector<long> kib(programs.size());
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<double> times, cpus;
        std::vector<long> peaks;
        for (const Run& r : platform.results[p]) {
            times.push_back(r.milliseconds);
            cpus.push_back(r.cpuMilliseconds);
            peaks.push_back(r.peakKiB);
        }
        ms[p] = Median(times);
        cpu[p] = Median(cpus);
        kib[p] = Median(peaks);
        std::printf("  %-10s %12.1f (%6.1f-%6.1f)   %12ld %12.2fx %10.2fx %8.1f %9.2fx\n",
                    programs[p].label.c_str(), ms[p], *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), kib[p], ms[p] / ms[0],
                    double(kib[p]) / double(kib[0]), cpu[p], cpu[p] / cpu[0]);
    }
    const double timeRatio = ms[1] / ms[0];
    const double memoryRatio = double(kib[1]) / double(kib[0]);
    std::printf(
        "  tidewell against its form alone: time %.2fx (target <= %.2fx) %s, RSS %.2fx "
        "(target <= %.2fx) %s\n",
        timeRatio, kTimeTarget, timeRatio <= kTimeTarget ? "met" : "MISSED", memoryRatio,
        kMemoryTarget, memoryRatio <= kMemoryTarget ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::vector<Program> programs = {
        {"form only", FORM_PROGRAM}, {"tidewell", TIDEWELL_PROGRAM}, {"bare", BARE_PROGRAM}};
    for (int a = 2; a < argc; ++a)
        programs.push_back({"other " + std::to_string(a - 1), argv[a]});
    struct sigaction quiet {};
    quiet.sa_handler = [](int) {};
    ::sigaction(SIGALRM, &quiet, nullptr);  // only interrupts the read

    std::string folder = std::filesystem::temp_directory_path() / "tidewell-startup-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string home = folder;

    std::vector<Platform> platforms;
    const std::vector<std::vector<Run>> none(programs.size());
    platforms.push_back({"offscreen", Environment("offscreen", home), none});
    const char* display = std::getenv("DISPLAY");
    if (display && *display)
        platforms.push_back({std::string("X display ") + display, Environment("xcb", home), none});

    const double loadBefore = Load();
    Run run{};
    for (const Platform& platform : platforms)  // warm-up: the files in the page cache
        for (const Program& program : programs)
            if (!Measure(program.path.c_str(), platform.environment, run))
                return 1;
    // Each round starts with another program, so none always follows the same one.
    for (int i = 0; i < runs; ++i)
        for (Platform& platform : platforms)
            for (std::size_t k = 0; k < programs.size(); ++k) {
                const std::size_t p = (i + k) % programs.size();
                if (!Measure(programs[p].path.c_str(), platform.environment, run))
                    return 1;
                platform.results[p].push_back(run);
            }
    const double loadAfter = Load();
    std::system(("rm -rf '" + home + "'").c_str());

    std::printf("runs: %d of each, interleaved; 1-minute load average %.2f before, %.2f after\n",
                runs, loadBefore, loadAfter);
    for (std::size_t p = 3; p < programs.size(); ++p)
        std::printf("%s: %s\n", programs[p].label.c_str(), programs[p].path.c_str());
    for (const Platform& platform : platforms)
        Report(programs, platform);
    if (platforms.size() == 1)
        std::printf("\nno X display: run under xvfb-run -a for the figures on one\n");
    return 0;
}
