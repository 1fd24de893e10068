// What the sort benchmarks share on both sides: the columns, and an address
// for every row so that the address column orders real texts.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "search/ResultTable.h"

namespace morlind::bench {

struct SortColumn {
  Column column;
  const char* name;
};
constexpr std::array<SortColumn, kColumnCount> kSortColumns = {
    SortColumn{Column::kName, "name"}, SortColumn{Column::kType, "type"},
    SortColumn{Column::kAccessTime, "access time"}, SortColumn{Column::kSize, "size"},
    SortColumn{Column::kAddress, "address"}, SortColumn{Column::kSource, "source"}};

// By walk index, shaped as a browser's index gives them:
// http://bench.example/<walk index>/<file name>.
inline std::vector<std::string> BenchAddresses(const ResultTable& table) {
  std::vector<std::string> addresses;
  for (std::string_view path : table.PathsInWalkOrder()) {
    const std::string name(path.substr(path.find_last_of("\\/") + 1));
    addresses.push_back("http://bench.example/" + std::to_string(addresses.size()) + "/" + name);
  }
  return addresses;
}

}  // namespace morlind::bench
