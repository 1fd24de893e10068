// Ranks of items under a three-way compare: the order a stable sort gives,
// with equal items sharing a rank.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace morlind {

// compare(i, j) is negative, zero or positive as item i comes before, with
// or after item j.
template <class Compare>
std::vector<std::uint32_t> RanksBy(std::size_t count, Compare compare) {
  std::vector<std::uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
  std::vector<std::uint32_t> ranks(count);
  std::uint32_t rank = 0;
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0 && compare(order[k - 1], order[k]) != 0) ++rank;
    ranks[order[k]] = rank;
  }
  return ranks;
}

}  // namespace morlind
