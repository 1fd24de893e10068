#include "actions/ExportList.h"

#include <memory>

namespace morlind {

const char* const kExportFailedText = "无法导出列表：";

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr const char* kPathHeading = "路径";
// Written in pieces this large: a stop is seen within milliseconds, and
// 120,000 rows take a few hundred writes.
constexpr std::size_t kPiece = 1 << 16;

}  // namespace

std::optional<std::string> ChooseExportPath(UiServices& ui) {
  SaveAsRequest request;
  request.filter = "CSV 文件(*.csv)|*.csv|所有文件(*.*)|*.*||";
  request.defaultExtension = "csv";
  request.initialName = "Morlind.csv";
  request.flags = kOfnHideReadOnly | kOfnOverwritePrompt;
  return ui.ChooseSavePath(request);
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string ExportHeading() {
  std::string line;
  for (const char* heading : kColumnHeadings) line.append(CsvField(heading)).append(",");
  return line.append(kPathHeading).append(kLineEnd);
}

std::string ExportLine(const ResultTable& table, int row) {
  std::string line;
  for (int column = 0; column < kColumnCount; ++column) {
    const auto which = static_cast<Column>(column);
    line += which == Column::kSize ? std::to_string(table.SizeOf(row)) : CsvField(table.GetItemText(row, which));
    line += ',';
  }
  return line.append(CsvField(table.PathOf(row))).append(kLineEnd);
}

std::optional<std::string> ExportList(Platform& platform, const ResultTable& table, const std::string& target,
                                      JobControl* job) {
  SystemError error = 0;
  std::unique_ptr<ReplacementFile> file = platform.CreateReplacement(target, &error);
  if (!file) return platform.ErrorText(error);
  std::string piece(kByteOrderMark);
  piece += ExportHeading();
  // Nothing when the piece is written, else why not (empty when stopped).
  const auto writePiece = [&]() -> std::optional<std::string> {
    if (StopRequested(job)) return "";
    error = file->Write(piece.data(), piece.size());
    piece.clear();
    if (error != 0) return platform.ErrorText(error);
    return std::nullopt;
  };
  for (int row = 0; row < table.RowCount(); ++row) {
    piece += ExportLine(table, row);
    CountOne(job);
    if (piece.size() < kPiece) continue;
    if (std::optional<std::string> failure = writePiece()) return failure;
  }
  if (std::optional<std::string> failure = writePiece()) return failure;
  // Dated now, as any new file.
  const auto now = static_cast<std::uint64_t>(platform.Now() + kSecondsFrom1601To1970) * kFileTicksPerSecond;
  if ((error = file->Commit(now)) != 0) return platform.ErrorText(error);
  return std::nullopt;
}

}  // namespace morlind
