// Firefox's cache2: the cache the real browser wrote from the loopback page
// (scripts/make-firefox-cache.sh), damaged copies of it, and entries laid
// out as Firefox writes each entry version.
#include "caches/FirefoxCache2.h"

#include <gtest/gtest.h>

#include "tests/CacheTestData.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using namespace std::string_literals;

constexpr std::size_t kChunk = 256 * 1024;

using test::BigEndianAt;
std::string BigEndian(std::uint32_t value) {
  return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}
void PutBigEndian(std::string& bytes, std::size_t at, std::uint32_t value) { bytes.replace(at, 4, BigEndian(value)); }

TEST(FirefoxCache2Fixture, EveryServedFileIsOneEntry) {
  Platform& host = test::HostPlatform();
  ASSERT_TRUE(FirefoxCache2().Recognises(host, test::DataPath("caches/firefox")));
  CacheListing listing = FirefoxCache2().Read(host, test::DataPath("caches/firefox"), nullptr);
  EXPECT_TRUE(listing.whole);
  test::ExpectServedFiles(host, listing);
}

// The parts of a version 4 entry file, by offset.
struct Layout {
  std::size_t metadata, header, key, elements, end;
};
Layout LayoutOf(const std::string& file) {
  std::size_t metadata = BigEndianAt(file, file.size() - 4) & 0x7FFFFFFF;
  std::size_t header = metadata + 4 + 2 * ((metadata + kChunk - 1) / kChunk);
  return {metadata, header, header + 32, header + 32 + BigEndianAt(file, header + 24) + 1, file.size() - 8};
}
void Rehash(std::string& file) {
  Layout at = LayoutOf(file);
  PutBigEndian(file, at.metadata, Cache2Hash(std::string_view(file).substr(at.metadata + 4, at.end - at.metadata - 4)));
}

// Each copy damages the first entry; Rehash makes the metadata's hash right
// again so that the check after it is reached.
struct Damage {
  const char* name;
  void (*apply)(std::string& file, const Layout& at);
  bool rehash = false;
  bool whole = false;  // the entry is skipped as Firefox would: the listing stays whole
};

class FirefoxCache2Damage : public ::testing::TestWithParam<Damage> {};

TEST_P(FirefoxCache2Damage, TheOtherEntriesStillList) {
  test::Files files = test::DataFolder("caches/firefox");
  ASSERT_EQ(files.size(), 13u);
  std::string& first = files.begin()->second;
  GetParam().apply(first, LayoutOf(first));
  if (GetParam().rehash) Rehash(first);
  FakePlatform fake{test::HostPlatform()};
  test::LayOut(fake, "C:\\cache2", files);
  CacheListing listing = FirefoxCache2().Read(fake, "C:\\cache2", nullptr);
  EXPECT_EQ(listing.whole, GetParam().whole);
  EXPECT_EQ(listing.entries.size(), 12u);
  for (const CacheEntry& entry : listing.entries) EXPECT_EQ(test::ReadBody(fake, entry).status, BodyStatus::kWhole);
}

INSTANTIATE_TEST_SUITE_P(
    Copies, FirefoxCache2Damage,
    ::testing::Values(
        Damage{"TruncatedToAFewBytes", [](auto& f, auto&) { f.resize(20); }},
        Damage{"TruncatedByOneByte", [](auto& f, auto&) { f.pop_back(); }},
        Damage{"CutInsideTheKey", [](auto& f, auto& at) { f.resize(at.key + 3); }},
        Damage{"OffsetPastTheEnd", [](auto& f, auto&) { PutBigEndian(f, f.size() - 4, f.size() + 100); }},
        Damage{"OffsetAtTheEnd", [](auto& f, auto&) { PutBigEndian(f, f.size() - 4, f.size()); }},
        Damage{"NoRoomForTheChunkHashes", [](auto& f, auto&) { PutBigEndian(f, f.size() - 4, f.size() - 13); }},
        Damage{"NoRoomForTheHeader", [](auto& f, auto&) { PutBigEndian(f, f.size() - 4, f.size() - 28); }},
        Damage{"KeyPastTheMetadata", [](auto& f, auto& at) { PutBigEndian(f, at.header + 24, 0xFFFFFFF0); }, true},
        Damage{"KeyWithoutItsNul", [](auto& f, auto& at) { PutBigEndian(f, at.header + 24, at.elements - at.key); }, true},
        Damage{"MetadataHashWrong", [](auto& f, auto& at) { f[at.key + 5] ^= 1; }},
        Damage{"ElementsNotNulTerminated", [](auto& f, auto& at) { f[at.end - 1] = 'x'; f[at.elements] = '\0'; }, true},
        Damage{"ElementWithoutItsValue", [](auto& f, auto& at) { f[f.find('\0', at.elements)] = 'x'; }, true},
        Damage{"KeyTagsUnreadable", [](auto& f, auto& at) { f[at.key] = '\x01'; }, true},
        Damage{"UnknownVersion", [](auto& f, auto& at) { PutBigEndian(f, at.header, 5); }, true},
        Damage{"Version3WithTheEndingOf4", [](auto& f, auto& at) { PutBigEndian(f, at.header, 3); }, true},
        Damage{"Version4WithoutItsEnding", [](auto& f, auto&) { f.erase(f.size() - 8, 4); }},
        Damage{"Encrypted", [](auto& f, auto&) { f[f.size() - 4] |= '\x80'; }, false, true},
        Damage{"NotWrittenYet", [](auto& f, auto&) { f.clear(); }, false, true}),
    [](const ::testing::TestParamInfo<Damage>& info) { return info.param.name; });

constexpr std::uint32_t kFetched = 1'790'000'000;
const std::string kKey = "a,:http://example.com/a.png";

// An entry file laid out as Firefox writes the given entry version.
std::string EntryFile(std::string_view data, std::string_view elements, std::uint32_t version = 4,
                      std::string_view key = kKey) {
  std::string meta;
  for (std::size_t at = 0; at < data.size(); at += kChunk) meta += BigEndian(Cache2Hash(data.substr(at, kChunk))).substr(2);
  for (std::uint32_t field : {version, 1u, kFetched, kFetched - 60, 0u, 0u, std::uint32_t(key.size())}) meta += BigEndian(field);
  if (version != 1) meta += BigEndian(0);  // the flags, which version 1 lacked
  meta += std::string(key) + '\0' + std::string(elements);
  std::string file = std::string(data) + BigEndian(Cache2Hash(meta)) + meta;
  if (version == 4) file += BigEndian(4);
  return file + BigEndian(std::uint32_t(data.size()));
}

const std::string kPath = "C:\\cache2\\entries\\" + std::string(40, 'A');

// A response head; every one names a type, in capitals.
std::string Head(const std::string& lines) {
  return "response-head\0HTTP/1.1 "s + lines + "\r\nContent-Type: image/PNG\r\n\0"s;
}

CacheListing ReadOne(FakePlatform& fake, const std::string& file) {
  fake.AddFile(kPath, 0, file);
  return FirefoxCache2().Read(fake, "C:\\cache2", nullptr);
}

TEST(FirefoxCache2Layouts, KeysAsLongAsFirefoxAllows) {
  FakePlatform fake{test::HostPlatform()};
  std::string address = "http://example.com/" + std::string(1 << 20, 'x');
  EXPECT_EQ(ReadOne(fake, EntryFile("abc", Head("200 OK"), 4, ":" + address)).entries.at(0).address, address);
  EXPECT_TRUE(ReadOne(fake, EntryFile("abc", Head("200 OK"), 4, ":" + address + address)).entries.empty());
}

struct Held {
  const char* name;
  std::string data, elements;
  std::size_t listed;  // entries listed: 0 or 1
  bool whole;
  std::string body;  // what is read of a listed entry
  bool complete;
  std::uint32_t version = 4;
};

class FirefoxCache2Held : public ::testing::TestWithParam<Held> {};

TEST_P(FirefoxCache2Held, AsFirefoxReadsIt) {
  const Held& held = GetParam();
  FakePlatform fake{test::HostPlatform()};
  CacheListing listing = ReadOne(fake, EntryFile(held.data, held.elements, held.version));
  EXPECT_EQ(listing.whole, held.whole);
  ASSERT_EQ(listing.entries.size(), held.listed);
  if (held.listed == 0) return;
  const CacheEntry& entry = listing.entries[0];
  EXPECT_EQ(entry.address, "http://example.com/a.png");
  EXPECT_EQ(entry.lastUsed, Moment{kFetched});
  EXPECT_EQ(entry.contentType, held.elements.find("response-head") == std::string::npos ? "" : "image/png");
  EXPECT_EQ(entry.storedSize, held.body.size());
  EXPECT_EQ(entry.complete, held.complete);
  EXPECT_EQ(test::ReadBody(fake, entry).bytes, held.body);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, FirefoxCache2Held,
    ::testing::Values(
        Held{"Whole", "abc", Head("200 OK\r\nContent-Length: 3"), 1, true, "abc", true},
        Held{"Version0", "abc", Head("200 OK"), 0, false, "", true, 0},
        Held{"Version1", "abc", Head("200 OK"), 1, true, "abc", true, 1},
        Held{"Version2", "abc", Head("200 OK"), 1, true, "abc", true, 2},
        Held{"Version3", "abc", Head("200 OK"), 1, true, "abc", true, 3},
        Held{"Version5", "abc", Head("200 OK"), 0, false, "", true, 5},
        Held{"RangeOnly", "abc", Head("206 Partial Content\r\nContent-Range: bytes 0-2/9"), 1, true, "abc", false},
        Held{"ShorterThanAnnounced", "abc", Head("200 OK\r\nContent-Length: 4"), 1, true, "abc", false},
        Held{"AltDataAfterTheBody", "abcALT", "alt-data\0" "1;3,text/binary\0"s + Head("200 OK"), 1, true, "abc", true},
        Held{"ValueNamedLikeAnElement", "abc", "note\0" "alt-data\0"s + Head("200 OK"), 1, true, "abc", true},
        Held{"OnlyAltData", "ALT", "alt-data\0" "1;0,text/binary\0"s, 0, true, "", true},
        Held{"EmptyAltData", "abc", "alt-data\0" "1;3,text/binary\0"s, 1, true, "abc", true},
        Held{"AltDataWithoutItsType", "abc", "alt-data\0" "1;1\0"s, 0, false, "", true},
        Held{"AltDataPastTheData", "abc", "alt-data\0" "1;4,text/binary\0"s, 0, false, "", true},
        Held{"AltDataOfAnotherVersion", "abc", "alt-data\0" "2;1,text/binary\0"s, 0, false, "", true},
        Held{"NoElements", "abc", "", 1, true, "abc", true},
        Held{"EmptyBody", "", Head("301 Moved Permanently\r\nLocation: /b"), 0, true, "", true}),
    [](const ::testing::TestParamInfo<Held>& info) { return info.param.name; });

TEST(FirefoxCache2Layouts, ABodyOfManyChunksIsCheckedChunkByChunk) {
  std::string body(4 * kChunk + 100, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = char(i * 7 % 251);
  std::string file = EntryFile(body + "ALT", "alt-data\0" "1;"s + std::to_string(body.size()) + ",x\0"s);
  FakePlatform fake{test::HostPlatform()};
  const CacheEntry entry = ReadOne(fake, file).entries.at(0);
  EXPECT_EQ(test::ReadBody(fake, entry).status, BodyStatus::kWhole);
  EXPECT_EQ(test::ReadBody(fake, entry).bytes, body);
  EXPECT_EQ(entry.body->Read(fake, [](std::string_view) { return false; }), BodyStatus::kStopped);

  // Changed or cut after the listing: the hashes or the size tell.
  file[kChunk + 50] ^= 1;
  fake.AddFile(kPath, 0, file);
  EXPECT_EQ(test::ReadBody(fake, entry).status, BodyStatus::kUnreadable);
  file[kChunk + 50] ^= 1;
  fake.AddFile(kPath, 0, file.substr(0, body.size() + 3));
  EXPECT_EQ(test::ReadBody(fake, entry).status, BodyStatus::kUnreadable);
  fake.LockFile(kPath);
  EXPECT_EQ(test::ReadBody(fake, entry).status, BodyStatus::kUnreadable);
}

TEST(FirefoxCache2Layouts, WhatCannotBeListedIsNotWhole) {
  FakePlatform fake{test::HostPlatform()};
  fake.AddFile("C:\\other\\entries", 0, "a file, not a folder of entries");
  EXPECT_FALSE(FirefoxCache2().Recognises(fake, "C:\\other"));
  fake.AddFile(kPath, 0, EntryFile("abc", Head("200 OK")));
  fake.AddFile("C:\\cache2\\entries\\" + std::string(40, 'B'), 0, EntryFile("def", Head("200 OK")));
  fake.AddFile("C:\\cache2\\entries\\not-an-entry", 0, "junk");
  EXPECT_TRUE(FirefoxCache2().Recognises(fake, "C:\\cache2"));
  EXPECT_TRUE(FirefoxCache2().Read(fake, "C:\\cache2", nullptr).whole);
  EXPECT_EQ(FirefoxCache2().Read(fake, "C:\\cache2", nullptr).entries.size(), 2u);
  fake.LockFile(kPath);
  EXPECT_FALSE(FirefoxCache2().Read(fake, "C:\\cache2", nullptr).whole);
  EXPECT_EQ(FirefoxCache2().Read(fake, "C:\\cache2", nullptr).entries.size(), 1u);
  std::atomic<bool> stop{true};
  EXPECT_TRUE(FirefoxCache2().Read(fake, "C:\\cache2", &stop).entries.empty());
  fake.RefuseListing("C:\\cache2\\entries");
  EXPECT_FALSE(FirefoxCache2().Read(fake, "C:\\cache2", nullptr).whole);
}

TEST(FirefoxCache2Keys, TheAddressFollowsTheTags) {
  const std::pair<std::string_view, std::optional<std::string>> keys[] = {
      {":http://a/", "http://a/"},
      {"a,:http://a/b?c,d", "http://a/b?c,d"},
      {"O^partitionKey=%28https%2Cb.org%29,a,:https://a/", "https://a/"},
      {"a,i12,p,~1,,2,:http://a/", "http://a/"},
      {"b,:http://a/", "http://a/"},
      {" ,\x7f,:http://a/", "http://a/"},  // the first and last tags there are
      {"a,", ""},
      {"p,a,:http://a/", std::nullopt},  // out of order
      {"a,a,:http://a/", std::nullopt},
      {"ix,:http://a/", std::nullopt},
      {"O^x:http://a/", std::nullopt},  // a value never ended
      {"\x01,:http://a/", std::nullopt},
      {"\x80,:http://a/", std::nullopt},
      {"ax,:http://a/", std::nullopt},  // a tag that takes no value
      {"px,:http://a/", std::nullopt},
  };
  for (const auto& [key, address] : keys) EXPECT_EQ(AddressOfCache2Key(key), address) << key;
}

}  // namespace
}  // namespace morlind
