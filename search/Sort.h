// Putting the rows in the order of a column, away from the window: the
// keys are a copy, the result is an order for ResultTable::ApplyOrder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "search/ResultTable.h"

namespace morlind {

// The walk indices in the column's order: names and addresses as Explorer
// orders file names, types as text, sizes and access times by value.
// Equal values keep the walk's order, also when descending.
std::vector<std::uint32_t> SortOrder(Platform& platform, const ResultTable::SortKeys& keys, Column column,
                                     bool descending);

// Each path's address from the URL cache index, by the local file's exact
// full path; by its path with ASCII letters folded only where that path is
// the entry's one candidate and no other entry claims it. Empty where the
// index has none, and no vector at all for an empty index.
std::vector<std::string> MatchAddresses(const std::vector<std::string_view>& paths,
                                        const std::vector<UrlIndexEntry>& index);

}  // namespace morlind
