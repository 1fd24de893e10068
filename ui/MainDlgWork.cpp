// Long work off the window's thread: the scan of a search, the clean and
// the copies of a save run on the worker while the window answers, shows
// progress and can stop them. What the window shows when the work has
// ended is what it showed when the same work ran on its own thread.
#include "ui/MainDlg.h"

#include <utility>

#include "res/resource.h"

namespace morlind {

// A box of ours runs its own message loop, in which other programs'
// commands still arrive; one of them must not start work beside the
// command that opened the box.
bool CMainDlg::Busy() const { return Working() || modals_.Any(); }

void CMainDlg::OnRefused() {
  ::CheckRadioButton(hwnd_, IDC_NO_LIMIT, IDC_MATCH_WINDOW,
                     Mode() == AccessMode::kNoLimit ? IDC_NO_LIMIT : IDC_MATCH_WINDOW);
  for (auto [id, box] : {std::pair{IDC_SELECT_ALL, selectAll_}, {IDC_INVERT, invert_}, {IDC_SELECT_NONE, selectNone_}}) {
    ::CheckDlgButton(hwnd_, id, box ? BST_CHECKED : BST_UNCHECKED);
  }
}

void CMainDlg::BeginWork() {
  work_.Begin();
  list_.LockTicks(true);
}

void CMainDlg::EndWork() {
  list_.LockTicks(false);
  work_.End();
}

void CMainDlg::OnFatalError(const std::string& what) {
  ModalCount::Scope open(modals_);
  CDialog::OnFatalError(what);
}

// Rows of a SQL cache keep its copies in the scratch folder open: they go
// before the folder does, so that it goes whole.
CMainDlg::~CMainDlg() {
  work_.StopAndWait();
  table_.DeleteAllItems();
  pending_.DeleteAllItems();
}

void CMainDlg::OnCancel() {
  if (!Working()) {
    CDialog::OnCancel();
    return;
  }
  work_.Stop();
}

void CMainDlg::OnOK() {
  work_.StopAndWait();
  CDialog::OnOK();
}

// The close box, Alt+F4 and the system menu's Close: the default handling
// then cancels, which ends the dialog once nothing runs.
void CMainDlg::OnClose() {
  work_.StopAndWait();
  Default();
}

}  // namespace morlind
