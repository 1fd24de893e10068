// What Chromium's two disk caches share: the HTTP cache's keys, its pickled
// response heads, its times, and bodies that lie as one byte range of one
// file.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "caches/CacheEntry.h"
#include "caches/ResponseHead.h"
#include "platform/Platform.h"

namespace morlind::chromium {

// The formats are little-endian on every platform Chromium writes them.
inline std::uint32_t LoadU32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}
inline std::uint64_t LoadU64(const char* bytes) { return LoadU32(bytes) | (std::uint64_t{LoadU32(bytes + 4)} << 32); }

// Exactly size bytes at offset, or nothing (a short or failed read).
std::optional<std::string> ReadExact(ReadOnlyFile& file, std::uint64_t offset, std::uint64_t size);

// The URL inside an HTTP cache key ("1/0/_dk_<site> <site> <url>", older
// "1/0/<url>", "0/<url>" or the bare URL); empty when there is none.
std::string AddressFromKey(std::string_view key);

// base::Time's internal value: microseconds since 1601-01-01 UTC.
Moment MomentFromChromiumTime(std::int64_t microseconds);

// A response as HttpResponseInfo pickles it.
struct StoredResponse {
  ResponseHead head;
  bool truncated = false;  // the download ended before the body did
};
std::optional<StoredResponse> ParseResponseInfo(std::string_view pickle);

// The body's size as Content-Length gives it.
std::optional<std::uint64_t> AnnouncedLength(const ResponseHead& head);

// Whether storedSize bytes are the whole body the response announced.
bool BodyIsWhole(const StoredResponse& response, std::uint64_t storedSize);

// The head's fields copied into an entry, its completeness decided.
void DescribeEntry(const StoredResponse& response, CacheEntry& entry);

// A body that lies as size bytes at offset in one file, read again when
// asked (the browser may have changed the file since it was listed).
class FileRangeBody : public BodyReader {
 public:
  FileRangeBody(std::string path, std::uint64_t offset, std::uint64_t size, bool complete)
      : path_(std::move(path)), offset_(offset), size_(size), complete_(complete) {}
  BodyStatus Read(Platform& platform, const BodySink& sink) const override;

 private:
  std::string path_;
  std::uint64_t offset_, size_;
  bool complete_;
};

}  // namespace morlind::chromium
