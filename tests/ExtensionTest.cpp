// Typed text of any shape against names of every byte class: ReliabilityTest.cpp.
#include "search/Extension.h"

#include <gtest/gtest.h>

namespace morlind {
namespace {

TEST(NameMatches, IsAPlainEndingTestFoldingOnlyAsciiCase) {
  const std::string picture = "\xCD\xBC\xC6\xAC";  // 图片 in code page 936
  const struct {
    std::string name, ending;
    bool matches;
  } cases[] = {
      {"photo.jpg", "jpg", true},      {"photo.JPG", "jpg", true},    {"photojpg", "jpg", true},
      {"a.xjpg", "jpg", true},         {"photo.jpg", ".JPG", true},   {"photojpg", ".jpg", false},
      {"photo.jpeg", "jpg", false},    {"mid", "mid", true},          {"id", "mid", false},
      // Only a bare star or empty text matches everything.
      {"README", "*", true},           {"README", "", true},          {"video.flv", "*.flv", false},
      {"video.flv", "*.*", false},     {picture + ".JPG", "jpg", true}, {picture, "\xC6\xAC", true},
      {picture, "\xE6\xAC", false},  // 0xC6 is no letter to fold
      // The letters' ends fold, their neighbours do not.
      {"x.A", "a", true},              {"x.Z", "z", true},            {"x.@", "`", false},
      {"x.[", "{", false},
  };
  for (const auto& c : cases) EXPECT_EQ(NameMatches(c.name, c.ending), c.matches) << c.name << " " << c.ending;
}

TEST(SettleExtension, TypedTextWinsOverListThenPreviousIsKept) {
  EXPECT_EQ(SettleExtension("old", std::string("jpg"), "JPG"), "JPG");
  EXPECT_EQ(SettleExtension("old", std::string("jpg"), ""), "jpg");
  EXPECT_EQ(SettleExtension("old", std::nullopt, ""), "old");
  EXPECT_EQ(SettleExtension("old", std::nullopt, " .Swf "), " .Swf ");
  EXPECT_EQ(SettleExtension("", std::nullopt, "abcdefghijkl"), "abcdefghi");
}

// Nine bytes at most, never half a double-byte character: lead bytes run
// from 0x81 to 0xFE, and one that ends the text stands alone.
TEST(CutExtension, KeepsDoubleByteCharactersWhole) {
  const std::pair<std::string, std::size_t> cases[] = {
      {std::string(5, '\x80') + std::string(5, '\x80'), 9}, {"\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40", 8},
      {"\xFE\x40\xFE\x40\xFE\x40\xFE\x40\xFE\x40", 8}, {std::string(10, '\xFF'), 9},
      {"\xCD\xBC\xCD\xBC\xCD\xBC\xCD\xBC\xCD\xBC", 8}, {"a\xCD\xBC\xCD\xBC\xCD\xBC\xCD\xBC", 9},
      {"abcdefgh\xCD", 9}, {"ab\xCD", 3}};
  for (const auto& [text, kept] : cases) EXPECT_EQ(CutExtension(text).size(), kept) << testing::PrintToString(text);
}

}  // namespace
}  // namespace morlind
