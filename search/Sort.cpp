#include "search/Sort.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "platform/Utf8.h"

namespace morlind {

std::vector<std::uint32_t> SortOrder(Platform& platform, const ResultTable::SortKeys& keys, Column column,
                                     bool descending) {
  std::vector<std::int64_t> ranks = keys.numbers;
  if (ranks.empty() && !keys.texts.empty()) {
    std::vector<std::uint32_t> textRanks =
        platform.TextRanks(keys.texts, column == Column::kType ? TextOrder::kText : TextOrder::kNames);
    ranks.assign(textRanks.begin(), textRanks.end());
  }
  std::vector<std::uint32_t> order(ranks.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return descending ? ranks[a] > ranks[b] : ranks[a] < ranks[b];
  });
  return order;
}

std::vector<std::string> MatchAddresses(const std::vector<std::string>& paths,
                                        const std::vector<UrlIndexEntry>& index) {
  std::unordered_map<std::string, const std::string*> byFile;
  byFile.reserve(index.size());
  for (const UrlIndexEntry& entry : index) byFile.emplace(FoldedAscii(entry.localFile), &entry.address);
  std::vector<std::string> addresses(paths.size());
  if (byFile.empty()) return addresses;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    auto found = byFile.find(FoldedAscii(paths[i]));
    if (found != byFile.end()) addresses[i] = *found->second;
  }
  return addresses;
}

}  // namespace morlind
