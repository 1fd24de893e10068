#include "wingui/Wnd.h"

namespace morlind {

namespace {
constexpr int kDefaultDpi = 96;
constexpr int kMinDpi = kDefaultDpi / 2;
constexpr int kMaxDpi = kDefaultDpi * 10;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// Windows 10 1607 on; earlier systems have one DPI for every window.
GetDpiForWindowFunction GetDpiForWindowIfAny() {
  FARPROC found = ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
  return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(found));
}
}  // namespace

int ScaleToDpi(int pixels, int dpi) {
  if (dpi < kMinDpi || dpi > kMaxDpi) dpi = kDefaultDpi;
  return ::MulDiv(pixels, dpi, kDefaultDpi);
}

int CWnd::Dpi() const {
  static const GetDpiForWindowFunction getDpiForWindow = GetDpiForWindowIfAny();
  if (getDpiForWindow) return static_cast<int>(getDpiForWindow(hwnd_));
  HDC dc = ::GetDC(hwnd_);
  int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
  ::ReleaseDC(hwnd_, dc);
  return dpi;
}

HWND CWnd::Detach() {
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  return hwnd;
}

LRESULT CWnd::Send(UINT message, WPARAM w, LPARAM l) const {
  return ::SendMessageW(hwnd_, message, w, l);
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
  DWORD style = GetStyle();
  DWORD changed = (style & ~remove) | add;
  if (changed != style) ::SetWindowLongPtrW(hwnd_, GWL_STYLE, static_cast<LONG_PTR>(changed));
}

bool CWnd::OnReflectedNotify(NMHDR*, LRESULT*) { return false; }

std::wstring CWnd::TextOf(HWND hwnd) {
  int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void CWnd::SetTextIfChanged(HWND hwnd, const std::wstring& text) {
  if (TextOf(hwnd) != text) ::SetWindowTextW(hwnd, text.c_str());
}

std::wstring ResourceString(UINT id) {
  // A length of 0 asks for the string in place, read-only and not ended.
  const wchar_t* text = nullptr;
  int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

}  // namespace morlind
