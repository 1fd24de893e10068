// Chromium's simple cache (the default on Linux, Android and macOS): one
// `<16 hex digits>_0` file per entry holding its key, body and response
// head, and `index-dir/the-real-index` with each entry's last use
// (net/disk_cache/simple/simple_entry_format.h).
#pragma once

#include "caches/CacheEntry.h"

namespace morlind {

class ChromiumSimpleCache : public CacheFormat {
 public:
  bool Recognises(Platform& platform, const std::string& folder) const override;
  CacheListing Read(Platform& platform, const std::string& folder, const std::atomic<bool>* stop) const override;
};

}  // namespace morlind
