// The limits the scan and the clean are measured against: listing (or
// deleting) every entry of a tree and nothing else.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace morlind::bench {

// Returns the number of entries seen below path ("." and ".." not counted).
inline std::size_t BareWalk(Platform& platform, std::string& path) {
  std::unique_ptr<DirListing> listing = platform.OpenListing(path);
  if (!listing) return 0;
  const std::size_t length = path.size();
  std::size_t entries = 0;
  do {
    const DirEntry& entry = listing->Current();
    if (entry.IsDotOrDotDot()) continue;
    ++entries;
    if (entry.IsDirectory() && !entry.IsReparsePoint()) {
      path.resize(length);
      path += '\\';
      path += entry.name;
      entries += BareWalk(platform, path);
    }
  } while (listing->Next());
  path.resize(length);
  return entries;
}

// Deletes everything below path with the same calls a clean makes, without
// looking where anything lies.
inline void BareDelete(Platform& platform, std::string& path) {
  std::unique_ptr<DirListing> listing = platform.OpenListing(path);
  if (!listing) return;
  const std::size_t length = path.size();
  do {
    const DirEntry& entry = listing->Current();
    if (entry.IsDotOrDotDot()) continue;
    path.resize(length);
    path += '\\';
    path += entry.name;
    if (entry.IsDirectory()) BareDelete(platform, path);
    if (std::unique_ptr<OpenedEntry> opened = platform.OpenForDelete(path)) opened->Delete();
  } while (listing->Next());
  path.resize(length);
}

}  // namespace morlind::bench
