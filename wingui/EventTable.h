// Event tables: each dialog class holds a static array of rows mapping a
// window message, or a control's notification, to one of its member
// functions. The dispatcher walks the class's table, then its base's; an
// event no row names gets the default dialog handling.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <variant>

namespace morlind {

class CDialog;

// The handler signatures; the dispatcher cracks each message's parameters
// into them.
namespace handler {
using Void = void (CDialog::*)();                          // clicks, paint, help
using Notify = void (CDialog::*)(NMHDR*, LRESULT*);         // WM_NOTIFY
using Timer = void (CDialog::*)(UINT_PTR id);
using SysCommand = void (CDialog::*)(UINT id, LPARAM lParam);
using QueryDragIcon = HCURSOR (CDialog::*)();
using CtlColor = HBRUSH (CDialog::*)(HDC dc, HWND control, UINT kind);
using SetCursor = BOOL (CDialog::*)(HWND window, UINT hitTest, UINT message);
using Mouse = void (CDialog::*)(UINT flags, POINT point);
using Raw = LRESULT (CDialog::*)(WPARAM w, LPARAM l);  // any message, parameters and result raw
}  // namespace handler

using Handler = std::variant<handler::Void, handler::Notify, handler::Timer, handler::SysCommand,
                             handler::QueryDragIcon, handler::CtlColor, handler::SetCursor,
                             handler::Mouse, handler::Raw>;

// One row for all seven WM_CTLCOLOR* messages; the handler gets the kind
// (CTLCOLOR_MSGBOX ... CTLCOLOR_STATIC). The number is the old combined
// message, which no current system sends.
constexpr UINT kAnyCtlColor = 0x0019;

struct EventEntry {
  UINT message;
  UINT code;  // notification code, for WM_COMMAND and WM_NOTIFY rows
  UINT id;    // control identifier, for WM_COMMAND and WM_NOTIFY rows
  Handler handler;
  // Not run while the dialog is busy (CDialog::Busy): the command starts
  // work or changes rows, whoever sends it.
  bool idleOnly = false;
};

struct EventTable {
  const EventTable* base;
  std::span<const EventEntry> entries;
};

// Row builders; D is the dialog class whose member the row names.
namespace events {

template <class D>
constexpr EventEntry Clicked(UINT id, void (D::*f)()) {
  return {WM_COMMAND, BN_CLICKED, id, static_cast<handler::Void>(f)};
}
template <class D>
constexpr EventEntry Notify(UINT code, UINT id, void (D::*f)(NMHDR*, LRESULT*)) {
  return {WM_NOTIFY, code, id, static_cast<handler::Notify>(f)};
}
template <class D>
constexpr EventEntry SysCommand(void (D::*f)(UINT, LPARAM)) {
  return {WM_SYSCOMMAND, 0, 0, static_cast<handler::SysCommand>(f)};
}
template <class D>
constexpr EventEntry Paint(void (D::*f)()) {
  return {WM_PAINT, 0, 0, static_cast<handler::Void>(f)};
}
template <class D>
constexpr EventEntry QueryDragIcon(HCURSOR (D::*f)()) {
  return {WM_QUERYDRAGICON, 0, 0, static_cast<handler::QueryDragIcon>(f)};
}
template <class D>
constexpr EventEntry Timer(void (D::*f)(UINT_PTR)) {
  return {WM_TIMER, 0, 0, static_cast<handler::Timer>(f)};
}
template <class D>
constexpr EventEntry CtlColor(HBRUSH (D::*f)(HDC, HWND, UINT)) {
  return {kAnyCtlColor, 0, 0, static_cast<handler::CtlColor>(f)};
}
template <class D>
constexpr EventEntry SetCursor(BOOL (D::*f)(HWND, UINT, UINT)) {
  return {WM_SETCURSOR, 0, 0, static_cast<handler::SetCursor>(f)};
}
template <class D>
constexpr EventEntry LButtonDown(void (D::*f)(UINT, POINT)) {
  return {WM_LBUTTONDOWN, 0, 0, static_cast<handler::Mouse>(f)};
}
// Any other message whose parameters the handler does not need.
template <class D>
constexpr EventEntry Message(UINT message, void (D::*f)()) {
  return {message, 0, 0, static_cast<handler::Void>(f)};
}
template <class D>
constexpr EventEntry Message(UINT message, LRESULT (D::*f)(WPARAM, LPARAM)) {
  return {message, 0, 0, static_cast<handler::Raw>(f)};
}
template <class D>
constexpr EventEntry Help(void (D::*f)()) {
  return {WM_HELP, 0, 0, static_cast<handler::Void>(f)};
}

// The row, refused while the dialog is busy.
constexpr EventEntry IdleOnly(EventEntry entry) {
  entry.idleOnly = true;
  return entry;
}

}  // namespace events

}  // namespace morlind
