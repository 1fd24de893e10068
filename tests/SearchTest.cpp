#include "search/Search.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "platform/Paths.h"
#include "search/AccessTime.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using test::FileTimeOfUtc;

Moment LocalMoment(int year, int month, int day, int hour, int minute, int second) {
  return test::HostPlatform().MomentFromLocal({year, month, day, hour, minute, second});
}

LocalFields LocalOf(Moment moment) { return *test::HostPlatform().LocalFieldsOf(moment); }

TEST(ComposeMoment, TakesTheDateOfTheFirstAndTheTimeOfDayOfTheSecond) {
  MORLIND_USE_ZONE("Asia/Shanghai");
  Platform& host = test::HostPlatform();
  Moment date = LocalMoment(2008, 9, 26, 1, 6, 45);
  Moment time = LocalMoment(2001, 1, 1, 23, 0, 0);
  EXPECT_EQ(ComposeMoment(host, date, time), LocalMoment(2008, 9, 26, 23, 0, 0));
  EXPECT_EQ(ComposeMoment(host, time, date), LocalMoment(2001, 1, 1, 1, 6, 45));
  EXPECT_EQ(ComposeMoment(host, 2214061605, time), LocalMoment(2040, 2, 29, 23, 0, 0));  // past 2038
  EXPECT_EQ(ComposeMoment(host, INT64_MAX, time), kBadMoment);
  EXPECT_EQ(ComposeMoment(host, time, INT64_MAX), kBadMoment);
}

TEST(ComposeMoment, IsExactOnTheDaysDaylightSavingChanges) {
  MORLIND_USE_ZONE("Europe/Berlin");
  Platform& host = test::HostPlatform();
  Moment evening = LocalMoment(2008, 1, 1, 23, 0, 0);
  Moment night = LocalMoment(2008, 1, 1, 0, 30, 0);

  // Spring: 2:00 becomes 3:00; autumn: 3:00 becomes 2:00.
  for (auto [month, day] : {std::pair{3, 30}, std::pair{10, 26}}) {
    Moment earlyOnDay = LocalMoment(2008, month, day, 0, 30, 0);
    Moment lateOnDay = LocalMoment(2008, month, day, 23, 0, 0);
    EXPECT_EQ(LocalOf(ComposeMoment(host, earlyOnDay, evening)),
              (LocalFields{2008, month, day, 23, 0, 0}));
    EXPECT_EQ(LocalOf(ComposeMoment(host, lateOnDay, night)),
              (LocalFields{2008, month, day, 0, 30, 0}));
  }
}

// As the dialog runs it: the window part, then the walk.
SearchOutcome RunSearch(Platform& platform, const SearchInput& input, SearchCriteria& criteria, ResultTable& table) {
  SearchOutcome outcome = PrepareSearch(platform, input, criteria, table);
  if (outcome != SearchOutcome::kReady) return outcome;
  ScanCache(platform, criteria, table);
  return outcome;
}

class SearchTest : public ::testing::Test {
 protected:
  SearchTest() {
    fake.cacheFolder = "C:\\cache";
    fake.AddFile("C:\\cache\\A1\\photo[1].jpg", FileTimeOfUtc(2008, 9, 25, 17, 6, 45));
    fake.AddFile("C:\\cache\\A1\\clip[1].swf", FileTimeOfUtc(2008, 9, 25, 17, 6, 45));
    fake.SetNow(2214061605);  // 2040-02-28 17:06:45 UTC
    Moment now = fake.Now();
    input = SearchInput{now - 3600, now - 3600, now, now, std::string("*"), ""};
  }

  // The name column after a search, which must complete.
  std::vector<std::string> Search() {
    EXPECT_EQ(RunSearch(fake, input, criteria, table), SearchOutcome::kReady);
    std::vector<std::string> names;
    for (int row = 0; row < table.RowCount(); ++row) names.push_back(table.GetItemText(row, Column::kName));
    return names;
  }

  FakePlatform fake{test::HostPlatform()};
  SearchInput input;
  SearchCriteria criteria;
  ResultTable table;
};

TEST_F(SearchTest, WindowModeMatchesOnlyStrictlyInsideTheWindow) {
  criteria.accessMode = AccessMode::kMatchWindow;
  for (int year : {2039, 2040, 2041}) {
    fake.AddFile("C:\\cache\\" + std::to_string(year), FileTimeOfUtc(year, 2, 28, 16, 30, 0));
  }
  EXPECT_EQ(Search(), std::vector<std::string>{"2040"});  // the last hour; the bounds are CacheScanTest's
  input.startDate = input.startTime = 1222362404;
  input.endDate = input.endTime = 1222362406;
  EXPECT_EQ(Search().size(), 2u);

  // Inverted, it is refused in either mode before the table or text change.
  std::swap(input.startDate, input.endDate);
  std::swap(input.startTime, input.endTime);
  input.editText = "jpg";
  for (AccessMode mode : {AccessMode::kNoLimit, AccessMode::kMatchWindow}) {
    criteria.accessMode = mode;
    EXPECT_EQ(RunSearch(fake, input, criteria, table), SearchOutcome::kWindowInverted);
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(criteria.extension, "*");
  }
}

// One rule for the search and the clean: an existing folder, no drive root.
TEST_F(SearchTest, WithoutACacheFolderTheTableIsEmptiedAndNothingScanned) {
  Search();
  FakePlatform noCache{test::HostPlatform()};
  EXPECT_EQ(RunSearch(noCache, input, criteria, table), SearchOutcome::kNoCacheFolder);
  EXPECT_EQ(table.RowCount(), 0);

  noCache.AddFile("C:\\cache.jpg");
  noCache.AddFile("C:\\f.jpg");
  for (const char* folder : {"", "C:\\missing", "C:\\cache.jpg", "C:", "C:\\", "c:/", "D:\\\\", "\\", "\\\\",
                             "A:", "Z:\\", "a:\\", "z:"}) {
    noCache.cacheFolder = folder;
    EXPECT_EQ(RunSearch(noCache, input, criteria, table), SearchOutcome::kNoCacheFolder) << folder;
    EXPECT_FALSE(GetCacheFolder(noCache)) << folder;
  }
  EXPECT_EQ(noCache.ListingsOpened(), 0);
  for (const char* path : {"C:\\cache", "C:cache", "C:x", "cache", "1:\\", "@:", "[:", "`:", "{:"}) {
    EXPECT_FALSE(IsDriveRoot(path)) << path;
  }
}

}  // namespace
}  // namespace morlind
