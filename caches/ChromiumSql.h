// Chromium's SQL cache (net/disk_cache/sql/): SQLite databases sqldb0,
// sqldb1, … (one per shard) beside a small `index` file; in each, the
// `resources` table holds an entry's key, last use and pickled response
// head, the `blobs` table its body in pieces by offset. SQLite opens files
// by name and locks them, and a running browser may hold its databases
// without sharing: so each database is copied with its journal or
// write-ahead log into a folder of the program's own, and SQLite reads the
// copy. The copy goes once the rows that read their bodies from it are gone.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "caches/CacheEntry.h"

namespace morlind {

// A new empty folder of the program's own for copies, which its owner
// removes with what it holds once the last holder lets it go; null when
// none can be made. The reader itself deletes nothing.
using CopyFolder = std::shared_ptr<const std::string>;
using CopyFolderMaker = std::function<CopyFolder()>;

class ChromiumSqlCache final : public CacheFormat {
 public:
  explicit ChromiumSqlCache(CopyFolderMaker newFolder) : newFolder_(std::move(newFolder)) {}
  // Recognised by its sqldb<n> files.
  bool Recognises(Platform& platform, const std::string& folder) const override;
  CacheListing Read(Platform& platform, const std::string& folder, const std::atomic<bool>* stop) const override;

 private:
  CopyFolderMaker newFolder_;
};

}  // namespace morlind
