// The platform over the Win32 ANSI file functions, the shell and the C
// runtime's local-time rules.
#pragma once

#include "platform/Platform.h"

namespace morlind {

class Win32Platform : public Platform {
 public:
  Win32Platform();

  std::unique_ptr<DirListing> OpenListing(const std::string& pattern) override;
  bool CopyFileReplacing(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveEmptyFolder(const std::string& path) override;
  std::optional<std::string> SpecialFolderPath(int csidl) override;
  Moment MomentFromLocal(const LocalFields& fields) override;
  std::optional<LocalFields> LocalFieldsOf(std::int64_t unixSeconds) override;
  Moment Now() override;
  std::string AnsiToUtf8(std::string_view ansi) override;
};

}  // namespace morlind
