#include "search/ResultTable.h"

#include <algorithm>
#include <cassert>

#include "platform/Utf8.h"
#include "search/AccessTime.h"

namespace morlind {

namespace {
// Large enough that 120,000 paths take a few dozen blocks.
constexpr std::size_t kTextBlock = 1 << 18;
}  // namespace

std::uint32_t TextStore::Add(std::string_view text) {
  assert(text.size() <= UINT32_MAX);
  if (blocks_.empty() || blocks_.back().size() + text.size() > blocks_.back().capacity()) {
    blocks_.emplace_back().reserve(std::max(kTextBlock, text.size()));
  }
  std::string& block = blocks_.back();
  places_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(block.size()),
                     static_cast<std::uint32_t>(text.size())});
  block.append(text);
  return static_cast<std::uint32_t>(places_.size() - 1);
}

std::string_view TextStore::At(std::uint32_t index) const {
  const Place& place = places_[index];
  return std::string_view(blocks_[place.block]).substr(place.offset, place.length);
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
  std::vector<CacheEntry>& entries = OwnTexts().entries;
  entries.push_back(std::move(entry));
  AddRow(name, 0, localAccess, size, static_cast<std::uint32_t>(entries.size() - 1), source);
}

ResultTable::Texts& ResultTable::OwnTexts() {
  if (texts_.use_count() > 1) texts_ = std::make_shared<Texts>(*texts_);
  return *texts_;
}

void ResultTable::AddRow(std::string_view text, std::size_t nameStart, std::optional<std::int64_t> localAccess,
                         std::uint64_t size, std::uint32_t entry, std::uint16_t source) {
  assert(text.size() <= UINT32_MAX);
  std::size_t dot = text.substr(nameStart).rfind('.');
  std::size_t typeStart = dot == std::string_view::npos ? text.size() : nameStart + dot + 1;
  std::uint32_t stored = OwnTexts().paths.Add(text);
  rows_.push_back(Row{localAccess.value_or(0), size, stored, static_cast<std::uint32_t>(nameStart),
                      static_cast<std::uint32_t>(typeStart), static_cast<std::uint32_t>(rows_.size()), entry, source,
                      localAccess.has_value(), false});
}

std::string ResultTable::PathOf(int row) const {
  if (rows_[static_cast<std::size_t>(row)].entry != kNoEntry) return {};
  return std::string(TextOf(row));
}

const std::string& ResultTable::SourceOf(int row) const {
  static const std::string kNone;
  std::size_t source = rows_[static_cast<std::size_t>(row)].source;
  return source < sourceNames_.size() ? sourceNames_[source] : kNone;
}

const CacheEntry* ResultTable::EntryOf(int row) const {
  std::uint32_t entry = rows_[static_cast<std::size_t>(row)].entry;
  return entry == kNoEntry ? nullptr : &texts_->entries[entry];
}

void ResultTable::DeleteAllItems() {
  rows_.clear();
  texts_ = std::make_shared<Texts>();
  addresses_.reset();
  ticked_ = 0;
  highlighted_ = -1;
}

std::string ResultTable::GetItemText(int row, Column column) const {
  const Row& r = rows_[static_cast<std::size_t>(row)];
  std::string_view text = TextOf(row);
  switch (column) {
    case Column::kName: return std::string(NameOf(row));
    case Column::kType: return std::string(text.substr(r.typeStart));
    case Column::kAccessTime:
      return r.hasAccess ? FormatAccessText(CivilOfSeconds(r.localAccess)) : std::string();
    case Column::kSize: return FormatKBSize(r.size);
    case Column::kAddress: return AddressOf(row);
    case Column::kSource: return SourceOf(row);
  }
  return {};
}

std::string_view ResultTable::NameOf(int row) const {
  return TextOf(row).substr(rows_[static_cast<std::size_t>(row)].nameStart);
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
  return addresses_ && walkIndex < addresses_->size() ? (*addresses_)[walkIndex] : kNone;
}

std::vector<std::string_view> ResultTable::PathsInWalkOrder() const {
  std::vector<std::string_view> paths(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) {
    if (rows_[row].entry == kNoEntry) paths[rows_[row].walkIndex] = TextOf(static_cast<int>(row));
  }
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
  TakeOrderFrom(Reordered(walkOrder));
}

ResultTable ResultTable::Reordered(const std::vector<std::uint32_t>& walkOrder) const {
  assert(walkOrder.size() == rows_.size());
  std::vector<std::size_t> rowOfWalk(rows_.size());
  for (std::size_t row = 0; row < rows_.size(); ++row) rowOfWalk[rows_[row].walkIndex] = row;
  ResultTable sorted;
  sorted.rows_.reserve(rows_.size());
  for (std::uint32_t walkIndex : walkOrder) sorted.rows_.push_back(rows_[rowOfWalk[walkIndex]]);
  sorted.texts_ = texts_;
  sorted.sourceNames_ = sourceNames_;
  sorted.addresses_ = addresses_;
  sorted.ticked_ = ticked_;
  return sorted;
}

void ResultTable::TakeOrderFrom(ResultTable&& sorted) {
  const int highlightedWalk =
      highlighted_ >= 0 ? static_cast<int>(rows_[static_cast<std::size_t>(highlighted_)].walkIndex) : -1;
  *this = std::move(sorted);
  auto found = std::find_if(rows_.begin(), rows_.end(),
                            [&](const Row& r) { return static_cast<int>(r.walkIndex) == highlightedWalk; });
  highlighted_ = found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
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
    if (addresses_ && walk < addresses_->size()) addresses.push_back((*addresses_)[walk]);
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
    rows_[kept++] = r;
  }
  rows_.resize(kept);
  SetAddresses(std::move(addresses));
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
