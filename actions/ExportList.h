// The list as a table for a spreadsheet: every row, in the order shown, as
// a CSV file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "actions/UiServices.h"
#include "platform/Platform.h"
#include "search/Job.h"
#include "search/ResultTable.h"

namespace morlind {

extern const char* const kExportFailedText;  // "无法导出列表："

// The .csv file the user picks in the save-as dialog; nothing when cancelled.
std::optional<std::string> ChooseExportPath(UiServices& ui);

// A field as RFC 4180 writes it: quoted, quotes doubled, when it holds a
// comma, a quote, CR or LF; as it is otherwise.
std::string CsvField(std::string_view text);

// The heading line: the list's column names, then 路径; ends CRLF.
std::string ExportHeading();
// One row's line: the columns as the list writes them but the size in
// bytes, then the file's full path (empty for a browser row); ends CRLF.
std::string ExportLine(const ResultTable& table, int row);

// Writes the byte-order mark (so a spreadsheet in a Chinese locale reads
// UTF-8), the heading and every row of table to target, through a file that
// replaces target only once whole: a failed or stopped export leaves target
// as it was. Each row is counted with the job, and a stop is seen between
// pieces. Nothing when written, else why not in the system's words; empty
// when stopped.
std::optional<std::string> ExportList(Platform& platform, const ResultTable& table, const std::string& target,
                                      JobControl* job = nullptr);

}  // namespace morlind
