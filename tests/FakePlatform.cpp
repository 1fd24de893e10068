#include "tests/FakePlatform.h"

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Utf8.h"

namespace morlind {

namespace {

// Windows gives up on a chain of links after a few dozen hops, as here.
constexpr int kMaxLinkHops = 32;
constexpr SystemError kErrorPathNotFound = 3;
constexpr SystemError kErrorDirNotEmpty = 145;

// Empty components (doubled backslashes) are ignored, as Windows does; a
// share's path keeps its leading pair on the server's name.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  const bool share = path.starts_with("\\\\");
  for (std::size_t start = share ? 2 : 0, end; start <= path.size(); start = end + 1) {
    end = std::min(path.find('\\', start), path.size());
    if (end > start) parts.emplace_back(path.substr(start, end - start));
  }
  if (share && !parts.empty()) parts.front().insert(0, "\\\\");
  return parts;
}

// Each entry with the name its view points into.
using Listed = std::vector<std::pair<std::string, DirEntry>>;

class FakeListing : public DirListing {
 public:
  FakeListing(Listed entries, const std::function<void()>& onEntry) : entries_(std::move(entries)), onEntry_(onEntry) {
    for (auto& [name, entry] : entries_) entry.name = name;
    if (onEntry_) onEntry_();
  }
  const DirEntry& Current() const override { return entries_[index_].second; }
  bool Next() override {
    if (++index_ >= entries_.size()) return false;
    if (onEntry_) onEntry_();
    return true;
  }

 private:
  Listed entries_;
  std::function<void()> onEntry_;
  std::size_t index_ = 0;
};

}  // namespace

// Deleting goes to whatever the path led to: through a file link that is
// the target, as under Wine, so only a caller's check keeps it safe.
class FakeOpenedEntry : public OpenedEntry {
 public:
  FakeOpenedEntry(FakePlatform& fs, std::string realPath, bool isLink)
      : fs_(fs), realPath_(std::move(realPath)), isLink_(isLink) {}
  std::optional<std::string> RealPath() override { return realPath_; }
  bool IsLink() override { return isLink_; }
  SystemError Delete() override {
    if (!fs_.nodes_.count(realPath_)) return kErrorFileNotFound;
    if (!fs_.Children(realPath_).empty()) return kErrorDirNotEmpty;
    fs_.log_.push_back("delete " + realPath_);
    fs_.nodes_.erase(realPath_);
    return 0;
  }

 private:
  FakePlatform& fs_;
  std::string realPath_;
  bool isLink_;
};

FakePlatform::Node& FakePlatform::Make(const std::string& path, bool folder, bool twin) {
  std::vector<std::string> parts = Components(path);
  Node* node = nullptr;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    std::string spelt = node ? node->path + "\\" + parts[i] : parts[i];
    const Node* existing = twin && i + 1 == parts.size() ? nullptr : Find(spelt);
    if (existing) spelt = existing->path;
    auto [at, added] = nodes_.try_emplace(spelt);
    node = &at->second;
    if (!added) continue;
    node->path = spelt;
    node->added = ++added_;
    node->folder = folder || i + 1 < parts.size();
  }
  return *node;
}

const FakePlatform::Node* FakePlatform::Find(const std::string& realPath) const {
  if (auto found = nodes_.find(realPath); found != nodes_.end()) return &found->second;
  const std::string folded = FoldedAscii(realPath);
  for (const auto& [path, node] : nodes_) {
    if (path.size() == realPath.size() && FoldedAscii(path) == folded) return &node;
  }
  return nullptr;
}

// A link to itself or in a ring leads nowhere, as on Windows.
std::optional<std::string> FakePlatform::Resolve(const std::string& path, bool followLast, int hops) const {
  std::vector<std::string> parts = Components(path);
  std::string real;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const Node* node = Find(real.empty() ? parts[i] : real + "\\" + parts[i]);
    if (!node || hops > kMaxLinkHops) return std::nullopt;
    real = node->path;
    if (!node->linkTarget.empty() && (i + 1 < parts.size() || followLast)) {
      std::optional<std::string> target = Resolve(node->linkTarget, true, hops + 1);
      if (!target) return std::nullopt;
      real = *target;
    }
  }
  if (real.empty()) return std::nullopt;
  return real;
}

std::vector<const FakePlatform::Node*> FakePlatform::Children(const std::string& realFolder) const {
  const std::string prefix = realFolder + "\\";
  std::vector<const Node*> children;
  for (auto it = nodes_.lower_bound(prefix); it != nodes_.end() && it->first.starts_with(prefix); ++it) {
    if (it->first.find('\\', prefix.size()) == std::string::npos) children.push_back(&it->second);
  }
  std::ranges::sort(children, {}, &Node::added);
  return children;
}

void FakePlatform::AddFile(const std::string& path, std::uint64_t lastAccess, std::string content) {
  Node& file = Make(path, false);
  file.lastAccess = file.lastWrite = lastAccess;
  file.content = std::move(content);
}

std::optional<std::string> FakePlatform::ContentOf(const std::string& path) const {
  std::optional<std::string> real = Resolve(path, true);
  const Node* node = real ? Find(*real) : nullptr;
  if (!node || node->folder) return std::nullopt;
  return node->content;
}

std::optional<std::uint64_t> FakePlatform::LastWriteOf(const std::string& path) const {
  std::optional<std::string> real = Resolve(path, true);
  const Node* node = real ? Find(*real) : nullptr;
  if (!node) return std::nullopt;
  return node->lastWrite;
}

std::vector<std::string> FakePlatform::Tree(const std::string& root) const {
  std::vector<std::string> paths;
  for (const Node* child : Children(root)) {
    paths.push_back(child->folder ? child->path + "\\" : child->path);
    if (!child->folder || !child->linkTarget.empty()) continue;
    for (std::string& below : Tree(child->path)) paths.push_back(std::move(below));
  }
  return paths;
}

std::unique_ptr<DirListing> FakePlatform::OpenListing(const std::string& folderPath) {
  ++listingsOpened_;
  std::optional<std::string> real = Resolve(folderPath, true);
  const Node* folder = real ? Find(*real) : nullptr;
  if (!folder || !folder->folder || folder->refusesListing) return nullptr;

  Listed entries{{".", DirEntry{{}, kAttrDirectory}}, {"..", DirEntry{{}, kAttrDirectory}}};
  for (const Node* child : Children(*real)) {
    std::uint32_t attributes = child->folder ? kAttrDirectory : 0;
    if (child->folder && !child->linkTarget.empty()) attributes |= kAttrReparsePoint;
    entries.emplace_back(child->path.substr(child->path.rfind('\\') + 1),
                         DirEntry{{}, attributes, child->lastAccess, child->content.size()});
  }
  return std::make_unique<FakeListing>(std::move(entries), onEntry);
}

std::optional<std::uint32_t> FakePlatform::AttributesOf(const std::string& path) {
  std::optional<std::string> real = Resolve(path, false);
  if (!real) return std::nullopt;
  const Node* node = Find(*real);
  if (!node->folder) return 0x20;  // archive, as new files have
  return node->linkTarget.empty() ? kAttrDirectory : kAttrDirectory | kAttrReparsePoint;
}

// Renamed over its target as rename(2) does: whatever has that name, a
// link included, goes as a name; a folder or a file held open stays.
class FakeReplacementFile : public ReplacementFile {
 public:
  FakeReplacementFile(FakePlatform& fs, std::string path, std::string folder, std::string target)
      : fs_(fs), path_(std::move(path)), folder_(std::move(folder)), target_(std::move(target)) {}
  ~FakeReplacementFile() override {
    if (!committed_) fs_.nodes_.erase(path_);
  }
  SystemError Write(const void* data, std::size_t size) override {
    if (fs_.onWrite) fs_.onWrite();
    std::size_t room = std::min(size, fs_.diskRoom.value_or(size));
    fs_.nodes_.at(path_).content.append(static_cast<const char*>(data), room);
    if (fs_.diskRoom) *fs_.diskRoom -= room;
    return room < size ? kErrorDiskFull : 0;
  }
  SystemError Commit(std::uint64_t lastWrite) override {
    const std::string name = target_.substr(target_.rfind('\\') + 1), spelt = folder_ + "\\" + name;
    if (const FakePlatform::Node* there = fs_.Find(spelt)) {
      if (there->folder || there->locked) return kErrorAccessDenied;
      fs_.nodes_.erase(std::string(there->path));  // replaced as a name
    }
    FakePlatform::Node node = fs_.nodes_.at(path_);
    fs_.nodes_.erase(path_);
    node.path = spelt;
    node.lastWrite = lastWrite;
    fs_.nodes_.insert_or_assign(spelt, std::move(node));
    fs_.log_.push_back("write " + target_);
    committed_ = true;
    return 0;
  }

 private:
  FakePlatform& fs_;
  std::string path_, folder_, target_;
  bool committed_ = false;
};

std::unique_ptr<ReplacementFile> FakePlatform::CreateReplacement(const std::string& target, SystemError* error) {
  std::optional<std::string> folder = Resolve(target.substr(0, target.rfind('\\')), true);
  if (!folder || !Find(*folder)->folder) {
    if (error) *error = kErrorPathNotFound;
    return nullptr;
  }
  std::string path = *folder + "\\~morlind-" + std::to_string(++replacementsMade_) + ".tmp";
  Make(path, false);
  return std::make_unique<FakeReplacementFile>(*this, path, *folder, target);
}

SystemError FakePlatform::CreateFolder(const std::string& path) {
  if (Resolve(path, true)) return kErrorAlreadyExists;
  std::optional<std::string> parent = Resolve(path.substr(0, path.rfind('\\')), true);
  if (!parent || !Find(*parent)->folder) return kErrorPathNotFound;
  AddFolder(*parent + path.substr(path.rfind('\\')));
  return 0;
}

namespace {

// Reads a copy of the content taken when it was opened.
class FakeReadOnlyFile : public ReadOnlyFile {
 public:
  FakeReadOnlyFile(std::string content, std::uint64_t lastWrite)
      : content_(std::move(content)), lastWrite_(lastWrite) {}
  std::uint64_t Size() const override { return content_.size(); }
  std::uint64_t LastWrite() const override { return lastWrite_; }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (offset >= content_.size()) return 0;
    return content_.copy(static_cast<char*>(buffer), size, static_cast<std::size_t>(offset));
  }

 private:
  std::string content_;
  std::uint64_t lastWrite_;
};

}  // namespace

std::unique_ptr<ReadOnlyFile> FakePlatform::OpenForReading(const std::string& path, SystemError* error) {
  std::optional<std::string> real = Resolve(path, true);
  const Node* node = real ? Find(*real) : nullptr;
  SystemError why = !node || node->folder ? kErrorFileNotFound : node->locked ? kErrorSharingViolation : 0;
  if (why != 0) {
    if (error) *error = why;
    return nullptr;
  }
  return std::make_unique<FakeReadOnlyFile>(node->content, node->lastWrite);
}

// A folder link opens as the link, a file link (Wine shows no reparse
// flag) as its target.
std::unique_ptr<OpenedEntry> FakePlatform::OpenForDelete(const std::string& path) {
  std::optional<std::string> entry = Resolve(path, false), real = Resolve(path, true);
  if (!entry || !real || Find(*entry)->locked || Find(*real)->locked) return nullptr;
  const Node& node = *Find(*entry);
  return std::make_unique<FakeOpenedEntry>(*this, *real, node.folder && !node.linkTarget.empty());
}

std::optional<std::string> FakePlatform::UrlLocalFile(const std::string& address) {
  for (const UrlIndexEntry& entry : urlIndex) {
    if (entry.address == address) return entry.localFile;
  }
  return std::nullopt;
}

bool FakePlatform::ForgetUrl(const std::string& address) {
  std::optional<std::string> localFile = UrlLocalFile(address);
  if (!localFile) return false;
  std::erase_if(urlIndex, [&](const UrlIndexEntry& entry) { return entry.address == address; });
  DeleteFileAt(*localFile);
  return true;
}

void FakePlatform::DeleteFileAt(const std::string& path) {
  std::optional<std::string> real = Resolve(path, true);
  const Node* node = real ? Find(*real) : nullptr;
  if (!node || node->folder || node->locked) return;
  log_.push_back("delete " + node->path);
  nodes_.erase(node->path);
}

// Nothing a library could open: its files are in memory.
std::string FakePlatform::LibraryPath(const std::string&) { return {}; }

std::string FakePlatform::ErrorText(SystemError error) {
  if (error == kErrorPathNotFound) return "系统找不到指定的路径。";
  return error == kErrorAccessDenied ? "拒绝访问。" : "错误 " + std::to_string(error);
}

}  // namespace morlind
