#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace morlind {
namespace {

// Every name the system can hold comes back exactly, lone surrogates too;
// text that is no UTF-8 becomes replacement characters, never other names.
TEST(Utf8, RoundTripsEveryUtf16NameAndReplacesBrokenBytes) {
  const std::u16string names[] = {u"", u"plain.jpg", u"Ðata", u"한국.jpg", u"😀.jpg", u"\xD800.jpg", u"x\xDC00",
                                  u"\xDBFF\xDFFF", u"\x7F\x80\x7FF\x800\xFFFF"};
  for (const std::u16string& name : names) EXPECT_EQ(Utf16OfUtf8(Utf8OfUtf16(name)), name);
  EXPECT_EQ(Utf8OfUtf16(u"Ð😀"), "Ð😀");
  EXPECT_EQ(Utf8OfUtf16(u"\xD800"), "\xED\xA0\x80");
  const std::pair<std::string, std::u16string> broken[] = {
      {"\x80", u"\xFFFD"},           {"\xC3", u"\xFFFD"},         {"a\xE2\x82", u"a\xFFFD\xFFFD"},
      {"\xC0\xAF", u"\xFFFD\xFFFD"},  {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"}, {"\xE2(a", u"\xFFFD(a"}};
  for (const auto& [bytes, wide] : broken) EXPECT_EQ(Utf16OfUtf8(bytes), wide) << testing::PrintToString(bytes);
}

}  // namespace
}  // namespace morlind
