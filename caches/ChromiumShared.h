// What Chromium's two disk caches share: the HTTP cache's keys, its pickled
// response heads, its times, and bodies that lie as one byte range of one
// file.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// size bytes at offset in the file at path.
struct FilePiece {
  std::string path;
  std::uint64_t offset = 0, size = 0;
};

// A body that lies as pieces of files, read in order and read again when
// asked (the browser may have changed the files since they were listed);
// kPartial after the last piece when the pieces are not all of the body.
class PiecesBody : public BodyReader {
 public:
  PiecesBody(std::vector<FilePiece> pieces, bool complete) : pieces_(std::move(pieces)), complete_(complete) {}
  BodyStatus Read(Platform& platform, const BodySink& sink) const override;

 private:
  std::vector<FilePiece> pieces_;
  bool complete_;
};

// The whole size a Content-Range ("bytes 0-99/1234") announces, else
// Content-Length's; 0 when neither tells.
std::uint64_t WholeSize(const ResponseHead& head);

}  // namespace morlind::chromium
