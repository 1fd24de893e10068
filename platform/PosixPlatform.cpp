#include "platform/PosixPlatform.h"

#include "platform/CalendarTm.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

namespace morlind {

namespace {

std::uint64_t FileTimeOf(const timespec& t) {
  std::int64_t seconds = t.tv_sec + kSecondsFrom1601To1970;
  if (seconds < 0) return 0;
  return static_cast<std::uint64_t>(seconds) * kFileTicksPerSecond +
         static_cast<std::uint64_t>(t.tv_nsec) / 100;
}

// The folder part of a "dir\\*.*" or "dir\\*" pattern.
std::string_view FolderOfPattern(std::string_view pattern) {
  std::size_t slash = pattern.rfind('\\');
  return slash == std::string_view::npos ? std::string_view(".") : pattern.substr(0, slash);
}

class PosixListing : public DirListing {
 public:
  explicit PosixListing(DIR* dir) : dir_(dir) {}
  ~PosixListing() override { closedir(dir_); }
  PosixListing(const PosixListing&) = delete;
  PosixListing& operator=(const PosixListing&) = delete;

  const DirEntry& Current() const override { return entry_; }

  bool Next() override {
    dirent* d = readdir(dir_);
    if (!d) return false;
    name_ = d->d_name;
    entry_ = DirEntry{};
    entry_.name = name_;
    struct stat st {};
    if (fstatat(dirfd(dir_), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      if (S_ISDIR(st.st_mode)) entry_.attributes |= kAttrDirectory;
      if (S_ISLNK(st.st_mode)) {
        entry_.attributes |= kAttrReparsePoint;
        struct stat target {};
        if (fstatat(dirfd(dir_), d->d_name, &target, 0) == 0 && S_ISDIR(target.st_mode)) {
          entry_.attributes |= kAttrDirectory;
        }
      }
      entry_.lastAccess = FileTimeOf(st.st_atim);
    }
    return true;
  }

 private:
  DIR* dir_;
  std::string name_;
  DirEntry entry_;
};

}  // namespace

std::string PosixPlatform::ToNativePath(std::string_view path) {
  std::string native(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

std::unique_ptr<DirListing> PosixPlatform::OpenListing(const std::string& pattern) {
  std::string folder = ToNativePath(FolderOfPattern(pattern));
  DIR* dir = opendir(folder.c_str());
  if (!dir) return nullptr;
  auto listing = std::make_unique<PosixListing>(dir);
  if (!listing->Next()) return nullptr;
  return listing;
}

bool PosixPlatform::CopyFileReplacing(const std::string& from, const std::string& to) {
  std::error_code error;
  return std::filesystem::copy_file(ToNativePath(from), ToNativePath(to),
                                    std::filesystem::copy_options::overwrite_existing, error);
}

bool PosixPlatform::RemoveFile(const std::string& path) {
  std::string native = ToNativePath(path);
  struct stat st {};
  // Like DeleteFileA: a folder is not a file.
  if (lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(native.c_str()) == 0;
}

bool PosixPlatform::RemoveEmptyFolder(const std::string& path) {
  return rmdir(ToNativePath(path).c_str()) == 0;
}

std::optional<std::string> PosixPlatform::SpecialFolderPath(int csidl) {
  auto found = specialFolders_.find(csidl);
  if (found == specialFolders_.end()) return std::nullopt;
  return found->second;
}

Moment PosixPlatform::MomentFromLocal(const LocalFields& fields) {
  std::tm tm = TmOfLocal(fields);
  return MomentOrBad(std::mktime(&tm));
}

std::optional<LocalFields> PosixPlatform::LocalFieldsOf(std::int64_t unixSeconds) {
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) return std::nullopt;
  return LocalOfTm(tm);
}

Moment PosixPlatform::Now() { return std::time(nullptr); }

}  // namespace morlind
