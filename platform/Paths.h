// Paths as text: joining, and whether one lies inside another.
#pragma once

#include <string>
#include <string_view>

namespace morlind {

inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// folder + '\\' + name, with one separator where folder ends in one already
// (a drive root): the \\?\ form takes no doubled separator.
inline std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || !IsSeparator(path.back())) path += '\\';
  path += name;
  return path;
}

// Whether path lies strictly below root. Both are real locations as the
// file system spells them, so a plain prefix compare serves; a mismatch
// only ever refuses.
inline bool LiesInside(std::string_view path, std::string_view root) {
  if (root.empty() || path.size() <= root.size() || path.substr(0, root.size()) != root) return false;
  return IsSeparator(root.back()) || IsSeparator(path[root.size()]);
}

// "C:", "C:\\", "\\" and the like.
bool IsDriveRoot(std::string_view path);

}  // namespace morlind
