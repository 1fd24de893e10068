#include "search/Extension.h"

#include <gtest/gtest.h>

namespace morlind {
namespace {

TEST(NameMatches, IsAPlainEndingTestFoldingAsciiCase) {
  EXPECT_TRUE(NameMatches("photo.jpg", "jpg"));
  EXPECT_TRUE(NameMatches("photo.JPG", "jpg"));
  EXPECT_TRUE(NameMatches("photojpg", "jpg"));
  EXPECT_TRUE(NameMatches("a.xjpg", "jpg"));
  EXPECT_TRUE(NameMatches("photo.jpg", ".JPG"));
  EXPECT_FALSE(NameMatches("photojpg", ".jpg"));
  EXPECT_FALSE(NameMatches("photo.jpeg", "jpg"));
  EXPECT_TRUE(NameMatches("mid", "mid"));
  EXPECT_FALSE(NameMatches("id", "mid"));
}

TEST(NameMatches, OnlyABareStarOrEmptyTextMatchesEverything) {
  EXPECT_TRUE(NameMatches("README", "*"));
  EXPECT_TRUE(NameMatches("README", ""));
  EXPECT_FALSE(NameMatches("video.flv", "*.flv"));
  EXPECT_FALSE(NameMatches("video.flv", "*.*"));
}

TEST(NameMatches, ComparesDoubleByteNamesBytewise) {
  // "图片.JPG" and "图片" in code page 936; only ASCII letters fold.
  const std::string picture = "\xCD\xBC\xC6\xAC";
  EXPECT_TRUE(NameMatches(picture + ".JPG", "jpg"));
  EXPECT_TRUE(NameMatches(picture, "\xC6\xAC"));
  EXPECT_FALSE(NameMatches(picture, "\xE6\xAC"));  // 0xC6 is not a letter to fold
}

TEST(CutExtension, KeepsNineBytesWithoutSplittingADoubleByteCharacter) {
  EXPECT_EQ(CutExtension("jpg"), "jpg");
  EXPECT_EQ(CutExtension("123456789"), "123456789");
  EXPECT_EQ(CutExtension("1234567890abc"), "123456789");
  // Four double-byte characters fill eight bytes; the fifth would split.
  const std::string five = "\xCD\xBC\xC6\xAC\xCD\xBC\xC6\xAC\xCD\xBC";
  EXPECT_EQ(CutExtension(five), five.substr(0, 8));
  EXPECT_EQ(CutExtension("a" + five), "a" + five.substr(0, 8));
  // A lone lead byte at the end counts as one byte.
  EXPECT_EQ(CutExtension("abc\xCD"), "abc\xCD");
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
