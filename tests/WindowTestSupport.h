// Helpers for tests that create real windows in process (under Wine on a
// virtual display).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace morlind::test {

inline void InitCommonControlsOnce() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

// Handles everything queued for this thread, keyboard through the dialog.
inline void PumpMessages(HWND dialog = nullptr) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog && IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

inline std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// A dialog-unit rectangle in the dialog's client pixels. Position and size
// are mapped apart, as the dialog manager maps a template's controls.
inline RECT DialogUnits(HWND dialog, int x, int y, int w, int h) {
  RECT mapped{x, y, w, h};
  MapDialogRect(dialog, &mapped);
  return RECT{mapped.left, mapped.top, mapped.left + mapped.right, mapped.top + mapped.bottom};
}

// A child's window rectangle in its dialog's client pixels.
inline RECT ClientRectOf(HWND dialog, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace morlind::test
