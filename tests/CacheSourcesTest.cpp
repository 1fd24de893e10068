#include "caches/CacheSources.h"

#include <gtest/gtest.h>

#include "caches/ChromiumSql.h"
#include "platform/Paths.h"
#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

// Knows its folders by one file or folder they hold.
class MarkedFormat : public CacheFormat {
 public:
  explicit MarkedFormat(std::string marker) : marker(std::move(marker)) {}
  bool Recognises(Platform& platform, const std::string& folder) const override {
    return platform.AttributesOf(JoinPath(folder, marker)).has_value();
  }
  CacheListing Read(Platform&, const std::string&, const std::atomic<bool>*) const override { return {}; }
  std::string marker;
};

const std::string kLocal = "C:\\Users\\u\\AppData\\Local";

// "display name | profile | format's marker | folder below kLocal"
std::vector<std::string> Described(const std::vector<CacheSource>& sources) {
  std::vector<std::string> lines;
  for (const CacheSource& source : sources) {
    const auto* marked = dynamic_cast<const MarkedFormat*>(source.format);
    std::string marker = marked ? marked->marker : "sql";
    lines.push_back(source.displayName + " | " + source.profile + " | " + marker + " | " +
                    source.folder.substr(kLocal.size() + 1));
  }
  return lines;
}

TEST(CacheSources, FindsEachProfilesCacheByItsFiles) {
  FakePlatform fake{test::HostPlatform()};
  const std::string chrome = kLocal + "\\Google\\Chrome\\User Data\\";
  fake.AddFile(chrome + "Default\\Cache\\Cache_Data\\index");
  fake.AddFolder(chrome + "Profile 1\\Cache\\Cache_Data\\index-dir");
  fake.AddFolder(chrome + "System Profile");
  fake.AddFolder(chrome + "Guest Profile\\Cache\\Cache_Data");  // empty: nothing to list
  fake.AddFile(chrome + "Local State");
  // Links in place of a profile and of a cache folder are never entered.
  fake.AddFile("D:\\elsewhere\\Cache\\Cache_Data\\index");
  fake.AddLink(chrome + "Profile 2", "D:\\elsewhere");
  fake.AddLink(chrome + "Profile 3\\Cache", "D:\\elsewhere\\Cache");
  fake.AddLink(kLocal + "\\Vivaldi", "D:\\elsewhere");
  fake.AddFile(kLocal + "\\Microsoft\\Edge\\User Data\\Default\\Cache\\Cache_Data\\sqldb0");
  fake.AddFile(kLocal + "\\BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache\\index");
  fake.AddFile(kLocal + "\\BraveSoftware\\Brave-Browser\\User Data\\Profile 1\\Cache\\sqldb0\\f");
  fake.AddFile(kLocal + "\\Chromium\\User Data\\Default\\Cache\\Cache_Data\\sqldb12");
  fake.AddFile(kLocal + "\\Chromium\\User Data\\Profile 2\\Cache\\Cache_Data\\sqldb-wal");
  fake.AddFile(kLocal + "\\Chromium\\User Data\\Profile 1\\Cache\\Cache_Data\\index");
  fake.AddFolder(kLocal + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\cache2\\entries");

  MarkedFormat blockFile("index"), simple("index-dir"), firefox("entries");
  ChromiumSqlCache sql(nullptr);
  FoundCaches found = FindCacheSources(fake, kLocal, {&blockFile, &simple, &firefox, &sql});

  EXPECT_EQ(Described(found.readable), (std::vector<std::string>{
      "Chrome（Default） | Default | index | Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data",
      "Chrome（Profile 1） | Profile 1 | index-dir | Google\\Chrome\\User Data\\Profile 1\\Cache\\Cache_Data",
      "Edge | Default | sql | Microsoft\\Edge\\User Data\\Default\\Cache\\Cache_Data",
      "Brave | Default | index | BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache",
      "Chromium（Default） | Default | sql | Chromium\\User Data\\Default\\Cache\\Cache_Data",
      "Chromium（Profile 1） | Profile 1 | index | Chromium\\User Data\\Profile 1\\Cache\\Cache_Data",
      "Firefox | ab12.default-release | entries | Mozilla\\Firefox\\Profiles\\ab12.default-release\\cache2",
  }));
  EXPECT_EQ(found.readable[0].browser, "Chrome");
}

}  // namespace
}  // namespace morlind
