#include "actions/Save.h"

#include <memory>
#include <vector>

#include <map>

#include "caches/BodyDecoder.h"
#include "caches/EntryName.h"
#include "platform/Paths.h"
#include "platform/Utf8.h"

namespace morlind {

const char* const kNothingToSaveText = "当前没有选中的文件!";
const char* const kPartialBodyText = "缓存中只有此文件的一部分。";
const char* const kDamagedBodyText = "缓存中此文件的内容已损坏。";
const char* const kUnreadableBodyText = "无法读取缓存中的此文件。";

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

// Seconds since 1970 as 100 ns ticks since 1601; 0 (now) for no time.
std::uint64_t FileTimeOf(Moment moment) {
  return moment < 0 ? 0 : static_cast<std::uint64_t>(moment + kSecondsFrom1601To1970) * kFileTicksPerSecond;
}

// Browser rows' names come from addresses, so two may meet: the later is
// numbered. Counted ASCII folded, as Windows compares names.
class EntryNames {
 public:
  std::string Next(std::string name) {
    int seen = ++seen_[FoldedAscii(name)];
    return seen > 1 ? NumberedName(name, seen) : name;
  }

 private:
  std::map<std::string, int> seen_;
};

FileCopy EntryCopy(const CacheEntry& entry, std::string target) {
  return {"", std::move(target), std::make_shared<const CacheEntry>(entry)};
}

// The copy of a file or of a browser row's body: nothing when made, else
// why not (empty when stopped or when the file went meanwhile).
std::optional<std::string> MakeCopy(Platform& platform, const FileCopy& copy, const std::atomic<bool>* stop) {
  if (copy.entry) return WriteEntryBody(platform, *copy.entry, copy.target, stop);
  SystemError error = CopyOne(platform, copy, stop);
  if (error == 0) return std::nullopt;
  if (error == kErrorCancelled || !platform.AttributesOf(copy.source)) return "";
  return platform.ErrorText(error);
}

}  // namespace

std::optional<std::string> WriteEntryBody(Platform& platform, const CacheEntry& entry, const std::string& target,
                                          const std::atomic<bool>* stop) {
  if (!entry.complete) return kPartialBodyText;
  if (!ParseContentEncoding(entry.contentEncoding)) return std::string(kUndecodableEncodingText);
  SystemError error = 0;
  std::unique_ptr<ReplacementFile> file = platform.CreateReplacement(target, &error);
  if (!file) return platform.ErrorText(error);
  DecodeStatus status = ReadDecodedBody(platform, entry, [&](std::string_view piece) {
    if (stop && stop->load(std::memory_order_relaxed)) return false;
    error = file->Write(piece.data(), piece.size());
    return error == 0;
  });
  if (error != 0) return platform.ErrorText(error);
  switch (status) {
    case DecodeStatus::kWhole: break;
    case DecodeStatus::kStopped: return "";
    case DecodeStatus::kPartial: return kPartialBodyText;
    case DecodeStatus::kCorrupt: return kDamagedBodyText;
    case DecodeStatus::kUnreadable: return kUnreadableBodyText;
    case DecodeStatus::kUndecodable: return std::string(kUndecodableEncodingText);
  }
  error = file->Commit(FileTimeOf(entry.lastUsed));
  if (error != 0) return platform.ErrorText(error);
  return std::nullopt;
}

std::optional<CopyPlan> PlanSaveSelected(UiServices& ui, const ResultTable& table) {
  if (table.TickedCount() == 0) {
    ui.ShowMessage(kNothingToSaveText);
    return std::nullopt;
  }
  std::optional<std::string> folder = ui.ChooseFolder(kFolderTitle);
  // Cancelled: there is no folder to copy into.
  if (!folder || folder->empty()) return std::nullopt;

  // Rows in ascending order, so of two ticked files with one name the later
  // wins.
  CopyPlan plan;
  EntryNames entryNames;
  for (int row = 0; row < table.RowCount(); ++row) {
    if (!table.GetCheck(row)) continue;
    std::string name = table.GetItemText(row, Column::kName);
    if (const CacheEntry* entry = table.EntryOf(row)) {
      plan.push_back(EntryCopy(*entry, JoinPath(*folder, entryNames.Next(std::move(name)))));
    } else {
      plan.push_back({table.PathOf(row), JoinPath(*folder, name)});
    }
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
  const CacheEntry* entry = table.EntryOf(row);
  if (entry) return CopyPlan{EntryCopy(*entry, RemoveDotStar(*chosen))};
  return CopyPlan{{table.PathOf(row), RemoveDotStar(*chosen)}};
}

CopyPlan PlanBodyCopies(const ResultTable& table, const std::vector<int>& rows, const std::string& folder) {
  CopyPlan plan;
  EntryNames names;
  for (int row : rows) {
    if (const CacheEntry* entry = table.EntryOf(row)) {
      plan.push_back(EntryCopy(*entry, JoinPath(folder, names.Next(table.GetItemText(row, Column::kName)))));
    }
  }
  return plan;
}

CopyReport CopyFiles(Platform& platform, const CopyPlan& plan, JobControl* job) {
  CopyReport report;
  for (const FileCopy& copy : plan) {
    if (StopRequested(job)) break;
    std::optional<std::string> failure = MakeCopy(platform, copy, job ? &job->StopFlag() : nullptr);
    if (!failure) {
      ++report.copied;
    } else if (!failure->empty() && !StopRequested(job)) {
      if (report.failed++ == 0) report.firstReason = std::move(*failure);
    }
    CountOne(job);
  }
  return report;
}

std::optional<std::string> CopyFailureText(const CopyReport& report) {
  if (report.failed == 0) return std::nullopt;
  return "有 " + std::to_string(report.failed) + " 个文件没有保存：" + report.firstReason;
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
