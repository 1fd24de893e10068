// Links, refused listings and long paths in the scan are among the faults
// of ReliabilityTest.cpp; here the walk, the window and the access texts.
#include "search/CacheScan.h"

#include <gtest/gtest.h>

#include "platform/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::FileTimeOfUtc;
using Names = std::vector<std::string>;

class CacheScanTest : public ::testing::Test {
 protected:
  // The name column after a fresh scan of dir.
  Names Scan(const std::string& dir, std::string extension = "*") {
    filter.extension = std::move(extension);
    table.DeleteAllItems();
    CacheScan(fake, filter, table).ScanFolder(dir);
    Names names;
    for (int row = 0; row < table.RowCount(); ++row) names.push_back(table.GetItemText(row, Column::kName));
    return names;
  }

  FakePlatform fake{test::HostPlatform()};
  ScanFilter filter;
  ResultTable table;
};

TEST_F(CacheScanTest, WalksDepthFirstInListingOrderWithoutProbingFiles) {
  for (const char* file : {"a.jpg", "sub\\x.jpg", "sub\\deep\\y.swf", "sub\\z.jpg", "b.JPG"}) {
    fake.AddFile(std::string("C:\\c\\") + file);
  }
  fake.AddFolder("C:\\c\\empty");

  EXPECT_EQ(Scan("C:\\c"), (Names{"a.jpg", "x.jpg", "y.swf", "z.jpg", "b.JPG"}));
  EXPECT_EQ(table.PathOf(2), "C:\\c\\sub\\deep\\y.swf");
  EXPECT_EQ(fake.ListingsOpened(), 4);  // the folders only
  EXPECT_EQ(Scan("C:\\c", "jpg"), (Names{"a.jpg", "x.jpg", "z.jpg", "b.JPG"}));
}

TEST_F(CacheScanTest, ReportsAPathThatCannotBeListedAsAFolder) {
  fake.AddFile("C:\\c\\a.jpg");
  fake.AddFolder("C:\\empty");
  const std::string tooLong = "C:\\c\\" + std::string(251, 'x');  // its "\\*.*" makes 260
  fake.AddFolder(tooLong);
  for (const std::string& dir : {std::string("C:\\c\\a.jpg"), std::string("C:\\missing"), tooLong}) {
    EXPECT_EQ(CacheScan(fake, filter, table).ScanFolder(dir), 1) << dir;
  }
  EXPECT_EQ(CacheScan(fake, filter, table).ScanFolder("C:\\empty"), 0);
  EXPECT_EQ(table.RowCount(), 0);
}

TEST_F(CacheScanTest, TheWindowHasExclusiveBounds) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  fake.AddFile("C:\\c\\atStart", FileTimeOfUtc(2008, 9, 25, 17, 6, 45));
  fake.AddFile("C:\\c\\afterStart", FileTimeOfUtc(2008, 9, 25, 17, 6, 46) + 9'999'999);
  fake.AddFile("C:\\c\\beforeEnd", FileTimeOfUtc(2008, 9, 25, 18, 6, 44));
  fake.AddFile("C:\\c\\atEnd", FileTimeOfUtc(2008, 9, 25, 18, 6, 45));
  fake.AddFile("C:\\c\\in2040", FileTimeOfUtc(2040, 1, 1, 0, 0, 0));
  fake.AddFile("C:\\c\\in1965", FileTimeOfUtc(1965, 1, 1, 0, 0, 0));
  filter.accessMode = AccessMode::kMatchWindow;
  filter.start = 1222362405;  // 2008-09-25 17:06:45 UTC
  filter.end = filter.start + 3600;
  EXPECT_EQ(Scan("C:\\c"), (Names{"afterStart", "beforeEnd"}));

  // Before 1970 no window holds an access; no-limit mode lists it.
  filter.start = INT64_MIN;
  filter.end = INT64_MAX;
  EXPECT_EQ(Scan("C:\\c").size(), 5u);
  filter.accessMode = AccessMode::kNoLimit;
  ASSERT_EQ(Scan("C:\\c").size(), 6u);
  EXPECT_EQ(table.GetItemText(4, Column::kAccessTime), "2040-1-1 8:0:0");
  EXPECT_EQ(table.GetItemText(5, Column::kAccessTime), "1965-1-1 8:0:0");
}

struct AccessTextCase {
  const char* zone;
  std::uint64_t fileTime;
  const char* text;
};

class AccessTextTest : public CacheScanTest, public ::testing::WithParamInterface<AccessTextCase> {};

TEST_P(AccessTextTest, ShowsTheExactAccessInLocalTime) {
  MORLIND_USE_ZONE(GetParam().zone);
  fake.AddFile("C:\\c\\f", GetParam().fileTime + 9'999'999);  // fractions are cut
  ASSERT_EQ(Scan("C:\\c").size(), 1u);
  EXPECT_EQ(table.GetItemText(0, Column::kAccessTime), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, AccessTextTest,
    ::testing::Values(
        AccessTextCase{"Asia/Shanghai", FileTimeOfUtc(2008, 9, 25, 17, 6, 45), "2008-9-26 1:6:45"},
        AccessTextCase{"Europe/Berlin", FileTimeOfUtc(2008, 1, 15, 11, 0, 0), "2008-1-15 12:0:0"},
        AccessTextCase{"Europe/Berlin", FileTimeOfUtc(2008, 7, 1, 10, 0, 0), "2008-7-1 12:0:0"},
        // Just after the spring change, and both sides of the autumn one.
        AccessTextCase{"Europe/Berlin", FileTimeOfUtc(2008, 3, 30, 1, 0, 0), "2008-3-30 3:0:0"},
        AccessTextCase{"Europe/Berlin", FileTimeOfUtc(2008, 10, 26, 0, 59, 59), "2008-10-26 2:59:59"},
        AccessTextCase{"Europe/Berlin", FileTimeOfUtc(2008, 10, 26, 1, 0, 0), "2008-10-26 2:0:0"}));

}  // namespace
}  // namespace morlind
