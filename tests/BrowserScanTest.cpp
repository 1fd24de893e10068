#include "search/BrowserScan.h"

#include <gtest/gtest.h>

#include "search/AccessTime.h"
#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

// A format that hands out what a test gives it.
class GivenFormat : public CacheFormat {
 public:
  explicit GivenFormat(CacheListing listing) : listing_(std::move(listing)) {}
  bool Recognises(Platform&, const std::string&) const override { return true; }
  CacheListing Read(Platform&, const std::string&, const std::atomic<bool>* stop) const override {
    return stop && *stop ? CacheListing{} : listing_;
  }

 private:
  CacheListing listing_;
};

CacheEntry Entry(std::string address, Moment lastUsed, std::string type = "") {
  CacheEntry entry;
  entry.address = std::move(address);
  entry.lastUsed = lastUsed;
  entry.contentType = std::move(type);
  entry.storedSize = 10;
  return entry;
}

// Names come from the addresses, the ending and the window choose rows as
// they choose files, and each row carries its source's name.
TEST(BrowserScan, ListsEntriesThatPassUnderTheirSource) {
  FakePlatform fake{test::HostPlatform()};
  const Moment day = SecondsOfCivil({2026, 12, 1, 0, 0, 0});
  GivenFormat chrome({{Entry("https://a/x/photo.jpg?v=1", day + 100), Entry("https://a/pic", day + 200, "image/jpeg"),
                       Entry("https://a/app.js", day + 300), Entry("https://a/old.jpg", day - 100)},
                      true});
  GivenFormat firefox({{Entry("https://b/%E7%8C%AB.jpg", day + 400)}, false});
  const std::vector<CacheSource> sources = {{"C:\\c", "Chrome", "Default", "Chrome", &chrome},
                                            {"C:\\f", "Firefox", "p", "Firefox", &firefox}};
  const std::pair<AccessMode, std::vector<std::string>> cases[] = {
      {AccessMode::kNoLimit, {"photo.jpg", "pic.jpg", "old.jpg", "猫.jpg"}},
      {AccessMode::kMatchWindow, {"photo.jpg", "pic.jpg", "猫.jpg"}},
  };
  for (const auto& [mode, names] : cases) {
    ResultTable table;
    BrowserScanReport report = ScanBrowserCaches(fake, sources, {"jpg", mode, day, day + 1000}, table);
    std::vector<std::string> listed;
    for (int row = 0; row < table.RowCount(); ++row) listed.push_back(table.GetItemText(row, Column::kName));
    EXPECT_EQ(listed, names);
    EXPECT_EQ(table.GetItemText(table.RowCount() - 1, Column::kSource), "Firefox");
    EXPECT_EQ(table.AddressOf(0), "https://a/x/photo.jpg?v=1");
    EXPECT_EQ(table.GetItemText(0, Column::kAccessTime).empty(), false);
    EXPECT_EQ(report.partlyRead, std::vector<std::string>{"Firefox"});
  }
  EXPECT_EQ(SearchNotes(true, {{"Firefox"}, {"Chrome（Default）"}}),
            "找不到IE缓存文件夹。Firefox的缓存无法完整读取。"
            "Chrome（Default）的缓存正被浏览器占用，关闭浏览器后再搜索。");
  EXPECT_EQ(SearchNotes(false, {}), "");
}

}  // namespace
}  // namespace morlind
