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

std::vector<std::string> MatchAddresses(const std::vector<std::string_view>& paths,
                                        const std::vector<UrlIndexEntry>& index) {
  if (index.empty()) return {};
  std::vector<std::string> addresses(paths.size());
  std::unordered_map<std::string_view, std::size_t> exact;
  std::unordered_map<std::string, std::vector<std::size_t>> folded;
  exact.reserve(paths.size());
  folded.reserve(paths.size());
  for (std::size_t row = 0; row < paths.size(); ++row) {
    exact.emplace(paths[row], row);
    folded[FoldedAscii(paths[row])].push_back(row);
  }
  // An entry whose own file is no row may still name one in another case,
  // when that row is its only candidate and no other entry claims it.
  enum class Claim : std::uint8_t { kNone, kExact, kFolded, kContested };
  std::vector<Claim> claims(paths.size(), Claim::kNone);
  std::vector<const UrlIndexEntry*> unmatched;
  for (const UrlIndexEntry& entry : index) {
    if (auto row = exact.find(entry.localFile); row != exact.end()) {
      claims[row->second] = Claim::kExact;
      addresses[row->second] = entry.address;
    } else {
      unmatched.push_back(&entry);
    }
  }
  for (const UrlIndexEntry* entry : unmatched) {
    auto candidates = folded.find(FoldedAscii(entry->localFile));
    if (candidates == folded.end() || candidates->second.size() != 1) continue;
    const std::size_t row = candidates->second.front();
    if (claims[row] == Claim::kNone) {
      claims[row] = Claim::kFolded;
      addresses[row] = entry->address;
    } else if (claims[row] == Claim::kFolded) {
      claims[row] = Claim::kContested;
      addresses[row].clear();
    }
  }
  return addresses;
}

}  // namespace morlind
