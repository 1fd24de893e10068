#include "caches/ChromiumBlockFile.h"

#include <cstdio>
#include <map>
#include <unordered_set>

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
struct Place {
  std::string path;
  std::uint64_t offset = 0;
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
      std::string path = JoinPath(folder_, ExternalFileName(addr.FileNumber()));
      std::unique_ptr<ReadOnlyFile> file = platform_.OpenForReading(path);
      if (!file || file->Size() < size) return std::nullopt;
      return Place{std::move(path), 0};
    }
    ReadOnlyFile* file = BlockFile(addr.FileNumber(), addr.BlockSize());
    if (!file || addr.BlockSize() == 0 || size > addr.NumBlocks() * addr.BlockSize()) return std::nullopt;
    std::uint64_t offset = kBlockHeaderSize + addr.StartBlock() * addr.BlockSize();
    if (offset > file->Size() || size > file->Size() - offset) return std::nullopt;
    return Place{JoinPath(folder_, "data_" + std::to_string(addr.FileNumber())), offset};
  }

  std::optional<std::string> Read(Addr addr, std::uint64_t size) {
    std::optional<Place> place = Locate(addr, size);
    if (!place) return std::nullopt;
    if (addr.FileType() != Addr::kExternal) return ReadExact(*blockFiles_[addr.FileNumber()], place->offset, size);
    std::unique_ptr<ReadOnlyFile> file = platform_.OpenForReading(place->path);
    return file ? ReadExact(*file, 0, size) : std::nullopt;
  }

 private:
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

std::optional<std::string> KeyOf(const EntryStore& entry, CacheFiles& files) {
  std::int64_t length = entry.KeyLength();
  if (length < 0 || length > kMaxKeySize) return std::nullopt;
  if (length > kMaxInternalKeyLength) return files.Read(entry.LongKey(), static_cast<std::uint64_t>(length));
  // Inline, NUL-terminated, within the entry's own blocks.
  if (kEntryKeyOffset + static_cast<std::uint64_t>(length) >= entry.bytes.size()) return std::nullopt;
  return entry.bytes.substr(kEntryKeyOffset, static_cast<std::size_t>(length));
}

enum class Outcome { kListed, kSkipped, kDamaged };

// The entry's row, when it has a body.
Outcome ReadEntry(const EntryStore& entry, CacheFiles& files, std::vector<CacheEntry>& out) {
  if (entry.State() != kEntryNormal || (entry.Flags() & kChildEntry)) return Outcome::kSkipped;
  std::int64_t headSize = entry.DataSize(0), bodySize = entry.DataSize(1);
  if (headSize < 0 || headSize > kMaxHeadSize || bodySize < 0) return Outcome::kDamaged;
  if (bodySize == 0) return Outcome::kSkipped;
  std::optional<std::string> key = KeyOf(entry, files);
  std::string address = key ? chromium::AddressFromKey(*key) : std::string();
  std::optional<std::string> head = files.Read(entry.DataAddr(0), static_cast<std::uint64_t>(headSize));
  std::optional<chromium::StoredResponse> response = head ? chromium::ParseResponseInfo(*head) : std::nullopt;
  Addr bodyAddr = entry.DataAddr(1);
  std::optional<Place> body = bodyAddr.IsData() ? files.Locate(bodyAddr, static_cast<std::uint64_t>(bodySize)) : std::nullopt;
  if (address.empty() || !response || !body) return Outcome::kDamaged;

  CacheEntry row;
  row.address = std::move(address);
  row.storedSize = static_cast<std::uint64_t>(bodySize);
  chromium::DescribeEntry(*response, row);
  if (entry.Flags() & kParentEntry) row.complete = false;
  row.body = std::make_shared<chromium::FileRangeBody>(std::move(body->path), body->offset, row.storedSize, row.complete);
  Addr rankings = entry.RankingsNode();
  std::optional<std::string> node =
      rankings.FileType() == Addr::kRankings ? files.Read(rankings, kRankingsNodeSize) : std::nullopt;
  if (node) row.lastUsed = chromium::MomentFromChromiumTime(static_cast<std::int64_t>(LoadU64(node->data())));
  out.push_back(std::move(row));
  return node ? Outcome::kListed : Outcome::kDamaged;
}

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
  // Every entry is met once; one met again closes a loop in a chain.
  std::unordered_set<std::uint32_t> met;
  for (std::uint64_t bucket = 0; bucket < tableLength; ++bucket) {
    for (Addr addr{LoadU32(table->data() + 4 * bucket)}; addr.value != 0;) {
      if (stop && *stop) return listing;
      std::optional<std::string> bytes = addr.FileType() == Addr::kBlock256 && met.insert(addr.value).second
                                             ? files.Read(addr, addr.NumBlocks() * kEntryBlockSize)
                                             : std::nullopt;
      if (!bytes) {
        listing.whole = false;
        break;
      }
      EntryStore entry(*bytes);
      if (ReadEntry(entry, files, listing.entries) == Outcome::kDamaged) listing.whole = false;
      addr.value = entry.Next();
    }
  }
  return listing;
}

}  // namespace morlind
