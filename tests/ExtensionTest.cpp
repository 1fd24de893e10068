#include "search/Extension.h"

#include <gtest/gtest.h>

#include <tuple>

namespace morlind {
namespace {

TEST(NameMatches, IsAPlainEndingTestFoldingOnlyAsciiCase) {
  const std::string picture = "图片";
  // Name, ending, whether it matches.
  const std::tuple<std::string, std::string, bool> cases[] = {
      {"photo.jpg", "jpg", true},      {"photo.JPG", "jpg", true},    {"photojpg", "jpg", true},
      {"a.xjpg", "jpg", true},         {"photo.jpg", ".JPG", true},   {"photojpg", ".jpg", false},
      {"photo.jpeg", "jpg", false},    {"mid", "mid", true},          {"id", "mid", false},
      // Only a bare star or empty text matches everything.
      {"README", "*", true},           {"README", "", true},          {"video.flv", "*.flv", false},
      {"video.flv", "*.*", false},     {picture + ".JPG", "jpg", true}, {picture, "片", true},
      {"ñ.jpg", "Ñ.JPG", false},  // only ASCII letters fold
      {"Ðata", "data", false},   {"한국.jpg", "국.JPG", true},
      // The letters' ends fold, their neighbours do not.
      {"x.A", "a", true},              {"x.Z", "z", true},            {"x.@", "`", false},
      {"x.[", "{", false},
  };
  for (const auto& [name, ending, matches] : cases) {
    EXPECT_EQ(NameMatches(name, ending), matches) << name << " " << ending;
  }
}

TEST(SettleExtension, TypedTextWinsOverListThenPreviousIsKept) {
  EXPECT_EQ(SettleExtension("old", std::string("jpg"), "JPG"), "JPG");
  EXPECT_EQ(SettleExtension("old", std::string("jpg"), ""), "jpg");
  EXPECT_EQ(SettleExtension("old", std::nullopt, ""), "old");
  EXPECT_EQ(SettleExtension("old", std::nullopt, " .Swf "), " .Swf ");
  EXPECT_EQ(SettleExtension("", std::nullopt, "abcdefghijkl"), "abcdefghi");
}

// What nine bytes of code page 936 held: ASCII one byte, a Chinese
// character (or one the code page lacks) two, the euro sign one; never half
// a character.
TEST(CutExtension, KeepsWhatNineBytesOfTheOldCodePageHeld) {
  const std::pair<std::string, std::string> cases[] = {
      {"abcdefghijkl", "abcdefghi"},   {"€€€€€€€€€€", "€€€€€€€€€"}, {"图片图片图片", "图片图片"},
      {"a图片图片图片", "a图片图片"},  {"abcdefgh图", "abcdefgh"},  {"ab图", "ab图"},
      {"한국한국한국", "한국한국"},    {"😀😀😀😀😀", "😀😀😀😀"},   {"abcdefg€图", "abcdefg€"}};
  for (const auto& [text, kept] : cases) EXPECT_EQ(CutExtension(text), kept) << text;
}

}  // namespace
}  // namespace morlind
