#include "actions/Clean.h"

#include "platform/Paths.h"

namespace morlind {

namespace {

class TreeDeleter {
 public:
  TreeDeleter(Platform& platform, const std::string& root, JobControl* job)
      : platform_(platform), inside_(platform, root), job_(job) {}

  // 1 when dir cannot be listed, else 0.
  int Empty(const std::string& dir) {
    std::unique_ptr<DirListing> listing = platform_.OpenListing(dir);
    if (!listing) return 1;
    do {
      if (StopRequested(job_)) break;
      const DirEntry& entry = listing->Current();
      if (entry.IsDotOrDotDot()) continue;
      std::string child = JoinPath(dir, entry.name);
      if (!entry.IsDirectory()) {
        if (inside_.Delete(child) == 0) CountOne(job_);
      } else if (inside_.MayEnter(child, entry)) {
        Empty(child);
        if (StopRequested(job_)) break;
        // One that refused listing is tried all the same; it stays.
        inside_.Delete(child);
      }
    } while (listing->Next());
    return 0;
  }

 private:
  Platform& platform_;
  InsideDeleter inside_;
  JobControl* job_;
};

}  // namespace

InsideDeleter::InsideDeleter(Platform& platform, const std::string& root)
    : platform_(platform), realRoot_(platform.RealPath(root)) {}

bool InsideDeleter::Inside(const std::string& realPath) const {
  return realRoot_ && LiesInside(realPath, *realRoot_);
}

SystemError InsideDeleter::Delete(const std::string& path) {
  std::unique_ptr<OpenedEntry> opened = platform_.OpenForDelete(path);
  if (!opened) return kErrorAccessDenied;
  // A link, or a Unix link that Wine opens as its target: it stays, and so
  // does whatever it leads to.
  if (opened->IsLink() || !Inside(opened->RealPath())) return kErrorAccessDenied;
  return opened->Delete();
}

bool InsideDeleter::MayEnter(const std::string& path, const DirEntry& entry) {
  if (!entry.IsDirectory() || entry.IsReparsePoint()) return false;
  std::optional<std::string> real = platform_.RealPath(path);
  return real && Inside(*real);
}

int DeleteTree(Platform& platform, const std::string& dir, JobControl* job) {
  return TreeDeleter(platform, dir, job).Empty(dir);
}

}  // namespace morlind
