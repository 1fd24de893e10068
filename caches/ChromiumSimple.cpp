#include "caches/ChromiumSimple.h"

#include <algorithm>
#include <map>
#include <set>

#include "caches/ChromiumShared.h"
#include "platform/Paths.h"

namespace morlind {

using chromium::LoadU32;
using chromium::LoadU64;
using chromium::ReadExact;

namespace {

// net/disk_cache/simple/simple_entry_format.h, simple_backend_version.h and
// simple_index_file.h.
constexpr std::uint64_t kInitialMagic = 0xfcfb6d1ba7725c30;
constexpr std::uint64_t kFinalMagic = 0xf4fa6f45970d41d8;
constexpr std::uint64_t kSparseRangeMagic = 0xeb97bf016553676b;
constexpr std::uint64_t kIndexMagic = 0x656e74657220796f;
constexpr std::uint32_t kEntryVersion = 5;
constexpr std::uint32_t kOldestSparseVersion = 7, kNewestSparseVersion = 9;
constexpr std::uint32_t kOldestIndexVersion = 6, kNewestIndexVersion = 9;
constexpr std::uint64_t kHeaderSize = 24;       // SimpleFileHeader
constexpr std::uint64_t kEofSize = 24;          // SimpleFileEOF
constexpr std::uint64_t kRangeHeaderSize = 32;  // SimpleFileSparseRangeHeader
constexpr std::uint64_t kKeySha256Size = 32;
constexpr std::uint32_t kFlagHasKeySha256 = 2;
constexpr std::uint64_t kIndexEntrySize = 24;   // hash, last use, size
constexpr std::uint64_t kMaxIndexEntries = 1'000'000;
// Heads are a few KB and URLs at most 2 MB; these only bound what a
// damaged size could ask for.
constexpr std::uint64_t kMaxHeadSize = 1 << 20;
constexpr std::uint64_t kMaxKeySize = 4 << 20;
constexpr std::size_t kMaxRanges = 1 << 20;

// "<16 lower-case hex digits>_<suffix>" gives the entry's hash.
std::optional<std::uint64_t> HashOfFileName(std::string_view name, char suffix) {
  if (name.size() != 18 || name[16] != '_' || name[17] != suffix) return std::nullopt;
  std::uint64_t hash = 0;
  for (char c : name.substr(0, 16)) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    hash = hash << 4 | static_cast<std::uint64_t>(digit);
  }
  return hash;
}

Moment MomentFromFileTicks(std::uint64_t ticks) {
  return ticks == 0 ? kBadMoment : static_cast<Moment>(ticks / kFileTicksPerSecond) - kSecondsFrom1601To1970;
}

// The last use of each entry by hash, from index-dir/the-real-index; false
// when that file is there but damaged.
bool ReadIndex(Platform& platform, const std::string& folder, std::map<std::uint64_t, Moment>& lastUsed) {
  std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading(JoinPath(JoinPath(folder, "index-dir"), "the-real-index"));
  if (!file) return true;  // a cache whose index is not written yet
  constexpr std::uint64_t kLargest = 8 + 32 + kMaxIndexEntries * kIndexEntrySize + 8;
  std::optional<std::string> bytes = file->Size() <= kLargest ? ReadExact(*file, 0, file->Size()) : std::nullopt;
  // A pickle: payload size and CRC, then the metadata, the entries and the
  // cache's modification time.
  if (!bytes || bytes->size() < 8 || LoadU32(bytes->data()) > bytes->size() - 8) return false;
  std::string_view payload = std::string_view(*bytes).substr(8, LoadU32(bytes->data()));
  if (payload.size() < 28 || LoadU64(payload.data()) != kIndexMagic) return false;
  std::uint32_t version = LoadU32(payload.data() + 8);
  std::uint64_t count = LoadU64(payload.data() + 12);
  std::uint64_t first = version >= 7 ? 32 : 28;  // version 6 has no write reason
  if (version < kOldestIndexVersion || version > kNewestIndexVersion || payload.size() < first ||
      count > (payload.size() - first) / kIndexEntrySize) {
    return false;
  }
  for (std::uint64_t i = 0; i < count; ++i) {
    const char* at = payload.data() + first + i * kIndexEntrySize;
    lastUsed[LoadU64(at)] = chromium::MomentFromChromiumTime(static_cast<std::int64_t>(LoadU64(at + 8)));
  }
  return true;
}

struct Range {
  std::uint64_t offset = 0, length = 0, at = 0;  // at: where its bytes lie in the file
  bool operator<(const Range& other) const { return offset < other.offset; }
};

// The ranges of an _s file, in order of their offsets; nothing when the
// file is damaged.
std::optional<std::vector<Range>> ReadRanges(ReadOnlyFile& file, std::uint64_t keyLength) {
  std::optional<std::string> header = ReadExact(file, 0, kHeaderSize);
  std::uint32_t version = header ? LoadU32(header->data() + 8) : 0;
  if (!header || LoadU64(header->data()) != kInitialMagic || version < kOldestSparseVersion ||
      version > kNewestSparseVersion || LoadU32(header->data() + 12) != keyLength) {
    return std::nullopt;
  }
  std::vector<Range> ranges;
  for (std::uint64_t at = kHeaderSize + keyLength; at < file.Size();) {
    std::optional<std::string> range = ReadExact(file, at, kRangeHeaderSize);
    if (!range || LoadU64(range->data()) != kSparseRangeMagic || ranges.size() >= kMaxRanges) return std::nullopt;
    Range held{LoadU64(range->data() + 8), LoadU64(range->data() + 16), at + kRangeHeaderSize};
    if (held.length > file.Size() - held.at) return std::nullopt;
    ranges.push_back(held);
    at = held.at + held.length;
  }
  std::sort(ranges.begin(), ranges.end());
  return ranges;
}

// The pieces that hold the body from its start on, up to the first gap.
std::vector<chromium::FilePiece> PiecesFromStart(const std::string& path, const std::vector<Range>& ranges) {
  std::vector<chromium::FilePiece> pieces;
  std::uint64_t next = 0;
  for (const Range& range : ranges) {
    if (range.offset != next) break;
    pieces.push_back({path, range.at, range.length});
    next += range.length;
  }
  return pieces;
}

enum class Outcome { kListed, kSkipped, kDamaged };

struct EntryFile {
  std::string name;
  std::uint64_t hash = 0;
  Moment lastAccess = kBadMoment;
};

Outcome ReadEntry(Platform& platform, const std::string& folder, const EntryFile& entry, bool sparse,
                  std::vector<CacheEntry>& out) {
  std::string path = JoinPath(folder, entry.name);
  std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading(path);
  if (!file) return Outcome::kDamaged;
  std::uint64_t size = file->Size();
  std::optional<std::string> header = ReadExact(*file, 0, kHeaderSize);
  std::optional<std::string> eof0 = size >= kEofSize ? ReadExact(*file, size - kEofSize, kEofSize) : std::nullopt;
  if (!header || !eof0 || LoadU64(header->data()) != kInitialMagic || LoadU32(header->data() + 8) != kEntryVersion ||
      LoadU64(eof0->data()) != kFinalMagic) {
    return Outcome::kDamaged;
  }
  // Header, key, stream 1, its EOF, stream 0 (the head), the key's SHA-256
  // when flagged, stream 0's EOF.
  std::uint64_t keyLength = LoadU32(header->data() + 12), headSize = LoadU32(eof0->data() + 16);
  std::uint64_t shaSize = (LoadU32(eof0->data() + 8) & kFlagHasKeySha256) ? kKeySha256Size : 0;
  if (keyLength > kMaxKeySize || headSize > kMaxHeadSize) return Outcome::kDamaged;
  std::uint64_t fixed = kHeaderSize + keyLength + kEofSize + headSize + shaSize + kEofSize;
  if (fixed > size) return Outcome::kDamaged;
  std::uint64_t bodyAt = kHeaderSize + keyLength, bodySize = size - fixed;
  std::optional<std::string> key = ReadExact(*file, kHeaderSize, keyLength);
  std::optional<std::string> eof1 = ReadExact(*file, bodyAt + bodySize, kEofSize);
  std::optional<std::string> head = ReadExact(*file, bodyAt + bodySize + kEofSize, headSize);
  std::optional<chromium::StoredResponse> response = head ? chromium::ParseResponseInfo(*head) : std::nullopt;
  std::string address = key ? chromium::AddressFromKey(*key) : std::string();
  if (!eof1 || LoadU64(eof1->data()) != kFinalMagic || !response || address.empty()) return Outcome::kDamaged;

  CacheEntry row;
  row.address = std::move(address);
  row.lastUsed = entry.lastAccess;
  if (sparse) {
    std::string sparsePath = JoinPath(folder, entry.name.substr(0, 16) + "_s");
    std::unique_ptr<ReadOnlyFile> sparseFile = platform.OpenForReading(sparsePath);
    std::optional<std::vector<Range>> ranges = sparseFile ? ReadRanges(*sparseFile, keyLength) : std::nullopt;
    if (!ranges) return Outcome::kDamaged;
    for (const Range& range : *ranges) row.storedSize += range.length;
    if (row.storedSize == 0) return Outcome::kSkipped;
    chromium::DescribeEntry(*response, row);
    std::vector<chromium::FilePiece> pieces = PiecesFromStart(sparsePath, *ranges);
    std::uint64_t held = 0, whole = chromium::WholeSize(response->head);
    for (const chromium::FilePiece& piece : pieces) held += piece.size;
    row.complete = !response->truncated && whole > 0 && held >= whole;
    row.body = std::make_shared<chromium::PiecesBody>(std::move(pieces), row.complete);
  } else {
    if (bodySize == 0) return Outcome::kSkipped;
    row.storedSize = bodySize;
    chromium::DescribeEntry(*response, row);
    row.body = std::make_shared<chromium::PiecesBody>(
        std::vector<chromium::FilePiece>{{std::move(path), bodyAt, bodySize}}, row.complete);
  }
  out.push_back(std::move(row));
  return Outcome::kListed;
}

}  // namespace

bool ChromiumSimpleCache::Recognises(Platform& platform, const std::string& folder) const {
  // The backend writes a small `index` holding the initial magic when it
  // makes the cache.
  std::unique_ptr<ReadOnlyFile> index = platform.OpenForReading(JoinPath(folder, "index"));
  if (!index) {
    // Held without sharing: the folder of the real index beside it tells;
    // the entries are files of their own and still read.
    std::optional<std::uint32_t> indexDir = platform.AttributesOf(JoinPath(folder, "index-dir"));
    return platform.AttributesOf(JoinPath(folder, "index")) && indexDir && (*indexDir & kAttrDirectory);
  }
  std::optional<std::string> magic = ReadExact(*index, 0, 8);
  return magic && LoadU64(magic->data()) == kInitialMagic;
}

CacheListing ChromiumSimpleCache::Read(Platform& platform, const std::string& folder,
                                       const std::atomic<bool>* stop) const {
  CacheListing listing;
  std::unique_ptr<DirListing> names = platform.OpenListing(folder);
  if (!names) {
    listing.whole = false;
    return listing;
  }
  std::vector<EntryFile> entries;
  std::set<std::uint64_t> sparse;
  do {
    const DirEntry& found = names->Current();
    if (found.IsDirectory()) continue;
    if (std::optional<std::uint64_t> hash = HashOfFileName(found.name, '0')) {
      entries.push_back({std::string(found.name), *hash, MomentFromFileTicks(found.lastAccess)});
    } else if (std::optional<std::uint64_t> sparseHash = HashOfFileName(found.name, 's')) {
      sparse.insert(*sparseHash);
    }
  } while (names->Next() && !(stop && *stop));
  names.reset();

  std::map<std::uint64_t, Moment> lastUsed;
  if (!ReadIndex(platform, folder, lastUsed)) listing.whole = false;
  for (EntryFile& entry : entries) {
    if (stop && *stop) return listing;
    // An entry the index does not know yet was used when its file was.
    if (auto known = lastUsed.find(entry.hash); known != lastUsed.end() && known->second != kBadMoment) {
      entry.lastAccess = known->second;
    }
    if (ReadEntry(platform, folder, entry, sparse.count(entry.hash) > 0, listing.entries) == Outcome::kDamaged) {
      listing.whole = false;
    }
  }
  return listing;
}

}  // namespace morlind
