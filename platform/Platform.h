// The one interface between the portable logic (search, actions) and the
// operating system. Paths are 8-bit ANSI text joined with '\\'; an
// implementation maps them to its own file system.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace morlind {

// Seconds since 1970-01-01 00:00:00 UTC, as wide as the C library's 64-bit
// times; -1 marks a failed conversion, as mktime does.
using Moment = std::int64_t;
constexpr Moment kBadMoment = -1;

// The Windows MAX_PATH buffer: a path fits when it and its terminator do.
constexpr std::size_t kMaxPath = 260;
inline bool FitsPath(std::string_view path) { return path.size() < kMaxPath; }
// The same for path followed by suffix, a listing's "\\*.*" say.
inline bool FitsPath(std::string_view path, std::string_view suffix) {
  return path.size() + suffix.size() < kMaxPath;
}

// File times count 100 ns ticks from 1601-01-01 UTC, moments seconds from
// 1970-01-01 UTC.
constexpr std::int64_t kFileTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

// Attribute bits as Win32 reports them.
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// Shell special folder of the browser cache (CSIDL_INTERNET_CACHE).
constexpr int kInternetCacheFolder = 0x20;

struct LocalFields {
  int year = 0;    // four digits
  int month = 0;   // 1-12
  int day = 0;     // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const LocalFields&) const = default;
};

struct DirEntry {
  std::string_view name;        // valid until the listing moves on
  std::uint32_t attributes = 0;
  std::uint64_t lastAccess = 0;  // 100 ns intervals since 1601-01-01 UTC

  bool IsDirectory() const { return (attributes & kAttrDirectory) != 0; }
  bool IsReparsePoint() const { return (attributes & kAttrReparsePoint) != 0; }
  bool IsDotOrDotDot() const { return name == "." || name == ".."; }
};

// An open directory enumeration; closing happens in the destructor.
class DirListing {
 public:
  virtual ~DirListing() = default;
  // The current entry; only valid while Next() has not returned false.
  virtual const DirEntry& Current() const = 0;
  virtual bool Next() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Opens "dir\\*.*" or "dir\\*" and positions on the first entry ("."
  // and ".." included); nullptr when dir is not a listable folder.
  virtual std::unique_ptr<DirListing> OpenListing(const std::string& pattern) = 0;
  virtual bool CopyFileReplacing(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual bool RemoveEmptyFolder(const std::string& path) = 0;

  // The file-system path of a shell special folder, or nothing.
  virtual std::optional<std::string> SpecialFolderPath(int csidl) = 0;

  // Local calendar fields to a Moment, daylight saving decided by the
  // library; kBadMoment before 1970 or past the library's last date.
  virtual Moment MomentFromLocal(const LocalFields& fields) = 0;
  // Local calendar fields of any time in seconds since 1970 UTC.
  virtual std::optional<LocalFields> LocalFieldsOf(std::int64_t unixSeconds) = 0;
  virtual Moment Now() = 0;

  // ANSI text (file names, the typed extension) as UTF-8, for texts shown
  // to the user beside UTF-8 literals.
  virtual std::string AnsiToUtf8(std::string_view ansi) = 0;
};

}  // namespace morlind
