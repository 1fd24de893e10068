// The main dialog's list of rows.
#pragma once

#include <string>

#include "search/ResultTable.h"
#include "wingui/Controls.h"
#include "wingui/Subclass.h"

namespace morlind {

// The result list: an owner-data list view showing a ResultTable. The model
// owns the rows' texts, check states and the highlighted row; the control
// holds only the count and asks for what it draws. A click on a row's check
// box or the space key toggles the model's check; the click is still
// notified to the dialog. Ticks set with the list's own LVM_SETITEMSTATE
// (by accessibility and automation tools, from any process) reach the
// model too, and type-ahead finds rows by name. Hovering a row shows its
// whole address in a tip.
class CResultList : public CListCtrl {
 public:
  ~CResultList() override;

  // Attaches the model and shows its rows; the list window must exist.
  void SetModel(ResultTable* model);

  // Shows the model anew after its rows changed: every row gone from the
  // control, selection included, then the model's count.
  void Refresh();

  // While locked, ticks by click, space and state message are ignored.
  void LockTicks(bool locked) { ticksLocked_ = locked; }

  void SetCheck(int row, bool ticked);

  // The rows anew after a sort or after some went: drawn again, the
  // selection moved to where the highlighted row went.
  void ShowRowsAgain();

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
