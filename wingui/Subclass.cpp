#include "wingui/Subclass.h"

#include <commctrl.h>

namespace morlind {

// The object's address tells its subclass from others on the same window.
bool CSubclass::Install(HWND hwnd, Handler handler) {
  Remove();
  handler_ = std::move(handler);
  if (!::SetWindowSubclass(hwnd, Proc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this))) {
    return false;
  }
  hwnd_ = hwnd;
  return true;
}

void CSubclass::Remove() {
  if (!hwnd_) return;
  ::RemoveWindowSubclass(hwnd_, Proc, reinterpret_cast<UINT_PTR>(this));
  hwnd_ = nullptr;
}

LRESULT CALLBACK CSubclass::Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR self) {
  auto* subclass = reinterpret_cast<CSubclass*>(self);
  if (message == WM_NCDESTROY) {
    subclass->Remove();
    return ::DefSubclassProc(hwnd, message, w, l);
  }
  return subclass->handler_(hwnd, message, w, l);
}

}  // namespace morlind
