// A small timing harness: the QueryPerformanceCounter clock, warm-up, many repetitions,
// and the median. An operation is always timed together with its floor, alternating
// sample by sample, so that the load of a shared machine falls on both alike and their
// ratio stays meaningful where the absolute times do not.
#pragma once

#include "win32.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline double TicksPerMicrosecond() {
    static const double ticks = [] {
        LARGE_INTEGER frequency{};
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    return ticks;
}

inline long long Now() {
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

inline double MicrosecondsSince(long long start) { return static_cast<double>(Now() - start) / TicksPerMicrosecond(); }

inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

struct Comparison {
    double median = 0;       // microseconds
    double floorMedian = 0;  // microseconds
    double Ratio() const { return floorMedian > 0 ? median / floorMedian : 0; }
};

// Times operation() and floor() alternately; each returns the microseconds of its one
// run, so that it can leave its own set-up and tidying out of the figure.
template <typename Operation, typename Floor>
Comparison CompareWithFloor(Operation operation, Floor floor, int warmUps, int repetitions) {
    for (int i = 0; i < warmUps; ++i) {
        operation();
        floor();
    }
    std::vector<double> times, floorTimes;
    times.reserve(repetitions);
    floorTimes.reserve(repetitions);
    for (int i = 0; i < repetitions; ++i) {
        // Swap the order every other round: neither side always runs with a warm cache.
        if (i % 2) {
            times.push_back(operation());
            floorTimes.push_back(floor());
        } else {
            floorTimes.push_back(floor());
            times.push_back(operation());
        }
    }
    return {Median(times), Median(floorTimes)};
}

// Times a body that needs no set-up of its own.
template <typename Body>
auto Timed(Body body) {
    return [body]() mutable {
        const long long start = Now();
        body();
        return MicrosecondsSince(start);
    };
}

inline std::string FormatTime(double microseconds) {
    char text[32];
    if (microseconds >= 10000) {
        std::snprintf(text, sizeof text, "%.1f ms", microseconds / 1000);
    } else if (microseconds >= 1000) {
        std::snprintf(text, sizeof text, "%.2f ms", microseconds / 1000);
    } else {
        std::snprintf(text, sizeof text, "%.1f us", microseconds);
    }
    return text;
}

// One figure as one row of the results table:
// | figure | median | floor | ratio | goal | held |
// goalRatio 0 means a figure without a goal; absoluteGoal (microseconds), when not 0,
// is a second bound on the median itself.
inline void PrintFigure(const char* name, const char* floorName, const Comparison& c, int repetitions,
                        double goalRatio, double absoluteGoal = 0) {
    std::string goal = "-";
    std::string held = "-";
    if (goalRatio > 0) {
        char text[64];
        std::snprintf(text, sizeof text, "<= %.1fx", goalRatio);
        goal = text;
        bool met = c.Ratio() <= goalRatio;
        if (absoluteGoal > 0) {
            goal += ", median < " + FormatTime(absoluteGoal);
            met = met && c.median < absoluteGoal;
        }
        held = met ? "yes" : "NO";
    }
    std::printf("| %s (n=%d) | %s | %s: %s | %.2fx | %s | %s |\n", name, repetitions, FormatTime(c.median).c_str(),
                floorName, FormatTime(c.floorMedian).c_str(), c.Ratio(), goal.c_str(), held.c_str());
    std::fflush(stdout);
}

}  // namespace bench
