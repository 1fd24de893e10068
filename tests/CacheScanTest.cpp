#include "search/CacheScan.h"

#include <gtest/gtest.h>

#include "platform/FakePlatform.h"
#include "search/AccessTime.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::FileTimeOfUtc;

const std::uint64_t kAccess = FileTimeOfUtc(2008, 9, 25, 17, 6, 45);

class CacheScanTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < table.RowCount(); ++row) {
      names.emplace_back(table.GetItemText(row, Column::kName));
    }
    return names;
  }

  int Scan(const std::string& dir, std::string extension = "*") {
    filter.extension = std::move(extension);
    return CacheScan(fake, filter, table).ScanFolder(dir);
  }

  FakePlatform fake{test::HostPlatform()};
  ScanFilter filter;
  ResultTable table;
};

TEST_F(CacheScanTest, WalksDepthFirstInListingOrder) {
  fake.AddFile("C:\\c\\a.jpg", kAccess);
  fake.AddFile("C:\\c\\sub\\x.jpg", kAccess);
  fake.AddFile("C:\\c\\sub\\deep\\y.swf", kAccess);
  fake.AddFile("C:\\c\\sub\\z.jpg", kAccess);
  fake.AddFile("C:\\c\\b.JPG", kAccess);
  fake.AddFolder("C:\\c\\empty");

  EXPECT_EQ(Scan("C:\\c"), 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "x.jpg", "y.swf", "z.jpg", "b.JPG"}));
  EXPECT_EQ(table.PathOf(2), "C:\\c\\sub\\deep\\y.swf");

  table.DeleteAllItems();
  Scan("C:\\c", "jpg");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "x.jpg", "z.jpg", "b.JPG"}));
}

TEST_F(CacheScanTest, ReportsAPathThatIsNoFolder) {
  fake.AddFile("C:\\c\\a.jpg");
  EXPECT_EQ(Scan("C:\\c\\a.jpg"), 1);
  EXPECT_EQ(Scan("C:\\missing"), 1);
  fake.AddFolder("C:\\empty");
  EXPECT_EQ(Scan("C:\\empty"), 0);
  EXPECT_EQ(table.RowCount(), 0);
}

TEST_F(CacheScanTest, AFolderIsWalkedUnlessItRefusesListingThenItIsTestedAsAFile) {
  fake.AddFile("C:\\c\\open.jpg\\inner.swf", kAccess);
  fake.RefuseListing("C:\\c\\locked.jpg");
  fake.AddFile("C:\\c\\locked.jpg\\hidden.jpg", kAccess);

  Scan("C:\\c", "jpg");
  EXPECT_EQ(Names(), (std::vector<std::string>{"locked.jpg"}));
}

TEST_F(CacheScanTest, FilesAreNotProbedAsFolders) {
  for (int i = 0; i < 10; ++i) fake.AddFile("C:\\c\\sub\\f" + std::to_string(i) + ".jpg");
  Scan("C:\\c");
  EXPECT_EQ(table.RowCount(), 10);
  EXPECT_EQ(fake.ListingsOpened(), 2);  // the root and sub only
}

TEST_F(CacheScanTest, FolderLinksAreNeitherListedNorFollowed) {
  fake.AddFile("C:\\outside\\secret.jpg", kAccess);
  fake.AddFile("C:\\c\\sub\\own.jpg", kAccess);
  fake.AddLink("C:\\c\\sub\\toOutside", "C:\\outside");
  fake.AddLink("C:\\c\\sub\\loop", "C:\\c");

  Scan("C:\\c");
  EXPECT_EQ(Names(), (std::vector<std::string>{"own.jpg"}));
}

TEST_F(CacheScanTest, PathsBeyondTheLimitAreSkippedNotCut) {
  const std::string dir = "C:\\c\\" + std::string(240, 'd');  // 245 bytes
  const std::string fits = std::string(259 - dir.size() - 1, 'f');
  fake.AddFile(dir + "\\" + fits, kAccess);               // 259 bytes: listed
  fake.AddFile(dir + "\\" + fits + "x", kAccess);         // 260: skipped
  fake.AddFile(dir + "\\" + "sub\\deeper\\a.jpg", kAccess);  // under a folder too deep
  fake.AddFile(dir + "\\" + std::string(9, 's') + "\\a", kAccess);  // pattern 259: walked

  Scan("C:\\c");
  EXPECT_EQ(Names(), (std::vector<std::string>{fits, "a"}));
  EXPECT_EQ(Scan(dir + std::string(11, 'x')), 1);  // pattern does not fit
}

TEST_F(CacheScanTest, TheWindowHasExclusiveBounds) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  const Moment start = 1222362405;  // 2008-09-25 17:06:45 UTC
  fake.AddFile("C:\\c\\atStart", FileTimeOfUtc(2008, 9, 25, 17, 6, 45));
  fake.AddFile("C:\\c\\afterStart", FileTimeOfUtc(2008, 9, 25, 17, 6, 46) + 9'999'999);
  fake.AddFile("C:\\c\\beforeEnd", FileTimeOfUtc(2008, 9, 25, 18, 6, 44));
  fake.AddFile("C:\\c\\atEnd", FileTimeOfUtc(2008, 9, 25, 18, 6, 45));
  fake.AddFile("C:\\c\\in2040", FileTimeOfUtc(2040, 1, 1, 0, 0, 0));
  fake.AddFile("C:\\c\\in1965", FileTimeOfUtc(1965, 1, 1, 0, 0, 0));
  filter.accessMode = 0;
  filter.start = start;
  filter.end = start + 3600;

  Scan("C:\\c");
  EXPECT_EQ(Names(), (std::vector<std::string>{"afterStart", "beforeEnd"}));

  // Out of the Moment's range: no window holds it, no-limit mode lists it.
  table.DeleteAllItems();
  filter.start = INT32_MIN;
  filter.end = INT32_MAX;
  Scan("C:\\c");
  EXPECT_EQ(table.RowCount(), 4);
  filter.accessMode = kNoLimit;
  table.DeleteAllItems();
  Scan("C:\\c");
  ASSERT_EQ(table.RowCount(), 6);
  EXPECT_EQ(table.GetItemText(4, Column::kAccessTime), "2040-1-1 8:0:0");
  EXPECT_EQ(table.GetItemText(5, Column::kAccessTime), "1965-1-1 8:0:0");
}

struct AccessTextCase {
  const char* zone;
  std::uint64_t fileTime;
  const char* text;
};

class AccessTextTest : public CacheScanTest,
                       public ::testing::WithParamInterface<AccessTextCase> {};

TEST_P(AccessTextTest, ShowsTheExactAccessInLocalTime) {
  MORLIND_USE_ZONE(GetParam().zone);
  fake.AddFile("C:\\c\\f", GetParam().fileTime + 9'999'999);  // fractions are cut
  Scan("C:\\c");
  ASSERT_EQ(table.RowCount(), 1);
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
