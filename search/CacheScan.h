// The depth-first walk of a folder tree that fills the result table with
// every file whose name and access time pass.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "search/AccessTime.h"
#include "search/Job.h"
#include "search/ResultTable.h"

namespace morlind {

// Which access times pass: every one, or only start < access < end. The
// numbers are the radios' values.
enum class AccessMode { kMatchWindow = 0, kNoLimit = 1 };

struct ScanFilter {
  std::string extension;
  AccessMode accessMode = AccessMode::kNoLimit;
  Moment start = 0;
  Moment end = 0;
};

// Whether a time in seconds since 1970 UTC passes the filter's window.
bool PassesWindow(const ScanFilter& filter, std::int64_t unixSeconds);

class CacheScan {
 public:
  // With a job, the walk counts the rows it adds and ends early when asked
  // to stop, keeping the rows found so far.
  CacheScan(Platform& platform, const ScanFilter& filter, ResultTable& table, JobControl* job = nullptr)
      : platform_(platform), filter_(filter), table_(table), job_(job), localTime_(platform) {}

  // 1 when dir cannot be listed as a folder, else 0 once its whole subtree
  // has been visited (or the walk was stopped). Rows are added in pre-order
  // of the listing order.
  int ScanFolder(const std::string& dir);

 private:
  int ScanInto(std::string& path);
  void VisitEntry(std::string& path, const DirEntry& entry);
  void TestFile(const std::string& path, const DirEntry& entry);

  Platform& platform_;
  const ScanFilter& filter_;
  ResultTable& table_;
  JobControl* job_;
  LocalTimeCache localTime_;
};

}  // namespace morlind
