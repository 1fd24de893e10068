// Deleting the content of the cache folder, depth-first.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "search/Job.h"

namespace morlind {

// The path of the shell special folder folderId when it may be emptied:
// nothing when it has none, an empty one, one too long, or a drive root.
std::optional<std::string> CleanableFolder(Platform& platform, int folderId);

// Empties the shell special folder folderId, keeping the folder itself.
// 1 when it has no cleanable path, deleting nothing; else 0.
int CleanSpecialFolder(Platform& platform, int folderId);

// 1 when dir cannot be listed as a folder, else 0 after trying to delete
// everything inside it. Folder links are left alone, neither entered nor
// removed; paths over the length limit are skipped; results of deletions
// are not looked at. With a job, the files deleted are counted, and once
// it is asked to stop nothing more is deleted or removed.
int DeleteTree(Platform& platform, const std::string& dir, JobControl* job = nullptr);

// "C:", "C:\\", "\\" and the like: never cleaned.
bool IsDriveRoot(std::string_view path);

}  // namespace morlind
