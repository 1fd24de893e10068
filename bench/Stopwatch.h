// Median wall time of repeated runs, for the Windows benchmark exe, which
// has no Google Benchmark build.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace morlind::bench {

inline double MedianMilliseconds(const std::function<void()>& run, int repetitions) {
  std::vector<double> times;
  for (int i = 0; i < repetitions; ++i) {
    auto start = std::chrono::steady_clock::now();
    run();
    std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    times.push_back(elapsed.count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace morlind::bench
