#include "tests/FakePlatform.h"

#include <iterator>
#include <list>
#include <unordered_map>

#include "platform/Paths.h"
#include "platform/Utf8.h"

namespace morlind {

struct FakePlatform::Node {
  using Children = std::list<std::unique_ptr<Node>>;

  std::string name;
  bool folder = false;
  bool refusesListing = false;
  bool locked = false;
  bool refusesWrites = false;
  bool vanishesWhenListed = false;
  std::optional<std::size_t> listingBreaksAfter;
  std::string linkTarget;  // non-empty: a link
  std::uint64_t lastAccess = 0;
  std::string content;
  // Listing order, and an index by folded name: a folder of 100,000 files
  // must stay quick to fill, search and empty.
  Children children;
  std::unordered_map<std::string, Children::iterator> index;
};

// Where a path leads: the node, the folder holding it, and its real path.
struct FakePlatform::Resolved {
  Node* node;
  Node* parent;
  std::string realPath;
};

namespace {

using Node = FakePlatform::Node;

// Windows links may chain; it gives up after a few dozen hops, as here.
constexpr int kMaxLinkHops = 32;
constexpr SystemError kErrorPathNotFound = 3;
constexpr SystemError kErrorDiskFull = 112;
constexpr SystemError kErrorDirNotEmpty = 145;

// Empty components (doubled backslashes) are ignored, as Windows does.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

Node* Child(const Node& folder, std::string_view name) {
  auto found = folder.index.find(FoldedAscii(name));
  return found == folder.index.end() ? nullptr : found->second->get();
}

Node& AddChild(Node& folder, const std::string& name) {
  folder.children.push_back(std::make_unique<Node>());
  folder.index[FoldedAscii(name)] = std::prev(folder.children.end());
  Node& child = *folder.children.back();
  child.name = name;
  return child;
}

void EraseChild(Node& folder, const std::string& name) {
  auto found = folder.index.find(FoldedAscii(name));
  if (found == folder.index.end()) return;
  folder.children.erase(found->second);
  folder.index.erase(found);
}

class FakeListing : public DirListing {
 public:
  FakeListing(std::vector<DirEntry> entries, std::vector<std::string> names, std::function<void()> onEntry)
      : names_(std::move(names)), entries_(std::move(entries)), onEntry_(std::move(onEntry)) {
    for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i].name = names_[i];
    Delivered();
  }
  const DirEntry& Current() const override { return entries_[index_]; }
  bool Next() override {
    if (++index_ >= entries_.size()) return false;
    Delivered();
    return true;
  }

 private:
  void Delivered() {
    if (onEntry_) onEntry_();
  }

  std::vector<std::string> names_;
  std::vector<DirEntry> entries_;
  std::function<void()> onEntry_;
  std::size_t index_ = 0;
};

}  // namespace

// Deleting goes to whatever the path led to: through a file link that is
// the target, as under Wine, so only a caller's check keeps it safe.
class FakeOpenedEntry : public OpenedEntry {
 public:
  FakeOpenedEntry(FakePlatform& fs, FakePlatform::Resolved where, bool isLink)
      : fs_(fs), where_(std::move(where)), isLink_(isLink) {}
  const std::string& RealPath() const override { return where_.realPath; }
  bool IsLink() const override { return isLink_; }
  SystemError Delete() override {
    Node& node = *where_.node;
    if (node.folder && node.locked) return kErrorAccessDenied;
    if (node.folder && !node.children.empty()) return kErrorDirNotEmpty;
    fs_.log_.push_back("delete " + where_.realPath);
    EraseChild(*where_.parent, node.name);
    return 0;
  }

 private:
  FakePlatform& fs_;
  FakePlatform::Resolved where_;
  bool isLink_;
};

FakePlatform::FakePlatform(Platform& clock) : clock_(clock) {}
FakePlatform::~FakePlatform() = default;

// A link to itself or in a ring resolves to nothing, as on Windows.
std::optional<FakePlatform::Resolved> FakePlatform::Resolve(const std::string& path, bool followLast) const {
  int hops = 0;
  std::function<std::optional<Resolved>(const std::string&, bool)> walk = [&](const std::string& p, bool follow)
      -> std::optional<Resolved> {
    std::vector<std::string> parts = Components(p);
    if (!root_ || parts.empty()) return std::nullopt;
    Resolved at{root_.get(), nullptr, ""};
    for (std::size_t i = 0; i < parts.size(); ++i) {
      Node* child = Child(*at.node, parts[i]);
      if (!child) return std::nullopt;
      at = Resolved{child, at.node, at.realPath.empty() ? child->name : at.realPath + "\\" + child->name};
      bool last = i + 1 == parts.size();
      if (!child->linkTarget.empty() && (!last || follow)) {
        if (++hops > kMaxLinkHops) return std::nullopt;
        std::optional<Resolved> target = walk(child->linkTarget, true);
        if (!target) return std::nullopt;
        at = *target;
      }
    }
    return at;
  };
  return walk(path, followLast);
}

Node* FakePlatform::Find(const std::string& path, bool followLast) const {
  std::optional<Resolved> found = Resolve(path, followLast);
  return found ? found->node : nullptr;
}

Node& FakePlatform::Make(const std::string& path, bool folder) {
  if (!root_) {
    root_ = std::make_unique<Node>();
    root_->folder = true;
  }
  Node* node = root_.get();
  std::vector<std::string> parts = Components(path);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    Node* child = Child(*node, parts[i]);
    if (!child) {
      child = &AddChild(*node, parts[i]);
      child->folder = folder || i + 1 < parts.size();
    }
    node = child;
  }
  return *node;
}

void FakePlatform::AddFolder(const std::string& path) { Make(path, true); }

void FakePlatform::AddFile(const std::string& path, std::uint64_t lastAccess, std::string content) {
  Node& file = Make(path, false);
  file.lastAccess = lastAccess;
  file.content = std::move(content);
}

void FakePlatform::AddLink(const std::string& path, const std::string& target) {
  Make(path, true).linkTarget = target;
}

void FakePlatform::AddFileLink(const std::string& path, const std::string& target) {
  Make(path, false).linkTarget = target;
}

void FakePlatform::RefuseListing(const std::string& path) { Make(path, true).refusesListing = true; }

void FakePlatform::LockFile(const std::string& path) { Make(path, false).locked = true; }

void FakePlatform::LockFolder(const std::string& path) { Make(path, true).locked = true; }

void FakePlatform::BreakListingAfter(const std::string& folder, std::size_t entries) {
  Make(folder, true).listingBreaksAfter = entries;
}

void FakePlatform::VanishWhenListed(const std::string& path) {
  Make(path, false).vanishesWhenListed = true;
}

void FakePlatform::RefuseWrites(const std::string& folder) { Make(folder, true).refusesWrites = true; }

bool FakePlatform::Exists(const std::string& path) const { return Find(path, false) != nullptr; }

std::optional<std::string> FakePlatform::ContentOf(const std::string& path) const {
  Node* node = Find(path);
  if (!node || node->folder) return std::nullopt;
  return node->content;
}

std::vector<std::string> FakePlatform::Tree(const std::string& root) const {
  std::vector<std::string> paths;
  std::function<void(const Node&, const std::string&)> walk = [&](const Node& folder,
                                                                  const std::string& prefix) {
    for (const auto& child : folder.children) {
      std::string path = prefix + "\\" + child->name;
      paths.push_back(child->folder ? path + "\\" : path);
      if (child->folder && child->linkTarget.empty()) walk(*child, path);
    }
  };
  if (Node* node = Find(root)) walk(*node, root);
  return paths;
}

std::unique_ptr<DirListing> FakePlatform::OpenListing(const std::string& folderPath) {
  ++listingsOpened_;
  Node* folder = Find(folderPath);
  if (!folder || !folder->folder || folder->refusesListing) return nullptr;
  if (beforeListing && !beforeListing(folderPath)) return nullptr;

  std::vector<DirEntry> entries;
  std::vector<std::string> names{".", ".."};
  entries.push_back(DirEntry{{}, kAttrDirectory, 0});
  entries.push_back(DirEntry{{}, kAttrDirectory, 0});
  std::vector<std::string> vanishing;
  for (const auto& child : folder->children) {
    if (folder->listingBreaksAfter && names.size() - 2 == *folder->listingBreaksAfter) break;
    std::uint32_t attributes = child->folder ? kAttrDirectory : 0;
    if (child->folder && !child->linkTarget.empty()) attributes |= kAttrReparsePoint;
    entries.push_back(DirEntry{{}, attributes, child->lastAccess, child->folder ? 0 : child->content.size()});
    names.push_back(child->name);
    if (child->vanishesWhenListed) vanishing.push_back(child->name);
  }
  for (const std::string& name : vanishing) EraseChild(*folder, name);
  return std::make_unique<FakeListing>(std::move(entries), std::move(names), onEntry);
}

std::optional<std::uint32_t> FakePlatform::AttributesOf(const std::string& path) {
  Node* node = Find(path, false);
  if (!node) return std::nullopt;
  if (!node->folder) return 0x20;  // archive, as new files have
  return node->linkTarget.empty() ? kAttrDirectory : kAttrDirectory | kAttrReparsePoint;
}

SystemError FakePlatform::CopyFileReplacing(const std::string& from, const std::string& to,
                                            const std::atomic<bool>* stop) {
  log_.push_back("copy " + from + " -> " + to);
  if (stop && *stop) return kErrorCancelled;
  Node* source = Find(from);
  if (!source || source->folder) return kErrorFileNotFound;
  std::vector<std::string> parts = Components(to);
  if (parts.empty()) return kErrorPathNotFound;
  const std::string name = parts.back();
  Node* targetFolder = Find(to.substr(0, to.rfind('\\')));
  if (!targetFolder) return kErrorPathNotFound;
  if (!targetFolder->folder || targetFolder->refusesWrites) return kErrorAccessDenied;
  Node* target = Child(*targetFolder, name);
  if (target && (target->folder || target->locked)) return kErrorAccessDenied;
  if (copyQuota_) {
    if (source->content.size() > *copyQuota_) return kErrorDiskFull;
    *copyQuota_ -= source->content.size();
  }
  if (!target) target = &AddChild(*targetFolder, name);
  target->content = source->content;
  target->lastAccess = source->lastAccess;
  return 0;
}

std::optional<std::string> FakePlatform::RealPath(const std::string& path) {
  std::optional<Resolved> found = Resolve(path, true);
  if (!found) return std::nullopt;
  return found->realPath;
}

// A folder link opens as the link, a file link (Wine shows no reparse
// flag) as its target.
std::unique_ptr<OpenedEntry> FakePlatform::OpenForDelete(const std::string& path) {
  Node* entry = Find(path, false);
  if (!entry || (!entry->folder && entry->locked)) return nullptr;
  bool folderLink = entry->folder && !entry->linkTarget.empty();
  std::optional<Resolved> found = Resolve(path, true);
  if (!found || (!found->node->folder && found->node->locked)) return nullptr;
  return std::make_unique<FakeOpenedEntry>(*this, std::move(*found), folderLink);
}

std::string FakePlatform::ErrorText(SystemError error) {
  static const std::map<SystemError, std::string> kTexts = {
      {kErrorFileNotFound, "系统找不到指定的文件。"}, {kErrorPathNotFound, "系统找不到指定的路径。"},
      {kErrorAccessDenied, "拒绝访问。"}, {kErrorDiskFull, "磁盘空间不足。"}};
  auto found = kTexts.find(error);
  return found == kTexts.end() ? "错误 " + std::to_string(error) : found->second;
}

std::optional<std::string> FakePlatform::SpecialFolderPath(int csidl) {
  auto found = specialFolder_.find(csidl);
  if (found == specialFolder_.end()) return std::nullopt;
  return found->second;
}

}  // namespace morlind
