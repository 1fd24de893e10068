#include "platform/Paths.h"

namespace morlind {

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

}  // namespace morlind
