// Port enumeration benchmark: the two enumerations a start makes (window creation, then the
// preference restore), each timed in a fresh process, many times; prints the medians and
// their ratios against the budget of one millisecond each. Each process first makes the
// application object, as the program has made it by the time its window lists the ports:
// what that brings into memory anyway is not the enumeration's cost.
//
//   startup_port_enumeration [processes]   (default 31)
//
// For instruction counts, which the machine's load does not disturb:
//   valgrind --tool=callgrind --toggle-collect='EnumerateSerialPorts*' startup_port_enumeration 1

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include <QApplication>

#include "platform/SerialPorts.h"

namespace {

constexpr double kBudgetMs = 1.0;

double Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// In a child: times the first two enumerations and writes them to `out`.
[[noreturn]] void EnumerateTwice(int out)
{
    char program[] = "startup_port_enumeration", option[] = "-platform", offscreen[] = "offscreen";
    char* arguments[] = {program, option, offscreen, nullptr};
    int count = 3;
    const QApplication application(count, arguments);
    double ms[2];
    std::size_t ports = 0;
    for (double& m : ms) {
        SERIALPORTS list;
        const double start = Now();
        const bool listed = EnumerateSerialPorts(list);
        m = Now() - start;
        if (!listed)
            ::_exit(2);
        ports = list.size();
    }
    const double record[3] = {ms[0], ms[1], double(ports)};
    const bool written = ::write(out, record, sizeof record) == sizeof record;
    ::_exit(written ? 0 : 1);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const int processes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    std::vector<double> first, second;
    double ports = 0;
    for (int i = 0; i < processes; ++i) {
        int pipe[2];
        if (::pipe(pipe) != 0)
            return 1;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipe[0]);
            EnumerateTwice(pipe[1]);
        }
        ::close(pipe[1]);
        double record[3];
        const bool read = ::read(pipe[0], record, sizeof record) == sizeof record;
        ::close(pipe[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "enumeration failed\n");
            return 1;
        }
        first.push_back(record[0]);
        second.push_back(record[1]);
        ports = record[2];
    }
    double load = -1;
    ::getloadavg(&load, 1);
    std::printf("ports listed: %.0f; %d fresh processes; 1-minute load average %.2f\n", ports,
                processes, load);
    const char* const names[2] = {"window creation", "preference restore"};
    const std::vector<double>* const times[2] = {&first, &second};
    for (int k = 0; k < 2; ++k) {
        const double median = Median(*times[k]);
        std::printf("%-19s enumeration: median %.3f ms (min %.3f), %.2fx the %.0f ms budget %s\n",
                    names[k], median, *std::min_element(times[k]->begin(), times[k]->end()),
                    median / kBudgetMs, kBudgetMs, median <= kBudgetMs ? "met" : "MISSED");
    }
    return 0;
}
