#include "actions/Save.h"

namespace morlind {

const char* const kNothingSelectedText = "当前没有选中的文件!";

namespace {

constexpr const char* kFolderTitle = "所选择路径:";

}  // namespace

void SaveSelected(Platform& platform, UiServices& ui, const ResultTable& table) {
  if (table.TickedCount() == 0) {
    ui.ShowMessage(kNothingSelectedText);
    return;
  }
  std::optional<std::string> folder = ui.ChooseFolder(kFolderTitle);
  // Cancelled: there is no folder to copy into.
  if (!folder || folder->empty()) return;

  // Rows in ascending order, so of two ticked files with one name the later wins.
  for (int row = 0; row < table.RowCount(); ++row) {
    if (!table.GetCheck(row)) continue;
    // A root folder already ends in '\\'; the doubled separator is accepted.
    std::string target = *folder + "\\" + table.GetItemText(row, Column::kName);
    if (!FitsPath(target)) continue;  // never copy to a shortened name
    platform.CopyFileReplacing(table.PathOf(row), target);
  }
}

void SaveCurrent(Platform& platform, UiServices& ui, const ResultTable& table,
                 const std::string& extension) {
  int row = table.SelectedRow();
  if (row < 0 || row >= table.RowCount()) {
    ui.ShowMessage(kNothingSelectedText);
    return;
  }

  SaveAsRequest request;
  request.filter = SaveFilter(platform.AnsiToUtf8(extension));
  request.defaultExtension = extension;
  request.initialName = table.GetItemText(row, Column::kName);
  request.flags = kOfnHideReadOnly | kOfnOverwritePrompt;
  std::optional<std::string> chosen = ui.ChooseSavePath(request);
  if (!chosen) return;

  // The dialog already asked before overwriting.
  platform.CopyFileReplacing(table.PathOf(row), RemoveDotStar(*chosen));
}

std::string SaveFilter(std::string_view extension) {
  std::string ext(extension);
  return "保存文件(*." + ext + ")|*." + ext + "|所有文件(*.*)|*.*||";
}

// With extension "*" the save-as dialog appends ".*" to a bare name.
std::string RemoveDotStar(std::string path) {
  std::string result;
  result.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '.' && i + 1 < path.size() && path[i + 1] == '*') {
      ++i;
      continue;
    }
    result += path[i];
  }
  return result;
}

}  // namespace morlind
