#include "caches/BodyDecoder.h"

#include <gtest/gtest.h>

#include "tests/CacheTestData.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::DataFile;
std::string Served(const std::string& index) { return DataFile("caches/served/" + index + ".body"); }

struct Decoded {
  DecodeStatus status = DecodeStatus::kUndecodable;
  std::string body;
  std::size_t pieces = 0, largestPiece = 0;
};

// Feeds stored in pieces of pieceSize bytes, after an empty one.
Decoded Decode(std::string_view encoding, std::string_view stored, std::size_t pieceSize) {
  Decoded out;
  auto decoder = BodyDecoder::For(encoding, [&](std::string_view piece) {
    out.body += piece;
    out.largestPiece = std::max(out.largestPiece, piece.size());
    return ++out.pieces, true;
  });
  if (!decoder) return out;
  decoder->Take({});
  for (std::size_t at = 0; at < stored.size() && decoder->Take(stored.substr(at, pieceSize)); at += pieceSize) {
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
  std::string script = Served("07"), script200;
  for (int k = 0; k < 200; ++k) script200 += script;
  return {
      {"gzip", DataFile("decode/07.gz"), script},
      {"x-gzip", DataFile("decode/07.gz"), script},
      {"deflate", DataFile("decode/08.zlib"), Served("08")},
      {"deflate", DataFile("decode/08.deflate"), Served("08")},
      {"br", DataFile("decode/09.br"), Served("09")},
      {"zstd", DataFile("decode/10.zst"), Served("10")},
      {"gzip, br", DataFile("decode/09.gz.br"), Served("09")},
      {" GZIP ,\tBr ", DataFile("decode/09.gz.br"), Served("09")},
      {"gzip", DataFile("decode/07x200.gz"), script200},
      {"br", DataFile("decode/07x200.br"), script200},
      {"zstd", DataFile("decode/07x200.zst"), script200},
      // Raw deflate of nothing; raw deflate whose stored block starts as
      // a zlib header would, but for its window size.
      {"deflate", std::string("\x03\x00", 2), ""},
      {"deflate", std::string("\x88\x1C\x00\xE3\xFFstored, and looks like zlib!\x03\x00", 35),
       "stored, and looks like zlib!"},
      {"identity", Served("00"), Served("00")},
      {"", Served("01"), Served("01")},
      {"br", "", ""},
  };
}

// Whole in any pieces, handed on in bounded pieces, never gathered whole;
// cut short or damaged, corrupt.
TEST(BodyDecoder, DecodesWhatTheRealToolsEncoded) {
  for (const Case& c : ServedCases()) {
    SCOPED_TRACE(c.encoding);
    for (std::size_t pieceSize : {std::size_t{1}, std::size_t{7}, c.stored.size() + 1}) {
      Decoded decoded = Decode(c.encoding, c.stored, pieceSize);
      EXPECT_EQ(decoded.status, DecodeStatus::kWhole) << pieceSize;
      EXPECT_EQ(decoded.body, c.body) << pieceSize;
      EXPECT_LE(decoded.largestPiece, 64u * 1024);
    }
    if (c.stored == c.body) continue;  // not encoded
    for (std::size_t kept : {std::size_t{1}, c.stored.size() / 2, c.stored.size() - 1}) {
      EXPECT_EQ(Decode(c.encoding, c.stored.substr(0, kept), 64).status, DecodeStatus::kCorrupt) << kept;
    }
    EXPECT_EQ(Decode(c.encoding, "this is no encoded body at all", 64).status, DecodeStatus::kCorrupt);
  }
  EXPECT_GE(Decode("gzip", DataFile("decode/07x200.gz"), 1 << 20).pieces, 5u);
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
  EXPECT_EQ(Decode("gzip", gzip + "trailing", 64).body, Served("07"));
  EXPECT_EQ(Decode("zstd", zstd + zstd, 64).body, Served("10") + Served("10"));
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

// Hands the stored bytes on at once, then ends as told.
struct StoredBody : BodyReader {
  StoredBody(std::string stored, BodyStatus status) : stored(std::move(stored)), status(status) {}
  BodyStatus Read(Platform&, const BodySink& sink) const override {
    return ++reads, sink(stored) ? status : BodyStatus::kStopped;
  }
  std::string stored;
  BodyStatus status;
  mutable int reads = 0;
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
    EXPECT_EQ(ReadDecodedBody(test::HostPlatform(), entry, [&](std::string_view) { return c.sinkTakes; }), c.expected);
    EXPECT_EQ(body->reads, c.reads);
  }
}

}  // namespace
}  // namespace morlind
