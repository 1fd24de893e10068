#include "platform/Win32Platform.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

#include "platform/CalendarTm.h"
#include "platform/Paths.h"
#include "platform/Ranks.h"
#include "platform/Win32Handles.h"

#include <knownfolders.h>
#include <shlwapi.h>
#include <wininet.h>
#include "platform/WideText.h"

namespace morlind {

namespace {


// The last second _localtime64 accepts: 3000-12-31 23:59:59 UTC.
constexpr std::int64_t kLastCrtSecond = 32'535'215'999;
// A FILETIME counts 100 ns in 63 bits; later seconds would overflow it.
constexpr std::int64_t kLastFileTimeSecond = INT64_MAX / kFileTicksPerSecond - kSecondsFrom1601To1970;

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW* data) {
  // The basic level skips short names and large fetch asks for bigger
  // batches; systems before Windows 7 refuse both, so fall back once.
  // The walk runs on a worker thread, the next one on another.
  static std::atomic<bool> basicRefused{false};
  if (!basicRefused) {
    HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_INVALID_PARAMETER) return handle;
    basicRefused = true;
  }
  return FindFirstFileExW(pattern.c_str(), FindExInfoStandard, data, FindExSearchNameMatch, nullptr, 0);
}

class Win32Listing : public DirListing {
 public:
  explicit Win32Listing(const std::string& folder) : handle_(FindFirst(SystemPath(JoinPath(folder, "*")), &data_)) {
    Fill();
  }
  bool IsOpen() const { return handle_.IsValid(); }
  const DirEntry& Current() const override { return entry_; }
  bool Next() override {
    if (!FindNextFileW(handle_.Get(), &data_)) return false;
    Fill();
    return true;
  }

 private:
  void Fill() {
    data_.cFileName[MAX_PATH - 1] = L'\0';
    name_ = WideToUtf8(data_.cFileName);
    entry_.name = name_;
    entry_.attributes = data_.dwFileAttributes;
    entry_.lastAccess = (static_cast<std::uint64_t>(data_.ftLastAccessTime.dwHighDateTime) << 32) |
                        data_.ftLastAccessTime.dwLowDateTime;
    entry_.size = (static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
  }

  WIN32_FIND_DATAW data_{};
  FileFindHandle handle_;
  std::string name_;
  DirEntry entry_;
};

// Opens without asking for data: enough to learn where it lies. Folders
// need the backup-semantics flag.
FileHandle OpenEntry(const std::string& path, DWORD access, DWORD flags = 0) {
  return FileHandle(CreateFileW(SystemPath(path).c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

// The drive letter of each volume serial number, when one drive alone has
// it; asked once, as drives rarely come and go while the program runs.
std::optional<wchar_t> DriveOfVolume(DWORD serial) {
  static const std::map<DWORD, std::optional<wchar_t>> drives = [] {
    std::map<DWORD, std::optional<wchar_t>> found;
    DWORD present = GetLogicalDrives();
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
      const wchar_t root[] = {letter, L':', L'\\', L'\0'};
      DWORD volumeSerial = 0;
      if (!(present & (1u << (letter - L'A'))) || GetDriveTypeW(root) != DRIVE_FIXED ||
          !GetVolumeInformationW(root, nullptr, 0, &volumeSerial, nullptr, nullptr, nullptr, 0)) {
        continue;
      }
      auto [slot, added] = found.try_emplace(volumeSerial, letter);
      if (!added) slot->second.reset();  // two drives, one serial: no answer
    }
    return found;
  }();
  auto found = drives.find(serial);
  return found == drives.end() ? std::nullopt : found->second;
}

// Wine answers GetFinalPathNameByHandle for paths of at most MAX_PATH;
// the name within its volume has no such limit.
std::optional<std::string> VolumePathOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  std::optional<wchar_t> drive = DriveOfVolume(info.dwVolumeSerialNumber);
  if (!drive) return std::nullopt;
  std::vector<char> buffer(sizeof(FILE_NAME_INFO) + kLongestPath * sizeof(wchar_t));
  auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, name, static_cast<DWORD>(buffer.size()))) return std::nullopt;
  std::wstring path{*drive, L':'};
  path.append(name->FileName, name->FileNameLength / sizeof(wchar_t));
  return WideToUtf8(path);
}

std::optional<std::string> FinalPathOf(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (int tries = 0; tries < 2; ++tries) {
    DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return VolumePathOf(handle);
    if (length < path.size()) {
      path.resize(length);
      return OrdinaryPath(path);
    }
    path.resize(length);  // the size it needs, terminator included
  }
  return std::nullopt;
}

// Asks where it lies and what it is only when asked: GetFileInformationByHandle
// would cost a mount-manager query per file under Wine (for the volume's
// serial number), which outweighs the delete itself.
class Win32OpenedEntry : public OpenedEntry {
 public:
  explicit Win32OpenedEntry(FileHandle handle) : handle_(std::move(handle)) {}
  std::optional<std::string> RealPath() override {
    if (!realPath_) realPath_ = FinalPathOf(handle_.Get());
    return realPath_;
  }
  // A link that cannot be asked counts as one: it stays.
  bool IsLink() override {
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle_.Get(), FileBasicInfo, &basic, sizeof basic)) return true;
    return (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  }
  // The entry goes when the handle closes, which the destructor does.
  SystemError Delete() override {
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (SetFileInformationByHandle(handle_.Get(), FileDispositionInfo, &disposition, sizeof disposition)) return 0;
    return GetLastError();
  }

 private:
  FileHandle handle_;
  std::optional<std::string> realPath_;
};

class Win32ReadOnlyFile : public ReadOnlyFile {
 public:
  Win32ReadOnlyFile(FileHandle handle, std::uint64_t size, std::uint64_t lastWrite)
      : handle_(std::move(handle)), size_(size), lastWrite_(lastWrite) {}
  std::uint64_t Size() const override { return size_; }
  std::uint64_t LastWrite() const override { return lastWrite_; }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    std::size_t total = 0;
    while (total < size) {
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset + total);
      at.OffsetHigh = static_cast<DWORD>((offset + total) >> 32);
      DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
      DWORD read = 0;
      if (!ReadFile(handle_.Get(), static_cast<char*>(buffer) + total, want, &read, &at)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        return std::nullopt;
      }
      if (read == 0) break;
      total += read;
    }
    return total;
  }

 private:
  FileHandle handle_;
  std::uint64_t size_;
  std::uint64_t lastWrite_;
};

// Held open until it is renamed, sharing only delete so that the rename can
// go through; given up, it goes when the handle closes.
class Win32ReplacementFile : public ReplacementFile {
 public:
  Win32ReplacementFile(FileHandle file, std::string path, std::string target)
      : file_(std::move(file)), path_(std::move(path)), target_(std::move(target)) {}
  ~Win32ReplacementFile() override {
    if (committed_) return;
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
  }
  SystemError Write(const void* data, std::size_t size) override {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
      DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), written = 0;
      if (!WriteFile(file_.Get(), at, want, &written, nullptr)) return GetLastError();
      if (written == 0) return kErrorDiskFull;
      at += written;
      size -= written;
    }
    return 0;
  }
  SystemError Commit(std::uint64_t lastWrite) override {
    FILETIME time{static_cast<DWORD>(lastWrite), static_cast<DWORD>(lastWrite >> 32)};
    if (!SetFileTime(file_.Get(), nullptr, nullptr, &time)) return GetLastError();
    if (!MoveFileExW(SystemPath(path_).c_str(), SystemPath(target_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
      return GetLastError();
    }
    committed_ = true;
    return 0;
  }

 private:
  FileHandle file_;
  std::string path_, target_;
  bool committed_ = false;
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

std::unique_ptr<DirListing> Win32Platform::OpenListing(const std::string& folder) {
  auto listing = std::make_unique<Win32Listing>(folder);
  if (!listing->IsOpen()) return nullptr;
  return listing;
}

std::optional<std::uint32_t> Win32Platform::AttributesOf(const std::string& path) {
  DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

// A copy goes to a file of our own beside the target and is renamed over
// it once whole, so a failed or stopped copy leaves the target as it was.
// MoveFileExW renames (a link at the target name is replaced, not written
// through, under Wine too: its server renames with rename(2)); Wine's
// ReplaceFileW instead deletes the old file before it moves the new one in,
// and fails where no old file is.
std::unique_ptr<ReplacementFile> Win32Platform::CreateReplacement(const std::string& target, SystemError* error) {
  const std::string folder = target.substr(0, target.rfind('\\') + 1);
  static std::atomic<unsigned> made{0};
  for (int tries = 0; tries < 100; ++tries) {
    // CREATE_NEW never opens what is there, a link included.
    std::string temporary =
        folder + "~morlind-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(made++) + ".tmp";
    FileHandle file(CreateFileW(SystemPath(temporary).c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.IsValid()) return std::make_unique<Win32ReplacementFile>(std::move(file), std::move(temporary), target);
    SystemError why = GetLastError();
    if (why != ERROR_FILE_EXISTS && why != ERROR_ALREADY_EXISTS) {
      if (error) *error = why;
      return nullptr;
    }
  }
  if (error) *error = ERROR_FILE_EXISTS;
  return nullptr;
}

std::unique_ptr<ReadOnlyFile> Win32Platform::OpenForReading(const std::string& path, SystemError* error) {
  FileHandle handle(CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  FILETIME lastWrite{};
  if (!handle.IsValid() || !GetFileSizeEx(handle.Get(), &size) ||
      !GetFileTime(handle.Get(), nullptr, nullptr, &lastWrite)) {
    if (error) *error = GetLastError();
    return nullptr;
  }
  return std::make_unique<Win32ReadOnlyFile>(std::move(handle), static_cast<std::uint64_t>(size.QuadPart),
                                             (static_cast<std::uint64_t>(lastWrite.dwHighDateTime) << 32) |
                                                 lastWrite.dwLowDateTime);
}

std::optional<std::string> Win32Platform::RealPath(const std::string& path) {
  FileHandle handle = OpenEntry(path, FILE_READ_ATTRIBUTES);
  if (!handle.IsValid()) return std::nullopt;
  return FinalPathOf(handle.Get());
}

std::unique_ptr<OpenedEntry> Win32Platform::OpenForDelete(const std::string& path) {
  // On Windows a link opens as itself; under Wine a Unix link opens as its
  // target, whose real location then tells where it leads.
  FileHandle handle = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES, FILE_FLAG_OPEN_REPARSE_POINT);
  if (!handle.IsValid()) return nullptr;
  return std::make_unique<Win32OpenedEntry>(std::move(handle));
}

// SQLite takes UTF-8 and opens with the wide calls.
std::string Win32Platform::LibraryPath(const std::string& path) { return path; }

std::string Win32Platform::ErrorText(SystemError error) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  LocalText owned(text);
  std::wstring words(text ? text : L"", length);
  while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ')) words.pop_back();
  if (words.empty()) return "错误 " + std::to_string(error);
  return WideToUtf8(words);
}

namespace {

bool StartsWithFolded(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() &&
         CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// Asks again with the size the call says it needs.
template <class Call>
bool WithEntryBuffer(std::vector<char>& buffer, Call call) {
  for (int tries = 0; tries < 3; ++tries) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (call(reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data()), &size)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.resize(std::max<std::size_t>(size, buffer.size() * 2));
  }
  return false;
}

}  // namespace

// The plain FindFirstUrlCacheEntryW: Wine leaves the Ex forms unimplemented.
std::vector<UrlIndexEntry> Win32Platform::ReadUrlIndex(const std::atomic<bool>* stop) {
  std::vector<UrlIndexEntry> entries;
  std::vector<char> buffer(4096);
  HANDLE find = nullptr;
  if (!WithEntryBuffer(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
        find = FindFirstUrlCacheEntryW(nullptr, info, size);
        return find != nullptr;
      })) {
    return entries;
  }
  UrlCacheFindHandle owner(find);
  do {
    if (stop && stop->load(std::memory_order_relaxed)) break;
    const auto* info = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    if (!info->lpszSourceUrlName || !info->lpszLocalFileName || !*info->lpszLocalFileName) continue;
    std::wstring_view address = info->lpszSourceUrlName;
    if (StartsWithFolded(address, L"Cookie:") || StartsWithFolded(address, L"Visited:")) continue;
    entries.push_back({WideToUtf8(info->lpszLocalFileName), WideToUtf8(address)});
  } while (WithEntryBuffer(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
    return FindNextUrlCacheEntryW(owner.Get(), info, size) != FALSE;
  }));
  return entries;
}

std::optional<std::string> Win32Platform::UrlLocalFile(const std::string& address) {
  std::vector<char> buffer(4096);
  const std::wstring wide = Utf8ToWide(address);
  if (!WithEntryBuffer(buffer, [&](INTERNET_CACHE_ENTRY_INFOW* info, DWORD* size) {
        return GetUrlCacheEntryInfoW(wide.c_str(), info, size) != FALSE;
      })) {
    return std::nullopt;
  }
  const auto* info = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
  if (!info->lpszLocalFileName || !*info->lpszLocalFileName) return std::nullopt;
  return WideToUtf8(info->lpszLocalFileName);
}

bool Win32Platform::ForgetUrl(const std::string& address) {
  return DeleteUrlCacheEntryW(Utf8ToWide(address).c_str()) != FALSE;
}

std::vector<std::uint32_t> Win32Platform::TextRanks(const std::vector<std::string>& texts, TextOrder order) {
  std::vector<std::wstring> wide;
  wide.reserve(texts.size());
  for (const std::string& text : texts) wide.push_back(Utf8ToWide(text));
  return RanksBy(wide.size(), [&](std::uint32_t a, std::uint32_t b) {
    if (order == TextOrder::kNames) return StrCmpLogicalW(wide[a].c_str(), wide[b].c_str());
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide[a].c_str(), -1, wide[b].c_str(), -1) - CSTR_EQUAL;
  });
}

std::optional<std::string> Win32Platform::SpecialFolderPath(int csidl) {
  // Known folders have no MAX_PATH limit, unlike the CSIDL calls.
  if (csidl == kLocalAppDataFolder) return KnownFolderPath(KnownFolder::kLocalAppData);
  ItemIdList pidl;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.Receive())) || !pidl.Get()) {
    return std::nullopt;
  }
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(pidl.Get(), path)) return std::nullopt;
  return WideToUtf8(path);
}

std::optional<std::string> Win32Platform::TemporaryFolder() {
  std::wstring path(MAX_PATH + 1, L'\0');
  DWORD length = GetTempPathW(static_cast<DWORD>(path.size()), path.data());
  if (length == 0 || length > path.size()) return std::nullopt;
  path.resize(length);
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return WideToUtf8(path);
}

SystemError Win32Platform::CreateFolder(const std::string& path) {
  return CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? 0 : GetLastError();
}

std::uint32_t Win32Platform::ProcessId() { return GetCurrentProcessId(); }

bool Win32Platform::ProcessRunning(std::uint32_t id) {
  KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
  // A process that exists but refuses us is running all the same.
  if (!process.IsValid()) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<std::string> Win32Platform::KnownFolderPath(KnownFolder folder) {
  static const std::map<KnownFolder, const KNOWNFOLDERID*> ids = {
      {KnownFolder::kProfile, &FOLDERID_Profile},
      {KnownFolder::kDocuments, &FOLDERID_Documents},
      {KnownFolder::kDesktop, &FOLDERID_Desktop},
      {KnownFolder::kDownloads, &FOLDERID_Downloads},
      {KnownFolder::kPictures, &FOLDERID_Pictures},
      {KnownFolder::kMusic, &FOLDERID_Music},
      {KnownFolder::kVideos, &FOLDERID_Videos},
      {KnownFolder::kFavorites, &FOLDERID_Favorites},
      {KnownFolder::kRoamingAppData, &FOLDERID_RoamingAppData},
      {KnownFolder::kLocalAppData, &FOLDERID_LocalAppData},
      {KnownFolder::kLocalAppDataLow, &FOLDERID_LocalAppDataLow},
      {KnownFolder::kHistory, &FOLDERID_History},
      {KnownFolder::kCookies, &FOLDERID_Cookies},
      {KnownFolder::kProgramData, &FOLDERID_ProgramData},
      {KnownFolder::kPublic, &FOLDERID_Public},
      {KnownFolder::kWindows, &FOLDERID_Windows},
      {KnownFolder::kSystem, &FOLDERID_System},
      {KnownFolder::kProgramFiles, &FOLDERID_ProgramFiles},
      {KnownFolder::kProgramFilesX86, &FOLDERID_ProgramFilesX86},
  };
  auto id = ids.find(folder);
  if (id == ids.end()) return std::nullopt;
  wchar_t* path = nullptr;
  HRESULT result = SHGetKnownFolderPath(*id->second, KF_FLAG_DONT_VERIFY, nullptr, &path);
  CoTaskMemText owned(path);
  if (FAILED(result) || !path || !*path) return std::nullopt;
  return WideToUtf8(path);
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

void CloseUrlCacheFind(HANDLE find) { FindCloseUrlCache(find); }

std::wstring SystemPath(std::string_view utf8) {
  std::wstring path = Utf8ToWide(utf8);
  std::wstring prefix;
  std::size_t rest = 0;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    prefix = L"\\\\?\\";
  } else if (path.size() >= 3 && path.compare(0, 2, L"\\\\") == 0 && path[2] != L'?' && path[2] != L'.') {
    prefix = L"\\\\?\\UNC\\";
    rest = 2;
  } else {
    return path;
  }
  std::wstring system = prefix;
  system.reserve(prefix.size() + path.size());
  for (std::size_t i = rest; i < path.size(); ++i) {
    if (path[i] == L'\\' && !system.empty() && system.back() == L'\\' && system.size() > prefix.size()) continue;
    system += path[i];
  }
  return system;
}

std::string OrdinaryPath(std::wstring_view path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return "\\\\" + WideToUtf8(path.substr(8));
  if (path.compare(0, 4, L"\\\\?\\") == 0) return WideToUtf8(path.substr(4));
  return WideToUtf8(path);
}

}  // namespace morlind
