// The one interface between the portable logic (search, actions) and the
// operating system. Paths and names are UTF-8 (see platform/Utf8.h), joined
// with '\\', of any length; an implementation maps them to its own file
// system.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morlind {

// Seconds since 1970-01-01 00:00:00 UTC, as wide as the C library's 64-bit
// times; -1 marks a failed conversion, as mktime does.
using Moment = std::int64_t;
constexpr Moment kBadMoment = -1;

// File times count 100 ns ticks from 1601-01-01 UTC, moments seconds from
// 1970-01-01 UTC.
constexpr std::int64_t kFileTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

// Attribute bits as Win32 reports them.
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// Shell special folder of the browser cache (CSIDL_INTERNET_CACHE).
constexpr int kInternetCacheFolder = 0x20;
// The user's local application data (CSIDL_LOCAL_APPDATA), where the
// browsers keep their own caches.
constexpr int kLocalAppDataFolder = 0x1C;

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
  std::uint64_t size = 0;        // bytes

  bool IsDirectory() const { return (attributes & kAttrDirectory) != 0; }
  bool IsReparsePoint() const { return (attributes & kAttrReparsePoint) != 0; }
  bool IsDotOrDotDot() const { return name == "." || name == ".."; }
};

// System error codes, as GetLastError gives them; 0 is success.
using SystemError = std::uint32_t;
constexpr SystemError kErrorFileNotFound = 2;
constexpr SystemError kErrorAccessDenied = 5;
constexpr SystemError kErrorSharingViolation = 32;
constexpr SystemError kErrorDiskFull = 112;
constexpr SystemError kErrorAlreadyExists = 183;
// A copy given up because its job was asked to stop.
constexpr SystemError kErrorCancelled = 1223;

// A file or folder held open for deletion: what it really is is learnt from
// the open handle, and deleting goes through the same handle, so nothing
// can be swapped in between. Nothing is asked of the system before a
// question needs it: a delete that asks nothing costs no more than a bare one.
class OpenedEntry {
 public:
  virtual ~OpenedEntry() = default;
  // Where it really lies, every link resolved, spelt as the file system
  // spells it; nothing when that cannot be learnt.
  virtual std::optional<std::string> RealPath() = 0;
  // A link itself (reparse point), not what it points at.
  virtual bool IsLink() = 0;
  // Deletes it (a folder only when empty); 0 or why not.
  virtual SystemError Delete() = 0;
};

// An open directory enumeration; closing happens in the destructor.
class DirListing {
 public:
  virtual ~DirListing() = default;
  // The current entry; only valid while Next() has not returned false.
  virtual const DirEntry& Current() const = 0;
  virtual bool Next() = 0;
};

// A file opened for reading only, sharing read, write and delete with
// everyone, so a program that keeps it open (a running browser) is never
// disturbed. Closing happens in the destructor.
class ReadOnlyFile {
 public:
  virtual ~ReadOnlyFile() = default;
  // Its size when it was opened.
  virtual std::uint64_t Size() const = 0;
  // Its last-write time when it was opened, in 100 ns ticks since 1601.
  virtual std::uint64_t LastWrite() const = 0;
  // Reads up to size bytes at offset into buffer: the count read (short
  // only at the end of the file), or nothing when the read failed.
  virtual std::optional<std::size_t> ReadAt(std::uint64_t offset, void* buffer, std::size_t size) = 0;
};

// A new file written under a name of its own in its target's folder, which
// takes the target's name only once it is whole. Until then the target name
// keeps what it held; destroyed before that, the new file goes.
class ReplacementFile {
 public:
  virtual ~ReplacementFile() = default;
  // Appends size bytes: 0, or why not (kErrorDiskFull for a short write).
  virtual SystemError Write(const void* data, std::size_t size) = 0;
  // Gives it lastWrite (100 ns ticks since 1601) and renames it over the
  // target name: whatever is there, a link included, is replaced as a name,
  // never written through. 0, or why not; then the target is untouched.
  virtual SystemError Commit(std::uint64_t lastWrite) = 0;
};

// One entry of the browser's URL cache index: a downloaded file and the
// address it came from.
struct UrlIndexEntry {
  std::string localFile;
  std::string address;
};

// Folders of the system and of the user that a clean must never empty.
enum class KnownFolder {
  kProfile,
  kDocuments,
  kDesktop,
  kDownloads,
  kPictures,
  kMusic,
  kVideos,
  kFavorites,
  kRoamingAppData,
  kLocalAppData,
  kLocalAppDataLow,
  kHistory,
  kCookies,
  kProgramData,
  kPublic,
  kWindows,
  kSystem,
  kProgramFiles,
  kProgramFilesX86,
};

// How texts are put in order: as Explorer orders file names (digits by
// their number, the user's language's rules), or as plain text.
enum class TextOrder { kNames, kText };

class Platform {
 public:
  virtual ~Platform() = default;

  // Lists every entry of folder ("." and ".." included), positioned on the
  // first; nullptr when folder is not a listable folder.
  virtual std::unique_ptr<DirListing> OpenListing(const std::string& folder) = 0;
  // The attributes of path, or nothing when it does not exist.
  virtual std::optional<std::uint32_t> AttributesOf(const std::string& path) = 0;
  // Starts the file that is to replace target, in target's folder;
  // nullptr with the reason in error when none can be made there.
  virtual std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& target, SystemError* error) = 0;
  // Opens a file for reading; nullptr when it cannot be opened, with the
  // reason in error when one is given.
  virtual std::unique_ptr<ReadOnlyFile> OpenForReading(const std::string& path, SystemError* error = nullptr) = 0;
  // Where path really lies, every link resolved; nothing when it cannot be
  // opened.
  virtual std::optional<std::string> RealPath(const std::string& path) = 0;
  // Opens a file or folder for deletion without following a link it is;
  // nullptr when it cannot be opened (in use, gone, refused).
  virtual std::unique_ptr<OpenedEntry> OpenForDelete(const std::string& path) = 0;
  // path as a library that opens files by name itself (SQLite) takes it:
  // UTF-8, spelt as the system spells paths.
  virtual std::string LibraryPath(const std::string& path) = 0;
  // The system's own words for an error, in the user's language.
  virtual std::string ErrorText(SystemError error) = 0;

  // The content entries of the current user's URL cache index that have a
  // local file (no cookies, no history); empty when the index cannot be
  // read. Reading ends early once stop is set.
  virtual std::vector<UrlIndexEntry> ReadUrlIndex(const std::atomic<bool>* stop) = 0;
  // The local file the index keeps for an address, as the index spells it;
  // nothing when the address has none.
  virtual std::optional<std::string> UrlLocalFile(const std::string& address) = 0;
  // Takes an address out of that index, and the system deletes the
  // entry's local file with it; false when it was not there.
  virtual bool ForgetUrl(const std::string& address) = 0;
  // Each text's rank in order: equal texts share one, case is ignored.
  virtual std::vector<std::uint32_t> TextRanks(const std::vector<std::string>& texts, TextOrder order) = 0;

  // The file-system path of a shell special folder, or nothing.
  virtual std::optional<std::string> SpecialFolderPath(int csidl) = 0;
  // The system's folder for temporary files, or nothing.
  virtual std::optional<std::string> TemporaryFolder() = 0;
  // Makes a folder whose parent exists: 0, kErrorAlreadyExists, or why not.
  virtual SystemError CreateFolder(const std::string& path) = 0;
  // This process's id, and whether a process of that id runs.
  virtual std::uint32_t ProcessId() = 0;
  virtual bool ProcessRunning(std::uint32_t id) = 0;
  // The path of a known folder of the system or the current user, or nothing.
  virtual std::optional<std::string> KnownFolderPath(KnownFolder folder) = 0;

  // Local calendar fields to a Moment, daylight saving decided by the
  // library; kBadMoment before 1970 or past the library's last date.
  virtual Moment MomentFromLocal(const LocalFields& fields) = 0;
  // Local calendar fields of any time in seconds since 1970 UTC.
  virtual std::optional<LocalFields> LocalFieldsOf(std::int64_t unixSeconds) = 0;
  virtual Moment Now() = 0;

};

}  // namespace morlind
