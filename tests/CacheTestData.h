// The browser caches under tests/data/caches, what their loopback page
// served, and copies of a cache folder in memory for a test to damage.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

#include "caches/BodyDecoder.h"
#include "tests/FakePlatform.h"

namespace morlind::test {

// A file under tests/data, whole.
inline std::string DataFile(const std::string& relative) {
  std::ifstream file(MORLIND_TEST_DATA "/" + relative, std::ios::binary);
  EXPECT_TRUE(file) << relative;
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The big-endian number at a file's offset, as Firefox writes them.
inline std::uint32_t BigEndianAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// A folder under tests/data as the platform names it.
inline std::string DataPath(const std::string& relative) {
  std::string path = MORLIND_TEST_DATA "/" + relative;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

struct Body {
  BodyStatus status;
  std::string bytes;
};
inline Body ReadBody(Platform& platform, const BodyReader& reader) {
  std::string bytes;
  BodyStatus status = reader.Read(platform, [&](std::string_view piece) { return bytes += piece, true; });
  return {status, bytes};
}
inline Body ReadBody(Platform& platform, const CacheEntry& entry) { return ReadBody(platform, *entry.body); }

// A cache folder's files by their '/'-separated path below it.
using Files = std::map<std::string, std::string>;
inline Files DataFolder(const std::string& relative) {
  namespace fs = std::filesystem;
  const fs::path root = MORLIND_TEST_DATA "/" + relative;
  Files files;
  for (const auto& file : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(file.path(), root).generic_string();
    if (file.is_regular_file()) files[name] = DataFile(relative + "/" + name);
  }
  return files;
}

// Lays files out below folder; one whose content is "<locked>" is held
// open without sharing.
inline void LayOut(FakePlatform& fake, const std::string& folder, const Files& files) {
  for (const auto& [name, content] : files) {
    std::string path = folder + "\\" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    fake.AddFile(path, 133'000'000'000'000'000, content);  // 2022-06-18 04:26:40 UTC
    if (content == "<locked>") fake.LockFile(path);
  }
}

// Each file the loopback page served is one entry below the page's origin,
// described as served, whose body decodes to what was served; the page
// itself is the one entry more.
inline void ExpectServedFiles(Platform& platform, const CacheListing& listing) {
  const std::regex page("http://127\\.0\\.0\\.1:[0-9]+/");
  auto root = std::find_if(listing.entries.begin(), listing.entries.end(),
                           [&](const CacheEntry& entry) { return std::regex_match(entry.address, page); });
  ASSERT_NE(root, listing.entries.end());
  const std::string origin = root->address.substr(0, root->address.size() - 1);
  std::istringstream manifest(DataFile("caches/served/manifest.tsv"));
  std::string line;
  std::getline(manifest, line);  // the column names
  std::size_t served = 0;
  for (; std::getline(manifest, line); ++served) {
    std::istringstream row(line);
    std::string index, path, type, encoding;  // and the size, which the body tells
    for (std::string* column : {&index, &path, &type, &encoding}) std::getline(row, *column, '\t');
    SCOPED_TRACE(path);
    auto matches = [&](const CacheEntry& entry) { return entry.address == origin + path; };
    ASSERT_EQ(std::count_if(listing.entries.begin(), listing.entries.end(), matches), 1);
    const CacheEntry& entry = *std::find_if(listing.entries.begin(), listing.entries.end(), matches);
    EXPECT_EQ(entry.contentType, type.substr(0, type.find(';')));
    EXPECT_EQ(entry.contentEncoding, encoding);
    EXPECT_TRUE(entry.complete);
    // Last used when the caches were made: after December 2025, not in the future.
    EXPECT_GT(entry.lastUsed, Moment{1'764'547'200});
    EXPECT_LE(entry.lastUsed, platform.Now());
    Body stored = ReadBody(platform, entry);
    EXPECT_EQ(stored.status, BodyStatus::kWhole);
    EXPECT_EQ(stored.bytes.size(), entry.storedSize);
    std::string decoded;
    EXPECT_EQ(ReadDecodedBody(platform, entry, [&](std::string_view piece) { return decoded += piece, true; }),
              DecodeStatus::kWhole);
    EXPECT_EQ(decoded, DataFile("caches/served/" + index + ".body"));
  }
  EXPECT_EQ(listing.entries.size(), served + 1);
}

}  // namespace morlind::test
