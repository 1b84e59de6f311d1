#pragma once

#include <QList>

#include <algorithm>

// How the benchmark's tables count: memory in megabytes of 2^20 bytes, repeated runs by their median.
namespace BenchFigures {

inline constexpr double kMb = 1024.0 * 1024.0;

// The middle value (the mean of the two middle ones for an even count); 0 for none.
inline double median(QList<double> values) {
    if (values.isEmpty()) return 0;
    std::sort(values.begin(), values.end());
    const qsizetype mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

}  // namespace BenchFigures
