#include "caches/EntryName.h"

#include <gtest/gtest.h>

#include <tuple>

namespace morlind {
namespace {

TEST(EntryName, FromAddressAndContentType) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"http://127.0.0.1:8000/img/photo.jpg", "image/jpeg", "photo.jpg"},
      {"http://h/%E5%9B%BE%E7%89%87/%E7%8C%AB.png?size=small&v=2", "image/png", "猫.png"},
      {"http://h/a/b.css#top?x", "", "b.css"},
      {"http://h/docs/", "text/html; charset=utf-8", "index.html"},
      {"http://h/docs/?q=a/b.jpg", "", "index"},
      {"http://h", "text/html", "index.html"},
      {"http://h/avatar/noext", "image/png", "noext.png"},
      {"http://h/avatar/noext", "IMAGE/PNG ; q=1", "noext.png"},
      {"http://h/avatar/noext", "application/x-unknown", "noext"},
      {"http://h/v1.2", "image/png", "v1.2"},
      // Endings that are not the type's own name; parameters and case ignored.
      {"http://h/x", "text/javascript", "x.js"},
      {"http://h/x", "image/svg+xml", "x.svg"},
      {"http://h/x", "audio/mpeg", "x.mp3"},
      {"http://h/x", " Text/CSS;charset=x", "x.css"},
      {"http://h/x", "image/jpeg2", "x"},
      // Escapes that are no UTF-8 stay as written; decoded ones that no
      // Windows name may hold become '_'.
      {"http://h/%FF%E7%8C%AB%E7%8C.txt", "", "%FF猫%E7%8C.txt"},
      {"http://h/a%2Fb%3Ac%00%7F%C2%85d%25.txt", "", "a_b_c___d%.txt"},
      {"http://h/%3C%3E%22%7C%2A%3F%5C", "", "_______"},
      {"http://h/bad\xFFraw.txt", "", "bad_raw.txt"},
      {"http://h/%zz%4", "", "%zz%4"},
      {"http://h/photo%E2%80%AEgpj.exe%E2%81%A9%E2%80%8F", "", "photo_gpj.exe__"},
      {"http://h/%E0%9F%BF%ED%A0%80%F4%90%80%80%E7%8C%41%C3", "", "%E0%9F%BF%ED%A0%80%F4%90%80%80%E7%8CA%C3"},
      {"http://h/%E0%A0%80%F4%8F%BF%BF%E4%B8%80", "", "\xE0\xA0\x80\xF4\x8F\xBF\xBF\xE4\xB8\x80"},
      // What Windows would drop or read as a device.
      {"http://h/photo.", "image/jpeg", "photo.jpg"},
      {"http://h/name%20.%20", "", "name"},
      {"http://h/..", "text/html", "index.html"},
      {"http://h/%2E%2E", "", "index"},
      {"http://h/con", "text/html", "_con.html"},
      {"http://h/NUL.txt", "", "_NUL.txt"},
      {"http://h/Com1%20.js", "", "_Com1 .js"},
      {"http://h/lpt%C2%B9", "", "_lpt¹"},
      {"http://h/conout$", "", "_conout$"},
      {"http://h/console", "", "console"},
      {"http://h/com10", "", "com10"},
  };
  for (const auto& [address, type, expected] : cases) {
    EXPECT_EQ(EntryFileName(address, type), expected) << address << " " << type;
  }
}

TEST(EntryName, LongNamesAreCutKeepingTheirEnding) {
  std::string cut = EntryFileName("http://h/" + std::string(300, 'a') + ".jpeg", "");
  EXPECT_EQ(cut, std::string(kMostNameUnits - 5, 'a') + ".jpeg");
  // Characters outside the BMP take two UTF-16 units and are never split.
  std::string wide;
  for (int k = 0; k < 150; ++k) wide += "\xF0\x9F\x98\x80";
  std::string cutWide = EntryFileName("http://h/" + wide, "image/png");
  EXPECT_EQ(cutWide, wide.substr(0, 4 * ((kMostNameUnits - 4) / 2)) + ".png");
}

TEST(EntryName, NumberedNamesGoBeforeTheEnding) {
  EXPECT_EQ(NumberedName("logo.png", 2), "logo (2).png");
  EXPECT_EQ(NumberedName("a.b.tar", 13), "a.b (13).tar");
  EXPECT_EQ(NumberedName("index", 3), "index (3)");
  EXPECT_EQ(NumberedName(".htaccess", 2), ".htaccess (2)");
}

}  // namespace
}  // namespace morlind
