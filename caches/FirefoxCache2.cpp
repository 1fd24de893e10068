#include "caches/FirefoxCache2.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "caches/ResponseHead.h"
#include "platform/Paths.h"

namespace morlind {

namespace {

constexpr std::uint64_t kChunkSize = 256 * 1024;
constexpr std::uint32_t kEncryptedBit = 0x80000000u;
constexpr std::uint32_t kTrailingVersion = 4;  // the version that also ends the file
constexpr std::size_t kHashSize = 4;
constexpr std::size_t kChunkHashSize = 2;
constexpr std::size_t kHeaderSize = 32;         // 28 in version 1, which had no flags
constexpr std::size_t kLastFetchedAt = 8;       // within the header
constexpr std::size_t kKeySizeAt = 24;
// Well above what Firefox writes (64 KB of elements, a key as long as its
// longest address, 1 MB, 32 KB of chunk hashes for the largest offset):
// anything longer is no metadata.
constexpr std::uint64_t kMostMetadata = 2u << 20;

std::uint32_t BigEndian32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint32_t BigEndian32(std::string_view text, std::size_t at) {
  return BigEndian32(reinterpret_cast<const unsigned char*>(text.data() + at));
}
std::uint32_t LittleEndian32(const unsigned char* p) {
  return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

void Mix(std::uint32_t& a, std::uint32_t& b, std::uint32_t& c) {
  a -= b; a -= c; a ^= c >> 13;
  b -= c; b -= a; b ^= a << 8;
  c -= a; c -= b; c ^= b >> 13;
  a -= b; a -= c; a ^= c >> 12;
  b -= c; b -= a; b ^= a << 16;
  c -= a; c -= b; c ^= b >> 5;
  a -= b; a -= c; a ^= c >> 3;
  b -= c; b -= a; b ^= a << 10;
  c -= a; c -= b; c ^= b >> 15;
}

bool ReadExactly(ReadOnlyFile& file, std::uint64_t offset, void* buffer, std::size_t size) {
  return file.ReadAt(offset, buffer, size).value_or(0) == size;
}

// Reads [0, bodySize) of an entry file chunk by chunk, each chunk checked
// against its hash from the metadata, as Firefox checks it.
class Cache2Body final : public BodyReader {
 public:
  Cache2Body(std::string path, std::uint64_t dataSize, std::uint64_t bodySize, std::vector<std::uint16_t> chunkHashes)
      : path_(std::move(path)), dataSize_(dataSize), bodySize_(bodySize), chunkHashes_(std::move(chunkHashes)) {}

  BodyStatus Read(Platform& platform, const BodySink& sink) const override {
    std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading(path_);
    // Metadata always follows the data: a file cut at or before its end was changed.
    if (!file || file->Size() <= dataSize_) return BodyStatus::kUnreadable;
    std::string chunk;
    for (std::uint64_t start = 0, index = 0; start < bodySize_; start += kChunkSize, ++index) {
      // The chunk that holds the body's end may go on with alternative
      // data: its hash covers both.
      chunk.resize(static_cast<std::size_t>(std::min(kChunkSize, dataSize_ - start)));
      if (!ReadExactly(*file, start, chunk.data(), chunk.size()) ||
          (Cache2Hash(chunk) & 0xFFFF) != chunkHashes_[index]) {
        return BodyStatus::kUnreadable;
      }
      std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), bodySize_ - start));
      if (!sink(std::string_view(chunk).substr(0, piece))) return BodyStatus::kStopped;
    }
    return BodyStatus::kWhole;
  }

 private:
  std::string path_;
  std::uint64_t dataSize_;   // the body and any alternative data
  std::uint64_t bodySize_;
  std::vector<std::uint16_t> chunkHashes_;  // one per chunk of data
};

// What one entry file gave.
enum class Outcome { kEntry, kNoBody, kDamaged };
struct EntryResult {
  Outcome outcome = Outcome::kDamaged;
  CacheEntry entry;
};
EntryResult Damaged() { return {}; }
EntryResult NoBody() { return {Outcome::kNoBody, {}}; }

// The value of element name, or nothing. elements is checked: it ends
// with NUL and holds an even number of them.
std::optional<std::string_view> ElementValue(std::string_view elements, std::string_view name) {
  while (!elements.empty()) {
    std::string_view key = elements.substr(0, elements.find('\0'));
    elements.remove_prefix(key.size() + 1);
    std::string_view value = elements.substr(0, elements.find('\0'));
    elements.remove_prefix(value.size() + 1);
    if (key == name) return value;
  }
  return std::nullopt;
}

// "<version>;<offset>,<type>", version 1: where alternative data (a
// compiled script) starts after the body.
std::optional<std::uint64_t> AltDataOffset(std::string_view info) {
  if (info.substr(0, 2) != "1;") return std::nullopt;
  info.remove_prefix(2);
  std::uint64_t offset = 0;
  auto [end, error] = std::from_chars(info.data(), info.data() + info.size(), offset);
  if (error != std::errc() || !info.substr(end - info.data()).starts_with(',')) return std::nullopt;
  return offset;
}

EntryResult ParseMetadata(const std::string& path, std::string_view meta, std::uint64_t dataSize, bool trailingVersion) {
  std::uint64_t chunkCount = (dataSize + kChunkSize - 1) / kChunkSize;
  std::uint64_t headerAt = kHashSize + chunkCount * kChunkHashSize;
  // As Firefox checks it, with the header's later size even for version 1.
  if (headerAt + kHeaderSize > meta.size()) return Damaged();
  std::uint32_t version = BigEndian32(meta, headerAt);
  if (version < 1 || version > kTrailingVersion || (version == kTrailingVersion) != trailingVersion) return Damaged();
  std::uint64_t keyAt = headerAt + (version == 1 ? kHeaderSize - 4 : kHeaderSize);
  std::uint64_t elementsAt = keyAt + BigEndian32(meta, headerAt + kKeySizeAt) + 1;
  if (elementsAt > meta.size() || meta[elementsAt - 1] != '\0') return Damaged();
  if (Cache2Hash(meta.substr(kHashSize)) != BigEndian32(meta, 0)) return Damaged();
  std::string_view elements = meta.substr(elementsAt);
  if (!elements.empty() && (elements.back() != '\0' || std::count(elements.begin(), elements.end(), '\0') % 2 != 0)) {
    return Damaged();
  }
  std::optional<std::string> address = AddressOfCache2Key(meta.substr(keyAt, elementsAt - 1 - keyAt));
  if (!address || address->empty()) return Damaged();

  std::uint64_t bodySize = dataSize;
  if (std::optional<std::string_view> altData = ElementValue(elements, "alt-data")) {
    std::optional<std::uint64_t> altDataAt = AltDataOffset(*altData);
    // Firefox drops an entry whose alternative data it cannot place.
    if (!altDataAt || *altDataAt > dataSize) return Damaged();
    bodySize = *altDataAt;
  }
  if (bodySize == 0) return NoBody();

  ResponseHead head = ParseResponseHead(ElementValue(elements, "response-head").value_or(""));
  EntryResult result{Outcome::kEntry, {}};
  CacheEntry& entry = result.entry;
  entry.address = std::move(*address);
  entry.lastUsed = BigEndian32(meta, headerAt + kLastFetchedAt);
  entry.storedSize = bodySize;
  entry.contentType = std::move(head.contentType);
  entry.contentEncoding = std::move(head.contentEncoding);
  // Firefox keeps what arrived of an interrupted download with its
  // Content-Length (of the body as stored, encoded or not), and resumes it
  // with a range request later.
  std::uint64_t announced = 0;
  const std::string& length = head.contentLength;
  bool hasLength = !length.empty() &&
                   std::from_chars(length.data(), length.data() + length.size(), announced).ptr == length.data() + length.size();
  entry.complete = head.status != 206 && !(hasLength && announced > bodySize);
  std::vector<std::uint16_t> chunkHashes(chunkCount);
  for (std::uint64_t i = 0; i < chunkCount; ++i) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(meta.data() + kHashSize + i * kChunkHashSize);
    chunkHashes[i] = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
  }
  entry.body = std::make_shared<Cache2Body>(path, dataSize, bodySize, std::move(chunkHashes));
  return result;
}

EntryResult ReadEntryFile(Platform& platform, const std::string& path) {
  std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading(path);
  if (!file) return Damaged();
  std::uint64_t size = file->Size();
  // An empty file is an entry Firefox has opened but not written yet.
  if (size == 0) return NoBody();
  if (size < kHashSize + kHeaderSize + 4) return Damaged();
  unsigned char tail[8];
  if (!ReadExactly(*file, size - sizeof tail, tail, sizeof tail)) return Damaged();
  // Before version 4 the metadata ends with its elements' NUL, so the word
  // before the offset never reads 4.
  bool trailingVersion = BigEndian32(tail) == kTrailingVersion;
  std::uint32_t offsetWord = BigEndian32(tail + 4);
  if (trailingVersion && (offsetWord & kEncryptedBit) != 0) return NoBody();
  std::uint64_t dataSize = offsetWord;
  std::uint64_t trailer = trailingVersion ? 8 : 4;
  if (dataSize + trailer > size || size - dataSize - trailer > kMostMetadata) return Damaged();
  std::uint64_t metaSize = size - dataSize - trailer;
  std::string meta(static_cast<std::size_t>(metaSize), '\0');
  if (!ReadExactly(*file, dataSize, meta.data(), meta.size())) return Damaged();
  return ParseMetadata(path, meta, dataSize, trailingVersion);
}

// Firefox names them in upper-case hex.
bool IsEntryName(std::string_view name) {
  return name.size() == 40 && name.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

}  // namespace

std::uint32_t Cache2Hash(std::string_view data) {
  const unsigned char* k = reinterpret_cast<const unsigned char*>(data.data());
  std::size_t left = data.size();
  std::uint32_t a = 0x9e3779b9, b = 0x9e3779b9, c = 0;
  for (; left >= 12; k += 12, left -= 12) {
    a += LittleEndian32(k);
    b += LittleEndian32(k + 4);
    c += LittleEndian32(k + 8);
    Mix(a, b, c);
  }
  // The last 0 to 11 bytes, zero-padded; c's low byte holds the length.
  unsigned char last[12] = {};
  std::copy(k, k + left, last);
  c += static_cast<std::uint32_t>(data.size());
  a += LittleEndian32(last);
  b += LittleEndian32(last + 4);
  c += LittleEndian32(last + 8) << 8;
  Mix(a, b, c);
  return c;
}

std::optional<std::string> AddressOfCache2Key(std::string_view key) {
  unsigned char lastTag = 0;
  std::size_t at = 0;
  while (at < key.size()) {
    unsigned char tag = static_cast<unsigned char>(key[at++]);
    if (tag == ':') return std::string(key.substr(at));
    // Tags are printable ASCII, each after the one before.
    if (tag < ' ' || tag > 0x7F || tag <= lastTag) return std::nullopt;
    lastTag = tag;
    if (tag == 'i') {
      // An application id of old: a number.
      std::uint32_t id = 0;
      auto [end, error] = std::from_chars(key.data() + at, key.data() + key.size(), id);
      if (error != std::errc()) return std::nullopt;
      at = static_cast<std::size_t>(end - key.data());
    } else if (tag != 'a' && tag != 'b' && tag != 'p') {
      // A value up to the next single ',' (",," is a comma in it).
      while (at < key.size() && (key[at] != ',' || key.substr(at + 1, 1) == ",")) at += key[at] == ',' ? 2 : 1;
    }
    if (at >= key.size() || key[at] != ',') return std::nullopt;
    ++at;
  }
  return std::string();
}

bool FirefoxCache2::Recognises(Platform& platform, const std::string& folder) const {
  std::optional<std::uint32_t> attributes = platform.AttributesOf(JoinPath(folder, "entries"));
  return attributes && (*attributes & kAttrDirectory) != 0;
}

CacheListing FirefoxCache2::Read(Platform& platform, const std::string& folder, const std::atomic<bool>* stop) const {
  CacheListing listing;
  std::string entries = JoinPath(folder, "entries");
  std::unique_ptr<DirListing> files = platform.OpenListing(entries);
  if (!files) {
    listing.whole = false;
    return listing;
  }
  do {
    if (stop && *stop) break;
    const DirEntry& file = files->Current();
    if (file.IsDirectory() || !IsEntryName(file.name)) continue;
    EntryResult result = ReadEntryFile(platform, JoinPath(entries, file.name));
    if (result.outcome == Outcome::kEntry) listing.entries.push_back(std::move(result.entry));
    if (result.outcome == Outcome::kDamaged) listing.whole = false;
  } while (files->Next());
  return listing;
}

}  // namespace morlind
