// A date-time picker read and set as a Moment: the picker's calendar fields
// are local time, and daylight saving is decided by the library.
#pragma once

#include "platform/Platform.h"
#include "wingui/Controls.h"

namespace morlind {

class CMomentPicker : public CDateTimeCtrl {
 public:
  using CDateTimeCtrl::GetTime;
  using CDateTimeCtrl::SetTime;

  Moment GetTime(Platform& platform) const;
  bool SetTime(Platform& platform, Moment moment);
};

}  // namespace morlind
