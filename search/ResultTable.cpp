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

std::string FormatKBSize(std::uint64_t bytes) {
  std::string digits = std::to_string(bytes / 1024 + (bytes % 1024 != 0));
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped + " KB";
}

void ResultTable::AddResultRow(std::string_view fullPath, std::size_t nameLength,
                               std::optional<std::int64_t> localAccess, std::uint64_t size) {
  assert(nameLength <= fullPath.size());
  AddRow(fullPath, fullPath.size() - nameLength, localAccess, size, kNoEntry, kFileSource);
}

void ResultTable::AddEntryRow(std::string_view name, std::uint16_t source, std::optional<std::int64_t> localAccess,
                              std::uint64_t size, CacheEntry entry) {
  entries_.push_back(std::move(entry));
  AddRow(name, 0, localAccess, size, static_cast<std::uint32_t>(entries_.size() - 1), source);
}

void ResultTable::AddRow(std::string_view text, std::size_t nameStart, std::optional<std::int64_t> localAccess,
                         std::uint64_t size, std::uint32_t entry, std::uint16_t source) {
  assert(text.size() <= UINT32_MAX);
  std::size_t dot = text.substr(nameStart).rfind('.');
  std::size_t typeStart = dot == std::string_view::npos ? text.size() : nameStart + dot + 1;
  std::size_t row = rows_.size();
  paths_.Set(row, text);
  rows_.push_back(Row{localAccess.value_or(0), size, static_cast<std::uint32_t>(nameStart),
                      static_cast<std::uint32_t>(typeStart), static_cast<std::uint32_t>(row), entry, source,
                      localAccess.has_value(), false});
}

std::string ResultTable::PathOf(int row) const {
  if (rows_[static_cast<std::size_t>(row)].entry != kNoEntry) return {};
  return paths_.At(static_cast<std::size_t>(row));
}

const std::string& ResultTable::SourceOf(int row) const {
  static const std::string kNone;
  std::size_t source = rows_[static_cast<std::size_t>(row)].source;
  return source < sourceNames_.size() ? sourceNames_[source] : kNone;
}

const CacheEntry* ResultTable::EntryOf(int row) const {
  std::uint32_t entry = rows_[static_cast<std::size_t>(row)].entry;
  return entry == kNoEntry ? nullptr : &entries_[entry];
}

void ResultTable::DeleteAllItems() {
  rows_.clear();
  entries_.clear();
  addresses_.clear();
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
    case Column::kSize: return FormatKBSize(r.size);
    case Column::kAddress: return AddressOf(row);
    case Column::kSource: return SourceOf(row);
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

const std::string& ResultTable::AddressOf(int row) const {
  static const std::string kNone;
  if (const CacheEntry* entry = EntryOf(row)) return entry->address;
  std::size_t walkIndex = rows_[static_cast<std::size_t>(row)].walkIndex;
  return walkIndex < addresses_.size() ? addresses_[walkIndex] : kNone;
}

std::vector<std::string> ResultTable::PathsInWalkOrder() const {
  std::vector<std::string> paths(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) paths[rows_[row].walkIndex] = PathOf(static_cast<int>(row));
  return paths;
}

ResultTable::SortKeys ResultTable::KeysOf(Column column) const {
  SortKeys keys;
  const bool numeric = column == Column::kSize || column == Column::kAccessTime;
  (numeric ? keys.numbers.resize(rows_.size()) : keys.texts.resize(rows_.size()));
  for (int row = 0; row < RowCount(); ++row) {
    const Row& r = rows_[static_cast<std::size_t>(row)];
    if (column == Column::kSize) {
      keys.numbers[r.walkIndex] = static_cast<std::int64_t>(r.size);
    } else if (column == Column::kAccessTime) {
      // No time sorts first.
      keys.numbers[r.walkIndex] = r.hasAccess ? r.localAccess : INT64_MIN;
    } else {
      keys.texts[r.walkIndex] = GetItemText(row, column);
    }
  }
  return keys;
}

void ResultTable::ApplyOrder(const std::vector<std::uint32_t>& walkOrder) {
  assert(walkOrder.size() == rows_.size());
  std::vector<std::size_t> rowOfWalk(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) rowOfWalk[rows_[row].walkIndex] = row;
  const int highlightedWalk = highlighted_ >= 0 ? static_cast<int>(rows_[static_cast<std::size_t>(highlighted_)].walkIndex) : -1;
  std::vector<Row> rows;
  std::vector<std::string> paths;
  rows.reserve(rows_.size());
  paths.reserve(rows_.size());
  for (std::uint32_t walkIndex : walkOrder) {
    rows.push_back(rows_[rowOfWalk[walkIndex]]);
    paths.push_back(paths_.At(rowOfWalk[walkIndex]));
    if (static_cast<int>(walkIndex) == highlightedWalk) highlighted_ = static_cast<int>(rows.size()) - 1;
  }
  rows_ = std::move(rows);
  for (std::size_t row = 0; row < paths.size(); ++row) paths_.Set(row, paths[row]);
}

ResultTable ResultTable::Reordered(const std::vector<std::uint32_t>& walkOrder) const {
  assert(walkOrder.size() == rows_.size());
  std::vector<std::size_t> rowOfWalk(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) rowOfWalk[rows_[row].walkIndex] = row;
  ResultTable sorted;
  sorted.rows_.reserve(rows_.size());
  for (std::uint32_t walkIndex : walkOrder) {
    std::size_t from = rowOfWalk[walkIndex];
    sorted.paths_.Set(sorted.rows_.size(), paths_.At(from));
    sorted.rows_.push_back(rows_[from]);
  }
  sorted.entries_ = entries_;
  sorted.sourceNames_ = sourceNames_;
  sorted.addresses_ = addresses_;
  sorted.ticked_ = ticked_;
  return sorted;
}

void ResultTable::TakeOrderFrom(ResultTable&& sorted) {
  const int highlightedWalk = highlighted_ >= 0 ? static_cast<int>(rows_[static_cast<std::size_t>(highlighted_)].walkIndex) : -1;
  *this = std::move(sorted);
  highlighted_ = -1;
  for (std::size_t row = 0; row < rows_.size() && highlightedWalk >= 0; ++row) {
    if (static_cast<int>(rows_[row].walkIndex) == highlightedWalk) highlighted_ = static_cast<int>(row);
  }
}

void ResultTable::RemoveRows(const std::vector<int>& rows) {
  std::vector<bool> goes(rows_.size(), false);
  for (int row : rows) goes[static_cast<std::size_t>(row)] = true;
  // Walk indices stay dense, in the walk's order, so later sorts and the
  // addresses still find their rows.
  std::vector<std::uint32_t> newWalk(rows_.size());
  std::vector<bool> walkGoes(rows_.size(), false);
  for (std::size_t row = 0; row < rows_.size(); ++row) walkGoes[rows_[row].walkIndex] = goes[row];
  std::vector<std::string> addresses;
  for (std::uint32_t walk = 0, next = 0; walk < rows_.size(); ++walk) {
    if (walkGoes[walk]) continue;
    newWalk[walk] = next++;
    addresses.push_back(walk < addresses_.size() ? std::move(addresses_[walk]) : std::string());
  }
  std::size_t kept = 0;
  int highlighted = -1;
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    if (goes[row]) {
      if (rows_[row].ticked) --ticked_;
      continue;
    }
    if (static_cast<int>(row) == highlighted_) highlighted = static_cast<int>(kept);
    Row r = rows_[row];
    r.walkIndex = newWalk[r.walkIndex];
    if (kept != row) paths_.Set(kept, paths_.At(row));
    rows_[kept++] = r;
  }
  rows_.resize(kept);
  addresses_ = std::move(addresses);
  highlighted_ = highlighted;
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
