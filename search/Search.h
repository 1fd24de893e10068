// The search operation on given values: the dialog reads its controls and
// hands them here, then shows whatever the outcome asks for.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "search/CacheScan.h"
#include "search/ResultTable.h"

namespace morlind {

// The criteria members of the main dialog; they outlive each search.
struct SearchCriteria {
  std::string extension;    // UTF-8, cut as CutExtension does
  std::string cacheFolder;
  Moment start = 0;
  Moment end = 0;
  AccessMode accessMode = AccessMode::kNoLimit;
};

// What the controls showed when the search was started.
struct SearchInput {
  Moment startDate = 0;
  Moment startTime = 0;
  Moment endDate = 0;
  Moment endTime = 0;
  std::optional<std::string> listSelection;  // combo list text, if one is selected
  std::string editText;                      // combo edit field
};

enum class SearchOutcome {
  kWindowInverted,  // end before start: nothing changed
  kNoCacheFolder,   // table emptied, nothing scanned
  kReady,           // table emptied, the walk may start
};

// The internet-cache folder, the one rule for searching and cleaning: the
// shell's path when it names an existing folder that is not a drive root
// (which a clean must never empty).
std::optional<std::string> GetCacheFolder(Platform& platform);

// Everything before the walk: the window composed and checked, the table
// emptied, the extension settled, the cache folder found.
SearchOutcome PrepareSearch(Platform& platform, const SearchInput& input, SearchCriteria& criteria,
                            ResultTable& table);
// The walk of a prepared search; with a job it may end early.
void ScanCache(Platform& platform, const SearchCriteria& criteria, ResultTable& table,
               JobControl* job = nullptr);

}  // namespace morlind
