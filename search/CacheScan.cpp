#include "search/CacheScan.h"

#include "search/AccessTime.h"
#include "search/Extension.h"

namespace morlind {

int CacheScan::ScanFolder(const std::string& dir) {
  std::string path = dir;
  return ScanInto(path);
}

// One path buffer serves the whole walk: each level appends its entry's
// name and cuts it off again.
int CacheScan::ScanInto(std::string& path) {
  std::unique_ptr<DirListing> listing = platform_.OpenListing(path);
  if (!listing) return 1;

  const std::size_t dirLength = path.size();
  do {
    if (StopRequested(job_)) break;
    const DirEntry& entry = listing->Current();
    // A link could loop the walk or pull outside files in.
    if (entry.IsDotOrDotDot() || entry.IsReparsePoint()) continue;
    path.resize(dirLength);
    path += '\\';
    path += entry.name;
    VisitEntry(path, entry);
  } while (listing->Next());
  path.resize(dirLength);
  return 0;
}

void CacheScan::VisitEntry(std::string& path, const DirEntry& entry) {
  if (entry.IsDirectory() && ScanInto(path) == 0) return;
  // A file, or a folder that refuses listing.
  TestFile(path, entry);
}

void CacheScan::TestFile(const std::string& path, const DirEntry& entry) {
  if (!NameMatches(entry.name, filter_.extension)) return;
  std::int64_t accessSeconds = UnixSecondsOfFileTime(entry.lastAccess);
  if (!PassesWindow(filter_, accessSeconds)) return;

  table_.AddResultRow(path, entry.name.size(), localTime_.LocalSecondsOf(accessSeconds), entry.size);
  CountOne(job_);
}

bool PassesWindow(const ScanFilter& filter, std::int64_t unixSeconds) {
  if (filter.accessMode == AccessMode::kNoLimit) return true;
  std::optional<Moment> access = MomentOf(unixSeconds);
  return access && filter.start < *access && *access < filter.end;
}

}  // namespace morlind
