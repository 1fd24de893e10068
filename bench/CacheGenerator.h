// Browser caches of many entries for the benchmarks, written in the
// browsers' own layouts: Chromium's block-file cache (index, data_0..,
// f_xxxxxx) and Firefox's cache2 (entries\<SHA-1 of the key>), with the
// header fields, hashes and versions the real browsers write
// (tests/data/caches holds caches they wrote; the generator's test
// compares the two).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morlind::bench {

struct BrowserCacheShape {
  int entries = 50'000;
  std::uint32_t seed = 20260;
  // Last uses fall in the 30 days before this moment (seconds since 1970).
  std::int64_t newestUse = 1'796'000'000;
};

// One cached response, as a reader should list it.
struct BenchResponse {
  std::string url;
  std::string contentType;
  std::uint64_t size = 0;  // the body's bytes
  std::int64_t lastUsed = 0;
  std::uint32_t bodySeed = 0;
};

std::vector<BenchResponse> GenerateResponses(const BrowserCacheShape& shape);
std::string BodyOf(const BenchResponse& response);

// Receives each file of a cache, its path relative to the cache folder
// ('/'-separated), once.
using CacheFileSink = std::function<void(const std::string& relativePath, std::string_view bytes)>;

void WriteBlockFileCache(const std::vector<BenchResponse>& responses, const CacheFileSink& sink);
// Into the cache2 folder: entries/<40 hex digits>.
void WriteFirefoxCache(const std::vector<BenchResponse>& responses, const CacheFileSink& sink);

// The keys each browser files a response under.
std::string ChromiumKey(const BenchResponse& response);
std::string FirefoxKey(const BenchResponse& response);

// Chromium's base::PersistentHash (SuperFastHash): keys' buckets and the
// entries' and rankings' self hashes.
std::uint32_t SuperFastHash(std::string_view data);
// An entry file's name in cache2: the key's SHA-1 in upper-case hex.
std::string Sha1Hex(std::string_view data);

}  // namespace morlind::bench
