#include "ui/Wnd.h"

namespace morlind {

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

}  // namespace morlind
