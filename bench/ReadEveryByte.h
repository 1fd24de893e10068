// The least any reader of a cache's files could do: every file below a
// folder read once from start to end in 1 MB reads, through the platform.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "platform/Platform.h"

namespace morlind::bench {

// Returns the number of files read.
inline int ReadEveryByte(Platform& platform, const std::string& folder) {
  static std::vector<char> buffer(1 << 20);
  int files = 0;
  std::unique_ptr<DirListing> listing = platform.OpenListing(folder);
  if (!listing) return 0;
  std::vector<std::string> subfolders;
  do {
    const DirEntry& entry = listing->Current();
    if (entry.IsDotOrDotDot()) continue;
    std::string path = JoinPath(folder, entry.name);
    if (entry.IsDirectory()) {
      subfolders.push_back(std::move(path));
      continue;
    }
    std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading(path);
    for (std::uint64_t at = 0; file && at < file->Size(); at += buffer.size()) {
      if (!file->ReadAt(at, buffer.data(), buffer.size())) break;
    }
    ++files;
  } while (listing->Next());
  for (const std::string& subfolder : subfolders) files += ReadEveryByte(platform, subfolder);
  return files;
}

}  // namespace morlind::bench
