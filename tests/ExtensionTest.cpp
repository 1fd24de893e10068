// The cut of typed text is tried at every position in ReliabilityTest.cpp.
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

}  // namespace
}  // namespace morlind
