// The main dialog's window-level behaviour that is not about searching:
// the about box, the minimised icon and the link label.
#include "ui/MainDlg.h"

#include "platform/WideText.h"
#include "res/resource.h"

namespace morlind {

namespace {

// IDC_APPSTARTING, which the headers give only as an ANSI name.
const LPCWSTR kBusyCursor = MAKEINTRESOURCEW(32650);

// Blue 200: the link label's text.
constexpr COLORREF kLinkColour = RGB(0, 0, 200);

// The label is a plain static that reports no clicks: the dialog itself
// looks whether the mouse is over it.
bool CursorOver(HWND window) {
  POINT cursor{};
  RECT rect{};
  return window && ::GetCursorPos(&cursor) && ::GetWindowRect(window, &rect) && ::PtInRect(&rect, cursor);
}

}  // namespace

void CMainDlg::OnSysCommand(UINT id, LPARAM) {
  if ((id & 0xFFF0) == IDM_ABOUTBOX) {
    OnAbout();
    return;
  }
  Default();
}

void CMainDlg::OnAbout() {
  if (aboutBox_) aboutBox_(hwnd_);
}

// Minimised, the dialog paints its own icon; a dialog has no class icon
// that the system would draw instead.
void CMainDlg::OnPaint() {
  if (!::IsIconic(hwnd_)) {
    Default();
    return;
  }
  CPaintDC dc(hwnd_);
  Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0);
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc.Get(), x, y, icon_);
}

HCURSOR CMainDlg::OnQueryDragIcon() { return icon_; }

HBRUSH CMainDlg::OnCtlColor(HDC dc, HWND control, UINT) {
  auto brush = reinterpret_cast<HBRUSH>(Default());
  if (control && control == GetDlgItem(IDC_HOMEPAGE)) {
    ::SetTextColor(dc, kLinkColour);
    ::SetBkMode(dc, TRANSPARENT);
  }
  return brush;
}

BOOL CMainDlg::OnSetCursor(HWND, UINT, UINT) {
  if (Working()) {
    ::SetCursor(::LoadCursorW(nullptr, kBusyCursor));
    return TRUE;
  }
  if (CursorOver(GetDlgItem(IDC_HOMEPAGE))) {
    ::SetCursor(::LoadCursorW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK_CURSOR)));
    return TRUE;
  }
  return static_cast<BOOL>(Default());
}

void CMainDlg::OnLButtonDown(UINT, POINT) {
  if (CursorOver(GetDlgItem(IDC_HOMEPAGE))) {
    ui_.ShellOpen("", WideToUtf8(ResourceString(IDS_HOMEPAGE)), kShowMaximized, true);
  }
  Default();
}

}  // namespace morlind
