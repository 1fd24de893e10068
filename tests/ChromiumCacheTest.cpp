// Chromium's two cache formats, read from caches the real browser wrote
// (scripts/make-chromium-caches.sh), then from damaged copies of them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "caches/ChromiumBlockFile.h"
#include "caches/ChromiumShared.h"
#include "caches/ChromiumSimple.h"
#include "platform/PosixPlatform.h"
#include "tests/FakePlatform.h"

namespace morlind {
namespace {

namespace fs = std::filesystem;
const fs::path kData = MORLIND_TEST_DATA "/caches";
const std::string kOrigin = "http://127.0.0.1:8731";
const ChromiumBlockFileCache kBlockFile;
const ChromiumSimpleCache kSimple;

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Served {
  std::string path, type, encoding, body;
};

std::vector<Served> ServedFiles() {
  std::vector<Served> served;
  std::istringstream manifest(FileText(kData / "served" / "manifest.tsv"));
  std::string line;
  std::getline(manifest, line);
  while (std::getline(manifest, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    std::string type = fields[2].substr(0, fields[2].find(';'));
    served.push_back({fields[1], type, fields[3], FileText(kData / "served" / (fields[0] + ".body"))});
  }
  return served;
}

std::string BodyOf(Platform& platform, const CacheEntry& entry, BodyStatus& status) {
  std::string body;
  status = entry.body->Read(platform, [&](std::string_view piece) {
    body += piece;
    return true;
  });
  return body;
}

std::string Gunzip(const std::string& gzipped) {
  z_stream stream{};
  inflateInit2(&stream, 16 + MAX_WBITS);
  std::string out(1 << 16, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gzipped.data()));
  stream.avail_in = static_cast<uInt>(gzipped.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int result = inflate(&stream, Z_FINISH);
  out.resize(result == Z_STREAM_END ? stream.total_out : 0);
  inflateEnd(&stream);
  return out;
}

// What the loopback server sends for the bodies it encodes with tools
// whose output this test does not decode (brotli 1.0.9, zstd 1.5.4).
const std::map<std::string, std::uint64_t> kEncodedSizes = {{"/data/list.json", 131}, {"/data/more.json", 200}};

struct Format {
  const char* name;
  const CacheFormat& format;
  const CacheFormat& other;
};

class RealCache : public testing::TestWithParam<Format> {};

TEST_P(RealCache, ListsEveryServedFileOnceWithItsBodyTypeAndLastUse) {
  PosixPlatform platform;
  std::string folder = (kData / ("chromium-" + std::string(GetParam().name))).string();
  EXPECT_TRUE(GetParam().format.Recognises(platform, folder));
  EXPECT_FALSE(GetParam().other.Recognises(platform, folder));
  CacheListing listing = GetParam().format.Read(platform, folder, nullptr);
  EXPECT_TRUE(listing.whole);
  std::vector<Served> served = ServedFiles();
  ASSERT_EQ(listing.entries.size(), served.size() + 1);  // and the page
  for (const Served& file : served) {
    SCOPED_TRACE(file.path);
    auto found = std::find_if(listing.entries.begin(), listing.entries.end(),
                              [&](const CacheEntry& entry) { return entry.address == kOrigin + file.path; });
    ASSERT_NE(found, listing.entries.end());
    EXPECT_EQ(found->contentType, file.type);
    EXPECT_EQ(found->contentEncoding, file.encoding);
    EXPECT_TRUE(found->complete);
    EXPECT_GT(found->lastUsed, 1'764'547'200);  // 2025-12-01, before the caches were made
    EXPECT_LT(found->lastUsed, platform.Now() + 86'400);
    BodyStatus status{};
    std::string body = BodyOf(platform, *found, status);
    EXPECT_EQ(status, BodyStatus::kWhole);
    EXPECT_EQ(body.size(), found->storedSize);
    if (file.encoding.empty()) {
      EXPECT_EQ(body, file.body);
    } else if (file.encoding == "gzip") {
      EXPECT_EQ(Gunzip(body), file.body);
    } else {
      EXPECT_EQ(found->storedSize, kEncodedSizes.at(file.path));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Chromium, RealCache,
                         testing::Values(Format{"blockfile", kBlockFile, kSimple}, Format{"simple", kSimple, kBlockFile}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChromiumKey, GivesTheUrlAfterEveryPrefix) {
  const std::pair<const char*, const char*> cases[] = {
      {"1/0/https://a.com/x.png", "https://a.com/x.png"},
      {"0/42/https://a.com/", "https://a.com/"},
      {"1/0/_dk_https://a.com https://a.com https://c.com/y?q=1", "https://c.com/y?q=1"},
      {"1/0/_dk_s_https://a.com https://b.com https://c.com/", "https://c.com/"},
      {"1/0/_dk_cn_https://a.com https://a.com https://c.com/", "https://c.com/"},
      {"7/https://old.com/a.js", "https://old.com/a.js"},  // before the credential part
      {"https://older.com/b.css", "https://older.com/b.css"},
      {"1/0/_dk_nospace", ""},
      {"", ""},
  };
  for (const auto& [key, url] : cases) EXPECT_EQ(chromium::AddressFromKey(key), url) << key;
}

std::string Pickle(std::uint32_t flags, const std::string& headers, bool extra = true) {
  std::string payload;
  auto put32 = [&](std::uint32_t v) { payload.append(reinterpret_cast<const char*>(&v), 4); };
  put32(flags | (extra ? 1u << 31 : 0));
  if (extra) put32(4);  // an original response time follows
  for (int i = 0; i < (extra ? 6 : 4); ++i) put32(0);
  put32(static_cast<std::uint32_t>(headers.size()));
  payload += headers;
  payload.resize((payload.size() + 3) & ~std::size_t{3});
  std::uint32_t size = static_cast<std::uint32_t>(payload.size());
  return std::string(reinterpret_cast<const char*>(&size), 4) + payload;
}

TEST(ChromiumHead, TellsWhetherTheStoredBodyIsWhole) {
  using namespace std::string_literals;
  const struct {
    std::string pickle;
    std::uint64_t stored;
    bool parsed, whole;
  } cases[] = {
      {Pickle(3, "HTTP/1.1 200 OK\0Content-Length: 10\0\0"s), 10, true, true},
      {Pickle(3, "HTTP/1.1 200 OK\0Content-Length: 10\0\0"s, false), 10, true, true},
      {Pickle(3, "HTTP/1.1 200 OK\0Content-Length: 10\0\0"s), 9, true, false},
      {Pickle(3, "HTTP/1.1 200 OK\0\0"s), 9, true, true},
      {Pickle(3, "HTTP/1.1 206 Partial\0\0"s), 9, true, false},
      {Pickle(3 | 1u << 12, "HTTP/1.1 200 OK\0\0"s), 9, true, false},  // truncated
      {Pickle(4, "HTTP/1.1 200 OK\0\0"s), 9, false, false},             // unknown version
      {Pickle(3, "no status\0\0"s), 9, false, false},
      {Pickle(3, "HTTP/1.1 200 OK\0\0"s).substr(0, 20), 9, false, false},
      {Pickle(3, "HTTP/1.1 200 OK\0\0"s).replace(0, 1, 1, '\x3a'), 9, false, false},  // payload 2 bytes past the end
  };
  for (const auto& test : cases) {
    std::optional<chromium::StoredResponse> response = chromium::ParseResponseInfo(test.pickle);
    ASSERT_EQ(response.has_value(), test.parsed);
    if (response) {
      EXPECT_EQ(chromium::BodyIsWhole(*response, test.stored), test.whole);
    }
  }
}

TEST(ResponseHeadLines, NamesMatchWhateverTheirCaseAndSpacingAndOnlyTheFirstLineIsTheStatus) {
  using namespace std::string_literals;
  const ResponseHead head = ParseResponseHead("HTTP/1.1 200 OK\0HTTP/1.1 206 Partial\0content-TYPE\t : Text/CSS; x=1\0"s
                                              "Content-Encoding:  GZIP \r\nContent-Length\t:12\n\0"s);
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.contentType, "text/css");
  EXPECT_EQ(head.contentEncoding, "gzip");
  EXPECT_EQ(head.contentLength, "12");
  EXPECT_EQ(ParseResponseHead("Server: x\0HTTP/1.1 200 OK\0"s).status, 0);
}

TEST(ChromiumBody, ReadsLongPiecesInOrderAndStopsWhenAsked) {
  PosixPlatform clock;
  FakePlatform platform(clock);
  std::string content(300'000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 / 5);
  platform.AddFile("C:\\f", 0, content);
  chromium::PiecesBody body({{"C:\\f", 200'000, 100'000}, {"C:\\f", 10, 150'000}}, true);
  CacheEntry entry;
  entry.body = std::make_shared<chromium::PiecesBody>(body);
  BodyStatus status{};
  EXPECT_EQ(BodyOf(platform, entry, status),
            content.substr(200'000) + content.substr(10, 150'000));
  EXPECT_EQ(status, BodyStatus::kWhole);
  int pieces = 0;
  EXPECT_EQ(body.Read(platform, [&](std::string_view) { return ++pieces < 2; }), BodyStatus::kStopped);
  std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading("C:\\f", nullptr);
  EXPECT_FALSE(chromium::ReadExact(*file, 10, std::uint64_t{1} << 40));  // never allocated
  EXPECT_FALSE(chromium::PiecesBody({{"C:\\f", 299'999, 2}}, true).Read(platform, [](std::string_view) { return true; }) ==
               BodyStatus::kWhole);
}

// A cache folder's files in memory, damaged by a test.
using Files = std::map<std::string, std::string>;

Files LoadCache(const std::string& kind) {
  Files files;
  fs::path root = kData / ("chromium-" + kind);
  for (const auto& file : fs::recursive_directory_iterator(root)) {
    if (file.is_regular_file()) files[fs::relative(file.path(), root).generic_string()] = FileText(file.path());
  }
  return files;
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<char>(value >> (8 * i));
}

// The index slot and block offset in data_1 of the block-file entry whose
// key ends in suffix.
std::pair<std::size_t, std::size_t> BlockEntry(const Files& files, const std::string& suffix) {
  const std::string& index = files.at("index");
  for (std::size_t slot = 368; slot + 4 <= index.size(); slot += 4) {
    std::uint32_t addr = chromium::LoadU32(&index[slot]);
    if (addr == 0) continue;
    std::size_t at = 8192 + (addr & 0xFFFF) * 256;
    std::string key = files.at("data_1").substr(at + 96, chromium::LoadU32(&files.at("data_1")[at + 32]));
    if (key.ends_with(suffix)) return {slot, at};
  }
  ADD_FAILURE() << suffix;
  return {0, 0};
}

struct Damage {
  const char* name;
  const char* kind;
  std::function<void(Files&)> damage;
  std::size_t entries;  // what still comes out of the 13
};

// Lays files out in platform's C:\cache ("<locked>" for one held open
// without sharing) and reads them as kind.
CacheListing ReadCopy(FakePlatform& platform, const std::string& kind, const Files& files,
                      const std::atomic<bool>* stop = nullptr) {
  for (const auto& [name, content] : files) {
    std::string path = "C:\\cache\\" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    platform.AddFile(path, 133'000'000'000'000'000, content);  // 2022-06-18 04:26:40 UTC
    if (content == "<locked>") platform.LockFile(path);
  }
  const CacheFormat& format = kind == "simple" ? static_cast<const CacheFormat&>(kSimple) : kBlockFile;
  return format.Read(platform, "C:\\cache", stop);
}

// Every body read to its end, as far as the cache holds it.
void ReadEveryBody(Platform& platform, const CacheListing& listing) {
  for (const CacheEntry& entry : listing.entries) {
    BodyStatus status{};
    std::string body = BodyOf(platform, entry, status);
    EXPECT_EQ(body.size(), status == BodyStatus::kWhole ? entry.storedSize : body.size()) << entry.address;
    EXPECT_LE(body.size(), entry.storedSize) << entry.address;
  }
}

class DamagedCache : public testing::TestWithParam<Damage> {};

TEST_P(DamagedCache, ListsWhatIsReadableAndSaysItIsNotWhole) {
  PosixPlatform clock;
  FakePlatform platform(clock);
  Files files = LoadCache(GetParam().kind);
  GetParam().damage(files);
  CacheListing listing = ReadCopy(platform, GetParam().kind, files);
  EXPECT_FALSE(listing.whole);
  EXPECT_EQ(listing.entries.size(), GetParam().entries);
  ReadEveryBody(platform, listing);
}

const Damage kDamages[] = {
    {"BlockIndexMagic", "blockfile", [](Files& f) { f["index"][0] = 'x'; }, 0},
    {"BlockIndexVersion", "blockfile", [](Files& f) { Put32(f["index"], 4, 0x40000); }, 0},
    {"BlockIndexCutInHeader", "blockfile", [](Files& f) { f["index"].resize(300); }, 0},
    {"BlockIndexCutInTable", "blockfile", [](Files& f) { f["index"].resize(368 + 4 * 200'000); }, 4},
    {"BlockFileMagic", "blockfile", [](Files& f) { f["data_1"][0] = 'x'; }, 0},
    {"BlockFileCut", "blockfile", [](Files& f) { f["data_1"].resize(8192 + 20 * 256); }, 3},
    {"BlockFileMissing", "blockfile", [](Files& f) { f.erase("data_1"); }, 0},
    {"RankingsMissing", "blockfile", [](Files& f) { f.erase("data_0"); }, 13},
    {"ExternalFileCut", "blockfile", [](Files& f) { f["f_000001"].resize(39'999); }, 12},
    {"ChainLoop", "blockfile",
     [](Files& f) {
       auto [slot, at] = BlockEntry(f, "/img/big.jpg");
       Put32(f["data_1"], at + 4, chromium::LoadU32(&f["index"][slot]));
     }, 13},
    {"EntryPastFileEnd", "blockfile",
     [](Files& f) { Put32(f["index"], BlockEntry(f, "/img/big.jpg").first, 0xA001FFF0); }, 12},
    {"BodyBlocksPastFileEnd", "blockfile",
     [](Files& f) { Put32(f["data_1"], BlockEntry(f, "/img/photo.jpg").second + 60, 0xA3010FFF); }, 12},
    {"BodyLargerThanItsBlocks", "blockfile",
     [](Files& f) { Put32(f["data_1"], BlockEntry(f, "/img/photo.jpg").second + 44, 1025); }, 12},
    {"KeyLongerThanItsBlock", "blockfile",
     [](Files& f) { Put32(f["data_1"], BlockEntry(f, "/a/logo.png").second + 32, 160); }, 12},
    {"LongKeyWithoutItsBlock", "blockfile",
     [](Files& f) { Put32(f["data_1"], BlockEntry(f, "/a/logo.png").second + 32, 2000); }, 12},
    {"HeadSizeHuge", "blockfile",
     [](Files& f) { Put32(f["data_1"], BlockEntry(f, "/a/logo.png").second + 40, 0x7FFFFFFF); }, 12},
    {"BodySizeNegative", "blockfile",
     [](Files& f) { Put32(f["data_1"], BlockEntry(f, "/a/logo.png").second + 44, 0xFFFFFFFF); }, 12},
    {"SimpleHeaderMagic", "simple", [](Files& f) { f["089b05afba7c0f97_0"][0] = 'x'; }, 12},
    {"SimpleVersion", "simple", [](Files& f) { Put32(f["089b05afba7c0f97_0"], 8, 4); }, 12},
    {"SimpleCutInHalf", "simple", [](Files& f) { f["316996e896dae63b_0"].resize(20'000); }, 12},
    {"SimpleCutToNothing", "simple", [](Files& f) { f["316996e896dae63b_0"].clear(); }, 12},
    {"SimpleKeyLongerThanFile", "simple", [](Files& f) { Put32(f["089b05afba7c0f97_0"], 12, 5000); }, 12},
    {"SimpleHeadLongerThanFile", "simple",
     [](Files& f) {
       std::string& e = f["089b05afba7c0f97_0"];
       Put32(e, e.size() - 8, 0x10000);
     }, 12},
    {"SimpleStreamOneEofMagic", "simple",
     [](Files& f) {
       std::string& e = f["089b05afba7c0f97_0"];
       e[24 + 39 + 900] ^= 1;
     }, 12},
    {"SimpleEntryLocked", "simple", [](Files& f) { f["089b05afba7c0f97_0"] = "<locked>"; }, 12},
    {"SimpleIndexMagic", "simple", [](Files& f) { f["index-dir/the-real-index"][8] ^= 1; }, 13},
    {"SimpleIndexCountHuge", "simple", [](Files& f) { Put32(f["index-dir/the-real-index"], 20, 100); }, 13},
    {"SimpleKeyWithoutUrl", "simple", [](Files& f) { f["089b05afba7c0f97_0"].replace(24, 39, "1/0/_dk_" + std::string(31, 'x')); }, 12},
    {"SimpleSparseDamaged", "simple", [](Files& f) { f["089b05afba7c0f97_s"] = "short"; }, 12},
};

INSTANTIATE_TEST_SUITE_P(Chromium, DamagedCache, testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// Bytes flipped and files cut anywhere: whatever comes out, nothing is
// read outside a file (the sanitizer build checks) and nothing hangs.
TEST(ChromiumDamage, RandomFlipsAndCutsNeverReadOutsideAFile) {
  PosixPlatform clock;
  std::uint32_t seed = 12345;
  auto random = [&](std::size_t below) {
    seed = seed * 1103515245 + 12345;
    return below == 0 ? 0 : (seed >> 8) % below;
  };
  for (std::string kind : {"blockfile", "simple"}) {
    const Files whole = LoadCache(kind);
    for (int round = 0; round < 60; ++round) {
      Files files = whole;
      auto file = std::next(files.begin(), static_cast<long>(random(files.size())));
      // The index's table is mostly empty: aim at its used part and the entries.
      std::size_t span = std::min<std::size_t>(file->second.size(), file->first == "index" ? 4096 : 1 << 16);
      if (round % 5 == 0) {
        file->second.resize(random(file->second.size()));
      } else {
        for (int flips = 0; flips < 4 && span > 0; ++flips) file->second[random(span)] ^= static_cast<char>(1 + random(255));
      }
      FakePlatform platform(clock);
      CacheListing listing = ReadCopy(platform, kind, files);
      EXPECT_LE(listing.entries.size(), 13u) << kind << " round " << round;
      ReadEveryBody(platform, listing);
    }
  }
}

TEST(ChromiumSimple, ReadsABodyHeldInRangesAndFallsBackToFileTimes) {
  PosixPlatform clock;
  Files files = LoadCache("simple");
  files.erase("index-dir/the-real-index");
  // The photo's 900 bytes as two ranges, the later written first, its
  // stream 1 emptied as the browser leaves it for ranges.
  const std::string photo = FileText(kData / "served" / "00.body");
  const std::string key = "1/0/" + kOrigin + "/img/photo.jpg";
  std::string& entry = files["089b05afba7c0f97_0"];
  entry.erase(24 + key.size(), 900);
  auto sparseFile = [&](std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges) {
    std::string sparse(24, '\0');
    Put32(sparse, 0, 0xa7725c30), Put32(sparse, 4, 0xfcfb6d1b), Put32(sparse, 8, 9);
    Put32(sparse, 12, static_cast<std::uint32_t>(key.size()));
    sparse += key;
    for (auto [offset, length] : ranges) {
      std::string header(32, '\0');
      Put32(header, 0, 0x6553676b), Put32(header, 4, 0xeb97bf01);
      Put32(header, 8, static_cast<std::uint32_t>(offset)), Put32(header, 16, static_cast<std::uint32_t>(length));
      sparse += header + (photo + std::string(100, 'z')).substr(offset, length);
    }
    return sparse;
  };
  for (bool gap : {false, true}) {
    files["089b05afba7c0f97_s"] = gap ? sparseFile({{500, 400}, {0, 400}, {900, 100}}) : sparseFile({{500, 400}, {0, 500}});
    FakePlatform platform(clock);
    CacheListing listing = ReadCopy(platform, "simple", files);
    EXPECT_TRUE(listing.whole);
    ASSERT_EQ(listing.entries.size(), 13u);
    for (const CacheEntry& row : listing.entries) EXPECT_EQ(row.lastUsed, 1'655'526'400);
    auto found = std::find_if(listing.entries.begin(), listing.entries.end(),
                              [&](const CacheEntry& row) { return row.address == kOrigin + "/img/photo.jpg"; });
    ASSERT_NE(found, listing.entries.end());
    EXPECT_EQ(found->complete, !gap);
    EXPECT_EQ(found->storedSize, 900u);  // held in all, past a gap too
    BodyStatus status{};
    EXPECT_EQ(BodyOf(platform, *found, status), photo.substr(0, gap ? 400 : 900));
    EXPECT_EQ(status, gap ? BodyStatus::kPartial : BodyStatus::kWhole);
  }
}

// The photo's entry made a sparse parent whose first child holds its body
// in the blocks the photo had, the last (or only) 1 KB block written in part.
TEST(ChromiumBlockFile, ReadsABodyHeldByASparseEntrysChild) {
  PosixPlatform clock;
  const std::string photo = FileText(kData / "served" / "00.body");
  const std::string key = "1/0/" + kOrigin + "/img/photo.jpg";
  for (std::uint32_t held : {900u, 500u}) {
    Files files = LoadCache("blockfile");
    std::string& blocks = files["data_1"];
    auto [slot, parent] = BlockEntry(files, "/img/photo.jpg");
    std::uint32_t body = chromium::LoadU32(&blocks[parent + 60]), next = static_cast<std::uint32_t>(blocks.size() - 8192) / 256;
    auto control = [&](std::string map) {  // a SparseHeader then map, in a new block
      std::string block(256, '\0');
      Put32(block, 0, 0x5eed), Put32(block, 8, 0xC103CAC3), Put32(block, 16, 0), Put32(block, 20, held);
      blocks += block.replace(64, map.size(), map);
      return 0xA0010000 | next++;
    };
    Put32(blocks, parent + 72, 1);  // PARENT_ENTRY, its stream 1 moved to the child
    Put32(blocks, parent + 44, 0), Put32(blocks, parent + 48, 68), Put32(blocks, parent + 64, control("\x03"));
    for (int id : {0, 1}) {  // the second child, at 1 MB, follows no gapless start
      std::string child(256, '\0');
      std::string childKey = "Range_" + key + ":5eed:" + std::to_string(id);
      Put32(child, 32, static_cast<std::uint32_t>(childKey.size())), Put32(child, 72, 2);  // CHILD_ENTRY
      Put32(child, 44, 900), Put32(child, 60, body), Put32(child, 48, 192), Put32(child, 64, control(std::string(128, '\0')));
      Put32(files["index"], 368 + 4 * id, 0xA0010000 | next++);
      blocks += child.replace(96, childKey.size(), childKey);
    }
    FakePlatform platform(clock);
    CacheListing listing = ReadCopy(platform, "blockfile", files);
    auto found = std::find_if(listing.entries.begin(), listing.entries.end(),
                              [&](const CacheEntry& row) { return row.address == kOrigin + "/img/photo.jpg"; });
    ASSERT_NE(found, listing.entries.end());
    EXPECT_TRUE(listing.whole);
    EXPECT_EQ(listing.entries.size(), 13u);
    EXPECT_EQ(found->storedSize, 2 * held);
    EXPECT_EQ(found->complete, held == 900);
    BodyStatus status{};
    EXPECT_EQ(BodyOf(platform, *found, status), photo.substr(0, held));
    EXPECT_EQ(status, held == 900 ? BodyStatus::kWhole : BodyStatus::kPartial);
  }
}

TEST(ChromiumBlockFile, ALockedIndexIsRecognisedAndNamedAsNotWhole) {
  PosixPlatform clock;
  FakePlatform platform(clock);
  Files files = LoadCache("blockfile");
  files["index"] = "<locked>";
  EXPECT_FALSE(ReadCopy(platform, "blockfile", files).whole);
  EXPECT_TRUE(kBlockFile.Recognises(platform, "C:\\cache"));
  EXPECT_FALSE(kSimple.Recognises(platform, "C:\\cache"));
}

TEST(ChromiumCaches, StopWhenAsked) {
  PosixPlatform clock;
  std::atomic<bool> stop = true;
  for (std::string kind : {"blockfile", "simple"}) {
    FakePlatform platform(clock);
    EXPECT_TRUE(ReadCopy(platform, kind, LoadCache(kind), &stop).entries.empty()) << kind;
  }
}

}  // namespace
}  // namespace morlind
