// Where the current user's browsers keep their caches: the Chromium family
// and Firefox, under the local application-data folder.
#pragma once

#include <string>
#include <vector>

#include "caches/CacheEntry.h"

namespace morlind {

struct CacheSource {
  std::string folder;       // the cache folder itself
  std::string browser;      // "Chrome", "Edge", "Brave", "Chromium", "Vivaldi", "Firefox"
  std::string profile;      // the profile folder's name
  std::string displayName;  // "Chrome", or "Chrome（Profile 1）" when Chrome has more than one cache
  const CacheFormat* format = nullptr;  // what reads it
};

struct FoundCaches {
  std::vector<CacheSource> readable;  // each with its format
};

// Every browser cache under localAppData, each folder's format learnt from
// its files by the first of formats that recognises it. A folder no format
// recognises (an empty cache) is left out. No folder is entered through a
// link.
FoundCaches FindCacheSources(Platform& platform, const std::string& localAppData,
                             const std::vector<const CacheFormat*>& formats);

}  // namespace morlind
