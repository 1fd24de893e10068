#include "actions/Scratch.h"

#include <charconv>

#include "actions/Clean.h"
#include "platform/Paths.h"

namespace morlind {

namespace {

constexpr int kMaxTries = 100;

bool Made(SystemError error) { return error == 0 || error == kErrorAlreadyExists; }

std::optional<std::uint32_t> ProcessIdOfName(std::string_view name) {
  std::uint32_t id = 0;
  auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), id);
  if (error != std::errc() || end != name.data() + name.size()) return std::nullopt;
  return id;
}

}  // namespace

ScratchFolder::ScratchFolder(Platform& platform) : platform_(platform) {
  std::optional<std::string> temporary = platform_.TemporaryFolder();
  if (!temporary) return;
  parent_ = JoinPath(*temporary, "Morlind");
  std::unique_ptr<DirListing> listing = platform_.OpenListing(*parent_);
  if (!listing) return;
  std::vector<std::string> ended;
  do {
    const DirEntry& entry = listing->Current();
    std::optional<std::uint32_t> id = ProcessIdOfName(entry.name);
    // One of this process's id is an ended one's that had the id before.
    if (entry.IsDirectory() && !entry.IsReparsePoint() && id &&
        (*id == platform_.ProcessId() || !platform_.ProcessRunning(*id))) {
      ended.push_back(JoinPath(*parent_, entry.name));
    }
  } while (listing->Next());
  listing.reset();
  for (const std::string& folder : ended) Remove(folder);
}

ScratchFolder::~ScratchFolder() {
  if (own_) Remove(*own_);
}

std::optional<std::string> ScratchFolder::NewFolder() {
  if (!parent_) return std::nullopt;
  std::lock_guard<std::mutex> lock(making_);
  if (!own_) {
    std::string own = JoinPath(*parent_, std::to_string(platform_.ProcessId()));
    if (!Made(platform_.CreateFolder(*parent_)) || !Made(platform_.CreateFolder(own))) return std::nullopt;
    own_ = own;
  }
  // Past what an earlier run of this id could not remove (a file held).
  for (int tries = 0; tries < kMaxTries; ++tries) {
    std::string folder = JoinPath(*own_, std::to_string(++uses_));
    SystemError error = platform_.CreateFolder(folder);
    if (error != kErrorAlreadyExists) return error == 0 ? std::optional(folder) : std::nullopt;
  }
  return std::nullopt;
}

std::shared_ptr<const std::string> ScratchFolder::NewLeasedFolder() {
  // The folder's path, which removes the folder when it goes.
  struct Lease {
    ScratchFolder& owner;
    std::string path;
    ~Lease() { owner.Remove(path); }
  };
  std::optional<std::string> folder = NewFolder();
  if (!folder) return nullptr;
  auto lease = std::make_shared<Lease>(*this, std::move(*folder));
  return std::shared_ptr<const std::string>(lease, &lease->path);
}

void ScratchFolder::Remove(const std::string& folder) {
  DeleteTree(platform_, folder);
  InsideDeleter(platform_, *parent_).Delete(folder);
}

}  // namespace morlind
