#include "platform/Win32Platform.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/CalendarTm.h"
#include "platform/Win32Handles.h"
#include "platform/WideText.h"

namespace morlind {

namespace {

// The last second _localtime64 accepts: 3000-12-31 23:59:59 UTC.
constexpr std::int64_t kLastCrtSecond = 32'535'215'999;
// A FILETIME counts 100 ns in 63 bits; later seconds would overflow it.
constexpr std::int64_t kLastFileTimeSecond = INT64_MAX / kFileTicksPerSecond - kSecondsFrom1601To1970;

HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAA* data) {
  // The basic level skips short names and large fetch asks for bigger
  // batches; systems before Windows 7 refuse both, so fall back once.
  // The walk runs on a worker thread, the next one on another.
  static std::atomic<bool> basicRefused{false};
  if (!basicRefused) {
    HANDLE handle = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return handle;
    basicRefused = true;
  }
  return FindFirstFileA(pattern.c_str(), data);
}

class Win32Listing : public DirListing {
 public:
  explicit Win32Listing(const std::string& pattern) : handle_(FindFirst(pattern, &data_)) {
    Fill();
  }
  bool IsOpen() const { return handle_.IsValid(); }
  const DirEntry& Current() const override { return entry_; }
  bool Next() override {
    if (!FindNextFileA(handle_.Get(), &data_)) return false;
    Fill();
    return true;
  }

 private:
  void Fill() {
    data_.cFileName[MAX_PATH - 1] = '\0';
    entry_.name = data_.cFileName;
    entry_.attributes = data_.dwFileAttributes;
    entry_.lastAccess = (static_cast<std::uint64_t>(data_.ftLastAccessTime.dwHighDateTime) << 32) |
                        data_.ftLastAccessTime.dwLowDateTime;
  }

  WIN32_FIND_DATAA data_{};
  FindHandle handle_;
  DirEntry entry_;
};

LocalFields FieldsOf(const SYSTEMTIME& t) {
  return LocalFields{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// Outside the C runtime's range: the system's zone rules for that date.
std::optional<LocalFields> LocalFieldsFromSystem(std::int64_t unixSeconds) {
  if (unixSeconds < -kSecondsFrom1601To1970 || unixSeconds > kLastFileTimeSecond) return std::nullopt;
  std::uint64_t ticks = static_cast<std::uint64_t>((unixSeconds + kSecondsFrom1601To1970) * kFileTicksPerSecond);
  FILETIME fileTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME utc{}, local{};
  if (!FileTimeToSystemTime(&fileTime, &utc)) return std::nullopt;
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return FieldsOf(utc);
  return FieldsOf(local);
}

}  // namespace

Win32Platform::Win32Platform() {
  // A zone name such as "Asia/Shanghai" (Wine copies the Unix TZ) would be
  // misread by the C runtime; without TZ it follows the system's zone.
  const char* tz = std::getenv("TZ");
  if (tz && (std::strchr(tz, '/') || tz[0] == ':')) {
    _putenv("TZ=");
    _tzset();
  }
}

std::unique_ptr<DirListing> Win32Platform::OpenListing(const std::string& pattern) {
  auto listing = std::make_unique<Win32Listing>(pattern);
  if (!listing->IsOpen()) return nullptr;
  return listing;
}

bool Win32Platform::CopyFileReplacing(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
}

bool Win32Platform::RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool Win32Platform::RemoveEmptyFolder(const std::string& path) {
  return RemoveDirectoryA(path.c_str()) != 0;
}

std::optional<std::string> Win32Platform::SpecialFolderPath(int csidl) {
  ItemIdList pidl;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.Receive())) || !pidl.Get()) {
    return std::nullopt;
  }
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(pidl.Get(), path)) return std::nullopt;
  return std::string(path);
}

Moment Win32Platform::MomentFromLocal(const LocalFields& fields) {
  std::tm tm = TmOfLocal(fields);
  return MomentOrBad(_mktime64(&tm));
}

std::optional<LocalFields> Win32Platform::LocalFieldsOf(std::int64_t unixSeconds) {
  if (unixSeconds < 0 || unixSeconds > kLastCrtSecond) return LocalFieldsFromSystem(unixSeconds);
  __time64_t t = unixSeconds;
  std::tm tm{};
  if (_localtime64_s(&tm, &t) != 0) return LocalFieldsFromSystem(unixSeconds);
  return LocalOfTm(tm);
}

Moment Win32Platform::Now() { return _time64(nullptr); }

std::string Win32Platform::AnsiToUtf8(std::string_view ansi) { return WideToUtf8(AnsiToWide(ansi)); }

}  // namespace morlind
