#include "platform/FakePlatform.h"

#include <iterator>
#include <list>
#include <unordered_map>

#include "platform/AnsiText.h"

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
  std::string linkTarget;  // non-empty: a folder link
  std::uint64_t lastAccess = 0;
  std::string content;
  // Listing order, and an index by folded name: a folder of 100,000 files
  // must stay quick to fill, search and empty.
  Children children;
  std::unordered_map<std::string, Children::iterator> index;
};

namespace {

using Node = FakePlatform::Node;

// Windows links may chain; it gives up after a few dozen hops, as here.
constexpr int kMaxLinkHops = 32;

// Where the real separators are: the second byte of a double-byte character
// may be 0x5C and is part of the name.
std::vector<std::size_t> Separators(std::string_view path) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte936(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      at.push_back(i);
    }
  }
  return at;
}

// Empty components (doubled backslashes) are ignored, as Windows does.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  std::vector<std::size_t> separators = Separators(path);
  separators.push_back(path.size());
  for (std::size_t end : separators) {
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

Node* Child(const Node& folder, std::string_view name) {
  auto found = folder.index.find(FoldedAnsi(name));
  return found == folder.index.end() ? nullptr : found->second->get();
}

Node& AddChild(Node& folder, const std::string& name) {
  folder.children.push_back(std::make_unique<Node>());
  folder.index[FoldedAnsi(name)] = std::prev(folder.children.end());
  Node& child = *folder.children.back();
  child.name = name;
  return child;
}

void EraseChild(Node& folder, const std::string& name) {
  auto found = folder.index.find(FoldedAnsi(name));
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

std::string_view FolderOfPattern(std::string_view pattern) {
  std::vector<std::size_t> separators = Separators(pattern);
  return separators.empty() ? std::string_view() : pattern.substr(0, separators.back());
}

// A link to itself or in a ring resolves to nothing, as on Windows.
Node* Walk(Node* root, const std::string& path, bool followLastLink, int& hops) {
  std::vector<std::string> parts = Components(path);
  Node* node = root;
  for (std::size_t i = 0; i < parts.size() && node; ++i) {
    node = Child(*node, parts[i]);
    bool last = i + 1 == parts.size();
    if (node && !node->linkTarget.empty() && (!last || followLastLink)) {
      if (++hops > kMaxLinkHops) return nullptr;
      node = Walk(root, node->linkTarget, true, hops);
    }
  }
  return node;
}

}  // namespace

FakePlatform::FakePlatform(Platform& clock) : clock_(clock) {}
FakePlatform::~FakePlatform() = default;

Node* FakePlatform::Find(const std::string& path, bool followLastLink) const {
  if (!root_) return nullptr;
  int hops = 0;
  return Walk(root_.get(), path, followLastLink, hops);
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

std::unique_ptr<DirListing> FakePlatform::OpenListing(const std::string& pattern) {
  ++listingsOpened_;
  std::string folderPath(FolderOfPattern(pattern));
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
    if (!child->linkTarget.empty()) attributes |= kAttrReparsePoint;
    entries.push_back(DirEntry{{}, attributes, child->lastAccess});
    names.push_back(child->name);
    if (child->vanishesWhenListed) vanishing.push_back(child->name);
  }
  for (const std::string& name : vanishing) EraseChild(*folder, name);
  return std::make_unique<FakeListing>(std::move(entries), std::move(names), onEntry);
}

Node* FakePlatform::Parent(const std::string& path, std::string* name) {
  std::vector<std::size_t> separators = Separators(path);
  std::size_t end = path.size();
  while (!separators.empty() && separators.back() + 1 == end) {
    end = separators.back();
    separators.pop_back();
  }
  if (separators.empty()) return nullptr;
  *name = path.substr(separators.back() + 1, end - separators.back() - 1);
  return Find(path.substr(0, separators.back()));
}

bool FakePlatform::CopyFileReplacing(const std::string& from, const std::string& to) {
  log_.push_back("copy " + from + " -> " + to);
  Node* source = Find(from);
  std::string name;
  Node* targetFolder = Parent(to, &name);
  if (!source || source->folder || !targetFolder || !targetFolder->folder) return false;
  if (targetFolder->refusesWrites) return false;
  Node* target = Child(*targetFolder, name);
  if (target && (target->folder || target->locked)) return false;
  if (copyQuota_) {
    if (source->content.size() > *copyQuota_) return false;
    *copyQuota_ -= source->content.size();
  }
  if (!target) target = &AddChild(*targetFolder, name);
  target->content = source->content;
  target->lastAccess = source->lastAccess;
  return true;
}

std::pair<Node*, Node*> FakePlatform::Logged(const char* call, const std::string& path, std::string* name) {
  log_.push_back(call + (" " + path));
  Node* folder = Parent(path, name);
  return {folder, folder ? Child(*folder, *name) : nullptr};
}

bool FakePlatform::RemoveFile(const std::string& path) {
  std::string name;
  auto [folder, node] = Logged("delete", path, &name);
  if (!node || node->folder || node->locked) return false;
  EraseChild(*folder, name);
  return true;
}

// On a link this removes an empty target, as Wine does: the unsafe case
// that callers must never reach.
bool FakePlatform::RemoveEmptyFolder(const std::string& path) {
  std::string name;
  auto [folder, node] = Logged("rmdir", path, &name);
  if (node && !node->linkTarget.empty()) {
    Node* target = Find(node->linkTarget);
    if (!target || !target->children.empty()) return false;
    return Parent(node->linkTarget, &name) && RemoveEmptyFolder(node->linkTarget);
  }
  if (!node || !node->folder || node->locked || !node->children.empty()) return false;
  EraseChild(*folder, name);
  return true;
}

std::optional<std::string> FakePlatform::SpecialFolderPath(int csidl) {
  auto found = specialFolder_.find(csidl);
  if (found == specialFolder_.end()) return std::nullopt;
  return found->second;
}

}  // namespace morlind
