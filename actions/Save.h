// Copying found files out of the cache to places the user chooses.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/UiServices.h"
#include "platform/Platform.h"
#include "search/Job.h"
#include "search/ResultTable.h"

namespace morlind {

extern const char* const kNothingToSaveText;  // "当前没有选中的文件!"

struct FileCopy {
  std::string source;  // the file; empty for a browser row
  std::string target;
  // A browser row's entry, whose body is written decoded.
  std::shared_ptr<const CacheEntry> entry = nullptr;
  bool operator==(const FileCopy&) const = default;
};
// The copies a save makes, in order; a later one may replace an earlier
// one's target.
using CopyPlan = std::vector<FileCopy>;

// Every ticked row's file into one folder the user chooses, under its
// name; nothing when no row is ticked (the user is told) or the chooser
// was cancelled. Browser rows of one name get " (2)", " (3)", … so none
// replaces another.
std::optional<CopyPlan> PlanSaveSelected(UiServices& ui, const ResultTable& table);

// The highlighted row's file to a path chosen in the save-as dialog;
// extension is the last search's extension text. Nothing when no row is
// highlighted (the user is told) or the dialog was cancelled.
std::optional<CopyPlan> PlanSaveCurrent(UiServices& ui, const ResultTable& table, const std::string& extension);

// For the shell (opening, the clipboard): the bodies of the browser rows
// among rows, to be written into folder, one of the program's own, under
// their names (numbered when names meet). File rows need no copy.
CopyPlan PlanBodyCopies(const ResultTable& table, const std::vector<int>& rows, const std::string& folder);

// What the copies came to. A source gone meanwhile is no failure: the row
// is simply skipped.
struct CopyReport {
  int copied = 0;
  int failed = 0;
  std::string firstReason;  // why the first failure failed, in the user's words
};

// Why a browser row's body is not written.
extern const char* const kPartialBodyText;     // "缓存中只有此文件的一部分。"
extern const char* const kDamagedBodyText;     // "缓存中此文件的内容已损坏。"
extern const char* const kUnreadableBodyText;  // "无法读取缓存中的此文件。"

// Writes a browser row's body as the browser received it (decoded) to
// target, through a file that replaces target only once whole. Nothing
// when written, else why not (empty when stopped).
std::optional<std::string> WriteEntryBody(Platform& platform, const CacheEntry& entry, const std::string& target,
                                          const std::atomic<bool>* stop);

// Makes the copies, replacing existing targets (a link at a target's name
// is replaced, never written through). Each copy is written beside its
// target and renamed over it once whole, so a copy that fails leaves the
// target as it was. With a job, each copy is counted, and once it is asked
// to stop no copy starts and the one under way is given up the same way.
CopyReport CopyFiles(Platform& platform, const CopyPlan& plan, JobControl* job = nullptr);

// "有 3 个文件没有保存：拒绝访问。", or nothing when every copy was made.
std::optional<std::string> CopyFailureText(const CopyReport& report);

// "保存文件(*.ext)|*.ext|所有文件(*.*)|*.*||".
std::string SaveFilter(std::string_view extension);

// The chosen path with every ".*" taken out.
std::string RemoveDotStar(std::string path);

}  // namespace morlind
