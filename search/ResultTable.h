// The rows a search found, kept as values; the list control is only their
// view. A copy is cheap: the rows' texts are shared, never changed, only
// added to, so a job may read a copy while the window goes on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "caches/CacheEntry.h"

namespace morlind {

// Texts kept one after another in blocks of their own, which never move:
// a few allocations for any number of rows.
class TextStore {
 public:
  std::uint32_t Add(std::string_view text);
  std::string_view At(std::uint32_t index) const;
  std::uint32_t Count() const { return static_cast<std::uint32_t>(places_.size()); }

 private:
  struct Place {
    std::uint32_t block;
    std::uint32_t offset;
    std::uint32_t length;
  };
  std::vector<std::string> blocks_;
  std::vector<Place> places_;
};

enum class Column { kName = 0, kType = 1, kAccessTime = 2, kSize = 3, kAddress = 4, kSource = 5 };
constexpr int kColumnCount = 6;
// What the list's header names each column, in the order of Column.
constexpr const char* kColumnHeadings[kColumnCount] = {"文件名", "文件类型", "访问时间", "大小", "网址", "来源"};

// Rows of the IE cache are files; the others are a browser cache's entries,
// whose body is read through the cache and may need decoding.
constexpr std::uint16_t kFileSource = 0;
// One past the last source index a row can carry.
constexpr std::size_t kNoSource = UINT16_MAX;


// "1,234 KB": whole kilobytes rounded up, as Explorer's size column shows
// a file's size ("0 KB" for an empty file).
std::string FormatKBSize(std::uint64_t bytes);

// How a searched text meets a row's name.
enum class NameMatch { kPrefix, kWhole };

class ResultTable {
 public:
  // Appends a row for the file whose name is the last nameLength bytes of
  // fullPath. The type column is the name's ending after its last dot;
  // the access-time column shows localAccess (local wall-clock seconds,
  // see LocalTimeCache), empty when there is none.
  void AddResultRow(std::string_view fullPath, std::size_t nameLength,
                    std::optional<std::int64_t> localAccess, std::uint64_t size = 0);
  // Appends a row for a browser cache's entry, listed under source (an
  // index of SetSourceNames, not kFileSource) with the given file name.
  void AddEntryRow(std::string_view name, std::uint16_t source, std::optional<std::int64_t> localAccess,
                   std::uint64_t size, CacheEntry entry);
  void DeleteAllItems();

  // What the source column shows for each source index; index 0 names the
  // files' source, "IE" unless set.
  void SetSourceNames(std::vector<std::string> names) { sourceNames_ = std::move(names); }
  const std::string& SourceOf(int row) const;
  // The entry behind a browser row; nullptr for a file's row.
  const CacheEntry* EntryOf(int row) const;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  // The file's full path; empty for a browser row, which has no file.
  std::string PathOf(int row) const;
  // Texts are made when asked for: a view asks only for the rows it shows.
  std::string GetItemText(int row, Column column) const;

  // The first row from `from` on, continuing at row 0 when wrap, whose name
  // starts with text (or is text), ASCII letters folded; -1 for none. A
  // `from` outside the table starts at row 0.
  int FindName(std::string_view text, int from, NameMatch match, bool wrap) const;

  std::uint64_t SizeOf(int row) const { return rows_[static_cast<std::size_t>(row)].size; }
  // The address the file was downloaded from; empty when unknown.
  const std::string& AddressOf(int row) const;
  // Addresses by walk index: the place each row had when the walk added it.
  void SetAddresses(std::vector<std::string> byWalkIndex) {
    addresses_ = std::make_shared<const std::vector<std::string>>(std::move(byWalkIndex));
  }
  // The rows' paths in the order the walk added them (empty for browser
  // rows), as views into this table's texts: valid while it, or a copy of
  // it, lives.
  std::vector<std::string_view> PathsInWalkOrder() const;

  // One column's values by walk index, for a sort made elsewhere: texts for
  // names, types and addresses, numbers for sizes and access times.
  struct SortKeys {
    std::vector<std::string> texts;
    std::vector<std::int64_t> numbers;
  };
  SortKeys KeysOf(Column column) const;
  // Shows the rows in this order of walk indices; ticks and the highlighted
  // row stay with their files.
  void ApplyOrder(const std::vector<std::uint32_t>& walkOrder);
  // The same rows in that order, without a highlight: made away from the
  // window, which meanwhile changes nothing but the highlight, and then
  // swapped in with TakeOrderFrom.
  ResultTable Reordered(const std::vector<std::uint32_t>& walkOrder) const;
  // Takes the rows of `sorted`, a Reordered copy of this table, keeping the
  // highlighted file highlighted.
  void TakeOrderFrom(ResultTable&& sorted);
  // Takes the rows out (row numbers as shown, ascending); the others keep
  // their order, ticks and addresses, and the highlight when its row stays.
  void RemoveRows(const std::vector<int>& rows);

  bool GetCheck(int row) const { return rows_[static_cast<std::size_t>(row)].ticked; }
  void SetCheck(int row, bool ticked);
  void SetAllTicks(bool ticked);
  void InvertTicks();
  int TickedCount() const { return ticked_; }

  // At most one row is highlighted; -1 for none.
  void SetHighlighted(int row) { highlighted_ = row; }
  int HighlightedRow() const { return highlighted_; }

 private:
  std::string_view NameOf(int row) const;

  static constexpr std::uint32_t kNoEntry = UINT32_MAX;

  struct Row {
    std::int64_t localAccess = 0;
    std::uint64_t size = 0;
    std::uint32_t text = 0;       // the row's path (a browser row's name) in the texts
    std::uint32_t nameStart = 0;  // offsets into that text
    std::uint32_t typeStart = 0;  // == its size when the name has no dot
    std::uint32_t walkIndex = 0;
    std::uint32_t entry = kNoEntry;  // index of a browser row's entry
    std::uint16_t source = kFileSource;
    bool hasAccess = false;
    bool ticked = false;
  };
  // What rows point into; shared by copies of the table.
  struct Texts {
    TextStore paths;
    std::vector<CacheEntry> entries;
  };

  void AddRow(std::string_view text, std::size_t nameStart, std::optional<std::int64_t> localAccess,
              std::uint64_t size, std::uint32_t entry, std::uint16_t source);
  std::string_view TextOf(int row) const { return texts_->paths.At(rows_[static_cast<std::size_t>(row)].text); }
  // The texts to add to: copied first while a copy of the table shares them.
  Texts& OwnTexts();

  std::vector<Row> rows_;
  std::shared_ptr<Texts> texts_ = std::make_shared<Texts>();
  std::vector<std::string> sourceNames_{"IE"};
  std::shared_ptr<const std::vector<std::string>> addresses_;  // by walk index; may be shorter
  int ticked_ = 0;
  int highlighted_ = -1;
};

}  // namespace morlind
