// Firefox's disk cache ("cache2"): one file per entry in <cache2>/entries,
// named by 40 hex digits (the SHA-1 of its key). A file holds the body,
// then the metadata (a hash of the metadata, one 16-bit hash per 256 KB
// chunk of data, a header, the key, name/value elements), then where the
// metadata starts. Entry versions 1 to 4 are read; version 4 puts its
// version before that offset and marks an encrypted entry in the offset's
// top bit: those are skipped, their bytes mean nothing without the key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "caches/CacheEntry.h"

namespace morlind {

class FirefoxCache2 final : public CacheFormat {
 public:
  // folder is the cache2 folder: it has an "entries" folder.
  bool Recognises(Platform& platform, const std::string& folder) const override;
  CacheListing Read(Platform& platform, const std::string& folder, const std::atomic<bool>* stop) const override;
};

// The hash cache2 checks its metadata (all 32 bits) and each chunk (the low
// 16 bits) with: Bob Jenkins's lookup2, initial value 0.
std::uint32_t Cache2Hash(std::string_view data);

// The address inside a cache2 key, after its tags ("a,", "O^…,", "~…,"
// in ascending order, then ':'); nothing when the tags do not parse.
std::optional<std::string> AddressOfCache2Key(std::string_view key);

}  // namespace morlind
