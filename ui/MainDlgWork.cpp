// Long work off the window's thread: the scan of a search, the clean and
// the copies of a save run on the worker while the window answers, shows
// progress and can stop them. What the window shows when the work has
// ended is what it showed when the same work ran on its own thread.
#include "ui/MainDlg.h"

#include <cstdio>
#include <iterator>
#include <stdexcept>

#include "platform/WideText.h"
#include "res/resource.h"

namespace morlind {

namespace {

constexpr const char* kStoppedText = "已停止。";

// The controls that start work or change rows: off while work runs.
constexpr int kWorkControls[] = {IDC_SEARCH,     IDC_CLEAN,       IDC_SAVE_SELECTED, IDC_SAVE_CURRENT,
                                 IDC_VIEW_CURRENT, IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_INVERT,
                                 IDC_NO_LIMIT,   IDC_MATCH_WINDOW};

// Progress shows at most ten times a second.
constexpr UINT kProgressPeriodMs = 100;

}  // namespace

void CMainDlg::BeginWork() {
  statusBefore_ = CWnd::TextOf(GetDlgItem(IDC_STATUS));
  stopped_ = false;
  focusBefore_ = ::GetFocus();
  enabledBefore_.clear();
  for (int id : kWorkControls) {
    enabledBefore_.push_back(::IsWindowEnabled(GetDlgItem(id)) != FALSE);
    EnableItem(id, false);
  }
  list_.LockTicks(true);
  ::SetTimer(hwnd_, kProgressTimer, kProgressPeriodMs, nullptr);
}

void CMainDlg::RunOnWorker(Work work, std::function<void(JobControl&)> job) {
  work_ = work;
  HWND window = hwnd_;
  worker_.Start(std::move(job), [window] { ::PostMessageW(window, kWorkDoneMessage, 0, 0); });
  ShowProgress();
  RefreshCursor();
}

void CMainDlg::OnWorkDone() {
  if (!Working()) return;  // closed meanwhile
  worker_.Wait();
  // Ends the dialog with a message, through the window procedure's guard.
  if (!worker_.Control().Failure().empty()) throw std::runtime_error(worker_.Control().Failure());
  const Work work = work_;
  switch (work) {
    case Work::kClean:
      StartSearch();  // shows what is left, also of a stopped clean
      return;
    case Work::kSearch:
      std::swap(table_, pending_);
      list_.Refresh();
      break;
    default:
      break;
  }
  EndWork();
  if (work == Work::kSave) {
    if (std::optional<std::string> failure = CopyFailureText(platform_, saveReport_)) ui_.ShowMessage(*failure);
  }
}

void CMainDlg::EndWork() {
  work_ = Work::kNone;
  ::KillTimer(hwnd_, kProgressTimer);
  list_.LockTicks(false);
  for (std::size_t i = 0; i < std::size(kWorkControls); ++i) EnableItem(kWorkControls[i], enabledBefore_[i]);
  status_ = stopped_ ? Utf8ToWide(kStoppedText) : statusBefore_;
  CWnd::SetTextIfChanged(GetDlgItem(IDC_STATUS), status_);
  if (focusBefore_ && !::GetFocus() && ::IsWindowEnabled(focusBefore_)) ::SetFocus(focusBefore_);
  RefreshCursor();
}

void CMainDlg::StopWorkAndWait() {
  if (!Working()) return;
  worker_.Control().RequestStop();
  worker_.Wait();
  work_ = Work::kNone;
}

void CMainDlg::OnCancel() {
  if (!Working()) {
    CDialog::OnCancel();
    return;
  }
  stopped_ = true;
  worker_.Control().RequestStop();
}

void CMainDlg::OnOK() {
  StopWorkAndWait();
  CDialog::OnOK();
}

// The close box, Alt+F4 and the system menu's Close: the default handling
// then cancels, which ends the dialog once nothing runs.
void CMainDlg::OnClose() {
  StopWorkAndWait();
  Default();
}

void CMainDlg::ShowProgress() {
  const int done = worker_.Control().Done();
  char text[96] = {};
  switch (work_) {
    case Work::kSearch:
      std::snprintf(text, sizeof text, "正在搜索… 已找到 %d 个文件", done);
      break;
    case Work::kClean:
      std::snprintf(text, sizeof text, "正在清理IE缓存… 已删除 %d 个文件", done);
      break;
    case Work::kSave:
      std::snprintf(text, sizeof text, "正在保存… %d / %d", done, saveTotal_);
      break;
    case Work::kNone:
      return;
  }
  CWnd::SetTextIfChanged(GetDlgItem(IDC_STATUS), Utf8ToWide(text));
}

// The cursor changes at once, not at the next move of the mouse.
void CMainDlg::RefreshCursor() {
  POINT at{};
  ::GetCursorPos(&at);
  HWND under = ::WindowFromPoint(at);
  if (under != hwnd_ && !::IsChild(hwnd_, under)) return;
  LRESULT hit = ::SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

}  // namespace morlind
