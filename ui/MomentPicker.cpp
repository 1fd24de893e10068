#include "ui/MomentPicker.h"

namespace morlind {

Moment CMomentPicker::GetTime(Platform& platform) const {
  std::optional<SYSTEMTIME> time = GetTime();
  if (!time) return kBadMoment;
  return platform.MomentFromLocal(LocalFields{time->wYear, time->wMonth, time->wDay, time->wHour,
                                              time->wMinute, time->wSecond});
}

bool CMomentPicker::SetTime(Platform& platform, Moment moment) {
  std::optional<LocalFields> local = platform.LocalFieldsOf(moment);
  if (!local) return false;
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(local->year);
  time.wMonth = static_cast<WORD>(local->month);
  time.wDay = static_cast<WORD>(local->day);
  time.wHour = static_cast<WORD>(local->hour);
  time.wMinute = static_cast<WORD>(local->minute);
  time.wSecond = static_cast<WORD>(local->second);
  return SetTime(time);
}

}  // namespace morlind
