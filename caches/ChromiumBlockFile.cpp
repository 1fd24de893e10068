#include "caches/ChromiumBlockFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "caches/ChromiumShared.h"
#include "platform/Paths.h"

namespace morlind {

using chromium::LoadU32;
using chromium::LoadU64;
using chromium::ReadExact;

namespace {

// net/disk_cache/blockfile/disk_format.h and disk_format_base.h.
constexpr std::uint32_t kIndexMagic = 0xC103CAC3;
constexpr std::uint32_t kBlockMagic = 0xC104CAC3;
constexpr std::uint64_t kIndexHeaderSize = 368;  // IndexHeader, its LruData included
constexpr std::uint64_t kBlockHeaderSize = 8192;
constexpr std::uint32_t kDefaultTableLength = 0x10000;
constexpr std::uint64_t kEntryBlockSize = 256;    // EntryStore
constexpr std::uint64_t kEntryKeyOffset = 96;     // EntryStore::key
constexpr std::int64_t kMaxInternalKeyLength = 4 * kEntryBlockSize - kEntryKeyOffset - 1;
constexpr std::uint64_t kRankingsNodeSize = 36;
constexpr std::uint32_t kEntryNormal = 0;
constexpr std::uint32_t kParentEntry = 1;  // has sparse children: the body is held in ranges
constexpr std::uint32_t kChildEntry = 2;   // one range of a parent's body
// Heads are a few KB; this only bounds what a damaged size could ask for.
constexpr std::int64_t kMaxHeadSize = 1 << 20;
constexpr std::int64_t kMaxKeySize = 4 << 20;

bool IsKnownVersion(std::uint32_t version) { return version == 0x20000 || version == 0x20001 || version == 0x30000; }

// A CacheAddr (net/disk_cache/blockfile/addr.h).
struct Addr {
  enum Type { kExternal = 0, kRankings = 1, kBlock256 = 2, kBlock1K = 3, kBlock4K = 4 };
  std::uint32_t value = 0;

  bool Initialized() const { return (value & 0x80000000u) != 0; }
  int FileType() const { return static_cast<int>((value >> 28) & 7); }
  std::uint32_t FileNumber() const { return FileType() == kExternal ? value & 0x0FFFFFFFu : (value >> 16) & 0xFFu; }
  std::uint64_t StartBlock() const { return value & 0xFFFFu; }
  std::uint64_t NumBlocks() const { return ((value >> 24) & 3) + 1; }
  std::uint64_t BlockSize() const {
    switch (FileType()) {
      case kRankings: return kRankingsNodeSize;
      case kBlock256: return 256;
      case kBlock1K: return 1024;
      case kBlock4K: return 4096;
      default: return 0;
    }
  }
  bool IsData() const { return FileType() == kExternal || (FileType() >= kBlock256 && FileType() <= kBlock4K); }
};

std::string ExternalFileName(std::uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "f_%06x", number);
  return name;
}

// Where an address's bytes lie, checked against the file that holds them.
// The path is shared by every place in the same file.
struct Place {
  std::shared_ptr<const std::string> path;
  std::uint64_t offset = 0;
};

// A body in one piece of one file; a large cache's bodies share a few
// paths instead of keeping one each.
class OnePieceBody : public BodyReader {
 public:
  OnePieceBody(Place place, std::uint64_t size, bool complete)
      : place_(std::move(place)), size_(size), complete_(complete) {}
  BodyStatus Read(Platform& platform, const BodySink& sink) const override {
    return chromium::PiecesBody({{*place_.path, place_.offset, size_}}, complete_).Read(platform, sink);
  }

 private:
  Place place_;
  std::uint64_t size_;
  bool complete_;
};

// The cache's files, each block file opened once and its header checked.
class CacheFiles {
 public:
  CacheFiles(Platform& platform, const std::string& folder) : platform_(platform), folder_(folder) {}

  // Where size bytes at addr lie, when the address holds that many and
  // its file does too.
  std::optional<Place> Locate(Addr addr, std::uint64_t size) {
    if (!addr.Initialized()) return std::nullopt;
    if (addr.FileType() == Addr::kExternal) {
      std::optional<std::uint64_t> held = ExternalFileSize(addr.FileNumber());
      if (!held || *held < size) return std::nullopt;
      return Place{std::make_shared<const std::string>(JoinPath(folder_, ExternalFileName(addr.FileNumber()))), 0};
    }
    std::optional<std::uint64_t> offset = BlockOffset(addr, size);
    if (!offset) return std::nullopt;
    std::shared_ptr<const std::string>& path = blockPaths_[addr.FileNumber()];
    if (!path) path = std::make_shared<const std::string>(JoinPath(folder_, "data_" + std::to_string(addr.FileNumber())));
    return Place{path, *offset};
  }

  std::optional<std::string> Read(Addr addr, std::uint64_t size) {
    std::string bytes;
    return Read(addr, size, bytes) ? std::optional(std::move(bytes)) : std::nullopt;
  }

  // The same into a buffer the caller reuses: what every entry reads needs
  // no memory of its own then.
  bool Read(Addr addr, std::uint64_t size, std::string& into) {
    if (addr.FileType() != Addr::kExternal) {
      std::optional<std::uint64_t> offset = addr.Initialized() ? BlockOffset(addr, size) : std::nullopt;
      return offset && ReadThroughWindow(addr.FileNumber(), *offset, size, into);
    }
    std::optional<Place> place = Locate(addr, size);
    std::unique_ptr<ReadOnlyFile> file = place ? platform_.OpenForReading(*place->path) : nullptr;
    std::optional<std::string> bytes = file ? ReadExact(*file, 0, size) : std::nullopt;
    if (bytes) into = std::move(*bytes);
    return bytes.has_value();
  }

 private:
  // Entries, their heads and rankings nodes are small and, read in the
  // order of their addresses, mostly close together: each block file is
  // read a window at a time, not a block at a time (a read costs far more
  // than its bytes, under Wine most of all). size bytes at offset lie in
  // the file (Locate checked).
  bool ReadThroughWindow(std::uint32_t number, std::uint64_t offset, std::uint64_t size, std::string& into) {
    constexpr std::uint64_t kWindowSize = 64 * 1024;
    Window& window = windows_[number];
    if (offset < window.start || offset + size > window.start + window.bytes.size()) {
      ReadOnlyFile& file = *blockFiles_[number];
      // The same buffer each time: sized once, never filled twice.
      window.bytes.resize(static_cast<std::size_t>(std::min(std::max(size, kWindowSize), file.Size() - offset)));
      if (file.ReadAt(offset, window.bytes.data(), window.bytes.size()) != window.bytes.size()) {
        window.bytes.clear();
        return false;
      }
      window.start = offset;
    }
    into.assign(window.bytes, static_cast<std::size_t>(offset - window.start), static_cast<std::size_t>(size));
    return true;
  }

  struct Window {
    std::uint64_t start = 0;
    std::string bytes;
  };
  std::map<std::uint32_t, Window> windows_;
  // Where size bytes at a block file's addr lie in it, when the address
  // holds that many and the file does too.
  std::optional<std::uint64_t> BlockOffset(Addr addr, std::uint64_t size) {
    ReadOnlyFile* file = BlockFile(addr.FileNumber(), addr.BlockSize());
    if (!file || addr.BlockSize() == 0 || size > addr.NumBlocks() * addr.BlockSize()) return std::nullopt;
    std::uint64_t offset = kBlockHeaderSize + addr.StartBlock() * addr.BlockSize();
    if (offset > file->Size() || size > file->Size() - offset) return std::nullopt;
    return offset;
  }

  // An f_ file's size, from one listing of the folder: a large cache holds
  // thousands, and opening each only to learn its size costs far more.
  std::optional<std::uint64_t> ExternalFileSize(std::uint32_t number) {
    if (!externalSizes_) {
      externalSizes_.emplace();
      if (std::unique_ptr<DirListing> listing = platform_.OpenListing(folder_)) {
        do {
          const DirEntry& entry = listing->Current();
          unsigned found = 0;
          if (!entry.IsDirectory() && std::sscanf(std::string(entry.name).c_str(), "f_%x", &found) == 1 &&
              entry.name == ExternalFileName(found)) {
            (*externalSizes_)[found] = entry.size;
          }
        } while (listing->Next());
      }
    }
    auto found = externalSizes_->find(number);
    return found == externalSizes_->end() ? std::nullopt : std::optional(found->second);
  }

  // data_<number>, when it is a block file of blocks of blockSize bytes.
  ReadOnlyFile* BlockFile(std::uint32_t number, std::uint64_t blockSize) {
    auto [at, added] = blockFiles_.try_emplace(number);
    if (added) {
      std::unique_ptr<ReadOnlyFile> file = platform_.OpenForReading(JoinPath(folder_, "data_" + std::to_string(number)));
      std::optional<std::string> header = file ? ReadExact(*file, 0, 20) : std::nullopt;
      if (header && LoadU32(header->data()) == kBlockMagic) {
        at->second = std::move(file);
        blockSizes_[number] = LoadU32(header->data() + 12);
      }
    }
    return at->second && blockSizes_[number] == blockSize ? at->second.get() : nullptr;
  }

  Platform& platform_;
  const std::string& folder_;
  std::map<std::uint32_t, std::unique_ptr<ReadOnlyFile>> blockFiles_;
  std::map<std::uint32_t, std::uint64_t> blockSizes_;
  std::map<std::uint32_t, std::shared_ptr<const std::string>> blockPaths_;
  std::optional<std::map<std::uint32_t, std::uint64_t>> externalSizes_;
};

// One EntryStore's fields (disk_format.h).
struct EntryStore {
  explicit EntryStore(const std::string& bytes) : bytes(bytes) {}
  std::uint32_t Next() const { return LoadU32(&bytes[4]); }
  Addr RankingsNode() const { return {LoadU32(&bytes[8])}; }
  std::uint32_t State() const { return LoadU32(&bytes[20]); }
  std::int64_t KeyLength() const { return static_cast<std::int32_t>(LoadU32(&bytes[32])); }
  Addr LongKey() const { return {LoadU32(&bytes[36])}; }
  std::int64_t DataSize(int stream) const { return static_cast<std::int32_t>(LoadU32(&bytes[40 + 4 * stream])); }
  Addr DataAddr(int stream) const { return {LoadU32(&bytes[56 + 4 * stream])}; }
  std::uint32_t Flags() const { return LoadU32(&bytes[72]); }
  const std::string& bytes;  // its 1 to 4 blocks
};

// Valid while entry and longKey are; a key too long for the entry's blocks
// is read into longKey.
std::optional<std::string_view> KeyOf(const EntryStore& entry, CacheFiles& files, std::string& longKey) {
  std::int64_t length = entry.KeyLength();
  if (length < 0 || length > kMaxKeySize) return std::nullopt;
  if (length > kMaxInternalKeyLength) {
    if (!files.Read(entry.LongKey(), static_cast<std::uint64_t>(length), longKey)) return std::nullopt;
    return longKey;
  }
  // Inline, NUL-terminated, within the entry's own blocks.
  if (kEntryKeyOffset + static_cast<std::uint64_t>(length) >= entry.bytes.size()) return std::nullopt;
  return std::string_view(entry.bytes).substr(kEntryKeyOffset, static_cast<std::size_t>(length));
}

// A sparse entry's stream 2 starts with a SparseHeader (disk_format_base.h)
// and goes on with a bitmap: a parent's has a bit per child, each child
// holding 1 MB of the body in its stream 1; a child's has a bit per 1 KB
// block it holds whole (sparse_control.cc).
constexpr std::uint64_t kSparseHeaderSize = 64;
constexpr std::uint64_t kChildMapSize = 128;
constexpr std::uint64_t kMaxParentMapSize = 8192;
constexpr std::uint64_t kChildSpan = 1 << 20;
constexpr std::uint64_t kSparseBlock = 1024;

bool BitIsSet(std::string_view map, std::uint64_t bit) {
  return bit / 8 < map.size() && (static_cast<unsigned char>(map[bit / 8]) >> (bit % 8) & 1) != 0;
}

std::string ChildKey(const std::string& parentKey, std::uint64_t signature, std::uint64_t child) {
  char numbers[48];
  std::snprintf(numbers, sizeof numbers, ":%llx:%llx", static_cast<unsigned long long>(signature),
                static_cast<unsigned long long>(child));
  return "Range_" + parentKey + numbers;
}

// A child's part of its parent's body.
struct Child {
  std::uint64_t signature = 0;
  Place body;
  std::uint64_t fromStart = 0;  // held from the child's first byte on
  std::uint64_t held = 0;       // held in all
};

// A parent whose rows wait until the walk has met all its children.
struct Parent {
  CacheEntry row;
  std::string key;
  std::uint64_t signature = 0;
  std::string childMap;
  std::uint64_t whole = 0;  // the body's size, as the head gives it
};

enum class Outcome { kListed, kSkipped, kDamaged };

// What the walk over the index's chains has met.
class Walk {
 public:
  explicit Walk(CacheFiles& files) : files_(files) {}

  Outcome Entry(const EntryStore& entry, std::vector<CacheEntry>& out) {
    if (entry.State() != kEntryNormal) return Outcome::kSkipped;
    std::int64_t headSize = entry.DataSize(0), bodySize = entry.DataSize(1), sparseSize = entry.DataSize(2);
    if (headSize < 0 || headSize > kMaxHeadSize || bodySize < 0 || sparseSize < 0) return Outcome::kDamaged;
    bool sparse = (entry.Flags() & kParentEntry) && bodySize == 0;
    if (bodySize == 0 && !sparse && !(entry.Flags() & kChildEntry)) return Outcome::kSkipped;
    std::optional<std::string_view> key = KeyOf(entry, files_, longKey_);
    if (!key) return Outcome::kDamaged;
    if (entry.Flags() & kChildEntry) return AddChild(entry, *key) ? Outcome::kSkipped : Outcome::kDamaged;

    std::string address = chromium::AddressFromKey(*key);
    std::optional<chromium::StoredResponse> response =
        files_.Read(entry.DataAddr(0), static_cast<std::uint64_t>(headSize), head_)
            ? chromium::ParseResponseInfo(head_)
            : std::nullopt;
    if (address.empty() || !response) return Outcome::kDamaged;
    CacheEntry row;
    row.address = std::move(address);
    Addr rankings = entry.RankingsNode();
    bool node = rankings.FileType() == Addr::kRankings && files_.Read(rankings, kRankingsNodeSize, node_);
    if (node) row.lastUsed = chromium::MomentFromChromiumTime(static_cast<std::int64_t>(LoadU64(node_.data())));
    Outcome listed = node ? Outcome::kListed : Outcome::kDamaged;

    if (sparse) {
      std::optional<std::string> control =
          sparseSize >= static_cast<std::int64_t>(kSparseHeaderSize) &&
                  sparseSize <= static_cast<std::int64_t>(kSparseHeaderSize + kMaxParentMapSize)
              ? files_.Read(entry.DataAddr(2), static_cast<std::uint64_t>(sparseSize))
              : std::nullopt;
      if (!control || LoadU32(control->data() + 8) != kIndexMagic) return Outcome::kDamaged;
      chromium::DescribeEntry(*response, row);
      std::uint64_t whole = response->truncated ? 0 : chromium::WholeSize(response->head);
      parents_.push_back({std::move(row), std::string(*key), LoadU64(control->data()), control->substr(kSparseHeaderSize),
                          whole});
      return listed;
    }
    Addr bodyAddr = entry.DataAddr(1);
    std::optional<Place> body =
        bodyAddr.IsData() ? files_.Locate(bodyAddr, static_cast<std::uint64_t>(bodySize)) : std::nullopt;
    if (!body) return Outcome::kDamaged;
    row.storedSize = static_cast<std::uint64_t>(bodySize);
    chromium::DescribeEntry(*response, row);
    row.body = std::make_shared<OnePieceBody>(std::move(*body), row.storedSize, row.complete);
    out.push_back(std::move(row));
    return listed;
  }

  // Each sparse parent's row, its body the children's parts that follow
  // on from its start.
  void AddParents(std::vector<CacheEntry>& out) {
    for (Parent& parent : parents_) {
      std::vector<chromium::FilePiece> pieces;
      std::uint64_t fromStart = 0;
      for (std::uint64_t bit = 0; bit < parent.childMap.size() * 8; ++bit) {
        if (!BitIsSet(parent.childMap, bit)) continue;
        auto child = children_.find(ChildKey(parent.key, parent.signature, bit));
        if (child == children_.end() || child->second.signature != parent.signature) continue;
        parent.row.storedSize += child->second.held;
        if (fromStart == bit * kChildSpan && child->second.fromStart > 0) {
          pieces.push_back({*child->second.body.path, child->second.body.offset, child->second.fromStart});
          fromStart += child->second.fromStart;
        }
      }
      if (parent.row.storedSize == 0) continue;
      parent.row.complete = parent.whole > 0 && fromStart >= parent.whole;
      parent.row.body = std::make_shared<chromium::PiecesBody>(std::move(pieces), parent.row.complete);
      out.push_back(std::move(parent.row));
    }
  }

 private:
  bool AddChild(const EntryStore& entry, std::string_view key) {
    std::int64_t size = entry.DataSize(1);
    std::optional<std::string> control =
        entry.DataSize(2) >= static_cast<std::int64_t>(kSparseHeaderSize + kChildMapSize)
            ? files_.Read(entry.DataAddr(2), kSparseHeaderSize + kChildMapSize)
            : std::nullopt;
    std::optional<Place> body = Place{};
    if (size > 0) {
      body = entry.DataAddr(1).IsData() && size <= static_cast<std::int64_t>(kChildSpan)
                 ? files_.Locate(entry.DataAddr(1), static_cast<std::uint64_t>(size))
                 : std::nullopt;
    }
    if (!control || !body || LoadU32(control->data() + 8) != kIndexMagic) return false;
    // Whole blocks from the bitmap; a block written in part is the last one
    // written, with its length beside it.
    std::string_view map = std::string_view(*control).substr(kSparseHeaderSize);
    std::int64_t lastBlock = static_cast<std::int32_t>(LoadU32(control->data() + 16));
    std::uint64_t lastLength = LoadU32(control->data() + 20);
    if (lastLength >= kSparseBlock) lastBlock = -1;
    Child child{LoadU64(control->data()), std::move(*body)};
    std::uint64_t run = 0;
    while (BitIsSet(map, run)) ++run;
    child.fromStart = run * kSparseBlock + (lastBlock == static_cast<std::int64_t>(run) ? lastLength : 0);
    for (std::uint64_t bit = 0; bit < kChildMapSize * 8; ++bit) child.held += BitIsSet(map, bit) ? kSparseBlock : 0;
    if (lastBlock >= 0 && !BitIsSet(map, static_cast<std::uint64_t>(lastBlock))) child.held += lastLength;
    child.fromStart = std::min<std::uint64_t>(child.fromStart, static_cast<std::uint64_t>(size));
    child.held = std::min<std::uint64_t>(child.held, static_cast<std::uint64_t>(size));
    children_[std::string(key)] = std::move(child);
    return true;
  }

  CacheFiles& files_;
  std::string longKey_, head_, node_;  // reused by every entry
  std::map<std::string, Child> children_;
  std::vector<Parent> parents_;
};

// The entry addresses met: a bit per start block and length in each block
// file, set as they are met.
class MetEntries {
 public:
  bool Add(Addr addr) {
    std::vector<bool>& bits = files_[addr.FileNumber()];
    if (bits.empty()) bits.resize(0x10000 * 4);
    std::vector<bool>::reference bit = bits[addr.StartBlock() * 4 + addr.NumBlocks() - 1];
    if (bit) return false;
    bit = true;
    return true;
  }

 private:
  std::array<std::vector<bool>, 256> files_;
};

}  // namespace

bool ChromiumBlockFileCache::Recognises(Platform& platform, const std::string& folder) const {
  std::unique_ptr<ReadOnlyFile> index = platform.OpenForReading(JoinPath(folder, "index"));
  if (!index) {
    // Held without sharing: its files' names tell, so the cache can be
    // named as one that could not be read.
    return platform.AttributesOf(JoinPath(folder, "index")) && platform.AttributesOf(JoinPath(folder, "data_1"));
  }
  std::optional<std::string> magic = ReadExact(*index, 0, 4);
  return magic && LoadU32(magic->data()) == kIndexMagic;
}

CacheListing ChromiumBlockFileCache::Read(Platform& platform, const std::string& folder,
                                          const std::atomic<bool>* stop) const {
  CacheListing listing;
  std::unique_ptr<ReadOnlyFile> index = platform.OpenForReading(JoinPath(folder, "index"));
  std::optional<std::string> header = index ? ReadExact(*index, 0, kIndexHeaderSize) : std::nullopt;
  if (!header || LoadU32(header->data()) != kIndexMagic || !IsKnownVersion(LoadU32(header->data() + 4))) {
    listing.whole = false;
    return listing;
  }
  std::uint64_t tableLength = LoadU32(header->data() + 28);
  if (tableLength == 0) tableLength = kDefaultTableLength;
  std::uint64_t held = (index->Size() - kIndexHeaderSize) / 4;
  if (tableLength > held) {
    tableLength = held;
    listing.whole = false;
  }
  std::optional<std::string> table = ReadExact(*index, kIndexHeaderSize, tableLength * 4);
  if (!table) {
    listing.whole = false;
    return listing;
  }

  CacheFiles files(platform, folder);
  Walk walk(files);
  // The chains are walked a link at a time, every chain's first entries in
  // the order of their addresses, then their second ones, and so on, so
  // that the block files are read forward. Every entry is met once; one met
  // again closes a loop in a chain.
  MetEntries met;
  std::string entryBytes;
  std::vector<std::uint32_t> links;
  for (std::uint64_t bucket = 0; bucket < tableLength; ++bucket) {
    if (std::uint32_t first = LoadU32(table->data() + 4 * bucket)) links.push_back(first);
  }
  while (!links.empty()) {
    std::sort(links.begin(), links.end(), [](std::uint32_t a, std::uint32_t b) { return (a & 0xFFFFFF) < (b & 0xFFFFFF); });
    std::vector<std::uint32_t> nextLinks;
    for (std::uint32_t link : links) {
      if (stop && *stop) return listing;
      const Addr addr{link};
      if (addr.FileType() != Addr::kBlock256 || !met.Add(addr) ||
          !files.Read(addr, addr.NumBlocks() * kEntryBlockSize, entryBytes)) {
        listing.whole = false;
        continue;
      }
      EntryStore entry(entryBytes);
      if (walk.Entry(entry, listing.entries) == Outcome::kDamaged) listing.whole = false;
      if (entry.Next() != 0) nextLinks.push_back(entry.Next());
    }
    links = std::move(nextLinks);
  }
  walk.AddParents(listing.entries);
  return listing;
}

}  // namespace morlind
