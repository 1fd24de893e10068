#include "tests/TestClock.h"

#include <cstdlib>
#include <ctime>

#ifdef _WIN32
#include "platform/Win32Platform.h"
#else
#include "platform/PosixPlatform.h"
#endif

namespace morlind::test {

Platform& HostPlatform() {
#ifdef _WIN32
  static Win32Platform platform;
#else
  static PosixPlatform platform;
#endif
  return platform;
}

#ifdef _WIN32
// Wine takes the zone from the Unix TZ at process start; the C runtime
// would misread a TZ like "Asia/Shanghai", so it must not see one.
ScopedZone::ScopedZone(const char* zone) {
  const char* processZone = std::getenv("MORLIND_TEST_ZONE");
  active_ = processZone && std::string(processZone) == zone;
}
ScopedZone::~ScopedZone() {}
#else
ScopedZone::ScopedZone(const char* zone) {
  if (const char* old = std::getenv("TZ")) {
    previous_ = old;
    hadPrevious_ = true;
  }
  setenv("TZ", zone, 1);
  tzset();
}

ScopedZone::~ScopedZone() {
  if (hadPrevious_) {
    setenv("TZ", previous_.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
#endif

std::uint64_t FileTimeOfUtc(int year, int month, int day, int hour, int minute, int second) {
  // Days from civil (proleptic Gregorian), then shift the epoch to 1601.
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(year - era * 400);
  const unsigned doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097LL + doe - 719468;
  const long long seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return static_cast<std::uint64_t>(seconds + 11'644'473'600LL) * 10'000'000ULL;
}

}  // namespace morlind::test
