// The C library's broken-down time, for the platforms' local-time rules.
#pragma once

#include <ctime>

#include "platform/Platform.h"

namespace morlind {

// Local fields as mktime takes them, daylight saving left to the library.
inline std::tm TmOfLocal(const LocalFields& fields) {
  std::tm tm{};
  tm.tm_year = fields.year - 1900;
  tm.tm_mon = fields.month - 1;
  tm.tm_mday = fields.day;
  tm.tm_hour = fields.hour;
  tm.tm_min = fields.minute;
  tm.tm_sec = fields.second;
  tm.tm_isdst = -1;
  return tm;
}

inline LocalFields LocalOfTm(const std::tm& tm) {
  return LocalFields{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// A Moment starts in 1970; an earlier time (and mktime's -1) is a failed
// conversion.
template <class Time>
Moment MomentOrBad(Time t) {
  static_assert(sizeof(Time) <= sizeof(Moment), "the library's time must fit a Moment");
  return t < 0 ? kBadMoment : static_cast<Moment>(t);
}

}  // namespace morlind
