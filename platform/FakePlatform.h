// An in-memory file system for tests that need what a real one cannot give
// here: a folder that refuses listing, a file that cannot be deleted, a
// chosen delivery order, links. Time conversions go to another platform.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Platform.h"

namespace morlind {

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Platform& clock) : clock_(clock) {}

  // Entries are listed in the order they were added. Parent folders are
  // created as needed. Paths are '\\'-separated and compared without case.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, std::uint64_t lastAccess = 0, std::string content = {});
  // A folder link (directory + reparse point) whose listing is target's.
  void AddLink(const std::string& path, const std::string& target);
  void RefuseListing(const std::string& path);
  void LockFile(const std::string& path);  // deletion fails
  void SetSpecialFolder(int csidl, std::string path) { specialFolder_[csidl] = std::move(path); }
  // Called before every listing is opened; return false to fail it.
  std::function<bool(const std::string& folder)> beforeListing;

  bool Exists(const std::string& path) const;
  std::optional<std::string> ContentOf(const std::string& path) const;
  // Every path below root, in listing order, folders with a trailing '\\'.
  std::vector<std::string> Tree(const std::string& root) const;
  int ListingsOpened() const { return listingsOpened_; }
  // Mutating calls in order, as "copy a -> b", "delete p", "rmdir p".
  const std::vector<std::string>& Log() const { return log_; }

  std::unique_ptr<DirListing> OpenListing(const std::string& pattern) override;
  bool CopyFileReplacing(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool RemoveEmptyFolder(const std::string& path) override;
  std::optional<std::string> SpecialFolderPath(int csidl) override;
  Moment MomentFromLocal(const LocalFields& fields) override { return clock_.MomentFromLocal(fields); }
  std::optional<LocalFields> LocalFieldsOf(std::int64_t s) override { return clock_.LocalFieldsOf(s); }
  Moment Now() override { return clock_.Now(); }
  std::string AnsiToUtf8(std::string_view ansi) override { return clock_.AnsiToUtf8(ansi); }

  struct Node;

 private:
  Node* Find(const std::string& path, bool followLastLink = true) const;
  Node* Parent(const std::string& path, std::string* name);
  Node& Make(const std::string& path, bool folder);

  Platform& clock_;
  std::shared_ptr<Node> root_;
  std::map<int, std::string> specialFolder_;
  std::vector<std::string> log_;
  int listingsOpened_ = 0;
};

}  // namespace morlind
