// Deleting chosen files from the cache, and their index entries, with the
// clean's safety: only what really lies inside the cache folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "actions/UiServices.h"
#include "platform/Platform.h"
#include "search/Job.h"
#include "search/ResultTable.h"

namespace morlind {

// What a row action takes: the ticked rows, or the highlighted one when
// none is ticked; empty when there is neither.
std::vector<int> ChosenRows(const ResultTable& table);

// "确定要删除这 3 个文件（共 12 KB）吗？"
std::string DeleteQuestion(std::size_t count, std::uint64_t bytes);

struct DeletePlan {
  std::vector<int> rows;  // as shown, ascending
  std::vector<std::string> paths;
  std::vector<std::string> addresses;  // empty where the row has none
};

// The chosen rows once the user said Yes to the question (No the
// default); nothing when none is chosen (the user is told) or on No.
std::optional<DeletePlan> PlanDelete(UiServices& ui, const ResultTable& table);

struct DeleteReport {
  std::vector<int> deletedRows;
  int failed = 0;             // browser rows among them: their caches are only read
  int keptInIndex = 0;        // deleted files whose index entry the index would not give up
  bool noCacheFolder = false;  // nothing could be deleted: there is no IE cache folder
};

// Deletes each file whose real location is its own path inside
// cacheFolder's, never through a link, then its index entry once nothing
// opens at the entry's own file any more. With a job, each file is
// counted, and once it is asked to stop no further file is deleted.
DeleteReport DeleteFiles(Platform& platform, const std::string& cacheFolder, const DeletePlan& plan,
                         JobControl* job = nullptr);

// "已删除 3 个文件。" or "已删除 3 个文件，1 个文件无法删除。"
std::string DeleteResultText(const DeleteReport& report);

}  // namespace morlind
