#include "caches/ChromiumShared.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace morlind::chromium {

std::optional<std::string> ReadExact(ReadOnlyFile& file, std::uint64_t offset, std::uint64_t size) {
  if (offset > file.Size() || size > file.Size() - offset) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size == 0) return bytes;
  std::optional<std::size_t> got = file.ReadAt(offset, bytes.data(), bytes.size());
  if (!got || *got != bytes.size()) return std::nullopt;
  return bytes;
}

namespace {

// Drops "<digits>/" from the front of text, if it starts so.
bool DropNumberPart(std::string_view& text) {
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == 0 || digits >= text.size() || text[digits] != '/') return false;
  text.remove_prefix(digits + 1);
  return true;
}

}  // namespace

// As net/http/http_cache.cc makes keys: credential_key/upload_id/, then, when
// the cache is split by site, "_dk_" + the isolation key's sites and
// separators, each ending in a space, then the URL, which holds no space.
std::string AddressFromKey(std::string_view key) {
  if (DropNumberPart(key)) DropNumberPart(key);
  if (key.substr(0, 4) == "_dk_") {
    std::size_t space = key.rfind(' ');
    if (space == std::string_view::npos) return {};
    key.remove_prefix(space + 1);
  }
  return std::string(key);
}

Moment MomentFromChromiumTime(std::int64_t microseconds) {
  std::int64_t seconds = microseconds / 1'000'000 - kSecondsFrom1601To1970;
  return microseconds <= 0 || seconds < 0 ? kBadMoment : seconds;
}

namespace {

// Reads a base::Pickle's fields in order: each starts on a 4-byte boundary.
class PickleReader {
 public:
  explicit PickleReader(std::string_view payload) : rest_(payload) {}
  std::optional<std::uint32_t> U32() {
    if (rest_.size() < 4) return std::nullopt;
    std::uint32_t value = LoadU32(rest_.data());
    rest_.remove_prefix(4);
    return value;
  }
  bool Skip64() { return U32() && U32(); }
  // The last field read: what follows it is not needed.
  std::optional<std::string_view> LastString() {
    std::optional<std::uint32_t> length = U32();
    if (!length || *length > rest_.size()) return std::nullopt;
    return rest_.substr(0, *length);
  }

 private:
  std::string_view rest_;
};

// Flag bits from net/http/http_response_info.cc.
constexpr std::uint32_t kVersionMask = 0xFF;
constexpr std::uint32_t kTruncated = 1u << 12;
constexpr std::uint32_t kHasExtraFlags = 1u << 31;
constexpr std::uint32_t kExtraHasOriginalResponseTime = 1u << 2;

}  // namespace

std::optional<StoredResponse> ParseResponseInfo(std::string_view pickle) {
  // A pickle starts with its payload's size.
  if (pickle.size() < 4) return std::nullopt;
  std::uint32_t payloadSize = LoadU32(pickle.data());
  if (payloadSize > pickle.size() - 4) return std::nullopt;
  PickleReader reader(pickle.substr(4, payloadSize));
  std::optional<std::uint32_t> flags = reader.U32();
  if (!flags) return std::nullopt;
  std::uint32_t extraFlags = 0;
  if (*flags & kHasExtraFlags) {
    std::optional<std::uint32_t> extra = reader.U32();
    if (!extra) return std::nullopt;
    extraFlags = *extra;
  }
  // Versions 1 and 2 differ from 3 only after the headers.
  std::uint32_t version = *flags & kVersionMask;
  if (version < 1 || version > 3) return std::nullopt;
  if (!reader.Skip64() || !reader.Skip64()) return std::nullopt;  // request and response times
  if ((extraFlags & kExtraHasOriginalResponseTime) && !reader.Skip64()) return std::nullopt;
  std::optional<std::string_view> rawHeaders = reader.LastString();
  if (!rawHeaders) return std::nullopt;
  StoredResponse response;
  response.head = ParseResponseHead(*rawHeaders);
  if (response.head.status == 0) return std::nullopt;
  response.truncated = (*flags & kTruncated) != 0;
  return response;
}

std::optional<std::uint64_t> AnnouncedLength(const ResponseHead& head) {
  const std::string& length = head.contentLength;
  if (length.empty() || length.size() > 18) return std::nullopt;
  std::uint64_t announced = 0;
  for (char c : length) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    announced = announced * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return announced;
}

bool BodyIsWhole(const StoredResponse& response, std::uint64_t storedSize) {
  if (response.truncated || response.head.status == 206) return false;
  // Chromium stores the body as sent, so Content-Length counts the stored
  // bytes whatever the content encoding.
  std::optional<std::uint64_t> announced = AnnouncedLength(response.head);
  return !announced || storedSize >= *announced;
}

void DescribeEntry(const StoredResponse& response, CacheEntry& entry) {
  entry.contentType = response.head.contentType;
  entry.contentEncoding = response.head.contentEncoding;
  entry.complete = BodyIsWhole(response, entry.storedSize);
}

std::uint64_t WholeSize(const ResponseHead& head) {
  std::size_t slash = head.contentRange.rfind('/');
  std::uint64_t total = 0;
  if (slash != std::string::npos && slash + 1 < head.contentRange.size() && head.contentRange.size() - slash < 19) {
    for (std::size_t i = slash + 1; i < head.contentRange.size(); ++i) {
      if (!std::isdigit(static_cast<unsigned char>(head.contentRange[i]))) return 0;
      total = total * 10 + static_cast<std::uint64_t>(head.contentRange[i] - '0');
    }
    return total;
  }
  return AnnouncedLength(head).value_or(0);
}

BodyStatus PiecesBody::Read(Platform& platform, const BodySink& sink) const {
  constexpr std::uint64_t kChunk = 64 * 1024;
  std::vector<char> buffer;
  for (const FilePiece& piece : pieces_) {
    std::unique_ptr<ReadOnlyFile> file = platform.OpenForReading(piece.path);
    if (!file || piece.offset > file->Size() || piece.size > file->Size() - piece.offset) return BodyStatus::kUnreadable;
    buffer.resize(static_cast<std::size_t>(std::min(piece.size, kChunk)));
    for (std::uint64_t done = 0; done < piece.size;) {
      std::size_t want = static_cast<std::size_t>(std::min(piece.size - done, kChunk));
      std::optional<std::size_t> got = file->ReadAt(piece.offset + done, buffer.data(), want);
      if (!got || *got != want) return BodyStatus::kUnreadable;
      if (!sink(std::string_view(buffer.data(), want))) return BodyStatus::kStopped;
      done += want;
    }
  }
  return complete_ ? BodyStatus::kWhole : BodyStatus::kPartial;
}

}  // namespace morlind::chromium
