// Thin wrappers of the common controls the main dialog uses, with only the
// operations it calls. Texts are UTF-8 on this side, wide on the
// controls'.
#pragma once

#include <functional>
#include <string>

#include "platform/Platform.h"
#include "search/ResultTable.h"
#include "wingui/Subclass.h"
#include "wingui/Wnd.h"

namespace morlind {

class CComboBox : public CWnd {
 public:
  // The index of the list selection, or CB_ERR.
  int GetCurSel() const;
  std::string GetLBText(int index) const;
  // The text of the edit field.
  std::string GetWindowTextUtf8() const;
  // At a fixed index: the list is not sorted by this, whatever the style.
  int InsertString(int index, const std::wstring& text);
  // Selects the first item after startAfter (-1: from the top) that begins
  // with text; its index, or CB_ERR.
  int SelectString(int startAfter, const std::wstring& text);
};

// A date-time picker read and set as a Moment: the picker's calendar fields
// are local time, and daylight saving is decided by the library.
class CDateTimeCtrl : public CWnd {
 public:
  Moment GetTime(Platform& platform) const;
  bool SetTime(Platform& platform, Moment moment);
};

// The result list: an owner-data list view showing a ResultTable. The model
// owns the rows' texts, check states and the highlighted row; the control
// holds only the count and asks for what it draws. A click on a row's check
// box or the space key toggles the model's check; the click is still
// notified to the dialog. Ticks set with the list's own LVM_SETITEMSTATE
// (by accessibility and automation tools, from any process) reach the
// model too, and type-ahead finds rows by name. Hovering a row shows its
// whole address in a tip.
class CListCtrl : public CWnd {
 public:
  ~CListCtrl() override;

  // Attaches the model and shows its rows; the list window must exist.
  void SetModel(ResultTable* model);

  DWORD GetExtendedStyle() const;
  void SetExtendedStyle(DWORD style);
  int InsertColumn(int index, const std::wstring& heading, int format, int width);

  // Shows the model anew after its rows changed: every row gone from the
  // control, selection included, then the model's count.
  void Refresh();

  // While locked, ticks by click, space and state message are ignored.
  void LockTicks(bool locked) { ticksLocked_ = locked; }

  void SetCheck(int row, bool ticked);

  // The rows anew after a sort or after some went: drawn again, the
  // selection moved to where the highlighted row went.
  void ShowRowsAgain();
  // The header's arrow on column, none on the others.
  void ShowSortArrow(int column, bool descending);

  bool OnReflectedNotify(NMHDR* header, LRESULT* result) override;

 private:
  LRESULT OnSetItemState(WPARAM w, LPARAM l);
  void CreateAddressTip();
  void FollowMouse(UINT message, WPARAM w, LPARAM position);
  void ServeTip(NMTTDISPINFOW& info);
  void ServeDisplayInfo(LVITEMW& item) const;
  LRESULT FindItem(const NMLVFINDITEMW& find) const;
  void Toggle(int row);
  void FollowSelection();

  ResultTable* model_ = nullptr;
  bool ticksLocked_ = false;
  CSubclass subclass_;  // takes the list's state messages
  // The list's own info tip does not show under Wine: a tip of ours, owned
  // by the list, whose text follows the row under the mouse.
  HWND tip_ = nullptr;
  int tipRow_ = -1;
  std::wstring tipText_;
};

}  // namespace morlind
