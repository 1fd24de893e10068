// Turning a file's last-access time into the Moment the window tests and
// the text the table shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/Platform.h"

namespace morlind {

// Whole seconds since 1970 UTC of a 100 ns count since 1601 UTC.
std::int64_t UnixSecondsOfFileTime(std::uint64_t fileTime);

// The Moment of those seconds, or nothing before 1970.
std::optional<Moment> MomentOf(std::int64_t unixSeconds);

// Calendar fields taken as UTC, and back (proleptic Gregorian).
std::int64_t SecondsOfCivil(const LocalFields& fields);
LocalFields CivilOfSeconds(std::int64_t seconds);

// "2008-9-26 1:6:45": local time, no leading zeros.
std::string FormatAccessText(const LocalFields& local);

// Local times of many moments for a few platform conversions: a zone's
// offset is kept per quarter hour in which it is the same at both ends.
class LocalTimeCache {
 public:
  explicit LocalTimeCache(Platform& platform) : platform_(platform) {}
  // The local wall-clock time, counted as seconds since 1970-01-01 00:00
  // local (CivilOfSeconds gives its fields).
  std::optional<std::int64_t> LocalSecondsOf(std::int64_t unixSeconds);

 private:
  std::optional<std::int64_t> OffsetOf(std::int64_t quarter);

  Platform& platform_;
  std::unordered_map<std::int64_t, std::optional<std::int64_t>> offsets_;
};

// The date of dateMoment at the time of day of timeMoment, both local;
// kBadMoment when either has no local fields.
Moment ComposeMoment(Platform& platform, Moment dateMoment, Moment timeMoment);

}  // namespace morlind
