// Selection tracking: the status line and the row buttons follow the
// highlighted and the ticked rows. Also the check tools, the opening of the
// highlighted file and the access-mode radios.
#include "ui/MainDlg.h"

#include "actions/Open.h"
#include "res/resource.h"
#include "platform/WideText.h"

namespace morlind {

namespace {

constexpr const char* kHighlightedPrefix = "当前选中 ";
constexpr const char* kNothingHighlightedText = "没有选中文件";

// Re-evaluates "保存选中" for the rest of the run; every click in the table
// sets it again, which restarts it.
constexpr UINT_PTR kSaveSelectedTimer = 1;
constexpr UINT kSaveSelectedPeriodMs = 100;

constexpr int kPickers[] = {IDC_START_DATE, IDC_END_DATE, IDC_START_TIME, IDC_END_TIME};

// The list draws its check boxes from the model: after a tool changed every
// row, one invalidation repaints what shows, however many rows there are.
void RedrawAllRows(CListCtrl& list) { ::InvalidateRect(list.GetSafeHwnd(), nullptr, TRUE); }

}  // namespace

std::optional<std::string> CMainDlg::HighlightedPath() const {
  // The list keeps the model's row in step with its selection: the first
  // selected row from row 0, and selection is single.
  int row = table_.HighlightedRow();
  if (row < 0 || table_.EntryOf(row)) return std::nullopt;
  return table_.PathOf(row);
}

// A file by its path, a browser's entry by its source and address.
void CMainDlg::ShowHighlight() {
  const int row = table_.HighlightedRow();
  const bool any = row >= 0 && row < table_.RowCount();
  std::string shown = kNothingHighlightedText;
  if (any && table_.EntryOf(row)) {
    shown = kHighlightedPrefix + table_.SourceOf(row) + " " + table_.AddressOf(row);
  } else if (any) {
    shown = kHighlightedPrefix + table_.PathOf(row);
  }
  status_.Show(shown);
  EnableItem(IDC_VIEW_CURRENT, any);
  EnableItem(IDC_SAVE_CURRENT, any);
}

void CMainDlg::OnClickList(NMHDR*, LRESULT* result) {
  *result = 0;
  ShowHighlight();
  // A tick made with the mouse is such a click: from now on the timer
  // carries ticks to "保存选中".
  ::SetTimer(hwnd_, kSaveSelectedTimer, kSaveSelectedPeriodMs, nullptr);
}

void CMainDlg::OnDblClickList(NMHDR*, LRESULT* result) {
  *result = 0;
  UpdateSaveSelectedButton();
  OnViewCurrent();
}

void CMainDlg::OnViewCurrent() {
  const int row = table_.HighlightedRow();
  if (row >= 0 && table_.EntryOf(row)) {
    WithRowFiles({row}, kCannotOpenText, [this](std::vector<std::string> paths) {
      if (!paths.empty()) OpenFile(ui_, platform_, paths.front());
    });
    return;
  }
  std::optional<std::string> path = HighlightedPath();
  if (path) OpenFile(ui_, platform_, *path);
  ShowHighlight();
}

// The model counts its ticked rows, so the timer's ten looks a second
// cost nothing even on a huge table.
void CMainDlg::UpdateSaveSelectedButton() { EnableItem(IDC_SAVE_SELECTED, table_.TickedCount() > 0); }

void CMainDlg::OnTimer(UINT_PTR id) {
  if (id == kSaveSelectedTimer && !Working()) UpdateSaveSelectedButton();
  Default();
}

void CMainDlg::OnSelectAll() {
  RunCheckTool(selectAll_, [this] { table_.SetAllTicks(true); }, false);
}

void CMainDlg::OnSelectNone() {
  RunCheckTool(selectNone_, [this] { table_.SetAllTicks(false); }, false);
}

// Every click flips the rows, so the box stays ticked whatever the click
// did to it.
void CMainDlg::OnInvert() {
  RunCheckTool(invert_, [this] { table_.InvertTicks(); }, true);
}

void CMainDlg::RunCheckTool(int& box, const std::function<void()>& changeRows, bool alwaysTicked) {
  UpdateData(true);
  if (alwaysTicked) box = 1;
  // Unticking 全选 or 全不选 leaves the rows as they are.
  if (box == 1) {
    changeRows();
    RedrawAllRows(list_);
    for (int* other : {&selectAll_, &invert_, &selectNone_}) {
      if (other != &box) *other = 0;
    }
  }
  UpdateData(false);
  UpdateSaveSelectedButton();
}

void CMainDlg::OnNoLimit() {
  criteria_.accessMode = AccessMode::kNoLimit;
  for (int id : kPickers) EnableItem(id, false);
}

void CMainDlg::OnMatchWindow() {
  criteria_.accessMode = AccessMode::kMatchWindow;
  for (int id : kPickers) EnableItem(id, true);
}

}  // namespace morlind
