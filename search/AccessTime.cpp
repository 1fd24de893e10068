#include "search/AccessTime.h"

#include <charconv>

namespace morlind {

namespace {
constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kQuarterHour = 900;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
std::int64_t DaysOfCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = FloorDiv(year, 400);
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146'097 + static_cast<std::int64_t>(dayOfEra) - 719'468;
}

}  // namespace

std::int64_t UnixSecondsOfFileTime(std::uint64_t fileTime) {
  return static_cast<std::int64_t>(fileTime / kFileTicksPerSecond) - kSecondsFrom1601To1970;
}

std::optional<Moment> MomentOf(std::int64_t unixSeconds) {
  // Like the library's conversions, a Moment starts in 1970.
  if (unixSeconds < 0) return std::nullopt;
  return unixSeconds;
}

std::int64_t SecondsOfCivil(const LocalFields& f) {
  return DaysOfCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day)) *
             kSecondsPerDay +
         f.hour * 3600 + f.minute * 60 + f.second;
}

LocalFields CivilOfSeconds(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, kSecondsPerDay) + 719'468;
  const std::int64_t secondOfDay = seconds - FloorDiv(seconds, kSecondsPerDay) * kSecondsPerDay;
  const std::int64_t era = FloorDiv(days, 146'097);
  const auto dayOfEra = static_cast<unsigned>(days - era * 146'097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2);
  return LocalFields{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                     static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                     static_cast<int>(secondOfDay % 60)};
}

std::string FormatAccessText(const LocalFields& local) {
  char text[80];
  char* out = text;
  char* const end = text + sizeof text;
  const int fields[] = {local.year, local.month, local.day, local.hour, local.minute, local.second};
  const char separators[] = {'-', '-', ' ', ':', ':'};
  for (int i = 0; i < 6; ++i) {
    out = std::to_chars(out, end, fields[i]).ptr;
    if (i < 5) *out++ = separators[i];
  }
  return std::string(text, out);
}

std::optional<std::int64_t> LocalTimeCache::OffsetOf(std::int64_t quarter) {
  auto [slot, added] = offsets_.try_emplace(quarter);
  if (!added) return slot->second;
  const std::int64_t first = quarter * kQuarterHour;
  const std::int64_t last = first + kQuarterHour - 1;
  std::optional<LocalFields> atFirst = platform_.LocalFieldsOf(first);
  std::optional<LocalFields> atLast = platform_.LocalFieldsOf(last);
  if (atFirst && atLast && SecondsOfCivil(*atFirst) - first == SecondsOfCivil(*atLast) - last) {
    slot->second = SecondsOfCivil(*atFirst) - first;
  }
  return slot->second;
}

std::optional<std::int64_t> LocalTimeCache::LocalSecondsOf(std::int64_t unixSeconds) {
  if (std::optional<std::int64_t> offset = OffsetOf(FloorDiv(unixSeconds, kQuarterHour))) {
    return unixSeconds + *offset;
  }
  // The zone changes within this quarter hour: ask the platform.
  std::optional<LocalFields> local = platform_.LocalFieldsOf(unixSeconds);
  if (!local) return std::nullopt;
  return SecondsOfCivil(*local);
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
