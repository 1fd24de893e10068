#include "search/ResultTable.h"

#include <cassert>

#include "platform/Utf8.h"
#include "search/AccessTime.h"

namespace morlind {

namespace {
constexpr std::size_t kPathStoreStep = 100;
}  // namespace

void PathStore::Set(std::size_t row, std::string_view path) {
  if (row >= paths_.size()) paths_.resize(row + kPathStoreStep);
  paths_[row].assign(path);
}

void ResultTable::AddResultRow(std::string_view fullPath, std::size_t nameLength,
                               std::optional<std::int64_t> localAccess) {
  assert(nameLength <= fullPath.size() && fullPath.size() <= UINT32_MAX);
  std::size_t nameStart = fullPath.size() - nameLength;
  std::size_t dot = fullPath.substr(nameStart).rfind('.');
  std::size_t typeStart = dot == std::string_view::npos ? fullPath.size() : nameStart + dot + 1;

  std::size_t row = rows_.size();
  paths_.Set(row, fullPath);
  rows_.push_back(Row{localAccess.value_or(0), static_cast<std::uint32_t>(nameStart),
                      static_cast<std::uint32_t>(typeStart), localAccess.has_value(), false});
}

void ResultTable::DeleteAllItems() {
  rows_.clear();
  ticked_ = 0;
  highlighted_ = -1;
}

std::string ResultTable::GetItemText(int row, Column column) const {
  const Row& r = rows_[static_cast<std::size_t>(row)];
  const std::string& path = paths_.At(static_cast<std::size_t>(row));
  switch (column) {
    case Column::kName: return std::string(NameOf(row));
    case Column::kType: return path.substr(r.typeStart);
    case Column::kAccessTime:
      return r.hasAccess ? FormatAccessText(CivilOfSeconds(r.localAccess)) : std::string();
  }
  return {};
}

std::string_view ResultTable::NameOf(int row) const {
  std::string_view path = paths_.At(static_cast<std::size_t>(row));
  return path.substr(rows_[static_cast<std::size_t>(row)].nameStart);
}

int ResultTable::FindName(std::string_view text, int from, NameMatch match, bool wrap) const {
  const std::string wanted = FoldedAscii(text);
  const int count = RowCount();
  if (count == 0) return -1;
  if (from < 0 || from >= count) from = 0;
  for (int row = from;;) {
    std::string_view name = NameOf(row);
    if (match == NameMatch::kPrefix) name = name.substr(0, wanted.size());
    if (name.size() == wanted.size() && FoldedAscii(name) == wanted) return row;
    if (++row == count) {
      if (!wrap) return -1;
      row = 0;
    }
    if (row == from) return -1;
  }
}

void ResultTable::SetCheck(int row, bool ticked) {
  Row& r = rows_[static_cast<std::size_t>(row)];
  if (r.ticked == ticked) return;
  r.ticked = ticked;
  ticked_ += ticked ? 1 : -1;
}

void ResultTable::SetAllTicks(bool ticked) {
  for (Row& r : rows_) r.ticked = ticked;
  ticked_ = ticked ? RowCount() : 0;
}

void ResultTable::InvertTicks() {
  for (Row& r : rows_) r.ticked = !r.ticked;
  ticked_ = RowCount() - ticked_;
}

}  // namespace morlind
