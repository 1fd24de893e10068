// Deleting the content of the cache folder, depth-first, and nothing that
// lies outside it.
#pragma once

#include <string>

#include "platform/Platform.h"
#include "search/Job.h"

namespace morlind {

// Deletes files and empty folders inside one folder, never through a link:
// each entry is opened first, and deleted only when it is no link and its
// real location lies inside the folder's own real location.
class InsideDeleter {
 public:
  // Nothing can be deleted when root's real location cannot be learnt.
  InsideDeleter(Platform& platform, const std::string& root);

  // 0, or why it was not deleted (kErrorAccessDenied for anything outside).
  SystemError Delete(const std::string& path);
  // Whether a folder may be entered: a real folder, no link, inside.
  bool MayEnter(const std::string& path, const DirEntry& entry);

 private:
  bool Inside(const std::string& realPath) const;

  Platform& platform_;
  std::optional<std::string> realRoot_;
};

// Empties dir, keeping dir itself. 1 when dir cannot be listed as a
// folder, else 0. Whatever cannot be deleted stays, with the folders above
// it. With a job, the files deleted are counted, and once it is asked to
// stop nothing more is deleted.
int DeleteTree(Platform& platform, const std::string& dir, JobControl* job = nullptr);

}  // namespace morlind
