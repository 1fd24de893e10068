// The depth-first walk of a folder tree that fills the result table with
// every file whose name and access time pass.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "search/AccessTime.h"
#include "search/ResultTable.h"

namespace morlind {

constexpr int kNoLimit = 1;  // access mode: every access time passes

struct ScanFilter {
  std::string extension;
  int accessMode = kNoLimit;  // 0: only start < access < end passes
  Moment start = 0;
  Moment end = 0;
};

class CacheScan {
 public:
  CacheScan(Platform& platform, const ScanFilter& filter, ResultTable& table)
      : platform_(platform), filter_(filter), table_(table), localTime_(platform) {}

  // 1 when dir cannot be listed as a folder, else 0 once its whole subtree
  // has been visited. Rows are added in pre-order of the listing order.
  int ScanFolder(const std::string& dir);

 private:
  int ScanInto(std::string& path);
  void VisitEntry(std::string& path, const DirEntry& entry);
  void TestFile(const std::string& path, const DirEntry& entry);
  bool InWindow(std::int64_t unixSeconds) const;

  Platform& platform_;
  const ScanFilter& filter_;
  ResultTable& table_;
  LocalTimeCache localTime_;
};

}  // namespace morlind
