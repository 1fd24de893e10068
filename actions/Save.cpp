#include "actions/Save.h"

namespace morlind {

const char* const kNothingToSaveText = "当前没有选中的文件!";

namespace {

constexpr const char* kFolderTitle = "所选择路径:";

}  // namespace

std::optional<CopyPlan> PlanSaveSelected(UiServices& ui, const ResultTable& table) {
  if (table.TickedCount() == 0) {
    ui.ShowMessage(kNothingToSaveText);
    return std::nullopt;
  }
  std::optional<std::string> folder = ui.ChooseFolder(kFolderTitle);
  // Cancelled: there is no folder to copy into.
  if (!folder || folder->empty()) return std::nullopt;

  // Rows in ascending order, so of two ticked files with one name the later wins.
  CopyPlan plan;
  for (int row = 0; row < table.RowCount(); ++row) {
    if (!table.GetCheck(row)) continue;
    // A root folder already ends in '\\'; the doubled separator is accepted.
    std::string target = *folder + "\\" + table.GetItemText(row, Column::kName);
    if (!FitsPath(target)) continue;  // never copy to a shortened name
    plan.push_back({table.PathOf(row), std::move(target)});
  }
  return plan;
}

std::optional<CopyPlan> PlanSaveCurrent(Platform& platform, UiServices& ui, const ResultTable& table,
                                        const std::string& extension) {
  int row = table.HighlightedRow();
  if (row < 0 || row >= table.RowCount()) {
    ui.ShowMessage(kNothingToSaveText);
    return std::nullopt;
  }

  SaveAsRequest request;
  request.filter = SaveFilter(platform.AnsiToUtf8(extension));
  request.defaultExtension = extension;
  request.initialName = table.GetItemText(row, Column::kName);
  request.flags = kOfnHideReadOnly | kOfnOverwritePrompt;
  std::optional<std::string> chosen = ui.ChooseSavePath(request);
  if (!chosen) return std::nullopt;

  // The dialog already asked before overwriting.
  return CopyPlan{{table.PathOf(row), RemoveDotStar(*chosen)}};
}

void CopyFiles(Platform& platform, const CopyPlan& plan, JobControl* job) {
  for (const FileCopy& copy : plan) {
    if (StopRequested(job)) return;
    platform.CopyFileReplacing(copy.source, copy.target);
    CountOne(job);
  }
}

void SaveSelected(Platform& platform, UiServices& ui, const ResultTable& table) {
  if (std::optional<CopyPlan> plan = PlanSaveSelected(ui, table)) CopyFiles(platform, *plan);
}

void SaveCurrent(Platform& platform, UiServices& ui, const ResultTable& table,
                 const std::string& extension) {
  if (std::optional<CopyPlan> plan = PlanSaveCurrent(platform, ui, table, extension)) {
    CopyFiles(platform, *plan);
  }
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
