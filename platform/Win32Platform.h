// The platform over the Win32 wide file functions, the shell and the C
// runtime's local-time rules.
#pragma once

#include "platform/Platform.h"

namespace morlind {

class Win32Platform : public Platform {
 public:
  Win32Platform();

  std::unique_ptr<DirListing> OpenListing(const std::string& folder) override;
  std::optional<std::uint32_t> AttributesOf(const std::string& path) override;
  std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& target, SystemError* error) override;
  std::unique_ptr<ReadOnlyFile> OpenForReading(const std::string& path, SystemError* error) override;
  std::optional<std::string> RealPath(const std::string& path) override;
  std::unique_ptr<OpenedEntry> OpenForDelete(const std::string& path) override;
  std::string LibraryPath(const std::string& path) override;
  std::string ErrorText(SystemError error) override;
  std::vector<UrlIndexEntry> ReadUrlIndex(const std::atomic<bool>* stop) override;
  std::optional<std::string> UrlLocalFile(const std::string& address) override;
  bool ForgetUrl(const std::string& address) override;
  std::vector<std::uint32_t> TextRanks(const std::vector<std::string>& texts, TextOrder order) override;
  std::optional<std::string> SpecialFolderPath(int csidl) override;
  std::optional<std::string> TemporaryFolder() override;
  SystemError CreateFolder(const std::string& path) override;
  std::uint32_t ProcessId() override;
  bool ProcessRunning(std::uint32_t id) override;
  std::optional<std::string> KnownFolderPath(KnownFolder folder) override;
  Moment MomentFromLocal(const LocalFields& fields) override;
  std::optional<LocalFields> LocalFieldsOf(std::int64_t unixSeconds) override;
  Moment Now() override;
};

}  // namespace morlind
