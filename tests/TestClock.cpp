#include "tests/TestClock.h"

#include <cstdlib>
#include <ctime>

#include "search/AccessTime.h"

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
  if (const char* old = std::getenv("TZ")) previous_ = old;
  setenv("TZ", zone, 1);
  tzset();
}

ScopedZone::~ScopedZone() {
  previous_ ? setenv("TZ", previous_->c_str(), 1) : unsetenv("TZ");
  tzset();
}
#endif

std::uint64_t FileTimeOfUtc(int year, int month, int day, int hour, int minute, int second) {
  std::int64_t seconds = SecondsOfCivil({year, month, day, hour, minute, second});
  return static_cast<std::uint64_t>((seconds + kSecondsFrom1601To1970) * kFileTicksPerSecond);
}

}  // namespace morlind::test
