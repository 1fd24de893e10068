// The platform over POSIX, for native tests, benchmarks and tools. Paths
// keep their '\\' separators above this layer and become '/' below it.
#pragma once

#include <map>

#include "platform/Platform.h"

namespace morlind {

class PosixPlatform : public Platform {
 public:
  // specialFolders: what SpecialFolderPath answers, by shell folder id.
  explicit PosixPlatform(std::map<int, std::string> specialFolders = {})
      : specialFolders_(std::move(specialFolders)) {}

  std::unique_ptr<DirListing> OpenListing(const std::string& pattern) override;
  bool CopyFileReplacing(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveEmptyFolder(const std::string& path) override;
  std::optional<std::string> SpecialFolderPath(int csidl) override;
  Moment MomentFromLocal(const LocalFields& fields) override;
  std::optional<LocalFields> LocalFieldsOf(std::int64_t unixSeconds) override;
  Moment Now() override;
  // The POSIX side's file names are UTF-8 already.
  std::string AnsiToUtf8(std::string_view ansi) override { return std::string(ansi); }

  static std::string ToNativePath(std::string_view path);

 private:
  std::map<int, std::string> specialFolders_;
};

}  // namespace morlind
