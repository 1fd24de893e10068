// An in-memory file system for tests that need what a real one cannot give
// here: a folder that refuses listing, a file held open, a chosen delivery
// order, links of both kinds, a walk held at any entry. Time conversions go
// to another platform; the clock may be stopped at any moment.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/Platform.h"

namespace morlind {

class FakePlatform : public Platform {
 public:
  explicit FakePlatform(Platform& clock) : clock_(clock) {}

  // Entries are listed in the order they were added. Parent folders are
  // created as needed. Paths are UTF-8 and '\\'-separated; as under Wine, a
  // name opens its exact spelling first, else one that differs only in
  // ASCII case.
  void AddFolder(const std::string& path) { Make(path, true); }
  // A file is last written when it was last read.
  void AddFile(const std::string& path, std::uint64_t lastAccess = 0, std::string content = {});
  // A file beside one whose name differs only in ASCII case, as a file
  // system that tells case apart holds them.
  void AddCaseTwin(const std::string& path, std::string content) { Make(path, false, true).content = std::move(content); }
  // A folder link (directory + reparse point) whose listing is target's.
  void AddLink(const std::string& path, const std::string& target) { Make(path, true).linkTarget = target; }
  // A file link as Wine shows a Unix one: a plain file, no reparse flag,
  // whose content is target's. Deleting through it deletes the target.
  void AddFileLink(const std::string& path, const std::string& target) { Make(path, false).linkTarget = target; }
  void RefuseListing(const std::string& path) { Make(path, true).refusesListing = true; }
  // Held open by another program: it cannot be opened for deletion.
  void LockFile(const std::string& path) { Make(path, false).locked = true; }
  // The internet cache folder as the shell names it; none when unset.
  std::optional<std::string> cacheFolder;
  // Called for every entry a listing delivers ("." and ".." too), on the
  // thread that walks: a test may stop or hold the walk there.
  std::function<void()> onEntry;
  // The system's temporary folder; none when unset.
  std::optional<std::string> temporaryFolder;
  // This process, and the others that run.
  std::uint32_t processId = 100;
  std::set<std::uint32_t> otherProcesses;
  // What ReadUrlIndex gives.
  std::vector<UrlIndexEntry> urlIndex;
  // How many bytes new files may still take before the disk is full; no
  // limit when unset.
  std::optional<std::size_t> diskRoom;
  // Called before every write to a new file: a test may stop the copy there.
  std::function<void()> onWrite;
  // What KnownFolderPath answers.
  std::map<KnownFolder, std::string> knownFolders;
  // Now() answers this from here on.
  void SetNow(Moment now) { now_ = now; }

  std::optional<std::string> ContentOf(const std::string& path) const;
  std::optional<std::uint64_t> LastWriteOf(const std::string& path) const;
  // Every path below root, in listing order, folders with a trailing '\\'.
  std::vector<std::string> Tree(const std::string& root) const;
  int ListingsOpened() const { return listingsOpened_; }
  // Mutating calls in order, as "write t" (a new file renamed over the name
  // t), "delete p" (p the real path of what went).
  const std::vector<std::string>& Log() const { return log_; }

  std::unique_ptr<DirListing> OpenListing(const std::string& folder) override;
  std::optional<std::uint32_t> AttributesOf(const std::string& path) override;
  // Named "~morlind-<n>.tmp" in the target's real folder.
  std::unique_ptr<ReplacementFile> CreateReplacement(const std::string& target, SystemError* error) override;
  std::optional<std::string> RealPath(const std::string& path) override { return Resolve(path, true); }
  std::unique_ptr<OpenedEntry> OpenForDelete(const std::string& path) override;
  // A locked file refuses with a sharing violation.
  std::unique_ptr<ReadOnlyFile> OpenForReading(const std::string& path, SystemError* error) override;
  std::string LibraryPath(const std::string& path) override;
  std::string ErrorText(SystemError error) override;
  std::vector<UrlIndexEntry> ReadUrlIndex(const std::atomic<bool>* stop) override {
    return stop && *stop ? std::vector<UrlIndexEntry>() : urlIndex;
  }
  std::optional<std::string> UrlLocalFile(const std::string& address) override;
  // As WinINet does, deletes the entry's local file by its name, through a
  // file link too.
  bool ForgetUrl(const std::string& address) override;
  std::vector<std::uint32_t> TextRanks(const std::vector<std::string>& texts, TextOrder order) override {
    return clock_.TextRanks(texts, order);
  }
  std::optional<std::string> SpecialFolderPath(int csidl) override {
    return csidl == kInternetCacheFolder ? cacheFolder : std::nullopt;
  }
  std::optional<std::string> TemporaryFolder() override { return temporaryFolder; }
  SystemError CreateFolder(const std::string& path) override;
  std::uint32_t ProcessId() override { return processId; }
  bool ProcessRunning(std::uint32_t id) override { return id == processId || otherProcesses.count(id) > 0; }
  std::optional<std::string> KnownFolderPath(KnownFolder folder) override {
    auto found = knownFolders.find(folder);
    return found == knownFolders.end() ? std::nullopt : std::optional(found->second);
  }
  Moment MomentFromLocal(const LocalFields& fields) override { return clock_.MomentFromLocal(fields); }
  std::optional<LocalFields> LocalFieldsOf(std::int64_t s) override { return clock_.LocalFieldsOf(s); }
  Moment Now() override { return now_ ? *now_ : clock_.Now(); }

 private:
  friend class FakeOpenedEntry;
  friend class FakeReplacementFile;
  struct Node {
    std::string path;  // as first spelt
    std::uint64_t added = 0;
    bool folder = false;
    bool refusesListing = false;
    bool locked = false;
    std::string linkTarget;  // non-empty: a link
    std::uint64_t lastAccess = 0;
    std::uint64_t lastWrite = 0;
    std::string content;
  };

  Node& Make(const std::string& path, bool folder, bool twin = false);
  // The node of that spelling, else one that differs only in ASCII case.
  const Node* Find(const std::string& realPath) const;
  // Deletes what path leads to, as DeleteFileW does under Wine.
  void DeleteFileAt(const std::string& path);
  // The real path path leads to, links followed on the way (the last
  // component's too when followLast); nothing when it leads nowhere.
  std::optional<std::string> Resolve(const std::string& path, bool followLast, int hops = 0) const;
  // A folder's children in the order they were added.
  std::vector<const Node*> Children(const std::string& realFolder) const;

  Platform& clock_;
  std::map<std::string, Node> nodes_;  // by real path
  std::vector<std::string> log_;
  std::optional<Moment> now_;
  int listingsOpened_ = 0;
  int replacementsMade_ = 0;
  std::uint64_t added_ = 0;
};

}  // namespace morlind
