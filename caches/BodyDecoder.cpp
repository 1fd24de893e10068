#include "caches/BodyDecoder.h"

#include <algorithm>
#include <array>
#include <cstdint>

#define ZLIB_CONST
#include <brotli/decode.h>
#include <zlib.h>
#include <zstd.h>

#include "platform/Utf8.h"

namespace morlind {

namespace {

// Each stage hands its output on in pieces of this size at most.
constexpr std::size_t kOutputChunk = 64 * 1024;
// One coding is what servers send; each stage may hold a window of up to
// 16 MB, so a longer chain than this is refused rather than decoded.
constexpr std::size_t kMostCodings = 4;
// RFC 9659 caps a zstd-encoded HTTP body's window at 8 MB (2^23); browsers
// refuse larger ones, and so the decoder's memory stays bounded.
constexpr int kZstdWindowLogMax = 23;

enum class Flow { kGoOn, kStopped, kCorrupt };

class Stage {
 public:
  virtual ~Stage() = default;
  virtual Flow Take(std::string_view in) = 0;
  // After the last input: whether the encoded data ended where it should.
  virtual Flow Finish() = 0;
};

class SinkStage final : public Stage {
 public:
  explicit SinkStage(BodySink sink) : sink_(std::move(sink)) {}
  Flow Take(std::string_view in) override { return in.empty() || sink_(in) ? Flow::kGoOn : Flow::kStopped; }
  Flow Finish() override { return Flow::kGoOn; }

 private:
  BodySink sink_;
};

class DecodingStage : public Stage {
 protected:
  explicit DecodingStage(Stage& next) : next_(next) {}

  Flow Hand(std::size_t produced) {
    return next_.Take(std::string_view(reinterpret_cast<const char*>(output_.data()), produced));
  }
  // No input at all is an empty body; input that stops before the
  // encoding's end is a body cut short.
  Flow FinishWith(bool ended) { return ended || !tookAny_ ? next_.Finish() : Flow::kCorrupt; }

  std::array<std::uint8_t, kOutputChunk> output_;
  bool tookAny_ = false;

 private:
  Stage& next_;
};

// gzip, and deflate with or without its zlib wrapper: servers send both for
// "deflate", and browsers accept both.
class ZlibStage final : public DecodingStage {
 public:
  ZlibStage(Stage& next, ContentCoding coding) : DecodingStage(next), gzip_(coding == ContentCoding::kGzip) {}
  ~ZlibStage() override {
    if (started_) inflateEnd(&stream_);
  }

  Flow Take(std::string_view in) override {
    if (in.empty()) return Flow::kGoOn;
    tookAny_ = true;
    if (!started_) {
      if (!gzip_) {
        // A zlib wrapper shows in the first two bytes; wait for both.
        head_.append(in);
        if (head_.size() < 2) return Flow::kGoOn;
        in = head_;
      }
      int windowBits = gzip_ ? 16 + MAX_WBITS : HasZlibWrapper() ? MAX_WBITS : -MAX_WBITS;
      if (inflateInit2(&stream_, windowBits) != Z_OK) return Flow::kCorrupt;
      started_ = true;
    }
    return Inflate(in);
  }

  Flow Finish() override { return FinishWith(ended_); }

 private:
  // RFC 1950: method 8 with a window of at most 32 KB, and a header whose
  // 16-bit value is a multiple of 31. Raw deflate looks so only when it
  // starts with a stored block that is not the last, and then once in 31.
  bool HasZlibWrapper() const {
    auto method = static_cast<unsigned char>(head_[0]);
    auto flags = static_cast<unsigned char>(head_[1]);
    return (method & 0x0F) == Z_DEFLATED && (method >> 4) <= 7 && (method * 256 + flags) % 31 == 0;
  }

  Flow Inflate(std::string_view in) {
    // Bytes after the end of the stream are ignored, as Chromium does.
    while (!in.empty() && !ended_) {
      // zlib counts its input in 32 bits.
      std::size_t slice = std::min<std::size_t>(in.size(), UINT32_MAX);
      stream_.next_in = reinterpret_cast<const Bytef*>(in.data());
      stream_.avail_in = static_cast<uInt>(slice);
      in.remove_prefix(slice);
      do {
        stream_.next_out = output_.data();
        stream_.avail_out = kOutputChunk;
        int result = inflate(&stream_, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return Flow::kCorrupt;
        if (Flow flow = Hand(kOutputChunk - stream_.avail_out); flow != Flow::kGoOn) return flow;
        ended_ = result == Z_STREAM_END;
      } while (!ended_ && (stream_.avail_in > 0 || stream_.avail_out == 0));
    }
    return Flow::kGoOn;
  }

  bool gzip_;
  bool started_ = false;
  bool ended_ = false;
  std::string head_;
  z_stream stream_{};
};

class BrotliStage final : public DecodingStage {
 public:
  explicit BrotliStage(Stage& next)
      : DecodingStage(next), state_(BrotliDecoderCreateInstance(nullptr, nullptr, nullptr)) {}

  Flow Take(std::string_view in) override {
    if (in.empty() || ended_) return Flow::kGoOn;
    tookAny_ = true;
    if (!state_) return Flow::kCorrupt;
    auto nextIn = reinterpret_cast<const std::uint8_t*>(in.data());
    std::size_t availableIn = in.size();
    for (;;) {
      std::uint8_t* nextOut = output_.data();
      std::size_t availableOut = kOutputChunk;
      BrotliDecoderResult result =
          BrotliDecoderDecompressStream(state_.get(), &availableIn, &nextIn, &availableOut, &nextOut, nullptr);
      if (result == BROTLI_DECODER_RESULT_ERROR) return Flow::kCorrupt;
      if (Flow flow = Hand(kOutputChunk - availableOut); flow != Flow::kGoOn) return flow;
      if (result == BROTLI_DECODER_RESULT_SUCCESS) ended_ = true;
      if (result != BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT) return Flow::kGoOn;
    }
  }

  Flow Finish() override { return FinishWith(ended_); }

 private:
  struct Destroy {
    void operator()(BrotliDecoderState* state) const { BrotliDecoderDestroyInstance(state); }
  };
  std::unique_ptr<BrotliDecoderState, Destroy> state_;
  bool ended_ = false;
};

// Frames may follow one another; each must be whole.
class ZstdStage final : public DecodingStage {
 public:
  explicit ZstdStage(Stage& next) : DecodingStage(next), context_(ZSTD_createDCtx()) {
    if (context_) ZSTD_DCtx_setParameter(context_.get(), ZSTD_d_windowLogMax, kZstdWindowLogMax);
  }

  Flow Take(std::string_view in) override {
    if (in.empty()) return Flow::kGoOn;
    tookAny_ = true;
    if (!context_) return Flow::kCorrupt;
    ZSTD_inBuffer input{in.data(), in.size(), 0};
    ZSTD_outBuffer output{};
    do {
      output = ZSTD_outBuffer{output_.data(), kOutputChunk, 0};
      std::size_t result = ZSTD_decompressStream(context_.get(), &output, &input);
      if (ZSTD_isError(result)) return Flow::kCorrupt;
      if (Flow flow = Hand(output.pos); flow != Flow::kGoOn) return flow;
      inFrame_ = result != 0;
    } while (input.pos < input.size || output.pos == output.size);
    return Flow::kGoOn;
  }

  Flow Finish() override { return FinishWith(!inFrame_); }

 private:
  struct Free {
    void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
  };
  std::unique_ptr<ZSTD_DCtx, Free> context_;
  bool inFrame_ = false;
};

class ChainDecoder final : public BodyDecoder {
 public:
  ChainDecoder(const std::vector<ContentCoding>& codings, BodySink sink) : sink_(std::move(sink)) {
    // The first coding applied is undone last, so it writes to the sink.
    Stage* next = &sink_;
    for (ContentCoding coding : codings) {
      if (coding == ContentCoding::kBrotli) {
        stages_.push_back(std::make_unique<BrotliStage>(*next));
      } else if (coding == ContentCoding::kZstd) {
        stages_.push_back(std::make_unique<ZstdStage>(*next));
      } else {
        stages_.push_back(std::make_unique<ZlibStage>(*next, coding));
      }
      next = stages_.back().get();
    }
    first_ = next;
  }

  bool Take(std::string_view piece) override {
    if (flow_ == Flow::kGoOn) flow_ = first_->Take(piece);
    return flow_ == Flow::kGoOn;
  }

  DecodeStatus Finish() override {
    if (flow_ == Flow::kGoOn) flow_ = first_->Finish();
    if (flow_ == Flow::kStopped) return DecodeStatus::kStopped;
    return flow_ == Flow::kCorrupt ? DecodeStatus::kCorrupt : DecodeStatus::kWhole;
  }

 private:
  SinkStage sink_;
  std::vector<std::unique_ptr<Stage>> stages_;
  Stage* first_;
  Flow flow_ = Flow::kGoOn;
};

bool IsHttpSpace(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::optional<std::vector<ContentCoding>> ParseContentEncoding(std::string_view contentEncoding) {
  std::vector<ContentCoding> codings;
  while (!contentEncoding.empty()) {
    std::size_t comma = std::min(contentEncoding.find(','), contentEncoding.size());
    std::string_view item = contentEncoding.substr(0, comma);
    contentEncoding.remove_prefix(std::min(comma + 1, contentEncoding.size()));
    while (!item.empty() && IsHttpSpace(item.front())) item.remove_prefix(1);
    while (!item.empty() && IsHttpSpace(item.back())) item.remove_suffix(1);
    std::string name = FoldedAscii(item);
    if (name.empty() || name == "identity") continue;
    if (name == "gzip" || name == "x-gzip") {
      codings.push_back(ContentCoding::kGzip);
    } else if (name == "deflate") {
      codings.push_back(ContentCoding::kDeflate);
    } else if (name == "br") {
      codings.push_back(ContentCoding::kBrotli);
    } else if (name == "zstd") {
      codings.push_back(ContentCoding::kZstd);
    } else {
      return std::nullopt;
    }
  }
  if (codings.size() > kMostCodings) return std::nullopt;
  return codings;
}

std::unique_ptr<BodyDecoder> BodyDecoder::For(std::string_view contentEncoding, BodySink sink) {
  std::optional<std::vector<ContentCoding>> codings = ParseContentEncoding(contentEncoding);
  if (!codings) return nullptr;
  return std::make_unique<ChainDecoder>(*codings, std::move(sink));
}

DecodeStatus ReadDecodedBody(Platform& platform, const CacheEntry& entry, const BodySink& sink) {
  std::unique_ptr<BodyDecoder> decoder = BodyDecoder::For(entry.contentEncoding, sink);
  if (!decoder) return DecodeStatus::kUndecodable;
  if (!entry.body) return DecodeStatus::kUnreadable;
  BodyStatus read = entry.body->Read(platform, [&](std::string_view piece) { return decoder->Take(piece); });
  if (read == BodyStatus::kUnreadable) return DecodeStatus::kUnreadable;
  if (read == BodyStatus::kPartial) return DecodeStatus::kPartial;
  DecodeStatus decoded = decoder->Finish();
  // A reader that stopped without the decoder asking it to keeps its word.
  return read == BodyStatus::kStopped && decoded == DecodeStatus::kWhole ? DecodeStatus::kStopped : decoded;
}

}  // namespace morlind
