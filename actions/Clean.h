// Deleting the content of the cache folder, depth-first, and nothing that
// lies outside it or behind a link; and refusing a folder that is no cache.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "search/Job.h"

namespace morlind {

constexpr const char* kNotACacheText = "此文件夹不是IE缓存文件夹，没有清理：";

// Whether a name at a cache folder's top level is one a cache holds there:
// Content.IE5, IE, Low, Virtualized or eight letters and digits for a
// folder; index.dat, container.dat or desktop.ini for a file.
bool IsCacheShaped(std::string_view name, bool isFolder);

// kNotACacheText + folder when a clean must not touch folder, else nothing.
// Refused: a folder whose real location cannot be learnt or listed, a drive
// or share root, one that is or holds a known folder (the profile, Windows,
// the program folders, Documents and the like), and, outside the default
// place below the local application data's Microsoft\Windows, one that
// holds anything a cache does not (WinINet makes Content.IE5\index.dat in
// whatever folder the setting names, so those alone prove nothing).
std::optional<std::string> CleanRefusal(Platform& platform, const std::string& folder);

// Deletes files and empty folders inside one folder, never through a link:
// each entry is opened first, and deleted only when its real location is
// its own path, the real location of its folder plus its name, inside the
// root's. Anything else (a link, a name that opens a file of another case,
// an entry swapped for a link to a file inside or out) stays.
class InsideDeleter {
 public:
  // Nothing can be deleted when root's real location cannot be learnt.
  InsideDeleter(Platform& platform, const std::string& root);

  const std::optional<std::string>& RealRoot() const { return realRoot_; }
  // 0, or why it was not deleted (kErrorAccessDenied for anything not its own).
  SystemError Delete(const std::string& path);
  // The same, with its folder's real location known.
  SystemError DeleteIn(const std::string& realFolder, const std::string& path, std::string_view name);
  // A folder's real location when it may be entered: a real folder, no
  // link, at its own path below realFolder.
  std::optional<std::string> Enter(const std::string& realFolder, const std::string& path, const DirEntry& entry);

 private:
  // Each folder's real location, learnt once.
  std::optional<std::string> RealFolderOf(const std::string& folder);

  Platform& platform_;
  std::optional<std::string> realRoot_;
  std::map<std::string, std::optional<std::string>> realFolders_;
};

// Empties dir, keeping dir itself. 1 when dir cannot be listed as a
// folder, else 0. Whatever cannot be deleted stays, with the folders above
// it. With a job, the files deleted are counted, and once it is asked to
// stop nothing more is deleted.
int DeleteTree(Platform& platform, const std::string& dir, JobControl* job = nullptr);

}  // namespace morlind
