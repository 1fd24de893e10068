// Chromium's block-file cache, the Windows default: an `index` hash table
// of entries kept in block files `data_0`, `data_1`, … and bodies over
// 16 KB in `f_xxxxxx` files (net/disk_cache/blockfile/disk_format.h).
#pragma once

#include "caches/CacheEntry.h"

namespace morlind {

class ChromiumBlockFileCache : public CacheFormat {
 public:
  bool Recognises(Platform& platform, const std::string& folder) const override;
  CacheListing Read(Platform& platform, const std::string& folder, const std::atomic<bool>* stop) const override;
};

}  // namespace morlind
