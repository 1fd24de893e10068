#include "bench/CacheGenerator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "caches/FirefoxCache2.h"

namespace morlind::bench {

namespace {

// Deterministic on every platform (xorshift32).
class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed ? seed : 1) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::uint32_t Below(std::uint32_t bound) { return Next() % bound; }

 private:
  std::uint32_t state_;
};

struct Kind {
  const char* ending;
  const char* contentType;
};
constexpr Kind kKinds[] = {{"jpg", "image/jpeg"}, {"png", "image/png"},     {"gif", "image/gif"},
                           {"webp", "image/webp"}, {"js", "application/javascript"}, {"css", "text/css"},
                           {"json", "application/json"}, {"svg", "image/svg+xml"}, {"woff2", "font/woff2"},
                           {"html", "text/html"}};

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}
void Put64(std::string& bytes, std::size_t at, std::uint64_t value) {
  Put32(bytes, at, static_cast<std::uint32_t>(value));
  Put32(bytes, at + 4, static_cast<std::uint32_t>(value >> 32));
}
void Append32(std::string& bytes, std::uint32_t value) {
  bytes.resize(bytes.size() + 4);
  Put32(bytes, bytes.size() - 4, value);
}
void AppendBigEndian32(std::string& bytes, std::uint32_t value) {
  for (int i = 3; i >= 0; --i) bytes += static_cast<char>(value >> (8 * i));
}

// base::Time's internal value: microseconds since 1601.
std::uint64_t ChromiumTime(std::int64_t unixSeconds) {
  return static_cast<std::uint64_t>(unixSeconds + 11'644'473'600) * 1'000'000;
}

std::string HeaderLines(const BenchResponse& response, const char* separator) {
  std::string lines;
  for (std::string line : {std::string("Server: bench"), "Content-Type: " + response.contentType,
                           "Content-Length: " + std::to_string(response.size), std::string("Cache-Control: max-age=86400"),
                           std::string("Last-Modified: Tue, 01 Dec 2026 08:00:00 GMT")}) {
    lines += line + separator;
  }
  return lines;
}

// ---- Chromium's block-file cache (net/disk_cache/blockfile/disk_format.h,
// disk_format_base.h, addr.h) ----

constexpr std::uint32_t kIndexMagic = 0xC103CAC3;
constexpr std::uint32_t kBlockMagic = 0xC104CAC3;
constexpr std::size_t kIndexHeaderSize = 368;
constexpr std::size_t kBlockHeaderSize = 8192;
constexpr std::uint32_t kTableLength = 0x80000;  // what Chromium 156 gives a new cache
constexpr std::uint32_t kMaxBlocks = (kBlockHeaderSize - 80) * 8;
constexpr std::uint32_t kGrowBy = 1024;
enum FileType { kExternal = 0, kRankings = 1, kBlock256 = 2, kBlock1K = 3, kBlock4K = 4 };
constexpr std::uint32_t kBlockSizes[] = {0, 36, 256, 1024, 4096};

// addr.h's RequiredFileType.
FileType FileTypeFor(std::size_t size) {
  return size < 1024 ? kBlock256 : size < 4096 ? kBlock1K : size <= 4 * 4096 ? kBlock4K : kExternal;
}

// EntryImpl::NumBlocksForEntry: a key longer than the first block's room
// takes more blocks.
std::size_t EntryBlocksFor(std::size_t keyLength) {
  constexpr std::size_t kFirstBlockRoom = 256 - 96;
  return keyLength < kFirstBlockRoom ? 1 : (keyLength - kFirstBlockRoom) / 256 + 2;
}

// The block files data_0.. as Chromium fills them: blocks of one request
// never cross a 4-block boundary, and a full file goes on in a new one
// that its predecessor names.
class BlockFiles {
 public:
  BlockFiles() {
    for (int type = kRankings; type <= kBlock4K; ++type) files_.push_back({type, 0, 0, -1, {}, {}});
  }

  std::uint32_t Allocate(int type, std::size_t size) {
    std::uint32_t blockSize = kBlockSizes[type];
    std::uint32_t blocks = std::max<std::uint32_t>(1, static_cast<std::uint32_t>((size + blockSize - 1) / blockSize));
    std::size_t number = static_cast<std::size_t>(type - 1);
    while (files_[number].next >= 0) number = static_cast<std::size_t>(files_[number].next);
    File* file = &files_[number];
    std::uint32_t start = file->used;
    if (start % 4 + blocks > 4) start = (start + 3) / 4 * 4;
    if (start + blocks > kMaxBlocks) {
      file->next = static_cast<int>(files_.size());
      files_.push_back({type, 0, 0, -1, {}, {}});
      file = &files_.back();
      number = files_.size() - 1;
      start = 0;
    }
    file->used = start + blocks;
    ++file->count;
    file->blocks.resize(static_cast<std::size_t>(file->used) * blockSize);
    file->map.resize(kMaxBlocks / 32);
    for (std::uint32_t b = start; b < start + blocks; ++b) file->map[b / 32] |= 1u << (b % 32);
    return 0x80000000u | static_cast<std::uint32_t>(type) << 28 | (blocks - 1) << 24 |
           static_cast<std::uint32_t>(number) << 16 | start;
  }

  // Where addr's bytes are; the address comes from Allocate.
  char* At(std::uint32_t addr) {
    File& file = files_[(addr >> 16) & 0xFF];
    return file.blocks.data() + static_cast<std::size_t>(addr & 0xFFFF) * kBlockSizes[file.type];
  }

  void Write(const CacheFileSink& sink) {
    for (std::size_t number = 0; number < files_.size(); ++number) {
      const File& file = files_[number];
      std::uint32_t blockSize = kBlockSizes[file.type];
      std::uint32_t capacity = file.used == 0 ? 0 : std::min(kMaxBlocks, (file.used + kGrowBy - 1) / kGrowBy * kGrowBy);
      std::string bytes(kBlockHeaderSize + static_cast<std::size_t>(capacity) * blockSize, '\0');
      Put32(bytes, 0, kBlockMagic);
      Put32(bytes, 4, 0x20000);
      Put32(bytes, 8, static_cast<std::uint32_t>(number) | static_cast<std::uint32_t>(file.next < 0 ? 0 : file.next) << 16);
      Put32(bytes, 12, blockSize);
      Put32(bytes, 16, file.count);
      Put32(bytes, 20, capacity);
      // The free-block counters (empty[], hints[]) stay 0: no reader of
      // ours uses them.
      for (std::size_t i = 0; i < file.map.size(); ++i) Put32(bytes, 80 + 4 * i, file.map[i]);
      std::copy(file.blocks.begin(), file.blocks.end(), bytes.begin() + kBlockHeaderSize);
      sink("data_" + std::to_string(number), bytes);
    }
  }

 private:
  struct File {
    int type;
    std::uint32_t used, count;
    int next;
    std::string blocks;
    std::vector<std::uint32_t> map;
  };
  std::vector<File> files_;
};

// HttpResponseInfo::Persist's pickle with the fields and flags Chromium 156
// writes for a plain HTTP/1.1 response.
std::string PickledHead(const BenchResponse& response) {
  std::string headers = "HTTP/1.1 200 OK";
  headers += '\0';
  std::string lines = HeaderLines(response, "\n");
  std::replace(lines.begin(), lines.end(), '\n', '\0');
  headers += lines + '\0';
  std::string payload;
  Append32(payload, 0x80040003);  // version 3, connection info, extra flags
  Append32(payload, 6);           // extra: original response time
  for (int time = 0; time < 3; ++time) {
    std::uint64_t value = ChromiumTime(response.lastUsed) + static_cast<std::uint64_t>(time) * 1000;
    Append32(payload, static_cast<std::uint32_t>(value));
    Append32(payload, static_cast<std::uint32_t>(value >> 32));
  }
  auto appendString = [&](const std::string& text) {
    Append32(payload, static_cast<std::uint32_t>(text.size()));
    payload += text;
    payload.resize((payload.size() + 3) / 4 * 4, '\0');
  };
  appendString(headers);
  appendString("127.0.0.1");
  for (std::uint32_t field : {443u, 1u, 0xFFFFFFFFu, 0u}) Append32(payload, field);  // port, HTTP/1.1, …
  std::string pickle;
  Append32(pickle, static_cast<std::uint32_t>(payload.size()));
  return pickle + payload;
}

// ---- Firefox's cache2 (netwerk/cache2/CacheFileMetadata.*) ----

constexpr std::uint32_t kCache2Version = 4;
constexpr std::uint64_t kCache2Chunk = 256 * 1024;

std::string FirefoxEntryFile(const BenchResponse& response) {
  std::string file = BodyOf(response);
  std::string meta;
  for (std::uint64_t at = 0; at < file.size(); at += kCache2Chunk) {
    std::uint32_t hash = Cache2Hash(std::string_view(file).substr(at, kCache2Chunk)) & 0xFFFF;
    meta += static_cast<char>(hash >> 8);
    meta += static_cast<char>(hash);
  }
  std::string key = FirefoxKey(response);
  const std::uint32_t used = static_cast<std::uint32_t>(response.lastUsed);
  for (std::uint32_t field : {kCache2Version, 1u, used, used, 1'245'366'142u, used + 86'400u,
                              static_cast<std::uint32_t>(key.size()), 0u}) {
    AppendBigEndian32(meta, field);
  }
  meta += key + '\0';
  const std::string lines = HeaderLines(response, "\r\n");
  for (const std::string& element : {std::string("strongly-framed"), std::string("1"), std::string("request-method"),
                                     std::string("GET"), std::string("response-head"), "HTTP/1.1 200 OK\r\n" + lines,
                                     std::string("original-response-headers"), lines, std::string("ctid"),
                                     std::string("3"), std::string("net-response-time-onstart"), std::string("23"),
                                     std::string("net-response-time-onstop"), std::string("23")}) {
    meta += element + '\0';
  }
  const std::uint64_t dataSize = file.size();
  AppendBigEndian32(file, Cache2Hash(meta));
  file += meta;
  AppendBigEndian32(file, kCache2Version);
  AppendBigEndian32(file, static_cast<std::uint32_t>(dataSize));
  return file;
}

}  // namespace

std::vector<BenchResponse> GenerateResponses(const BrowserCacheShape& shape) {
  Random random(shape.seed);
  std::vector<BenchResponse> responses(static_cast<std::size_t>(shape.entries));
  for (std::size_t i = 0; i < responses.size(); ++i) {
    BenchResponse& response = responses[i];
    const Kind& kind = kKinds[random.Below(std::size(kKinds))];
    response.url = "https://cdn" + std::to_string(random.Below(40)) + ".bench.example/assets/" +
                   std::to_string(random.Below(300)) + "/file" + std::to_string(i) + "." + kind.ending;
    // Some addresses carry long queries: their keys take several blocks.
    std::uint32_t query = random.Below(100);
    if (query < 30) response.url += "?v=" + std::to_string(random.Next());
    if (query < 5) response.url += "&q=" + std::string(100 + random.Below(500), 'a' + static_cast<char>(i % 26));
    response.contentType = kind.contentType;
    // Mostly small, spread evenly over the scales from 64 bytes to 8 KB;
    // one in fifty is over 16 KB and gets a file of its own.
    std::uint64_t scale = std::uint64_t{64} << random.Below(7);
    response.size = random.Below(50) == 0 ? 16'385 + random.Below(48 * 1024) : scale + random.Below(static_cast<std::uint32_t>(scale));
    response.lastUsed = shape.newestUse - random.Below(30 * 86'400);
    response.bodySeed = random.Next();
  }
  return responses;
}

std::string BodyOf(const BenchResponse& response) {
  Random random(response.bodySeed);
  std::string body(static_cast<std::size_t>(response.size), '\0');
  for (std::size_t at = 0; at < body.size(); at += 4) {
    std::uint32_t word = random.Next();
    for (std::size_t i = 0; i < 4 && at + i < body.size(); ++i) body[at + i] = static_cast<char>(word >> (8 * i));
  }
  return body;
}

std::string ChromiumKey(const BenchResponse& response) { return "1/0/" + response.url; }

std::string FirefoxKey(const BenchResponse& response) {
  return "O^partitionKey=%28https%2Cbench.example%29,:" + response.url;
}

void WriteBlockFileCache(const std::vector<BenchResponse>& responses, const CacheFileSink& sink) {
  BlockFiles blocks;
  const std::uint32_t stats = blocks.Allocate(kBlock256, 512);
  struct Placed {
    std::uint32_t entry, rankings, head, body, next = 0;
    std::string key, head_bytes;
  };
  std::vector<Placed> placed(responses.size());
  std::vector<std::uint32_t> table(kTableLength), chainEnds(kTableLength);
  std::uint32_t externalFiles = 0;
  std::uint64_t storedBytes = 0;
  for (std::size_t i = 0; i < responses.size(); ++i) {
    const BenchResponse& response = responses[i];
    Placed& p = placed[i];
    p.key = ChromiumKey(response);
    p.head_bytes = PickledHead(response);
    p.rankings = blocks.Allocate(kRankings, 36);
    p.entry = blocks.Allocate(kBlock256, EntryBlocksFor(p.key.size()) * 256);
    p.head = blocks.Allocate(FileTypeFor(p.head_bytes.size()), p.head_bytes.size());
    std::memcpy(blocks.At(p.head), p.head_bytes.data(), p.head_bytes.size());
    const std::string body = BodyOf(response);
    if (FileTypeFor(body.size()) == kExternal) {
      p.body = 0x80000000u | ++externalFiles;
      char name[16];
      std::snprintf(name, sizeof name, "f_%06x", externalFiles);
      sink(name, body);
    } else {
      p.body = blocks.Allocate(FileTypeFor(body.size()), body.size());
      std::memcpy(blocks.At(p.body), body.data(), body.size());
    }
    storedBytes += body.size() + p.head_bytes.size();
    // A new entry goes at the end of its bucket's chain.
    std::uint32_t bucket = SuperFastHash(p.key) & (kTableLength - 1);
    if (table[bucket] == 0) {
      table[bucket] = p.entry;
    } else {
      placed[chainEnds[bucket]].next = p.entry;
    }
    chainEnds[bucket] = static_cast<std::uint32_t>(i);
  }

  for (std::size_t i = 0; i < responses.size(); ++i) {
    const Placed& p = placed[i];
    std::string entry(EntryBlocksFor(p.key.size()) * 256, '\0');
    Put32(entry, 0, SuperFastHash(p.key));
    Put32(entry, 4, p.next);
    Put32(entry, 8, p.rankings);
    Put64(entry, 24, ChromiumTime(responses[i].lastUsed));
    Put32(entry, 32, static_cast<std::uint32_t>(p.key.size()));
    Put32(entry, 40, static_cast<std::uint32_t>(p.head_bytes.size()));
    Put32(entry, 44, static_cast<std::uint32_t>(responses[i].size));
    Put32(entry, 56, p.head);
    Put32(entry, 60, p.body);
    Put32(entry, 92, SuperFastHash(std::string_view(entry).substr(0, 92)));
    entry.replace(96, p.key.size(), p.key);
    std::copy(entry.begin(), entry.end(), blocks.At(p.entry));
  }

  // The LRU list: the most recently used at the head; the head's prev and
  // the tail's next point at themselves.
  std::vector<std::size_t> byUse(responses.size());
  std::iota(byUse.begin(), byUse.end(), std::size_t{0});
  std::stable_sort(byUse.begin(), byUse.end(),
                   [&](std::size_t a, std::size_t b) { return responses[a].lastUsed > responses[b].lastUsed; });
  for (std::size_t k = 0; k < byUse.size(); ++k) {
    const Placed& p = placed[byUse[k]];
    std::string node(36, '\0');
    Put64(node, 0, ChromiumTime(responses[byUse[k]].lastUsed));
    Put64(node, 8, ChromiumTime(responses[byUse[k]].lastUsed));
    Put32(node, 16, placed[byUse[std::min(k + 1, byUse.size() - 1)]].rankings);
    Put32(node, 20, placed[byUse[k == 0 ? 0 : k - 1]].rankings);
    Put32(node, 24, p.entry);
    Put32(node, 32, SuperFastHash(std::string_view(node).substr(0, 32)));
    std::copy(node.begin(), node.end(), blocks.At(p.rankings));
  }

  std::string index(kIndexHeaderSize + 4 * std::size_t{kTableLength}, '\0');
  Put32(index, 0, kIndexMagic);
  Put32(index, 4, 0x30000);
  Put32(index, 8, static_cast<std::uint32_t>(responses.size()));
  Put32(index, 16, externalFiles);  // last_file
  Put32(index, 20, 1);              // this_id
  Put32(index, 24, stats);
  Put32(index, 28, kTableLength);
  Put64(index, 40, ChromiumTime(responses.empty() ? 0 : responses[byUse.back()].lastUsed));
  Put64(index, 48, storedBytes);
  Put32(index, 268, static_cast<std::uint32_t>(responses.size()));  // lru.sizes[0]
  if (!responses.empty()) {
    Put32(index, 288, placed[byUse.front()].rankings);  // lru.heads[0]
    Put32(index, 308, placed[byUse.back()].rankings);   // lru.tails[0]
  }
  for (std::uint32_t bucket = 0; bucket < kTableLength; ++bucket) Put32(index, kIndexHeaderSize + 4 * bucket, table[bucket]);
  sink("index", index);
  blocks.Write(sink);
}

void WriteFirefoxCache(const std::vector<BenchResponse>& responses, const CacheFileSink& sink) {
  for (const BenchResponse& response : responses) sink("entries/" + Sha1Hex(FirefoxKey(response)), FirefoxEntryFile(response));
}

std::uint32_t SuperFastHash(std::string_view data) {
  if (data.empty()) return 0;
  auto pair = [](const char* p) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8);
  };
  // The tail's single bytes count as signed chars.
  auto signedByte = [](char c) { return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c))); };
  std::uint32_t hash = static_cast<std::uint32_t>(data.size());
  const char* p = data.data();
  for (std::size_t n = data.size() / 4; n > 0; --n, p += 4) {
    hash += pair(p);
    std::uint32_t mixed = (pair(p + 2) << 11) ^ hash;
    hash = (hash << 16) ^ mixed;
    hash += hash >> 11;
  }
  switch (data.size() & 3) {
    case 3: hash += pair(p), hash ^= hash << 16, hash ^= signedByte(p[2]) << 18, hash += hash >> 11; break;
    case 2: hash += pair(p), hash ^= hash << 11, hash += hash >> 17; break;
    case 1: hash += signedByte(p[0]), hash ^= hash << 10, hash += hash >> 1; break;
  }
  hash ^= hash << 3, hash += hash >> 5, hash ^= hash << 4, hash += hash >> 17, hash ^= hash << 25, hash += hash >> 6;
  return hash;
}

std::string Sha1Hex(std::string_view data) {
  std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::string message(data);
  message += '\x80';
  message.resize((message.size() + 8 + 63) / 64 * 64, '\0');
  const std::uint64_t bits = std::uint64_t{data.size()} * 8;
  for (int i = 0; i < 8; ++i) message[message.size() - 1 - i] = static_cast<char>(bits >> (8 * i));
  auto rotate = [](std::uint32_t x, int n) { return x << n | x >> (32 - n); };
  for (std::size_t block = 0; block < message.size(); block += 64) {
    std::uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      const auto* b = reinterpret_cast<const unsigned char*>(message.data() + block + 4 * i);
      w[i] = std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
    }
    for (int i = 16; i < 80; ++i) w[i] = rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      std::uint32_t f = i < 20 ? (b & c) | (~b & d) : i < 40 || i >= 60 ? b ^ c ^ d : (b & c) | (b & d) | (c & d);
      std::uint32_t k = i < 20 ? 0x5A827999 : i < 40 ? 0x6ED9EBA1 : i < 60 ? 0x8F1BBCDC : 0xCA62C1D6;
      std::uint32_t t = rotate(a, 5) + f + e + k + w[i];
      e = d, d = c, c = rotate(b, 30), b = a, a = t;
    }
    h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
  }
  char hex[41];
  for (int i = 0; i < 5; ++i) std::snprintf(hex + 8 * i, 9, "%08X", h[i]);
  return std::string(hex, 40);
}

}  // namespace morlind::bench
