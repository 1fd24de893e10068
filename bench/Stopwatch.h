// Median wall time of repeated runs, for the Windows benchmark exe, which
// has no Google Benchmark build.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace morlind::bench {

inline double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// prepare runs before each run, outside the timing: it puts back what the
// run consumes, so that every run does the same work.
inline double MedianMilliseconds(const std::function<void()>& run, int repetitions,
                                 const std::function<void()>& prepare = {}) {
  std::vector<double> times;
  for (int i = 0; i < repetitions; ++i) {
    if (prepare) prepare();
    auto start = std::chrono::steady_clock::now();
    run();
    std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    times.push_back(elapsed.count());
  }
  return Median(std::move(times));
}

}  // namespace morlind::bench
