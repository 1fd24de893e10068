#include "actions/Delete.h"

#include "actions/Clean.h"
#include "actions/Save.h"

namespace morlind {

std::vector<int> ChosenRows(const ResultTable& table) {
  std::vector<int> rows;
  for (int row = 0; row < table.RowCount() && table.TickedCount() > 0; ++row) {
    if (table.GetCheck(row)) rows.push_back(row);
  }
  const int highlighted = table.HighlightedRow();
  if (rows.empty() && highlighted >= 0 && highlighted < table.RowCount()) rows.push_back(highlighted);
  return rows;
}

std::string DeleteQuestion(std::size_t count, std::uint64_t bytes) {
  return "确定要删除这 " + std::to_string(count) + " 个文件（共 " + FormatKBSize(bytes) + "）吗？";
}

std::optional<DeletePlan> PlanDelete(UiServices& ui, const ResultTable& table) {
  DeletePlan plan;
  plan.rows = ChosenRows(table);
  if (plan.rows.empty()) {
    ui.ShowMessage(kNothingToSaveText);
    return std::nullopt;
  }
  std::uint64_t bytes = 0;
  for (int row : plan.rows) {
    bytes += table.SizeOf(row);
    plan.paths.push_back(table.PathOf(row));
    plan.addresses.push_back(table.AddressOf(row));
  }
  if (!ui.AskYesNo(DeleteQuestion(plan.rows.size(), bytes))) return std::nullopt;
  return plan;
}

namespace {

// WinINet deletes an entry's local file with the entry, by its name: while
// anything still opens there (a file of another case, a link) the entry
// stays, or that would go too. False when the index would not give it up.
bool ForgetOnceGone(Platform& platform, const std::string& address) {
  std::optional<std::string> localFile = platform.UrlLocalFile(address);
  if (!localFile || platform.AttributesOf(*localFile)) return true;
  return platform.ForgetUrl(address);
}

}  // namespace

DeleteReport DeleteFiles(Platform& platform, const std::string& cacheFolder, const DeletePlan& plan,
                         JobControl* job) {
  DeleteReport report;
  report.noCacheFolder = cacheFolder.empty();
  InsideDeleter inside(platform, cacheFolder);
  for (std::size_t i = 0; i < plan.rows.size(); ++i) {
    if (StopRequested(job)) break;
    // A browser row has no path: its cache is only ever read.
    if (!plan.paths[i].empty() && !report.noCacheFolder && inside.Delete(plan.paths[i]) == 0) {
      report.deletedRows.push_back(plan.rows[i]);
      if (!plan.addresses[i].empty() && !ForgetOnceGone(platform, plan.addresses[i])) ++report.keptInIndex;
    } else {
      ++report.failed;
    }
    CountOne(job);
  }
  return report;
}

std::string DeleteResultText(const DeleteReport& report) {
  std::string text = "已删除 " + std::to_string(report.deletedRows.size()) + " 个文件";
  if (report.failed > 0) text += "，" + std::to_string(report.failed) + " 个文件无法删除";
  if (report.keptInIndex > 0) text += "，" + std::to_string(report.keptInIndex) + " 个网址未能从IE缓存索引中删除";
  text += "。";
  if (report.noCacheFolder) text += "找不到IE缓存文件夹。";
  return text;
}

}  // namespace morlind
