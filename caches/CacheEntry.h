// What every browser-cache reader hands out: the entries of one cache
// folder, each with what reads its body. Readers only ever read: the
// browser may be running and keeps its files open.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace morlind {

// How reading a body ended.
enum class BodyStatus {
  kWhole,       // every byte was handed to the sink
  kUnreadable,  // a file could not be opened or read, or the data is damaged
  kPartial,     // the cache holds only part of the body (ranges of a media file)
  kStopped,     // the sink asked to stop
};

// Takes the body piece by piece, in order; false stops the reading.
using BodySink = std::function<bool(std::string_view piece)>;

// Reads one entry's body as the cache stores it (still content-encoded).
class BodyReader {
 public:
  virtual ~BodyReader() = default;
  virtual BodyStatus Read(Platform& platform, const BodySink& sink) const = 0;
};

struct CacheEntry {
  std::string address;            // the URL, without the cache key's prefixes
  Moment lastUsed = kBadMoment;   // seconds since 1970 UTC
  std::uint64_t storedSize = 0;   // the body's bytes as stored
  std::string contentType;        // lower case, without parameters; may be empty
  std::string contentEncoding;    // lower case, as sent ("gzip", "br, zstd"); may be empty
  bool complete = true;           // false: only part of the body is held
  std::shared_ptr<const BodyReader> body;
};

struct CacheListing {
  std::vector<CacheEntry> entries;  // those with a body
  bool whole = true;                // false: some part could not be read
  bool held = false;                 // a file is held by the browser without sharing
};

// One cache format.
class CacheFormat {
 public:
  virtual ~CacheFormat() = default;
  // Whether folder's files are of this format (checked from the files,
  // never assumed from the browser).
  virtual bool Recognises(Platform& platform, const std::string& folder) const = 0;
  // Every readable entry with a body; damaged parts are skipped and make
  // the listing not whole. Ends early once stop is set.
  virtual CacheListing Read(Platform& platform, const std::string& folder, const std::atomic<bool>* stop) const = 0;
};

}  // namespace morlind
