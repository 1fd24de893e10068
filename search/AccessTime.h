// Turning a file's last-access time into the Moment the window tests and
// the text the table shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace morlind {

// Whole seconds since 1970 UTC of a 100 ns count since 1601 UTC.
std::int64_t UnixSecondsOfFileTime(std::uint64_t fileTime);

// The Moment of those seconds, or nothing outside 1970 to January 2038.
std::optional<Moment> MomentOf(std::int64_t unixSeconds);

// "2008-9-26 1:6:45": local time, no leading zeros.
std::string FormatAccessText(const LocalFields& local);

// The date of dateMoment at the time of day of timeMoment, both local;
// kBadMoment when either has no local fields.
Moment ComposeMoment(Platform& platform, Moment dateMoment, Moment timeMoment);

}  // namespace morlind
