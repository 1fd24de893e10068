// Helpers for tests that create real windows in process (under Wine on a
// virtual display), and the main dialog as a user meets it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

#include "tests/FakePlatform.h"
#include "res/resource.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"
#include "ui/MainDlg.h"
#include "platform/WideText.h"

namespace morlind::test {

inline void RegisterCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);  // again is harmless
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

// The text of the box that opens over owner while `open` runs, read and
// closed from a timer the box's loop runs, after `inside` ran under it.
inline std::wstring TextOfBoxOpenedBy(HWND owner, const std::function<void()>& open,
                                      const std::function<void()>& inside = [] {}) {
  static HWND boxOwner;
  static std::wstring text;
  static const std::function<void()>* underBox;
  boxOwner = owner, text.clear(), underBox = &inside;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR self, DWORD) {
    HWND box = GetLastActivePopup(boxOwner);
    if (box == boxOwner) return;
    KillTimer(nullptr, self);
    (*underBox)();
    text = TextOf(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  open();
  KillTimer(nullptr, timer);
  return text;
}

// The main dialog over a cache folder in its default place on the
// in-memory file system, with the user-interface services faked.
class MainDlgFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterCommonControls(); }
  void SetUp() override {
    fs.cacheFolder = kCache;
    fs.knownFolders[KnownFolder::kLocalAppData] = "C:\\me\\Local";
    ASSERT_TRUE(dialog.Create());
    hwnd = dialog.GetSafeHwnd();
    list = Item(IDC_RESULTS);
    PumpMessages(hwnd);
  }
  void TearDown() override { dialog.DestroyWindow(); }

  static constexpr const char* kCache = "C:\\me\\Local\\Microsoft\\Windows\\INetCache";
  // A cache file's path as a search stores it.
  static std::string Path(const std::string& name) { return std::string(kCache) + "\\" + name; }
  // Puts the files into the cache and presses 搜索.
  void SearchOver(std::initializer_list<const char*> names) {
    for (const char* name : names) fs.AddFile(Path(name), 0, name);
    Click(IDC_SEARCH);
  }

  HWND Item(int id) const { return GetDlgItem(hwnd, id); }
  bool On(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  std::wstring Status() const { return TextOf(Item(IDC_STATUS)); }
  // A button press, and whatever work it started run to its end.
  void Click(int id) {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    WaitIdle();
  }
  void WaitIdle() {
    PumpMessages(hwnd);
    for (int ms = 0; dialog.Working() && ms < 10000; ms += 20) {  // bounded: a fault fails, not hangs
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      PumpMessages(hwnd);
    }
  }
  // The work session's own window, where the worker's done messages go.
  static HWND SessionWindow() { return FindWindowExW(HWND_MESSAGE, nullptr, WorkSession::kWindowClass, nullptr); }

  // The list as it shows: rows, texts, check boxes, the highlighted row.
  int Rows() const { return ListView_GetItemCount(list); }
  std::wstring Cell(int row, int column) const {
    wchar_t text[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  bool Shown(int row) const { return ListView_GetCheckState(list, row) == 1; }
  int ListSelection() const { return ListView_GetNextItem(list, -1, LVNI_SELECTED); }
  // The model's ticks, row 0 in bit 0.
  int Ticks() const {
    int ticks = 0;
    for (int row = 0; row < dialog.Table().RowCount(); ++row) ticks |= dialog.Table().GetCheck(row) << row;
    return ticks;
  }

  // A press and release of the left button at a point of the list; the
  // release is queued first, as the list waits for it after the press.
  void Mouse(UINT press, POINT at) {
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(list, press, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PumpMessages(hwnd);
  }
  POINT TextOfRow(int row) const {
    RECT label{};
    ListView_GetItemRect(list, row, &label, LVIR_LABEL);
    return POINT{label.left + 10, (label.top + label.bottom) / 2};
  }
  // Focus and highlight by keyboard; the space key then ticks the row.
  void KeyTo(int row, bool tick) {
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(list);
    if (tick) {
      SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
      SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
    }
    PumpMessages(hwnd);
  }
  // Timer 1 runs on the dialog: removed to prove it, its tick then given by hand.
  bool TimerRanAndTicks() {
    if (!KillTimer(hwnd, 1)) return false;
    SendMessageW(hwnd, WM_TIMER, 1, 0);
    return true;
  }

  FakePlatform fs{HostPlatform()};
  FakeUi ui;
  CMainDlg dialog{fs, ui};
  HWND hwnd = nullptr;
  HWND list = nullptr;
};

}  // namespace morlind::test
