// Timing, summary and buffer helpers shared by the Windows-side benchmarks.
#pragma once
#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

// Milliseconds since the stopwatch was made, from the performance counter.
class Stopwatch {
public:
    Stopwatch() {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Milliseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
    LARGE_INTEGER m_start;
};

inline double Median(std::vector<double> samples) {
    if (samples.empty()) return 0.0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
}

// True when _snwprintf wrote its whole text into a MAX_PATH buffer with room for the terminator
// (it returns a negative count when the text was cut short).
inline bool Fits(int written) { return written >= 0 && written < static_cast<int>(MAX_PATH); }

}  // namespace bench
