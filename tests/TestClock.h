// The host's own time conversions, and the zone a test runs in.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace morlind::test {

// The real platform of the build (POSIX natively, Win32 under Wine).
Platform& HostPlatform();

// Sets the local zone for the scope of a test. Natively any zone works;
// under Wine the zone is fixed when the process starts (the test run says
// which in MORLIND_TEST_ZONE), so a test for another zone is skipped.
class ScopedZone {
 public:
  explicit ScopedZone(const char* zone);
  ~ScopedZone();
  bool Active() const { return active_; }

 private:
  bool active_ = true;
  std::optional<std::string> previous_;  // the zone before, natively
};

#define MORLIND_USE_ZONE(zone)                          \
  ::morlind::test::ScopedZone scopedZone_(zone);        \
  if (!scopedZone_.Active()) GTEST_SKIP() << "needs the process to start in " << (zone)

// 100 ns ticks since 1601 of UTC calendar fields.
std::uint64_t FileTimeOfUtc(int year, int month, int day, int hour, int minute, int second);

}  // namespace morlind::test
