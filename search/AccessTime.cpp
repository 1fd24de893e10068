#include "search/AccessTime.h"

#include <cstdio>
#include <limits>

namespace morlind {

namespace {
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
}  // namespace

std::int64_t UnixSecondsOfFileTime(std::uint64_t fileTime) {
  return static_cast<std::int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
}

std::optional<Moment> MomentOf(std::int64_t unixSeconds) {
  // Like the library's conversions, a Moment starts in 1970.
  if (unixSeconds < 0 || unixSeconds > std::numeric_limits<Moment>::max()) {
    return std::nullopt;
  }
  return static_cast<Moment>(unixSeconds);
}

std::string FormatAccessText(const LocalFields& local) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", local.year, local.month, local.day,
                local.hour, local.minute, local.second);
  return text;
}

Moment ComposeMoment(Platform& platform, Moment dateMoment, Moment timeMoment) {
  std::optional<LocalFields> date = platform.LocalFieldsOf(dateMoment);
  std::optional<LocalFields> time = platform.LocalFieldsOf(timeMoment);
  if (!date || !time) return kBadMoment;
  LocalFields composed = *date;
  composed.hour = time->hour;
  composed.minute = time->minute;
  composed.second = time->second;
  return platform.MomentFromLocal(composed);
}

}  // namespace morlind
