// Acting on rows directly: the row menu (right-click, the menu key,
// Shift+F10), Ctrl+C and Delete in the list. Every item goes through the
// dialog's own commands, so what is refused while work runs is refused here
// too.
#include <iterator>
#include <memory>

#include "actions/Delete.h"
#include "actions/ExportList.h"
#include "platform/WideText.h"
#include "platform/Win32Handles.h"
#include "res/resource.h"
#include "ui/MainDlg.h"

namespace morlind {

namespace {

struct RowMenuItem {
  UINT id;
  const char* text;
};
constexpr RowMenuItem kRowMenu[] = {{IDM_ROW_OPEN, "打开"},
                                    {IDM_ROW_SHOW_IN_FOLDER, "打开所在文件夹"},
                                    {IDM_ROW_COPY_ADDRESS, "复制网址"},
                                    {IDM_ROW_EXPORT, "导出列表…"},
                                    {IDM_ROW_COPY_FILES, "复制文件\tCtrl+C"},
                                    {IDM_ROW_DELETE, "删除选中的文件\tDel"}};

constexpr const char* kNoScratchFolderText = "临时文件夹无法写入。";
constexpr const char* kCannotCopyText = "无法复制文件：";
constexpr const char* kClipboardFailedText = "无法使用剪贴板：";

std::string DeleteProgress(int done, std::size_t total) {
  return "正在删除… " + std::to_string(done) + " / " + std::to_string(total);
}

}  // namespace

// From the keyboard the position is -1, -1: the menu goes to the
// highlighted row. A click on empty space shows none.
LRESULT CMainDlg::OnContextMenu(WPARAM window, LPARAM position) {
  if (reinterpret_cast<HWND>(window) != list_.GetSafeHwnd()) return Default();
  POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  int row = -1;
  if (position == -1) {
    row = table_.HighlightedRow();
    RECT bounds{LVIR_LABEL, 0, 0, 0};
    if (row < 0 || !list_.Send(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds))) return 0;
    at = {bounds.left, bounds.bottom};
    ::ClientToScreen(list_.GetSafeHwnd(), &at);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = at;
    ::ScreenToClient(list_.GetSafeHwnd(), &hit.pt);
    row = static_cast<int>(list_.Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0 || row >= table_.RowCount()) return 0;
  }

  MenuHandle menu(::CreatePopupMenu());
  if (!menu.IsValid()) return 0;
  const bool busy = Busy();
  // Browser rows have no file of their own to show or delete.
  bool anyFile = false;
  for (int chosen : ChosenRows(table_)) anyFile = anyFile || !table_.EntryOf(chosen);
  for (const RowMenuItem& item : kRowMenu) {
    bool on = !busy && (item.id != IDM_ROW_COPY_ADDRESS || !table_.AddressOf(row).empty()) &&
              (item.id != IDM_ROW_SHOW_IN_FOLDER || !table_.EntryOf(row)) && (item.id != IDM_ROW_DELETE || anyFile) &&
              (item.id != IDM_ROW_EXPORT || table_.RowCount() > 0);
    ::AppendMenuW(menu.Get(), MF_STRING | (on ? MF_ENABLED : MF_GRAYED), item.id, Utf8ToWide(item.text).c_str());
  }
  UINT command = 0;
  {
    // The menu's loop lets other programs' commands through meanwhile.
    ModalCount::Scope open(modals_);
    command = static_cast<UINT>(::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x,
                                                 at.y, 0, hwnd_, nullptr));
  }
  if (command) Send(WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return 0;
}

// As the menu's items; refused with them while the dialog is busy.
void CMainDlg::OnListKeyDown(NMHDR* header, LRESULT* result) {
  *result = 0;
  const WORD key = reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey;
  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  if (key == VK_DELETE && !control) Send(WM_COMMAND, MAKEWPARAM(IDM_ROW_DELETE, 0), 0);
  if (key == 'C' && control) Send(WM_COMMAND, MAKEWPARAM(IDM_ROW_COPY_FILES, 0), 0);
}

void CMainDlg::OnRowShowInFolder() {
  if (std::optional<std::string> path = HighlightedPath()) ui_.ShowInFolder(*path);
}

void CMainDlg::OnRowCopyAddress() {
  int row = table_.HighlightedRow();
  if (row >= 0 && !table_.AddressOf(row).empty()) SayClipboardFailure(ui_.CopyText(table_.AddressOf(row)));
}

// Every row in the order shown, as long work on a copy of the rows (their
// texts are shared): the list still changes ticks and the highlight meanwhile.
void CMainDlg::OnRowExport() {
  if (table_.RowCount() == 0) return;
  std::optional<std::string> target = ChooseExportPath(ui_);
  if (!target) return;
  BeginWork();
  auto failure = std::make_shared<std::optional<std::string>>();
  const std::string total = std::to_string(table_.RowCount());
  work_.Run(
      [&platform = platform_, rows = std::make_shared<const ResultTable>(table_), target = *target,
       failure](JobControl& job) { *failure = ExportList(platform, *rows, target, &job); },
      [total](int done) { return "正在导出列表… " + std::to_string(done) + " / " + total; },
      [this, failure] {
        EndWork();
        if (*failure && !(*failure)->empty()) ui_.ShowMessage(kExportFailedText + **failure);
      });
}

void CMainDlg::OnRowCopyFiles() {
  std::vector<int> rows = ChosenRows(table_);
  if (rows.empty()) return;
  WithRowFiles(rows, kCannotCopyText, [this](std::vector<std::string> paths) {
    if (!paths.empty()) SayClipboardFailure(ui_.CopyFiles(paths));
  });
}

void CMainDlg::SayClipboardFailure(std::uint32_t error) {
  if (error != 0) ui_.ShowMessage(kClipboardFailedText + platform_.ErrorText(error));
}

void CMainDlg::WithRowFiles(const std::vector<int>& rows, const std::string& failurePrefix,
                            std::function<void(std::vector<std::string>)> use) {
  std::vector<std::string> files;
  for (int row : rows) {
    if (!table_.EntryOf(row)) files.push_back(table_.PathOf(row));
  }
  if (files.size() == rows.size()) {
    use(std::move(files));
    return;
  }
  std::optional<std::string> folder = scratch_.NewFolder();
  if (!folder) {
    ui_.ShowMessage(failurePrefix + kNoScratchFolderText);
    return;
  }
  BeginWork();
  auto plan = std::make_shared<const CopyPlan>(PlanBodyCopies(table_, rows, *folder));
  auto report = std::make_shared<CopyReport>();
  const std::string total = std::to_string(plan->size());
  work_.Run([&platform = platform_, plan, report](JobControl& job) { *report = CopyFiles(platform, *plan, &job); },
            [total](int done) { return "正在准备文件… " + std::to_string(done) + " / " + total; },
            [this, plan, report, failurePrefix, files = std::move(files), use = std::move(use)]() mutable {
              EndWork();
              if (report->failed > 0) ui_.ShowMessage(failurePrefix + report->firstReason);
              if (work_.Stopped()) return;
              for (const FileCopy& copy : *plan) {
                if (platform_.AttributesOf(copy.target)) files.push_back(copy.target);
              }
              use(std::move(files));
            });
}

// After the question, as long work; the rows of the files deleted leave
// the list, and the status line says what came of it.
void CMainDlg::OnRowDelete() {
  std::optional<DeletePlan> plan = PlanDelete(ui_, table_);
  if (!plan) return;
  BeginWork();
  auto report = std::make_shared<DeleteReport>();
  const std::size_t total = plan->rows.size();
  work_.Run(
      [&platform = platform_, folder = GetCacheFolder(platform_).value_or(""), plan = std::move(*plan),
       report](JobControl& job) { *report = DeleteFiles(platform, folder, plan, &job); },
      [total](int done) { return DeleteProgress(done, total); },
      [this, report] {
        table_.RemoveRows(report->deletedRows);
        list_.ShowRowsAgain();
        EndWork();
        status_.Show(DeleteResultText(*report));
        UpdateSaveSelectedButton();
      });
}

}  // namespace morlind
