// A small timing harness: paired runs of an operation and its reference, medians, and the
// table of targets with their ratios and PASS or FAIL.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace bench {

struct Sample {
    double wall;  // seconds
    double cpu;   // seconds of CPU time of the whole process (every thread)
};

inline double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

inline Sample timeOnce(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    run();
    const double cpu = processCpuSeconds() - cpuStart;
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), cpu};
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// Which clock decides: the wall clock (what the user waits) on a quiet machine; the CPU time of
// the process when other work keeps the cores busy, since the wall clock then mostly measures
// the neighbours. The CPU time counts every thread, so an operation on two threads is charged
// for both: against a one-thread reference that is the conservative side. (scripts/bench makes
// OpenMP's idle threads sleep rather than spin, so that waiting is not counted as work.)
inline bool useCpuClock() {
    if (const char* forced = std::getenv("BENCH_CLOCK")) return std::string(forced) == "cpu";
    double load = 0;
    FILE* f = std::fopen("/proc/loadavg", "r");
    if (f != nullptr) {
        if (std::fscanf(f, "%lf", &load) != 1) load = 0;
        std::fclose(f);
    }
    return load > 0.75 * static_cast<double>(sysconf(_SC_NPROCESSORS_ONLN));
}

// One line of the result table.
struct Row {
    std::string target;
    std::string reference;
    double oursMs = 0;
    double oursCpuMs = 0;
    double referenceMs = 0;
    double referenceCpuMs = 0;
    double ratio = 0;  // median of the per-round ratios ours / reference, on the deciding clock
    double limit = 0;  // PASS when ratio <= limit
    std::string note;
};

class Table {
public:
    // Runs `rounds` rounds of reference then ours, each after its untimed setup, and records
    // the median times and the median of the per-round ratios: the two runs of a round see
    // about the same load from the rest of the machine.
    Row& compare(const std::string& target, double limit, const std::string& referenceName,
                 const std::function<void()>& ours, const std::function<void()>& reference,
                 int rounds = 5, const std::function<void()>& setup = nullptr) {
        std::vector<double> oursWall, oursCpu, refWall, refCpu, ratios;
        for (int i = 0; i < rounds; ++i) {
            if (setup) setup();
            const Sample r = timeOnce(reference);
            if (setup) setup();
            const Sample o = timeOnce(ours);
            oursWall.push_back(o.wall);
            oursCpu.push_back(o.cpu);
            refWall.push_back(r.wall);
            refCpu.push_back(r.cpu);
            ratios.push_back(cpuClock_ ? o.cpu / r.cpu : o.wall / r.wall);
        }
        Row row{target,
                referenceName,
                median(oursWall) * 1e3,
                median(oursCpu) * 1e3,
                median(refWall) * 1e3,
                median(refCpu) * 1e3,
                median(ratios),
                limit,
                ""};
        rows_.push_back(row);
        std::fprintf(stderr, "  %-44s %8.1f ms (cpu %7.1f)  %-38s %8.1f ms (cpu %7.1f)  %5.2f x\n",
                     target.c_str(), row.oursMs, row.oursCpuMs, referenceName.c_str(),
                     row.referenceMs, row.referenceCpuMs, row.ratio);
        return rows_.back();
    }

    // A target with a fixed time limit instead of a reference operation.
    Row& absolute(const std::string& target, double limitMs, const std::function<void()>& ours,
                  int rounds = 5, const std::function<void()>& setup = nullptr) {
        std::vector<double> wall, cpu;
        for (int i = 0; i < rounds; ++i) {
            if (setup) setup();
            const Sample o = timeOnce(ours);
            wall.push_back(o.wall);
            cpu.push_back(o.cpu);
        }
        Row row{
            target, "fixed limit", median(wall) * 1e3, median(cpu) * 1e3, limitMs, limitMs, 0, 1.0,
            ""};
        row.ratio = (cpuClock_ ? row.oursCpuMs : row.oursMs) / limitMs;
        rows_.push_back(row);
        std::fprintf(stderr, "  %-44s %8.1f ms (cpu %7.1f)  limit %8.1f ms\n", target.c_str(),
                     row.oursMs, row.oursCpuMs, limitMs);
        return rows_.back();
    }

    void add(const Row& row) { rows_.push_back(row); }

    // The table in Markdown, ready for docs/speed.md.
    int print() const {
        int failures = 0;
        std::printf("Deciding clock: %s\n\n",
                    cpuClock_ ? "process CPU time (the machine is busy)" : "wall clock");
        std::printf(
            "| target | ours ms | (cpu ms) | reference | ref ms | (cpu ms) | ratio | limit | "
            "result |\n");
        std::printf("|---|---:|---:|---|---:|---:|---:|---:|---|\n");
        for (const Row& row : rows_) {
            // "(info)" rows are figures beside a target, not targets of their own.
            const bool info = row.target.rfind("(info)", 0) == 0;
            const bool pass = row.ratio <= row.limit;
            failures += pass || info ? 0 : 1;
            std::printf("| %s | %.1f | %.1f | %s | %.1f | %.1f | %.2f | %.2f | %s%s%s |\n",
                        row.target.c_str(), row.oursMs, row.oursCpuMs, row.reference.c_str(),
                        row.referenceMs, row.referenceCpuMs, row.ratio, row.limit,
                        info   ? "info"
                        : pass ? "PASS"
                               : "FAIL",
                        row.note.empty() ? "" : ", ", row.note.c_str());
        }
        return failures;
    }

    bool cpuClock() const { return cpuClock_; }

private:
    bool cpuClock_ = useCpuClock();
    std::vector<Row> rows_;
};

}  // namespace bench
