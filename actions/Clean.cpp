#include "actions/Clean.h"

#include <algorithm>
#include <array>

#include "platform/Paths.h"
#include "platform/Utf8.h"

namespace morlind {

namespace {

constexpr std::array kKnownFolders = {
    KnownFolder::kProfile,        KnownFolder::kDocuments,    KnownFolder::kDesktop,      KnownFolder::kDownloads,
    KnownFolder::kPictures,       KnownFolder::kMusic,        KnownFolder::kVideos,       KnownFolder::kFavorites,
    KnownFolder::kRoamingAppData, KnownFolder::kLocalAppData, KnownFolder::kLocalAppDataLow, KnownFolder::kHistory,
    KnownFolder::kCookies,        KnownFolder::kProgramData,  KnownFolder::kPublic,       KnownFolder::kWindows,
    KnownFolder::kSystem,         KnownFolder::kProgramFiles, KnownFolder::kProgramFilesX86,
};

bool IsLowerAsciiLetterOrDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

// A drive's root, or a share's: "\\server\share".
bool IsVolumeRoot(std::string_view path) {
  if (IsDriveRoot(path)) return true;
  if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  std::string_view rest = path.substr(2);
  while (!rest.empty() && IsSeparator(rest.back())) rest.remove_suffix(1);
  const std::size_t server = rest.find_first_of("\\/");
  return server == std::string_view::npos || rest.find_first_of("\\/", server + 1) == std::string_view::npos;
}

// Real locations compared without ASCII case: refusing more than needed
// only keeps a folder that would have been cleaned.
bool SameOrInside(std::string_view path, std::string_view root) {
  const std::string foldedPath = FoldedAscii(path), foldedRoot = FoldedAscii(root);
  return foldedPath == foldedRoot || LiesInside(foldedPath, foldedRoot);
}

class TreeDeleter {
 public:
  TreeDeleter(Platform& platform, const std::string& root, JobControl* job)
      : platform_(platform), inside_(platform, root), job_(job) {}

  // 1 when dir cannot be listed, else 0.
  int Empty(const std::string& dir) {
    const std::optional<std::string>& realRoot = inside_.RealRoot();
    if (!realRoot) return platform_.OpenListing(dir) ? 0 : 1;
    return Empty(dir, *realRoot);
  }

 private:
  int Empty(const std::string& dir, const std::string& realDir) {
    std::unique_ptr<DirListing> listing = platform_.OpenListing(dir);
    if (!listing) return 1;
    do {
      if (StopRequested(job_)) break;
      const DirEntry& entry = listing->Current();
      if (entry.IsDotOrDotDot()) continue;
      std::string child = JoinPath(dir, entry.name);
      if (!entry.IsDirectory()) {
        if (inside_.DeleteIn(realDir, child, entry.name) == 0) CountOne(job_);
      } else if (std::optional<std::string> realChild = inside_.Enter(realDir, child, entry)) {
        Empty(child, *realChild);
        if (StopRequested(job_)) break;
        // One that refused listing is tried all the same; it stays.
        inside_.DeleteIn(realDir, child, entry.name);
      }
    } while (listing->Next());
    return 0;
  }

  Platform& platform_;
  InsideDeleter inside_;
  JobControl* job_;
};

}  // namespace

bool IsCacheShaped(std::string_view name, bool isFolder) {
  const std::string folded = FoldedAscii(name);
  if (!isFolder) return folded == "index.dat" || folded == "container.dat" || folded == "desktop.ini";
  return folded == "content.ie5" || folded == "ie" || folded == "low" || folded == "virtualized" ||
         (folded.size() == 8 && std::all_of(folded.begin(), folded.end(), IsLowerAsciiLetterOrDigit));
}

std::optional<std::string> CleanRefusal(Platform& platform, const std::string& folder) {
  const std::string refusal = kNotACacheText + folder;
  const std::optional<std::string> real = platform.RealPath(folder);
  if (!real || IsVolumeRoot(*real)) return refusal;
  std::optional<std::string> defaultPlace;
  for (KnownFolder known : kKnownFolders) {
    const std::optional<std::string> path = platform.KnownFolderPath(known);
    if (!path) continue;
    const std::string where = platform.RealPath(*path).value_or(*path);
    if (SameOrInside(where, *real)) return refusal;
    if (known == KnownFolder::kLocalAppData) defaultPlace = JoinPath(where, "Microsoft\\Windows");
  }
  if (defaultPlace && LiesInside(FoldedAscii(*real), FoldedAscii(*defaultPlace))) return std::nullopt;
  std::unique_ptr<DirListing> listing = platform.OpenListing(folder);
  if (!listing) return refusal;
  do {
    const DirEntry& entry = listing->Current();
    if (!entry.IsDotOrDotDot() && !IsCacheShaped(entry.name, entry.IsDirectory())) return refusal;
  } while (listing->Next());
  return std::nullopt;
}

InsideDeleter::InsideDeleter(Platform& platform, const std::string& root)
    : platform_(platform), realRoot_(platform.RealPath(root)) {
  realFolders_.emplace(root, realRoot_);
}

// A folder of a chosen file is its own too, all the way up to the root:
// one swapped for a link to another folder inside leads to other files.
std::optional<std::string> InsideDeleter::RealFolderOf(const std::string& folder) {
  if (auto known = realFolders_.find(folder); known != realFolders_.end()) return known->second;
  std::optional<std::string> real;
  const std::size_t cut = folder.find_last_of("\\/");
  if (cut != std::string::npos && cut + 1 < folder.size()) {
    if (std::optional<std::string> realParent = RealFolderOf(folder.substr(0, cut))) {
      real = platform_.RealPath(folder);
      if (real != JoinPath(*realParent, std::string_view(folder).substr(cut + 1))) real.reset();
    }
  }
  realFolders_.emplace(folder, real);
  return real;
}

SystemError InsideDeleter::Delete(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return kErrorAccessDenied;
  std::optional<std::string> realFolder = RealFolderOf(path.substr(0, cut));
  if (!realFolder) return kErrorAccessDenied;
  return DeleteIn(*realFolder, path, std::string_view(path).substr(cut + 1));
}

SystemError InsideDeleter::DeleteIn(const std::string& realFolder, const std::string& path, std::string_view name) {
  std::unique_ptr<OpenedEntry> opened = platform_.OpenForDelete(path);
  if (!opened) return kErrorAccessDenied;
  // A link, or a Unix link that Wine opens as its target, or another file
  // that opens by this name: it stays, and so does whatever it leads to.
  if (opened->IsLink() || opened->RealPath() != JoinPath(realFolder, name)) return kErrorAccessDenied;
  return opened->Delete();
}

std::optional<std::string> InsideDeleter::Enter(const std::string& realFolder, const std::string& path,
                                                const DirEntry& entry) {
  if (!entry.IsDirectory() || entry.IsReparsePoint()) return std::nullopt;
  std::string own = JoinPath(realFolder, entry.name);
  if (platform_.RealPath(path) != own) return std::nullopt;
  return own;
}

int DeleteTree(Platform& platform, const std::string& dir, JobControl* job) {
  return TreeDeleter(platform, dir, job).Empty(dir);
}

}  // namespace morlind
