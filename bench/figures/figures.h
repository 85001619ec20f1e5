// What every benchmark prints: the median and the worst of its samples, as rows of one Markdown
// table, "| measure | program | floor | ratio |", which bench/run.sh gathers into docs/benchmarks.md.
// Plain C++ and the C library only, so that any benchmark or floor can use it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace figures {

// The middle value, or the mean of the two middle ones; NaN for no values.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

// The largest value; NaN for no values.
inline double worst(const std::vector<double>& values)
{
    return values.empty() ? std::nan("") : *std::max_element(values.begin(), values.end());
}

// A figure with its unit ("12.34 ms"); "—" for none (NaN).
inline std::string figure(double value, const char* unit, int decimals = 2)
{
    if (std::isnan(value))
        return "—";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f %s", decimals, value, unit);
    return text;
}

// Printed once before a benchmark's rows.
inline void printTableHeader()
{
    std::printf("| measure | program | floor | ratio |\n|---|---|---|---|\n");
}

// A row as it is written: the ratio column as given.
inline void printRow(const std::string& measure, const std::string& program, const std::string& floor,
                     const std::string& ratio)
{
    std::printf("| %s | %s | %s | %s |\n", measure.c_str(), program.c_str(), floor.c_str(), ratio.c_str());
    std::fflush(stdout);
}

// The program's figure against its floor's, both in unit, and their ratio; a floor of 0 has none.
inline void printRow(const std::string& measure, double program, double floor, const char* unit, int decimals = 2)
{
    std::string ratio = "—";
    if (!std::isnan(program) && !std::isnan(floor) && floor > 0.0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", program / floor);
        ratio = text;
    }
    printRow(measure, figure(program, unit, decimals), figure(floor, unit, decimals), ratio);
}

// A figure that has no floor.
inline void printRow(const std::string& measure, double program, const char* unit, int decimals = 2)
{
    printRow(measure, figure(program, unit, decimals), "—", "—");
}

} // namespace figures
