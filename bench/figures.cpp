#include "bench/figures.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace kvbench {

namespace {

bool g_sound = true; // every check of the data held

} // namespace

void Settle() {
    Sleep(300);
}

double Milliseconds(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Quotient(double part, double whole) {
    return whole > 0 ? part / whole : 0.0;
}

Figure Time(const std::string& name, double milliseconds) {
    return Figure{name, milliseconds, Unit::Milliseconds};
}

Figure Ratio(const std::string& name, double ratio) {
    return Figure{name, ratio, Unit::Ratio};
}

Figure Megabytes(const std::string& name, unsigned long long bytes) {
    return Figure{name, static_cast<double>(bytes) / (1024.0 * 1024.0), Unit::Megabytes};
}

Figures Beside(const std::string& name, double program, double floor) {
    return {Time(name, program), Time(name + "-floor", floor),
            Ratio(name, Quotient(program, floor))};
}

void PrintFigures(const Figures& figures) {
    for (const Figure& figure : figures) {
        switch (figure.unit) {
        case Unit::Milliseconds:
            std::printf("%s: %.0f ms\n", figure.name.c_str(), figure.value);
            break;
        case Unit::Ratio:
            std::printf("ratio %s: %.2f\n", figure.name.c_str(), figure.value);
            break;
        case Unit::Megabytes:
            std::printf("%s: %.0f MB\n", figure.name.c_str(), figure.value);
            break;
        case Unit::MegabytesFine:
            std::printf("%s: %.1f MB\n", figure.name.c_str(), figure.value);
            break;
        case Unit::Count:
            std::printf("%s: %.0f\n", figure.name.c_str(), figure.value);
            break;
        }
        std::fflush(stdout);
    }
}

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        g_sound = false;
        std::fprintf(stderr, "unexpected: %s\n", what.c_str());
    }
}

bool AllExpectationsHeld() {
    return g_sound;
}

} // namespace kvbench
