#include "platform/FakePlatform.h"

#include <algorithm>

namespace morlind {

struct FakePlatform::Node {
  std::string name;
  bool folder = false;
  bool refusesListing = false;
  bool locked = false;
  std::string linkTarget;  // non-empty: a folder link
  std::uint64_t lastAccess = 0;
  std::string content;
  std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = FakePlatform::Node;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
           return fold(x) == fold(y);
         });
}

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
  for (const auto& child : folder.children) {
    if (SameName(child->name, name)) return child.get();
  }
  return nullptr;
}

class FakeListing : public DirListing {
 public:
  explicit FakeListing(std::vector<DirEntry> entries, std::vector<std::string> names)
      : names_(std::move(names)), entries_(std::move(entries)) {
    for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i].name = names_[i];
  }
  const DirEntry& Current() const override { return entries_[index_]; }
  bool Next() override { return ++index_ < entries_.size(); }

 private:
  std::vector<std::string> names_;
  std::vector<DirEntry> entries_;
  std::size_t index_ = 0;
};

std::string_view FolderOfPattern(std::string_view pattern) {
  std::size_t slash = pattern.rfind('\\');
  return slash == std::string_view::npos ? std::string_view() : pattern.substr(0, slash);
}

}  // namespace

Node* FakePlatform::Find(const std::string& path, bool followLastLink) const {
  if (!root_) return nullptr;
  std::vector<std::string> parts = Components(path);
  Node* node = root_.get();
  for (std::size_t i = 0; i < parts.size() && node; ++i) {
    node = Child(*node, parts[i]);
    bool last = i + 1 == parts.size();
    if (node && !node->linkTarget.empty() && (!last || followLastLink)) {
      node = Find(node->linkTarget);
    }
  }
  return node;
}

Node& FakePlatform::Make(const std::string& path, bool folder) {
  if (!root_) {
    root_ = std::make_shared<Node>();
    root_->folder = true;
  }
  Node* node = root_.get();
  std::vector<std::string> parts = Components(path);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    Node* child = Child(*node, parts[i]);
    if (!child) {
      node->children.push_back(std::make_unique<Node>());
      child = node->children.back().get();
      child->name = parts[i];
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
  for (const auto& child : folder->children) {
    std::uint32_t attributes = child->folder ? kAttrDirectory : 0;
    if (!child->linkTarget.empty()) attributes |= kAttrReparsePoint;
    entries.push_back(DirEntry{{}, attributes, child->lastAccess});
    names.push_back(child->name);
  }
  return std::make_unique<FakeListing>(std::move(entries), std::move(names));
}

Node* FakePlatform::Parent(const std::string& path, std::string* name) {
  std::size_t slash = path.find_last_not_of('\\');
  slash = slash == std::string::npos ? std::string::npos : path.rfind('\\', slash);
  if (slash == std::string::npos) return nullptr;
  *name = path.substr(slash + 1);
  while (!name->empty() && name->back() == '\\') name->pop_back();
  return Find(path.substr(0, slash));
}

bool FakePlatform::CopyFileReplacing(const std::string& from, const std::string& to) {
  log_.push_back("copy " + from + " -> " + to);
  Node* source = Find(from);
  std::string name;
  Node* targetFolder = Parent(to, &name);
  if (!source || source->folder || !targetFolder || !targetFolder->folder) return false;
  Node* target = Child(*targetFolder, name);
  if (target && (target->folder || target->locked)) return false;
  if (!target) {
    targetFolder->children.push_back(std::make_unique<Node>());
    target = targetFolder->children.back().get();
    target->name = name;
  }
  target->content = source->content;
  target->lastAccess = source->lastAccess;
  return true;
}

bool FakePlatform::RemoveFile(const std::string& path) {
  log_.push_back("delete " + path);
  std::string name;
  Node* folder = Parent(path, &name);
  Node* node = folder ? Child(*folder, name) : nullptr;
  if (!node || node->folder || node->locked) return false;
  std::erase_if(folder->children, [node](const auto& c) { return c.get() == node; });
  return true;
}

// On a link this removes an empty target, as Wine does: the unsafe case
// that callers must never reach.
bool FakePlatform::RemoveEmptyFolder(const std::string& path) {
  log_.push_back("rmdir " + path);
  std::string name;
  Node* folder = Parent(path, &name);
  Node* node = folder ? Child(*folder, name) : nullptr;
  if (node && !node->linkTarget.empty()) {
    Node* target = Find(node->linkTarget);
    if (!target || !target->children.empty()) return false;
    return Parent(node->linkTarget, &name) && RemoveEmptyFolder(node->linkTarget);
  }
  if (!node || !node->folder || !node->children.empty()) return false;
  std::erase_if(folder->children, [node](const auto& c) { return c.get() == node; });
  return true;
}

std::optional<std::string> FakePlatform::SpecialFolderPath(int csidl) {
  auto found = specialFolder_.find(csidl);
  if (found == specialFolder_.end()) return std::nullopt;
  return found->second;
}

}  // namespace morlind
