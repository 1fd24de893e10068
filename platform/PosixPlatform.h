// The platform over POSIX, for native tests, benchmarks and tools. Paths
// keep their '\\' separators above this layer and become '/' below it;
// error codes are errno values.
#pragma once

#include <map>

#include "platform/Platform.h"

namespace morlind {

class PosixPlatform : public Platform {
 public:
  // specialFolders: what SpecialFolderPath answers, by shell folder id.
  explicit PosixPlatform(std::map<int, std::string> specialFolders = {})
      : specialFolders_(std::move(specialFolders)) {}

  std::unique_ptr<DirListing> OpenListing(const std::string& folder) override;
  std::optional<std::uint32_t> AttributesOf(const std::string& path) override;
  std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& target, SystemError* error) override;
  std::unique_ptr<ReadOnlyFile> OpenForReading(const std::string& path, SystemError* error) override;
  std::optional<std::string> RealPath(const std::string& path) override;
  std::unique_ptr<OpenedEntry> OpenForDelete(const std::string& path) override;
  std::string LibraryPath(const std::string& path) override;
  std::string ErrorText(SystemError error) override;
  // No browser index here.
  std::vector<UrlIndexEntry> ReadUrlIndex(const std::atomic<bool>*) override { return {}; }
  std::optional<std::string> UrlLocalFile(const std::string&) override { return std::nullopt; }
  bool ForgetUrl(const std::string&) override { return false; }
  // Digit runs by their number, ASCII letters folded, other bytes as they are.
  std::vector<std::uint32_t> TextRanks(const std::vector<std::string>& texts, TextOrder order) override;
  std::optional<std::string> SpecialFolderPath(int csidl) override;
  std::optional<std::string> TemporaryFolder() override;
  SystemError CreateFolder(const std::string& path) override;
  std::uint32_t ProcessId() override;
  bool ProcessRunning(std::uint32_t id) override;
  // No known folders here: nothing to keep a clean away from.
  std::optional<std::string> KnownFolderPath(KnownFolder) override { return std::nullopt; }
  Moment MomentFromLocal(const LocalFields& fields) override;
  std::optional<LocalFields> LocalFieldsOf(std::int64_t unixSeconds) override;
  Moment Now() override;

  static std::string ToNativePath(std::string_view path);

 private:
  std::map<int, std::string> specialFolders_;
};

}  // namespace morlind
