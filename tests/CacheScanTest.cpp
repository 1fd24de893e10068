// The walk's order, links and refused listings are among the
// faults of ReliabilityTest.cpp; here the window and the access texts.
#include "search/CacheScan.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::FileTimeOfUtc;
using Names = std::vector<std::string>;

class CacheScanTest : public ::testing::Test {
 protected:
  // A column after a fresh scan of C:\\c.
  Names Scan(Column column = Column::kName) {
    table.DeleteAllItems();
    CacheScan(fake, filter, table).ScanFolder("C:\\c");
    Names texts;
    for (int row = 0; row < table.RowCount(); ++row) texts.push_back(table.GetItemText(row, column));
    return texts;
  }

  FakePlatform fake{test::HostPlatform()};
  ScanFilter filter{"*"};
  ResultTable table;
};

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
  EXPECT_EQ(Scan(), (Names{"afterStart", "beforeEnd"}));

  // Before 1970 no window holds an access; no-limit mode lists it. The
  // access texts are local, without the fraction of a second.
  filter.start = INT64_MIN;
  filter.end = INT64_MAX;
  EXPECT_EQ(Scan().size(), 5u);
  filter.accessMode = AccessMode::kNoLimit;
  EXPECT_EQ(Scan(Column::kAccessTime), (Names{"2008-9-26 1:6:45", "2008-9-26 1:6:46", "2008-9-26 2:6:44",
                                              "2008-9-26 2:6:45", "2040-1-1 8:0:0", "1965-1-1 8:0:0"}));
}

// Just after the spring change, and both sides of the autumn one.
TEST_F(CacheScanTest, ShowsTheAccessInLocalTimeAroundDaylightSavingChanges) {
  MORLIND_USE_ZONE("Europe/Berlin");
  fake.AddFile("C:\\c\\spring", FileTimeOfUtc(2008, 3, 30, 1, 0, 0));
  fake.AddFile("C:\\c\\summer", FileTimeOfUtc(2008, 10, 26, 0, 59, 59));
  fake.AddFile("C:\\c\\winter", FileTimeOfUtc(2008, 10, 26, 1, 0, 0));
  EXPECT_EQ(Scan(Column::kAccessTime), (Names{"2008-3-30 3:0:0", "2008-10-26 2:59:59", "2008-10-26 2:0:0"}));
}

}  // namespace
}  // namespace morlind
