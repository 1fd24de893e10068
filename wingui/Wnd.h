// A window seen through its handle: the object neither creates nor destroys
// the window it is attached to. Member names avoid the A/W macros of
// <windows.h> (SetWindowText, SendMessage, ...).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace morlind {

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return hwnd_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND Detach();

  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const;
  HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd_, id); }

  std::wstring Text() const { return TextOf(hwnd_); }

  // The DPI the window is drawn at (the system's, as the program is
  // system-DPI aware).
  int Dpi() const;

  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE)); }
  void ModifyStyle(DWORD remove, DWORD add);

  // A notification this control sent to its dialog, offered to the control
  // before the dialog's event table; true when nothing else may see it.
  virtual bool OnReflectedNotify(NMHDR* header, LRESULT* result);

  static std::wstring TextOf(HWND hwnd);
  // Sets the text only when it differs, so an edit keeps its caret and
  // scroll position under repeated pushes of the same text.
  static void SetTextIfChanged(HWND hwnd, const std::wstring& text);

 protected:
  HWND hwnd_ = nullptr;
};

// A string of the program's string table; empty when it has none.
std::wstring ResourceString(UINT id);

// Pixels laid out for 96 DPI, at dpi; a DPI that makes no sense (0, negative,
// absurdly large) counts as 96.
int ScaleToDpi(int pixels, int dpi);

// The paint context of one WM_PAINT: begun on construction, ended on
// destruction, so every path through a paint handler ends it.
class CPaintDC {
 public:
  explicit CPaintDC(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
  ~CPaintDC() { ::EndPaint(hwnd_, &paint_); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

}  // namespace morlind
