// The status line under the list, and its one writer: the dialog and the
// work session show their texts through this object, and no data exchange
// pushes a copy of an older one over them.
#pragma once

#include <string>

#include "platform/WideText.h"
#include "wingui/Wnd.h"

namespace morlind {

class CStatusLine : public CWnd {
 public:
  std::wstring Shown() const { return Text(); }
  // The same text is not set again: the line keeps its scroll position.
  void Show(const std::wstring& text) { SetTextIfChanged(hwnd_, text); }
  void Show(const std::string& utf8) { Show(Utf8ToWide(utf8)); }
};

}  // namespace morlind
