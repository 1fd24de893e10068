#include "caches/BodyDecoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/TestClock.h"

namespace morlind {
namespace {

std::string DataFile(const std::string& name) {
  std::ifstream file(std::string(MORLIND_TEST_DATA) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file) << name;
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string Served(int index) {
  return DataFile("caches/served/" + std::string(index < 10 ? "0" : "") + std::to_string(index) + ".body");
}

std::string Repeated(const std::string& text, int times) {
  std::string all;
  for (int k = 0; k < times; ++k) all += text;
  return all;
}

struct Decoded {
  DecodeStatus status;
  std::string body;
  std::size_t pieces = 0;
  std::size_t largestPiece = 0;
};

// Feeds stored in pieces of pieceSize bytes.
Decoded Decode(std::string_view encoding, std::string_view stored, std::size_t pieceSize) {
  Decoded out{DecodeStatus::kUndecodable, {}};
  auto decoder = BodyDecoder::For(encoding, [&](std::string_view piece) {
    out.body += piece;
    ++out.pieces;
    out.largestPiece = std::max(out.largestPiece, piece.size());
    return true;
  });
  if (!decoder) return out;
  decoder->Take({});
  for (std::size_t at = 0; at < stored.size(); at += pieceSize) {
    if (!decoder->Take(stored.substr(at, pieceSize))) break;
  }
  out.status = decoder->Finish();
  return out;
}

struct Case {
  const char* encoding;
  std::string stored;
  std::string body;
};

std::vector<Case> ServedCases() {
  std::string script = Served(7);
  return {
      {"gzip", DataFile("decode/07.gz"), script},
      {"x-gzip", DataFile("decode/07.gz"), script},
      {"deflate", DataFile("decode/08.zlib"), Served(8)},
      {"deflate", DataFile("decode/08.deflate"), Served(8)},
      {"br", DataFile("decode/09.br"), Served(9)},
      {"zstd", DataFile("decode/10.zst"), Served(10)},
      {"gzip, br", DataFile("decode/09.gz.br"), Served(9)},
      {" GZIP ,\tBr ", DataFile("decode/09.gz.br"), Served(9)},
      {"gzip", DataFile("decode/07x200.gz"), Repeated(script, 200)},
      {"br", DataFile("decode/07x200.br"), Repeated(script, 200)},
      {"zstd", DataFile("decode/07x200.zst"), Repeated(script, 200)},
      // Raw deflate of nothing; raw deflate whose stored block starts as
      // a zlib header would, but for its window size.
      {"deflate", std::string("\x03\x00", 2), ""},
      {"deflate", std::string("\x88\x1C\x00\xE3\xFFstored, and looks like zlib!\x03\x00", 35),
       "stored, and looks like zlib!"},
      {"identity", Served(0), Served(0)},
      {"", Served(1), Served(1)},
      {"br", "", ""},
  };
}

TEST(BodyDecoder, DecodesWhatTheRealToolsEncodedInAnyPieces) {
  for (const Case& c : ServedCases()) {
    for (std::size_t pieceSize : {std::size_t{1}, std::size_t{7}, c.stored.size() + 1}) {
      SCOPED_TRACE(std::string(c.encoding) + ", pieces of " + std::to_string(pieceSize));
      Decoded decoded = Decode(c.encoding, c.stored, pieceSize);
      EXPECT_EQ(decoded.status, DecodeStatus::kWhole);
      EXPECT_EQ(decoded.body, c.body);
      // Handed on in bounded pieces, never gathered whole.
      EXPECT_LE(decoded.largestPiece, 64u * 1024);
    }
  }
  EXPECT_GE(Decode("gzip", DataFile("decode/07x200.gz"), 1 << 20).pieces, 5u);
}

TEST(BodyDecoder, BodiesCutShortOrDamagedAreCorrupt) {
  for (const Case& c : ServedCases()) {
    if (c.stored == c.body) continue;  // not encoded
    SCOPED_TRACE(c.encoding);
    for (std::size_t kept : {std::size_t{1}, c.stored.size() / 2, c.stored.size() - 1}) {
      EXPECT_EQ(Decode(c.encoding, c.stored.substr(0, kept), 64).status, DecodeStatus::kCorrupt) << kept;
    }
    EXPECT_EQ(Decode(c.encoding, "this is no encoded body at all", 64).status, DecodeStatus::kCorrupt);
  }
  // Another encoding's data, and a zstd window over the 8 MB HTTP allows.
  EXPECT_EQ(Decode("gzip", DataFile("decode/08.zlib"), 64).status, DecodeStatus::kCorrupt);
  EXPECT_EQ(Decode("deflate", DataFile("decode/07.gz"), 64).status, DecodeStatus::kCorrupt);
  EXPECT_EQ(Decode("zstd", DataFile("decode/10.window16m.zst"), 64).status, DecodeStatus::kCorrupt);
}

TEST(BodyDecoder, WhatFollowsTheEnd) {
  std::string gzip = DataFile("decode/07.gz");
  std::string zstd = DataFile("decode/10.zst");
  // Bytes after a gzip stream are ignored, as browsers do; zstd frames
  // may follow one another, but anything else after them is damage.
  EXPECT_EQ(Decode("gzip", gzip + "trailing", 64).body, Served(7));
  EXPECT_EQ(Decode("zstd", zstd + zstd, 64).body, Served(10) + Served(10));
  EXPECT_EQ(Decode("zstd", zstd + "trailing", 64).status, DecodeStatus::kCorrupt);
}

TEST(BodyDecoder, RefusesEncodingsItCannotUndo) {
  for (const char* encoding : {"dcb", "dcz", "compress", "gzip, dcb", "x-unknown", "gzip,gzip,gzip,gzip,gzip"}) {
    EXPECT_FALSE(ParseContentEncoding(encoding)) << encoding;
    EXPECT_EQ(BodyDecoder::For(encoding, [](std::string_view) { return true; }), nullptr) << encoding;
  }
  EXPECT_EQ(ParseContentEncoding("identity, gzip,, zstd"),
            (std::vector<ContentCoding>{ContentCoding::kGzip, ContentCoding::kZstd}));
}

TEST(BodyDecoder, StopsWhenTheSinkAsks) {
  int calls = 0;
  auto decoder = BodyDecoder::For("zstd", [&](std::string_view) { return ++calls < 2; });
  EXPECT_FALSE(decoder->Take(DataFile("decode/07x200.zst")));
  EXPECT_FALSE(decoder->Take("more"));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(decoder->Finish(), DecodeStatus::kStopped);
}

class StoredBody : public BodyReader {
 public:
  StoredBody(std::string stored, BodyStatus status) : stored_(std::move(stored)), status_(status) {}
  BodyStatus Read(Platform&, const BodySink& sink) const override {
    ++reads;
    if (!sink(stored_)) return BodyStatus::kStopped;
    return status_;
  }
  mutable int reads = 0;

 private:
  std::string stored_;
  BodyStatus status_;
};

TEST(BodyDecoder, ReadsAnEntrysBodyDecoded) {
  struct ReadCase {
    const char* encoding;
    std::string stored;
    BodyStatus read;
    bool sinkTakes;
    DecodeStatus expected;
    int reads;
  } cases[] = {
      {"gzip", DataFile("decode/07.gz"), BodyStatus::kWhole, true, DecodeStatus::kWhole, 1},
      {"gzip", DataFile("decode/07.gz").substr(0, 100), BodyStatus::kWhole, true, DecodeStatus::kCorrupt, 1},
      {"gzip", DataFile("decode/07.gz"), BodyStatus::kWhole, false, DecodeStatus::kStopped, 1},
      {"gzip", "", BodyStatus::kUnreadable, true, DecodeStatus::kUnreadable, 1},
      {"", "part", BodyStatus::kPartial, true, DecodeStatus::kPartial, 1},
      {"", "", BodyStatus::kStopped, true, DecodeStatus::kStopped, 1},
      {"dcb", "anything", BodyStatus::kWhole, true, DecodeStatus::kUndecodable, 0},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.encoding + (" " + std::to_string(static_cast<int>(c.read))));
    auto body = std::make_shared<StoredBody>(c.stored, c.read);
    CacheEntry entry;
    entry.contentEncoding = c.encoding;
    entry.body = body;
    std::string written;
    EXPECT_EQ(ReadDecodedBody(test::HostPlatform(), entry, [&](std::string_view piece) {
                written += piece;
                return c.sinkTakes;
              }),
              c.expected);
    EXPECT_EQ(body->reads, c.reads);
    if (c.expected == DecodeStatus::kWhole) {
      EXPECT_EQ(written, Served(7));
    }
  }
}

}  // namespace
}  // namespace morlind
