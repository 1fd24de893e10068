// A body as the browser received it: the stored bytes undone from their
// Content-Encoding (gzip, deflate, br, zstd, or a chain of them), piece by
// piece, in bounded memory whatever the body's size.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "caches/CacheEntry.h"

namespace morlind {

// Why a body is not written: its encoding is one this program cannot undo.
inline constexpr std::string_view kUndecodableEncodingText = "无法解码此文件的内容编码。";

enum class ContentCoding { kGzip, kDeflate, kBrotli, kZstd };

// The codings of a Content-Encoding value in the order they were applied
// (identity and empty items left out); nothing when one of them cannot be
// undone here (dcb, dcz, compress, unknown), or the chain is implausibly long.
std::optional<std::vector<ContentCoding>> ParseContentEncoding(std::string_view contentEncoding);

enum class DecodeStatus {
  kWhole,        // every decoded byte was handed to the sink
  kUnreadable,   // the stored body could not be read
  kPartial,      // the cache holds only part of the body
  kStopped,      // the sink asked to stop
  kCorrupt,      // the encoded data is damaged or cut short
  kUndecodable,  // the encoding cannot be undone; nothing was read
};

// Takes the stored body in pieces and hands the decoded body on to a sink.
class BodyDecoder {
 public:
  // nullptr when contentEncoding cannot be undone.
  static std::unique_ptr<BodyDecoder> For(std::string_view contentEncoding, BodySink sink);
  virtual ~BodyDecoder() = default;

  // One more stored piece; false once decoding cannot go on (see Finish).
  virtual bool Take(std::string_view piece) = 0;
  // After the last piece: kWhole, kStopped or kCorrupt (the data ended
  // before its encoding did, or held damage).
  virtual DecodeStatus Finish() = 0;
};

// Reads entry's body through its reader and hands it on decoded. An
// undecodable encoding is refused before anything is read.
DecodeStatus ReadDecodedBody(Platform& platform, const CacheEntry& entry, const BodySink& sink);

}  // namespace morlind
