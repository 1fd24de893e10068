#include "search/AccessTime.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

// Every day from 1970 to 2038, at a different second of each, against the
// C library's own UTC conversion; the ends of the range the platforms use
// both ways.
TEST(CivilSeconds, AgreeWithTheLibraryOnEveryDayAndRoundTripFrom1601ToFarFuture) {
  for (std::int64_t day = 0; day * 86'400 < INT32_MAX; ++day) {
    const std::time_t t = day * 86'400 + day % 86'400;
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    const LocalFields library{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    ASSERT_EQ(CivilOfSeconds(t), library) << t;
    ASSERT_EQ(SecondsOfCivil(library), t);
  }
  EXPECT_EQ(CivilOfSeconds(-kSecondsFrom1601To1970), (LocalFields{1601, 1, 1, 0, 0, 0}));
  EXPECT_EQ(CivilOfSeconds(-1), (LocalFields{1969, 12, 31, 23, 59, 59}));
  for (LocalFields f : {LocalFields{1601, 1, 1, 0, 0, 0}, LocalFields{1965, 1, 1, 8, 0, 0},
                        LocalFields{2000, 2, 29, 23, 59, 59}, LocalFields{2100, 3, 1, 0, 0, 0},
                        LocalFields{30828, 9, 14, 2, 48, 5}}) {
    EXPECT_EQ(CivilOfSeconds(SecondsOfCivil(f)), f);
  }
  EXPECT_EQ(FormatAccessText({2008, 9, 26, 1, 6, 45}), "2008-9-26 1:6:45");
  EXPECT_EQ(FormatAccessText({30828, 12, 31, 23, 59, 59}), "30828-12-31 23:59:59");
}

// A zone that moves from UTC+1 to UTC+2 at an odd second, so the change
// falls inside a quarter hour.
class SteppedZone : public FakePlatform {
 public:
  static constexpr std::int64_t kChange = 1'206'838'807;
  SteppedZone() : FakePlatform(test::HostPlatform()) {}
  std::optional<LocalFields> LocalFieldsOf(std::int64_t s) override {
    ++conversions;
    return CivilOfSeconds(s + (s < kChange ? 3600 : 7200));
  }
  int conversions = 0;
};

TEST(LocalTimeCache, AsksOncePerSteadyQuarterHourAndIsExactAroundAChange) {
  SteppedZone zone;
  LocalTimeCache cache(zone);
  for (std::int64_t s = 0; s < 3600; ++s) cache.LocalSecondsOf(s);
  EXPECT_EQ(zone.conversions, 8);  // both ends of four quarters
  for (std::int64_t s = SteppedZone::kChange - 1000; s < SteppedZone::kChange + 1000; ++s) {
    ASSERT_EQ(cache.LocalSecondsOf(s), SecondsOfCivil(*zone.LocalFieldsOf(s))) << s;
  }
}

}  // namespace
}  // namespace morlind
