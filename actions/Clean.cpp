#include "actions/Clean.h"

#include <optional>

namespace morlind {

namespace {

constexpr std::string_view kListPattern = "\\*";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsDriveRoot(std::string_view path) {
  std::size_t rest = 0;
  if (path.size() >= 2 && path[1] == ':') {
    char letter = path[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return false;
    rest = 2;
  } else if (path.empty() || !IsSeparator(path[0])) {
    return false;
  }
  for (std::size_t i = rest; i < path.size(); ++i) {
    if (!IsSeparator(path[i])) return false;
  }
  return true;
}

std::optional<std::string> CleanableFolder(Platform& platform, int folderId) {
  std::optional<std::string> path = platform.SpecialFolderPath(folderId);
  // A shell folder resolved to a whole drive must not wipe that drive.
  if (!path || path->empty() || !FitsPath(*path) || IsDriveRoot(*path)) return std::nullopt;
  return path;
}

int CleanSpecialFolder(Platform& platform, int folderId) {
  std::optional<std::string> path = CleanableFolder(platform, folderId);
  if (!path) return 1;
  DeleteTree(platform, *path);
  return 0;
}

int DeleteTree(Platform& platform, const std::string& dir, JobControl* job) {
  if (!FitsPath(dir, kListPattern)) return 1;
  std::unique_ptr<DirListing> listing = platform.OpenListing(dir + std::string(kListPattern));
  if (!listing) return 1;

  do {
    if (StopRequested(job)) break;
    const DirEntry& entry = listing->Current();
    if (entry.IsDotOrDotDot()) continue;
    // A folder link leads outside the cache; even removing the link itself
    // is unsafe (Wine's RemoveDirectoryA deletes an empty target instead).
    if (entry.IsDirectory() && entry.IsReparsePoint()) continue;

    std::string child = dir;
    child += '\\';
    child += entry.name;
    // A shortened path would name some other file.
    if (!FitsPath(child)) continue;

    if (!entry.IsDirectory()) {
      if (platform.RemoveFile(child)) CountOne(job);
    } else if (FitsPath(child, kListPattern)) {
      int listed = DeleteTree(platform, child, job);
      if (StopRequested(job)) break;
      if (listed == 0) {
        platform.RemoveEmptyFolder(child);
      } else {
        platform.RemoveFile(child);  // refused listing: try it as a file, it stays
      }
    }
  } while (listing->Next());
  return 0;
}

}  // namespace morlind
