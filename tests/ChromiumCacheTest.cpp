// Chromium's two cache formats, read from caches the real browser wrote
// (scripts/make-chromium-caches.sh), then from damaged copies of them.
#include <gtest/gtest.h>

#include <functional>

#include "caches/ChromiumBlockFile.h"
#include "caches/ChromiumShared.h"
#include "caches/ChromiumSimple.h"
#include "tests/CacheTestData.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::Files;
const std::string kOrigin = "http://127.0.0.1:8731";
const ChromiumBlockFileCache kBlockFile;
const ChromiumSimpleCache kSimple;
const CacheFormat& FormatOf(const std::string& kind) {
  return kind == "simple" ? static_cast<const CacheFormat&>(kSimple) : kBlockFile;
}

TEST(ChromiumCaches, ListEveryServedFileOfTheRealBrowsersCachesUnlessStopped) {
  Platform& host = test::HostPlatform();
  for (std::string kind : {"blockfile", "simple"}) {
    SCOPED_TRACE(kind);
    std::string folder = test::DataPath("caches/chromium-" + kind);
    EXPECT_TRUE(FormatOf(kind).Recognises(host, folder));
    EXPECT_FALSE(FormatOf(kind == "simple" ? "blockfile" : "simple").Recognises(host, folder));
    CacheListing listing = FormatOf(kind).Read(host, folder, nullptr);
    EXPECT_TRUE(listing.whole);
    test::ExpectServedFiles(host, listing);
    std::atomic<bool> stop = true;
    EXPECT_TRUE(FormatOf(kind).Read(host, folder, &stop).entries.empty());
  }
}

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
  FakePlatform fake(test::HostPlatform());
  std::string content(300'000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 / 5);
  fake.AddFile("C:\\f", 0, content);
  chromium::PiecesBody body({{"C:\\f", 200'000, 100'000}, {"C:\\f", 10, 150'000}}, true);
  EXPECT_EQ(test::ReadBody(fake, body).bytes, content.substr(200'000) + content.substr(10, 150'000));
  EXPECT_EQ(test::ReadBody(fake, body).status, BodyStatus::kWhole);
  int pieces = 0;
  EXPECT_EQ(body.Read(fake, [&](std::string_view) { return ++pieces < 2; }), BodyStatus::kStopped);
  // A size past the file is refused, never allocated.
  EXPECT_FALSE(chromium::ReadExact(*fake.OpenForReading("C:\\f", nullptr), 10, std::uint64_t{1} << 40));
  EXPECT_EQ(test::ReadBody(fake, chromium::PiecesBody({{"C:\\f", 299'999, 2}}, true)).status, BodyStatus::kUnreadable);
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
std::size_t At(const Files& files, const std::string& suffix) { return BlockEntry(files, suffix).second; }

// Reads files as a cache of kind laid out in fake's C:\cache.
CacheListing ReadCopy(FakePlatform& fake, const std::string& kind, const Files& files,
                      const std::atomic<bool>* stop = nullptr) {
  test::LayOut(fake, "C:\\cache", files);
  return FormatOf(kind).Read(fake, "C:\\cache", stop);
}

// Every body read to its end, as far as the cache holds it.
void ReadEveryBody(Platform& platform, const CacheListing& listing) {
  for (const CacheEntry& entry : listing.entries) {
    test::Body body = test::ReadBody(platform, entry);
    bool whole = body.status == BodyStatus::kWhole;
    EXPECT_TRUE(whole ? body.bytes.size() == entry.storedSize : body.bytes.size() <= entry.storedSize) << entry.address;
  }
}

struct Damage {
  const char* name;
  const char* kind;
  std::function<void(Files&)> damage;
  std::size_t entries;  // what still comes out of the 13
  bool recognised = true;
};

class DamagedCache : public testing::TestWithParam<Damage> {};

TEST_P(DamagedCache, ListsWhatIsReadableAndSaysItIsNotWhole) {
  FakePlatform fake(test::HostPlatform());
  Files files = test::DataFolder("caches/chromium-" + std::string(GetParam().kind));
  GetParam().damage(files);
  CacheListing listing = ReadCopy(fake, GetParam().kind, files);
  EXPECT_EQ(FormatOf(GetParam().kind).Recognises(fake, "C:\\cache"), GetParam().recognised);
  EXPECT_FALSE(listing.whole);
  EXPECT_EQ(listing.entries.size(), GetParam().entries);
  ReadEveryBody(fake, listing);
}

const std::string kSimpleEntry = "089b05afba7c0f97_0";  // the photo's
const Damage kDamages[] = {
    {"BlockIndexMagic", "blockfile", [](Files& f) { f["index"][0] = 'x'; }, 0, false},
    {"BlockIndexVersion", "blockfile", [](Files& f) { Put32(f["index"], 4, 0x40000); }, 0},
    {"BlockIndexCutInHeader", "blockfile", [](Files& f) { f["index"].resize(300); }, 0},
    {"BlockIndexCutInTable", "blockfile", [](Files& f) { f["index"].resize(368 + 4 * 200'000); }, 4},
    {"BlockIndexLocked", "blockfile", [](Files& f) { f["index"] = "<locked>"; }, 0},  // still known by its files
    {"BlockFileMagic", "blockfile", [](Files& f) { f["data_1"][0] = 'x'; }, 0},
    {"BlockFileCut", "blockfile", [](Files& f) { f["data_1"].resize(8192 + 20 * 256); }, 3},
    {"BlockFileMissing", "blockfile", [](Files& f) { f.erase("data_1"); }, 0},
    {"RankingsMissing", "blockfile", [](Files& f) { f.erase("data_0"); }, 13},
    {"ExternalFileCut", "blockfile", [](Files& f) { f["f_000001"].resize(39'999); }, 12},
    {"ChainLoop", "blockfile", [](Files& f) {
       auto [slot, at] = BlockEntry(f, "/img/big.jpg");
       Put32(f["data_1"], at + 4, chromium::LoadU32(&f["index"][slot]));
     }, 13},
    {"EntryPastFileEnd", "blockfile",
     [](Files& f) { Put32(f["index"], BlockEntry(f, "/img/big.jpg").first, 0xA001FFF0); }, 12},
    {"BodyBlocksPastFileEnd", "blockfile", [](Files& f) { Put32(f["data_1"], At(f, "/img/photo.jpg") + 60, 0xA3010FFF); }, 12},
    {"BodyLargerThanItsBlocks", "blockfile", [](Files& f) { Put32(f["data_1"], At(f, "/img/photo.jpg") + 44, 1025); }, 12},
    {"KeyLongerThanItsBlock", "blockfile", [](Files& f) { Put32(f["data_1"], At(f, "/a/logo.png") + 32, 160); }, 12},
    {"LongKeyWithoutItsBlock", "blockfile", [](Files& f) { Put32(f["data_1"], At(f, "/a/logo.png") + 32, 2000); }, 12},
    {"HeadSizeHuge", "blockfile", [](Files& f) { Put32(f["data_1"], At(f, "/a/logo.png") + 40, 0x7FFFFFFF); }, 12},
    {"BodySizeNegative", "blockfile", [](Files& f) { Put32(f["data_1"], At(f, "/a/logo.png") + 44, 0xFFFFFFFF); }, 12},
    {"SimpleHeaderMagic", "simple", [](Files& f) { f[kSimpleEntry][0] = 'x'; }, 12},
    {"SimpleVersion", "simple", [](Files& f) { Put32(f[kSimpleEntry], 8, 4); }, 12},
    {"SimpleCutInHalf", "simple", [](Files& f) { f["316996e896dae63b_0"].resize(20'000); }, 12},
    {"SimpleCutToNothing", "simple", [](Files& f) { f["316996e896dae63b_0"].clear(); }, 12},
    {"SimpleKeyLongerThanFile", "simple", [](Files& f) { Put32(f[kSimpleEntry], 12, 5000); }, 12},
    {"SimpleHeadLongerThanFile", "simple",
     [](Files& f) { Put32(f[kSimpleEntry], f[kSimpleEntry].size() - 8, 0x10000); }, 12},
    {"SimpleStreamOneEofMagic", "simple", [](Files& f) { f[kSimpleEntry][24 + 39 + 900] ^= 1; }, 12},
    {"SimpleEntryLocked", "simple", [](Files& f) { f[kSimpleEntry] = "<locked>"; }, 12},
    {"SimpleIndexMagic", "simple", [](Files& f) { f["index-dir/the-real-index"][8] ^= 1; }, 13},
    {"SimpleIndexCountHuge", "simple", [](Files& f) { Put32(f["index-dir/the-real-index"], 20, 100); }, 13},
    {"SimpleKeyWithoutUrl", "simple",
     [](Files& f) { f[kSimpleEntry].replace(24, 39, "1/0/_dk_" + std::string(31, 'x')); }, 12},
    {"SimpleSparseDamaged", "simple", [](Files& f) { f["089b05afba7c0f97_s"] = "short"; }, 12},
};

INSTANTIATE_TEST_SUITE_P(Chromium, DamagedCache, testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// Bytes flipped and files cut anywhere: whatever comes out, nothing is
// read outside a file (the sanitizer build checks) and nothing hangs.
// A simple cache whose index is held: its entries are files of their own,
// and the index-dir beside it still tells the format.
TEST(ChromiumSimple, AHeldIndexHidesNoEntry) {
  FakePlatform fake(test::HostPlatform());
  Files files = test::DataFolder("caches/chromium-simple");
  files["index"] = "<locked>";
  CacheListing listing = ReadCopy(fake, "simple", files);
  EXPECT_TRUE(kSimple.Recognises(fake, "C:\\cache"));
  EXPECT_FALSE(kBlockFile.Recognises(fake, "C:\\cache"));
  EXPECT_EQ(listing.entries.size(), 13u);
}

TEST(ChromiumDamage, RandomFlipsAndCutsNeverReadOutsideAFile) {
  std::uint32_t seed = 12345;
  auto random = [&](std::size_t below) {
    seed = seed * 1103515245 + 12345;
    return below == 0 ? 0 : (seed >> 8) % below;
  };
  for (std::string kind : {"blockfile", "simple"}) {
    const Files whole = test::DataFolder("caches/chromium-" + kind);
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
      FakePlatform fake(test::HostPlatform());
      CacheListing listing = ReadCopy(fake, kind, files);
      EXPECT_LE(listing.entries.size(), 13u) << kind << " round " << round;
      ReadEveryBody(fake, listing);
    }
  }
}

// The photo's entry (900 bytes served), read from a copy of a cache of kind.
CacheEntry Photo(FakePlatform& fake, const std::string& kind, const Files& files) {
  CacheListing listing = ReadCopy(fake, kind, files);
  EXPECT_TRUE(listing.whole);
  EXPECT_EQ(listing.entries.size(), 13u);
  auto found = std::find_if(listing.entries.begin(), listing.entries.end(),
                            [&](const CacheEntry& row) { return row.address == kOrigin + "/img/photo.jpg"; });
  return found == listing.entries.end() ? CacheEntry{} : *found;
}
const std::string kPhotoKey = "1/0/" + kOrigin + "/img/photo.jpg";

TEST(ChromiumSimple, ReadsABodyHeldInRangesAndFallsBackToFileTimes) {
  Files files = test::DataFolder("caches/chromium-simple");
  files.erase("index-dir/the-real-index");
  // The photo's 900 bytes as ranges, the later written first, its stream 1
  // emptied as the browser leaves it for ranges.
  const std::string photo = test::DataFile("caches/served/00.body");
  files[kSimpleEntry].erase(24 + kPhotoKey.size(), 900);
  for (bool gap : {false, true}) {
    std::string& sparse = files["089b05afba7c0f97_s"] = std::string(24, '\0') + kPhotoKey;
    Put32(sparse, 0, 0xa7725c30), Put32(sparse, 4, 0xfcfb6d1b), Put32(sparse, 8, 9);
    Put32(sparse, 12, static_cast<std::uint32_t>(kPhotoKey.size()));
    for (auto [offset, length] : gap ? std::vector<std::pair<int, int>>{{500, 400}, {0, 400}, {900, 100}}
                                     : std::vector<std::pair<int, int>>{{500, 400}, {0, 500}}) {
      std::string header(32, '\0');
      Put32(header, 0, 0x6553676b), Put32(header, 4, 0xeb97bf01), Put32(header, 8, offset), Put32(header, 16, length);
      sparse += header + (photo + std::string(100, 'z')).substr(offset, length);
    }
    FakePlatform fake(test::HostPlatform());
    CacheEntry found = Photo(fake, "simple", files);
    ASSERT_TRUE(found.body);
    EXPECT_EQ(found.lastUsed, 1'655'526'400);
    EXPECT_EQ(found.complete, !gap);
    EXPECT_EQ(found.storedSize, 900u);  // held in all, past a gap too
    EXPECT_EQ(test::ReadBody(fake, found).bytes, photo.substr(0, gap ? 400 : 900));
    EXPECT_EQ(test::ReadBody(fake, found).status, gap ? BodyStatus::kPartial : BodyStatus::kWhole);
  }
}

// The photo's entry made a sparse parent whose first child holds its body
// in the blocks the photo had, the last (or only) 1 KB block written in part.
TEST(ChromiumBlockFile, ReadsABodyHeldByASparseEntrysChild) {
  const std::string photo = test::DataFile("caches/served/00.body");
  for (std::uint32_t held : {900u, 500u}) {
    Files files = test::DataFolder("caches/chromium-blockfile");
    std::string& blocks = files["data_1"];
    std::size_t parent = At(files, "/img/photo.jpg");
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
      std::string childKey = "Range_" + kPhotoKey + ":5eed:" + std::to_string(id);
      Put32(child, 32, static_cast<std::uint32_t>(childKey.size())), Put32(child, 72, 2);  // CHILD_ENTRY
      Put32(child, 44, 900), Put32(child, 60, body), Put32(child, 48, 192), Put32(child, 64, control(std::string(128, '\0')));
      Put32(files["index"], 368 + 4 * id, 0xA0010000 | next++);
      blocks += child.replace(96, childKey.size(), childKey);
    }
    FakePlatform fake(test::HostPlatform());
    CacheEntry found = Photo(fake, "blockfile", files);
    ASSERT_TRUE(found.body);
    EXPECT_EQ(found.storedSize, 2 * held);
    EXPECT_EQ(found.complete, held == 900);
    EXPECT_EQ(test::ReadBody(fake, found).bytes, photo.substr(0, held));
    EXPECT_EQ(test::ReadBody(fake, found).status, held == 900 ? BodyStatus::kWhole : BodyStatus::kPartial);
  }
}

}  // namespace
}  // namespace morlind
