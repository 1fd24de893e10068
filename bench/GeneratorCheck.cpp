#include "bench/GeneratorCheck.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "bench/CacheGenerator.h"
#include "caches/ChromiumBlockFile.h"
#include "caches/ChromiumShared.h"
#include "caches/FirefoxCache2.h"
#include "platform/PosixPlatform.h"

namespace morlind::bench {

namespace {

namespace fs = std::filesystem;
using chromium::LoadU32;
// A cache folder's files by their '/'-separated path below it.
using Files = std::map<std::string, std::string>;

Files FilesBelow(const fs::path& root) {
  Files files;
  for (const auto& file : fs::recursive_directory_iterator(root)) {
    if (!file.is_regular_file()) continue;
    std::ifstream in(file.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[fs::relative(file.path(), root).generic_string()] = bytes.str();
  }
  return files;
}

Files Generated(void (*write)(const std::vector<BenchResponse>&, const CacheFileSink&),
                const std::vector<BenchResponse>& responses) {
  Files files;
  write(responses, [&](const std::string& path, std::string_view bytes) { files[path] = std::string(bytes); });
  return files;
}

std::uint32_t BigEndianAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// What both the real and the generated block-file caches must show alike,
// and the hashes the generator computes checked in each: a key's bucket and
// hash, each entry's and rankings node's self hash, the LRU list's links.
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
  // From the head to the tail: each node's prev its predecessor, the
  // head's prev and the tail's next the node itself.
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

// The first count responses are what format lists from files, written
// below scratch and read through the real file system.
void ReadBack(const CacheFormat& format, const Files& files, const std::vector<BenchResponse>& responses,
              std::size_t count, const fs::path& scratch, std::vector<std::string>& faults) {
  fs::remove_all(scratch);
  for (const auto& [name, bytes] : files) {
    fs::create_directories((scratch / name).parent_path());
    std::ofstream(scratch / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  PosixPlatform platform;
  CacheListing listing = format.Read(platform, scratch.string(), nullptr);
  std::map<std::string, const BenchResponse*> expected;
  for (std::size_t i = 0; i < count; ++i) expected[responses[i].url] = &responses[i];
  if (!listing.whole || listing.entries.size() != expected.size()) {
    faults.push_back("listed " + std::to_string(listing.entries.size()) + " of " + std::to_string(count) + " entries");
  }
  for (const CacheEntry& entry : listing.entries) {
    auto found = expected.find(entry.address);
    std::string body;
    if (found == expected.end() ||
        entry.body->Read(platform, [&](std::string_view piece) { return body += piece, true; }) != BodyStatus::kWhole ||
        entry.storedSize != found->second->size || entry.lastUsed != found->second->lastUsed || !entry.complete ||
        entry.contentType != found->second->contentType || body != BodyOf(*found->second)) {
      faults.push_back("read back otherwise: " + entry.address);
    } else {
      expected.erase(found);
    }
  }
  fs::remove_all(scratch);
}

}  // namespace

std::vector<std::string> GeneratorFaults(const std::string& realCaches, const std::string& scratch) {
  std::vector<std::string> faults;
  const fs::path real = realCaches;
  const std::vector<BenchResponse> few = GenerateResponses({300, 7, 1'796'000'000});
  try {
    if (BlockFileTraits(Generated(WriteBlockFileCache, few)) != BlockFileTraits(FilesBelow(real / "chromium-blockfile"))) {
      faults.push_back("the block-file cache differs from Chromium's");
    }
  } catch (const std::out_of_range&) {
    faults.push_back("a block-file cache lacks its index or a data file");
  }
  // Every generated entry is like one the real page cached (whose own entry
  // also names its server's address).
  const std::set<std::vector<std::string>> firefox = FirefoxTraits(Generated(WriteFirefoxCache, few));
  if (firefox.size() != 1 || !FirefoxTraits(FilesBelow(real / "firefox")).count(*firefox.begin()) ||
      firefox.begin()->front() != "named by key") {
    faults.push_back("the cache2 entries differ from Firefox's");
  }
  // Enough entries for the first 256-byte block file to fill and go on in
  // another, for multi-block keys, chains in the index and f_ files.
  const std::vector<BenchResponse> many = GenerateResponses({25'000, 11, 1'796'000'000});
  const Files blockFiles = Generated(WriteBlockFileCache, many);
  if (!blockFiles.count("data_4") || !blockFiles.count("f_000001")) faults.push_back("no data_4 or f_ files");
  ReadBack(ChromiumBlockFileCache(), blockFiles, many, many.size(), scratch, faults);
  ReadBack(FirefoxCache2(), Generated(WriteFirefoxCache, {many.begin(), many.begin() + 3000}), many, 3000, scratch,
           faults);
  return faults;
}

}  // namespace morlind::bench
