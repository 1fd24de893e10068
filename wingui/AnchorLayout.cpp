#include "wingui/AnchorLayout.h"

#include <commctrl.h>

#include <algorithm>

namespace morlind {

void AnchorLayout::Attach(HWND dialog, std::span<const Anchor> anchors) {
  dialog_ = dialog;
  RECT client{};
  RECT window{};
  ::GetClientRect(dialog, &client);
  ::GetWindowRect(dialog, &window);
  client_ = {client.right, client.bottom};
  window_ = {window.right - window.left, window.bottom - window.top};
  for (const Anchor& anchor : anchors) {
    HWND control = ::GetDlgItem(dialog, anchor.id);
    if (!control) continue;
    RECT place{};
    ::GetWindowRect(control, &place);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    controls_.push_back({control, anchor.flags, place});
  }
  // The grip keeps the corner, and goes while the window is maximised.
  grip_ = ::CreateWindowExW(0, L"SCROLLBAR", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, 0, 0,
                            client.right, client.bottom, dialog, nullptr, nullptr, nullptr);
  if (grip_) {
    RECT place{};
    ::GetWindowRect(grip_, &place);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    controls_.push_back({grip_, kMoveX | kMoveY, place});
  }
  hook_.Install(dialog, [this](HWND window, UINT message, WPARAM w, LPARAM l) {
    return OnMessage(window, message, w, l);
  });
}

LRESULT AnchorLayout::OnMessage(HWND dialog, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_SIZE && w != SIZE_MINIMIZED) {
    Arrange(LOWORD(l), HIWORD(l));
    if (grip_) ::ShowWindow(grip_, w == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOWNA);
  } else if (message == WM_GETMINMAXINFO) {
    LimitTracking(*reinterpret_cast<MINMAXINFO*>(l));
  }
  return ::DefSubclassProc(dialog, message, w, l);
}

RECT AnchorLayout::Place(const Control& control, SIZE growth) {
  RECT place = control.designed;
  if (control.flags & kMoveX) ::OffsetRect(&place, growth.cx, 0);
  if (control.flags & kMoveY) ::OffsetRect(&place, 0, growth.cy);
  if (control.flags & kSizeX) place.right += growth.cx;
  if (control.flags & kSizeY) place.bottom += growth.cy;
  return place;
}

void AnchorLayout::Arrange(int width, int height) {
  const SIZE growth{std::max(0L, width - client_.cx), std::max(0L, height - client_.cy)};
  if (!dialog_ || (growth.cx == growth_.cx && growth.cy == growth_.cy)) return;
  // One batch: the controls move together, without a repaint between. Each
  // paints itself anew: bits copied into the part of the dialog that just
  // grew would be painted over by the dialog's background (seen when the
  // window is maximised).
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(controls_.size()));
  for (const Control& control : controls_) {
    RECT to = Place(control, growth);
    if (batch) batch = ::DeferWindowPos(batch, control.window, nullptr, to.left, to.top, to.right - to.left,
                                        to.bottom - to.top, kFlags);
  }
  if (batch) ::EndDeferWindowPos(batch);
  for (const Control& control : controls_) {
    if (control.flags & kRepaintFrame) RepaintFrame(Place(control, growth_), Place(control, growth));
  }
  growth_ = growth;
}

// A group box draws its frame and leaves its inside to the dialog: where it
// grew, its old frame lines would stay. Only the bands along both frames
// are repainted, so that the controls inside do not flicker.
void AnchorLayout::RepaintFrame(const RECT& was, const RECT& is) const {
  RECT outer{};
  RECT inner{};
  ::UnionRect(&outer, &was, &is);
  ::IntersectRect(&inner, &was, &is);
  ::InflateRect(&inner, -2 * ::GetSystemMetrics(SM_CXEDGE), -2 * ::GetSystemMetrics(SM_CYEDGE));
  HRGN bands = ::CreateRectRgnIndirect(&outer);
  HRGN inside = ::CreateRectRgnIndirect(&inner);
  if (bands && inside && ::CombineRgn(bands, bands, inside, RGN_DIFF) != ERROR) {
    ::RedrawWindow(dialog_, nullptr, bands, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  } else {
    ::RedrawWindow(dialog_, &outer, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  if (inside) ::DeleteObject(inside);
  if (bands) ::DeleteObject(bands);
}

void AnchorLayout::LimitTracking(MINMAXINFO& info) const {
  if (!dialog_) return;
  info.ptMinTrackSize = {window_.cx, window_.cy};
}

}  // namespace morlind
