#include "search/Search.h"

#include "platform/Paths.h"
#include "search/AccessTime.h"
#include "search/Extension.h"

namespace morlind {

std::optional<std::string> GetCacheFolder(Platform& platform) {
  std::optional<std::string> path = platform.SpecialFolderPath(kInternetCacheFolder);
  if (!path || path->empty() || IsDriveRoot(*path)) return std::nullopt;
  std::optional<std::uint32_t> attributes = platform.AttributesOf(*path);
  if (!attributes || !(*attributes & kAttrDirectory)) return std::nullopt;
  return path;
}

SearchOutcome PrepareSearch(Platform& platform, const SearchInput& input, SearchCriteria& criteria,
                            ResultTable& table) {
  Moment start = ComposeMoment(platform, input.startDate, input.startTime);
  Moment end = ComposeMoment(platform, input.endDate, input.endTime);
  criteria.start = start;
  criteria.end = end;
  if (end < start) return SearchOutcome::kWindowInverted;

  table.DeleteAllItems();
  criteria.extension = SettleExtension(criteria.extension, input.listSelection, input.editText);

  criteria.cacheFolder.clear();
  std::optional<std::string> folder = GetCacheFolder(platform);
  if (!folder) return SearchOutcome::kNoCacheFolder;
  criteria.cacheFolder = *folder;
  return SearchOutcome::kReady;
}

void ScanCache(Platform& platform, const SearchCriteria& criteria, ResultTable& table, JobControl* job) {
  ScanFilter filter{criteria.extension, criteria.accessMode, criteria.start, criteria.end};
  CacheScan(platform, filter, table, job).ScanFolder(criteria.cacheFolder);
}

}  // namespace morlind
