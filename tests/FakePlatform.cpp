#include "tests/FakePlatform.h"

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Utf8.h"

namespace morlind {

namespace {

// Windows gives up on a chain of links after a few dozen hops, as here.
constexpr int kMaxLinkHops = 32;
constexpr SystemError kErrorPathNotFound = 3;
constexpr SystemError kErrorSharingViolation = 32;
constexpr SystemError kErrorDirNotEmpty = 145;

// Empty components (doubled backslashes) are ignored, as Windows does.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  for (std::size_t start = 0, end; start <= path.size(); start = end + 1) {
    end = std::min(path.find('\\', start), path.size());
    if (end > start) parts.emplace_back(path.substr(start, end - start));
  }
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
  file.lastAccess = lastAccess;
  file.content = std::move(content);
}

std::optional<std::string> FakePlatform::ContentOf(const std::string& path) const {
  std::optional<std::string> real = Resolve(path, true);
  const Node* node = real ? Find(*real) : nullptr;
  if (!node || node->folder) return std::nullopt;
  return node->content;
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

SystemError FakePlatform::CopyFileReplacing(const std::string& from, const std::string& to,
                                            const std::atomic<bool>* stop) {
  log_.push_back("copy " + from + " -> " + to);
  if (stop && *stop) return kErrorCancelled;
  std::optional<std::string> source = ContentOf(from);
  if (!source) return kErrorFileNotFound;
  std::optional<std::string> folder = Resolve(to.substr(0, to.rfind('\\')), true);
  if (!folder) return kErrorPathNotFound;
  if (!Find(*folder)->folder) return kErrorAccessDenied;
  const Node* target = Find(*folder + to.substr(to.rfind('\\')));
  if (target && (target->folder || target->locked)) return kErrorAccessDenied;
  AddFile(*folder + to.substr(to.rfind('\\')), 0, *source);
  return 0;
}

namespace {

// Reads a copy of the content taken when it was opened.
class FakeReadOnlyFile : public ReadOnlyFile {
 public:
  explicit FakeReadOnlyFile(std::string content) : content_(std::move(content)) {}
  std::uint64_t Size() const override { return content_.size(); }
  std::optional<std::size_t> ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
    if (offset >= content_.size()) return 0;
    return content_.copy(static_cast<char*>(buffer), size, static_cast<std::size_t>(offset));
  }

 private:
  std::string content_;
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
  return std::make_unique<FakeReadOnlyFile>(node->content);
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

std::string FakePlatform::ErrorText(SystemError error) {
  if (error == kErrorPathNotFound) return "系统找不到指定的路径。";
  return error == kErrorAccessDenied ? "拒绝访问。" : "错误 " + std::to_string(error);
}

}  // namespace morlind
