// Deleting the content of the cache folder, depth-first.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace morlind {

// Empties the shell special folder folderId, keeping the folder itself.
// 1 when it has no usable path (none, empty, too long, or a drive root),
// deleting nothing; else 0.
int CleanSpecialFolder(Platform& platform, int folderId);

// 1 when dir cannot be listed as a folder, else 0 after trying to delete
// everything inside it. Folder links are left alone, neither entered nor
// removed; paths over the length limit are skipped; results of deletions
// are not looked at.
int DeleteTree(Platform& platform, const std::string& dir);

// "C:", "C:\\", "\\" and the like: never cleaned.
bool IsDriveRoot(std::string_view path);

}  // namespace morlind
