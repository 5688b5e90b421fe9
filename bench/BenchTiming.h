#pragma once

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <vector>

// What the window benchmarks share: a flush to the painted frame, a clock, a median.

// Whatever the last action left to paint is painted and has reached the X server.
inline void Flush()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QApplication::sync();
}

inline double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> samples)
{
    std::nth_element(samples.begin(), samples.begin() + static_cast<long>(samples.size() / 2),
                     samples.end());
    return samples[samples.size() / 2];
}
