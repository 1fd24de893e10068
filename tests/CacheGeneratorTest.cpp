// The benchmark's generated browser caches: their hashes and header fields
// against the caches the real browsers wrote (tests/data/caches), and every
// generated entry read back by the real readers exactly.
#include "bench/CacheGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <unistd.h>

#include "caches/ChromiumBlockFile.h"
#include "caches/ChromiumShared.h"
#include "caches/FirefoxCache2.h"
#include "platform/PosixPlatform.h"
#include "tests/CacheTestData.h"

namespace morlind::bench {
namespace {

namespace fs = std::filesystem;
using chromium::LoadU32;
using test::BigEndianAt;
using test::Files;

Files Generated(void (*write)(const std::vector<BenchResponse>&, const CacheFileSink&),
                const std::vector<BenchResponse>& responses) {
  Files files;
  write(responses, [&](const std::string& path, std::string_view bytes) { files[path] = std::string(bytes); });
  return files;
}

// What both the real and the generated block-file caches must show alike,
// and the hashes the generator computes checked in each: a key's bucket and
// hash, each entry's and rankings node's self hash.
std::vector<std::uint32_t> BlockFileTraits(const Files& files) {
  const std::string& index = files.at("index");
  const std::uint32_t tableLength = LoadU32(&index[28]);
  std::vector<std::uint32_t> traits = {LoadU32(&index[0]), LoadU32(&index[4]), tableLength, LoadU32(&index[20])};
  for (int n = 0; n < 4; ++n) {
    const std::string& data = files.at("data_" + std::to_string(n));
    traits.insert(traits.end(), {LoadU32(&data[0]), LoadU32(&data[4]), LoadU32(&data[12]),
                                 static_cast<std::uint32_t>(data.size() == 8192 + std::size_t{LoadU32(&data[20])} * LoadU32(&data[12]))});
  }
  // length bytes from addr's first block on.
  auto block = [&](std::uint32_t addr, std::size_t length) {
    const std::size_t blockSize[] = {0, 36, 256, 1024, 4096};
    return files.at("data_" + std::to_string((addr >> 16) & 0xFF))
        .substr(8192 + (addr & 0xFFFF) * blockSize[(addr >> 28) & 7], length);
  };
  std::uint32_t badHashes = 0, headFlags = 0;
  for (std::uint32_t bucket = 0; bucket < tableLength; ++bucket) {
    for (std::uint32_t addr = LoadU32(&index[368 + 4 * bucket]); addr != 0;) {
      const std::string entry = block(addr, 256);
      const std::string key = block(addr, 1024).substr(96, LoadU32(&entry[32]));
      const std::string node = block(LoadU32(&entry[8]), 36);
      badHashes += SuperFastHash(key) != LoadU32(&entry[0]) || (LoadU32(&entry[0]) & (tableLength - 1)) != bucket ||
                   SuperFastHash(entry.substr(0, 92)) != LoadU32(&entry[92]) ||
                   SuperFastHash(node.substr(0, 32)) != LoadU32(&node[32]) || LoadU32(&node[24]) != addr;
      headFlags = LoadU32(&block(LoadU32(&entry[56]), 256)[4]);
      addr = LoadU32(&entry[4]);
    }
  }
  // The LRU list from its head to its tail, each node's prev its
  // predecessor, the head's prev and the tail's next the node itself.
  std::uint32_t listed = 0, badLinks = 0;
  for (std::uint32_t node = LoadU32(&index[288]), prev = node;; ++listed) {
    const std::string bytes = block(node, 36);
    badLinks += LoadU32(&bytes[20]) != prev;
    if (LoadU32(&bytes[16]) == node || listed > LoadU32(&index[8])) {
      badLinks += node != LoadU32(&index[308]);
      break;
    }
    prev = node;
    node = LoadU32(&bytes[16]);
  }
  traits.insert(traits.end(), {badHashes, headFlags, badLinks, listed + 1 == LoadU32(&index[8]),
                               LoadU32(&index[268]) == LoadU32(&index[8])});
  return traits;
}

// The same for cache2: each name the SHA-1 of its key, the versions, the
// header's fields that do not vary and the elements' names.
std::set<std::vector<std::string>> FirefoxTraits(const Files& files) {
  std::set<std::vector<std::string>> traits;
  for (const auto& [name, file] : files) {
    const std::uint32_t dataSize = BigEndianAt(file, file.size() - 4);
    const std::size_t header = dataSize + 4 + 2 * ((dataSize + 262'143) / 262'144);
    const std::uint32_t keySize = BigEndianAt(file, header + 24);
    const std::string key = file.substr(header + 32, keySize);
    std::string elementNames;
    std::istringstream elements(file.substr(header + 32 + keySize + 1, file.size() - 8 - header - 33 - keySize));
    for (std::string element, value; std::getline(elements, element, '\0') && std::getline(elements, value, '\0');) {
      elementNames += element + ",";
    }
    traits.insert({name == "entries/" + Sha1Hex(key) ? "named by key" : name, std::to_string(BigEndianAt(file, file.size() - 8)),
              std::to_string(BigEndianAt(file, header)), std::to_string(BigEndianAt(file, header + 4)),
              std::to_string(BigEndianAt(file, header + 28)), key.substr(0, key.find('=')), elementNames});
  }
  return traits;
}

TEST(GeneratedCaches, AgreeWithTheCachesTheBrowsersWrote) {
  const std::vector<BenchResponse> responses = GenerateResponses({300, 7, 1'796'000'000});
  EXPECT_EQ(BlockFileTraits(Generated(WriteBlockFileCache, responses)), BlockFileTraits(test::DataFolder("caches/chromium-blockfile")));
  std::set<std::vector<std::string>> firefox = FirefoxTraits(Generated(WriteFirefoxCache, responses));
  // The page's own entry also names its server's address.
  const std::set<std::vector<std::string>> real = FirefoxTraits(test::DataFolder("caches/firefox"));
  ASSERT_EQ(firefox.size(), 1u);
  EXPECT_TRUE(real.count(*firefox.begin()));
  EXPECT_EQ(firefox.begin()->front(), "named by key");
  EXPECT_EQ(Sha1Hex("abc"), "A9993E364706816ABA3E25717850C26C9CD0D89D");
}

// Written to a folder of its own and read by format through the real
// file system.
const fs::path kFolder = fs::temp_directory_path() / ("morlind-generated-" + std::to_string(getpid()));

CacheListing ReadBack(const Files& files, const CacheFormat& format, Platform& platform) {
  const fs::path& folder = kFolder;
  fs::remove_all(folder);
  for (const auto& [name, bytes] : files) {
    fs::create_directories((folder / name).parent_path());
    std::ofstream(folder / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return format.Read(platform, folder.string(), nullptr);
}

// Enough entries for the first 256-byte block file to fill and go on in
// another, for multi-block keys, chains in the index and f_ files.
TEST(GeneratedCaches, ReadBackExactlyByTheReaders) {
  PosixPlatform platform;
  const std::vector<BenchResponse> responses = GenerateResponses({25'000, 11, 1'796'000'000});
  auto check = [&](const CacheFormat& format, const Files& files, std::size_t count) {
    CacheListing listing = ReadBack(files, format, platform);
    EXPECT_TRUE(listing.whole);
    std::map<std::string, const BenchResponse*> expected;
    for (std::size_t i = 0; i < count; ++i) expected[responses[i].url] = &responses[i];
    ASSERT_EQ(listing.entries.size(), expected.size());
    for (const CacheEntry& entry : listing.entries) {
      auto found = expected.find(entry.address);
      ASSERT_NE(found, expected.end()) << entry.address;
      const BenchResponse& response = *found->second;
      std::string body;
      EXPECT_EQ(entry.body->Read(platform, [&](std::string_view piece) { return body += piece, true; }), BodyStatus::kWhole);
      EXPECT_TRUE(entry.storedSize == response.size && entry.lastUsed == response.lastUsed && entry.complete &&
                  entry.contentType == response.contentType && body == BodyOf(response))
          << entry.address;
      expected.erase(found);
    }
  };
  const Files blockFiles = Generated(WriteBlockFileCache, responses);
  EXPECT_TRUE(blockFiles.count("data_4") && blockFiles.count("f_000001"));
  check(ChromiumBlockFileCache(), blockFiles, responses.size());
  check(FirefoxCache2(), Generated(WriteFirefoxCache, {responses.begin(), responses.begin() + 3000}), 3000);
  fs::remove_all(kFolder);
}

}  // namespace
}  // namespace morlind::bench
