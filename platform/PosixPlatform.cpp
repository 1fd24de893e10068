#include "platform/PosixPlatform.h"

#include "platform/CalendarTm.h"
#include "platform/Ranks.h"
#include "platform/Utf8.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cerrno>
#include <cstdlib>
#include <cstring>
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
      if (S_ISREG(st.st_mode)) entry_.size = static_cast<std::uint64_t>(st.st_size);
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

std::unique_ptr<DirListing> PosixPlatform::OpenListing(const std::string& folder) {
  DIR* dir = opendir(ToNativePath(folder).c_str());
  if (!dir) return nullptr;
  auto listing = std::make_unique<PosixListing>(dir);
  if (!listing->Next()) return nullptr;
  return listing;
}

std::optional<std::uint32_t> PosixPlatform::AttributesOf(const std::string& path) {
  struct stat st {};
  if (lstat(ToNativePath(path).c_str(), &st) != 0) return std::nullopt;
  std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : 0;
  if (S_ISLNK(st.st_mode)) attributes |= kAttrReparsePoint;
  return attributes;
}

namespace {

// Written beside its target and renamed over it with rename(2), which
// replaces a link as a name.
class PosixReplacementFile : public ReplacementFile {
 public:
  PosixReplacementFile(int fd, std::string path, std::string target)
      : fd_(fd), path_(std::move(path)), target_(std::move(target)) {}
  ~PosixReplacementFile() override {
    close(fd_);
    if (!committed_) unlink(path_.c_str());
  }
  PosixReplacementFile(const PosixReplacementFile&) = delete;
  PosixReplacementFile& operator=(const PosixReplacementFile&) = delete;
  SystemError Write(const void* data, std::size_t size) override {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
      ssize_t written = write(fd_, at, size);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) return static_cast<SystemError>(errno);
      if (written == 0) return ENOSPC;
      at += written;
      size -= static_cast<std::size_t>(written);
    }
    return 0;
  }
  SystemError Commit(std::uint64_t lastWrite) override {
    std::int64_t seconds = static_cast<std::int64_t>(lastWrite / kFileTicksPerSecond) - kSecondsFrom1601To1970;
    const long nanoseconds = static_cast<long>(lastWrite % kFileTicksPerSecond) * 100;
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
    if (futimens(fd_, times) != 0 || rename(path_.c_str(), target_.c_str()) != 0) {
      return static_cast<SystemError>(errno);
    }
    committed_ = true;
    return 0;
  }

 private:
  int fd_;
  std::string path_, target_;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<ReplacementFile> PosixPlatform::CreateReplacement(const std::string& target, SystemError* error) {
  std::string native = ToNativePath(target);
  std::string pattern = native.substr(0, native.rfind('/') + 1) + "~morlind-XXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0) {
    if (error) *error = static_cast<SystemError>(errno);
    return nullptr;
  }
  return std::make_unique<PosixReplacementFile>(fd, pattern, native);
}

namespace {

class PosixReadOnlyFile : public ReadOnlyFile {
 public:
  PosixReadOnlyFile(int fd, std::uint64_t size, std::uint64_t lastWrite)
      : fd_(fd), size_(size), lastWrite_(lastWrite) {}
  ~PosixReadOnlyFile() override { close(fd_); }
  PosixReadOnlyFile(const PosixReadOnlyFile&) = delete;
  PosixReadOnlyFile& operator=(const PosixReadOnlyFile&) = delete;
  std::uint64_t Size() const override { return size_; }
  std::uint64_t LastWrite() const override { return lastWrite_; }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    std::size_t total = 0;
    while (total < size) {
      ssize_t read = pread(fd_, static_cast<char*>(buffer) + total, size - total, static_cast<off_t>(offset + total));
      if (read < 0 && errno == EINTR) continue;
      if (read < 0) return std::nullopt;
      if (read == 0) break;
      total += static_cast<std::size_t>(read);
    }
    return total;
  }

 private:
  int fd_;
  std::uint64_t size_;
  std::uint64_t lastWrite_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> PosixPlatform::OpenForReading(const std::string& path, SystemError* error) {
  int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = static_cast<SystemError>(fd < 0 ? errno : EISDIR);
    if (fd >= 0) close(fd);
    return nullptr;
  }
  return std::make_unique<PosixReadOnlyFile>(fd, static_cast<std::uint64_t>(st.st_size), FileTimeOf(st.st_mtim));
}

std::optional<std::string> PosixPlatform::RealPath(const std::string& path) {
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(ToNativePath(path), error);
  if (error) return std::nullopt;
  // Above this layer paths are '\\'-separated, real ones too.
  std::string spelt = real.string();
  std::replace(spelt.begin(), spelt.end(), '/', '\\');
  return spelt;
}

namespace {

class PosixOpenedEntry : public OpenedEntry {
 public:
  PosixOpenedEntry(std::string native, std::optional<std::string> realPath, bool isLink, bool isFolder)
      : native_(std::move(native)), realPath_(std::move(realPath)), isLink_(isLink), isFolder_(isFolder) {}
  std::optional<std::string> RealPath() override { return realPath_; }
  bool IsLink() override { return isLink_; }
  SystemError Delete() override {
    int result = isFolder_ ? rmdir(native_.c_str()) : unlink(native_.c_str());
    return result == 0 ? 0 : static_cast<SystemError>(errno);
  }

 private:
  std::string native_;
  std::optional<std::string> realPath_;
  bool isLink_;
  bool isFolder_;
};

}  // namespace

std::unique_ptr<OpenedEntry> PosixPlatform::OpenForDelete(const std::string& path) {
  std::string native = ToNativePath(path);
  struct stat st {};
  if (lstat(native.c_str(), &st) != 0) return nullptr;
  bool isLink = S_ISLNK(st.st_mode);
  std::optional<std::string> real = RealPath(path);
  return std::make_unique<PosixOpenedEntry>(native, real, isLink, S_ISDIR(st.st_mode));
}

std::string PosixPlatform::LibraryPath(const std::string& path) { return ToNativePath(path); }

std::string PosixPlatform::ErrorText(SystemError error) { return std::strerror(static_cast<int>(error)); }

namespace {

int CompareFolded(std::string_view a, std::string_view b, bool digitsAsNumbers) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (digitsAsNumbers && std::isdigit(static_cast<unsigned char>(a[i])) &&
        std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t endA = a.find_first_not_of("0123456789", i), endB = b.find_first_not_of("0123456789", j);
      std::string_view numberA = a.substr(i, endA - i), numberB = b.substr(j, endB - j);
      numberA.remove_prefix(std::min(numberA.find_first_not_of('0'), numberA.size()));
      numberB.remove_prefix(std::min(numberB.find_first_not_of('0'), numberB.size()));
      if (numberA.size() != numberB.size()) return numberA.size() < numberB.size() ? -1 : 1;
      if (int c = numberA.compare(numberB)) return c;
      i = std::min(endA, a.size());
      j = std::min(endB, b.size());
      continue;
    }
    char x = FoldAscii(a[i++]), y = FoldAscii(b[j++]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
  }
  return (i < a.size()) - (j < b.size());
}

}  // namespace

std::vector<std::uint32_t> PosixPlatform::TextRanks(const std::vector<std::string>& texts, TextOrder order) {
  return RanksBy(texts.size(), [&](std::uint32_t a, std::uint32_t b) {
    return CompareFolded(texts[a], texts[b], order == TextOrder::kNames);
  });
}

std::optional<std::string> PosixPlatform::SpecialFolderPath(int csidl) {
  auto found = specialFolders_.find(csidl);
  if (found == specialFolders_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::string> PosixPlatform::TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder && *folder ? folder : "/tmp");
}

SystemError PosixPlatform::CreateFolder(const std::string& path) {
  if (mkdir(ToNativePath(path).c_str(), 0777) == 0) return 0;
  return errno == EEXIST ? kErrorAlreadyExists : static_cast<SystemError>(errno);
}

std::uint32_t PosixPlatform::ProcessId() { return static_cast<std::uint32_t>(getpid()); }

bool PosixPlatform::ProcessRunning(std::uint32_t id) {
  return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
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
