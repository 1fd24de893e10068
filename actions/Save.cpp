#include "actions/Save.h"

#include <memory>
#include <vector>

#include "platform/Paths.h"

namespace morlind {

const char* const kNothingToSaveText = "当前没有选中的文件!";

namespace {

constexpr const char* kFolderTitle = "所选择路径:";

// Small enough for a stop to take effect within milliseconds.
constexpr std::size_t kChunk = 1 << 20;
// ReadAt gives no reason of its own.
constexpr SystemError kErrorReadFault = 30;

// Copies into a new file beside the target that replaces it only once
// whole: a failure or a stop leaves whatever the target name held as it was.
SystemError CopyOne(Platform& platform, const FileCopy& copy, const std::atomic<bool>* stop) {
  SystemError error = 0;
  // The source stays open until the copy has replaced the target, so a
  // copy onto itself is refused instead of replacing it.
  std::unique_ptr<ReadOnlyFile> source = platform.OpenForReading(copy.source, &error);
  if (!source) return error;
  std::unique_ptr<ReplacementFile> target = platform.CreateReplacement(copy.target, &error);
  if (!target) return error;
  std::vector<char> buffer(kChunk);
  for (std::uint64_t offset = 0;; offset += kChunk) {
    if (stop && stop->load(std::memory_order_relaxed)) return kErrorCancelled;
    std::optional<std::size_t> read = source->ReadAt(offset, buffer.data(), kChunk);
    if (!read) return kErrorReadFault;
    if (*read > 0 && (error = target->Write(buffer.data(), *read)) != 0) return error;
    if (*read < kChunk) break;
  }
  return target->Commit(source->LastWrite());
}

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
    plan.push_back({table.PathOf(row), JoinPath(*folder, table.GetItemText(row, Column::kName))});
  }
  return plan;
}

std::optional<CopyPlan> PlanSaveCurrent(UiServices& ui, const ResultTable& table, const std::string& extension) {
  int row = table.HighlightedRow();
  if (row < 0 || row >= table.RowCount()) {
    ui.ShowMessage(kNothingToSaveText);
    return std::nullopt;
  }

  SaveAsRequest request;
  request.filter = SaveFilter(extension);
  request.defaultExtension = extension;
  request.initialName = table.GetItemText(row, Column::kName);
  request.flags = kOfnHideReadOnly | kOfnOverwritePrompt;
  std::optional<std::string> chosen = ui.ChooseSavePath(request);
  if (!chosen) return std::nullopt;

  // The dialog already asked before overwriting.
  return CopyPlan{{table.PathOf(row), RemoveDotStar(*chosen)}};
}

CopyReport CopyFiles(Platform& platform, const CopyPlan& plan, JobControl* job) {
  CopyReport report;
  for (const FileCopy& copy : plan) {
    if (StopRequested(job)) break;
    SystemError error = CopyOne(platform, copy, job ? &job->StopFlag() : nullptr);
    if (error == 0) {
      ++report.copied;
    } else if (error != kErrorCancelled && platform.AttributesOf(copy.source)) {
      if (report.failed++ == 0) report.firstError = error;
    }
    CountOne(job);
  }
  return report;
}

std::optional<std::string> CopyFailureText(Platform& platform, const CopyReport& report) {
  if (report.failed == 0) return std::nullopt;
  return "有 " + std::to_string(report.failed) + " 个文件没有保存：" + platform.ErrorText(report.firstError);
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
