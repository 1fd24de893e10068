// An in-memory file system for tests that need what a real one cannot give
// here: a folder that refuses listing, a file that cannot be deleted, a
// chosen delivery order, links, listings that break off, entries that go
// away while being walked, copies that fail, links of both kinds. Time conversions go to another
// platform; the clock may be stopped at any moment.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace morlind {

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Platform& clock);
  ~FakePlatform() override;

  // Entries are listed in the order they were added. Parent folders are
  // created as needed. Paths are UTF-8, '\\'-separated and compared without
  // ASCII case.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, std::uint64_t lastAccess = 0, std::string content = {});
  // A folder link (directory + reparse point) whose listing is target's.
  void AddLink(const std::string& path, const std::string& target);
  // A file link as Wine shows a Unix one: a plain file, no reparse flag,
  // whose content is target's. Deleting through it deletes the target.
  void AddFileLink(const std::string& path, const std::string& target);
  void RefuseListing(const std::string& path);
  void LockFile(const std::string& path);    // held open by another program: cannot be opened
  void LockFolder(const std::string& path);  // removal refused, even when empty
  void SetSpecialFolder(int csidl, std::string path) { specialFolder_[csidl] = std::move(path); }
  // Called before every listing is opened; return false to fail it.
  std::function<bool(const std::string& folder)> beforeListing;
  // Called for every entry a listing delivers ("." and ".." too), on the
  // thread that walks: a test may stop or hold the walk there.
  std::function<void()> onEntry;

  // Faults. The folder's listing opens, delivers "." and ".." and then at
  // most `entries` entries before it breaks off (FindNextFile failing).
  void BreakListingAfter(const std::string& folder, std::size_t entries);
  // The entry shows in its folder's listing but is gone right after the
  // listing was taken, as if another program deleted it meanwhile.
  void VanishWhenListed(const std::string& path);
  // Copies into this folder fail: access is denied.
  void RefuseWrites(const std::string& folder);
  // Copies may write this many bytes in all; one that does not fit fails
  // and leaves its target as it was (disk full).
  void SetCopyQuota(std::uint64_t bytes) { copyQuota_ = bytes; }
  // What ReadUrlIndex gives.
  std::vector<UrlIndexEntry> urlIndex;
  // Now() answers this from here on.
  void SetNow(Moment now) { now_ = now; }

  bool Exists(const std::string& path) const;
  std::optional<std::string> ContentOf(const std::string& path) const;
  // Every path below root, in listing order, folders with a trailing '\\'.
  std::vector<std::string> Tree(const std::string& root) const;
  int ListingsOpened() const { return listingsOpened_; }
  // Mutating calls in order, as "copy a -> b", "delete p" (p the real path
  // of what went).
  const std::vector<std::string>& Log() const { return log_; }

  std::unique_ptr<DirListing> OpenListing(const std::string& folder) override;
  std::optional<std::uint32_t> AttributesOf(const std::string& path) override;
  SystemError CopyFileReplacing(const std::string& from, const std::string& to,
                                const std::atomic<bool>* stop = nullptr) override;
  std::optional<std::string> RealPath(const std::string& path) override;
  std::unique_ptr<OpenedEntry> OpenForDelete(const std::string& path) override;
  std::string ErrorText(SystemError error) override;
  std::vector<UrlIndexEntry> ReadUrlIndex(const std::atomic<bool>* stop) override {
    return stop && *stop ? std::vector<UrlIndexEntry>() : urlIndex;
  }
  bool ForgetUrl(const std::string& address) override {
    auto gone = std::erase_if(urlIndex, [&](const UrlIndexEntry& entry) { return entry.address == address; });
    return gone > 0;
  }
  std::vector<std::uint32_t> TextRanks(const std::vector<std::string>& texts, TextOrder order) override {
    return clock_.TextRanks(texts, order);
  }
  std::optional<std::string> SpecialFolderPath(int csidl) override;
  Moment MomentFromLocal(const LocalFields& fields) override { return clock_.MomentFromLocal(fields); }
  std::optional<LocalFields> LocalFieldsOf(std::int64_t s) override { return clock_.LocalFieldsOf(s); }
  Moment Now() override { return now_ ? *now_ : clock_.Now(); }

  struct Node;

 private:
  friend class FakeOpenedEntry;
  struct Resolved;
  // Follows links on the way; the last component's too when followLast.
  std::optional<Resolved> Resolve(const std::string& path, bool followLast) const;
  Node* Find(const std::string& path, bool followLast = true) const;
  Node& Make(const std::string& path, bool folder);

  Platform& clock_;
  std::unique_ptr<Node> root_;
  std::map<int, std::string> specialFolder_;
  std::vector<std::string> log_;  // written by FakeOpenedEntry too
  std::optional<std::uint64_t> copyQuota_;
  std::optional<Moment> now_;
  int listingsOpened_ = 0;
};

}  // namespace morlind
