#include "search/ResultTable.h"

#include "search/AccessTime.h"
#include "search/Sort.h"
#include "tests/TestClock.h"

#include <tuple>

#include <gtest/gtest.h>

namespace morlind {
namespace {

void Add(ResultTable& table, const std::string& folder, const std::string& name) {
  table.AddResultRow(folder + "\\" + name, name.size(), SecondsOfCivil({2008, 9, 26, 1, 6, 45}));
}

TEST(ResultTable, KeepsTheCountOfTickedRows) {
  ResultTable table;
  EXPECT_EQ(table.HighlightedRow(), -1);
  for (int i = 0; i < 3; ++i) Add(table, "C:\\a", "f" + std::to_string(i));
  table.SetCheck(1, true);
  table.SetCheck(1, false);  // taken back
  EXPECT_EQ(table.TickedCount(), 0);
  table.SetCheck(0, true);
  table.SetCheck(2, true);
  table.SetCheck(2, true);  // ticking twice counts once
  EXPECT_EQ(table.TickedCount(), 2);
  table.InvertTicks();
  EXPECT_EQ(table.TickedCount(), 1);
  EXPECT_TRUE(table.GetCheck(1));
  EXPECT_FALSE(table.GetCheck(0));
  table.SetAllTicks(false);
  EXPECT_EQ(table.TickedCount(), 0);
  table.SetAllTicks(true);
  EXPECT_EQ(table.TickedCount(), 3);
  table.SetHighlighted(1);
  table.DeleteAllItems();
  EXPECT_EQ(table.TickedCount(), 0);
  EXPECT_EQ(table.HighlightedRow(), -1);
}

// Type-ahead: the list asks for a prefix from the focused row on.
TEST(ResultTable, FindsANameFromARowOnFoldingAsciiCase) {
  ResultTable table;
  EXPECT_EQ(table.FindName("a", 0, NameMatch::kPrefix, true), -1);
  for (const char* name : {"a.jpg", "b1.jpg", "c.swf", "B2.gif", "Ñandú.jpg"}) Add(table, "C:\\f", name);
  // Text, from, match, wrap, the row found.
  const std::tuple<const char*, int, NameMatch, bool, int> cases[] = {
      {"b", 0, NameMatch::kPrefix, true, 1},       {"b", 2, NameMatch::kPrefix, true, 3},
      {"b", 4, NameMatch::kPrefix, true, 1},       {"b", 4, NameMatch::kPrefix, false, -1},
      {"B1", -1, NameMatch::kPrefix, false, 1},    {"b", 9, NameMatch::kPrefix, false, 1},
      {"a.JPG", 1, NameMatch::kWhole, true, 0},    {"a.jp", 0, NameMatch::kWhole, true, -1},
      {"Ñan", 0, NameMatch::kPrefix, true, 4},    {"ñan", 0, NameMatch::kPrefix, true, -1},
      {"x", 0, NameMatch::kPrefix, true, -1},      {"c.swf.", 0, NameMatch::kPrefix, true, -1},
  };
  for (const auto& [text, from, match, wrap, row] : cases) {
    EXPECT_EQ(table.FindName(text, from, match, wrap), row) << text << " from " << from;
  }
}

// The type is the name's ending after its last dot, never the folder's.
TEST(ResultTable, TypeIsTheNamesEndingAfterItsLastDot) {
  ResultTable table;
  const std::pair<std::string, std::string> cases[] = {
      {"a.JPG", "JPG"}, {"x.tar.gz", "gz"}, {"a.", ""}, {"README", ""}, {"图.片", "片"}, {"...", ""}};
  for (const auto& [name, type] : cases) Add(table, "C:\\d.txt", name);
  for (int row = 0; row < table.RowCount(); ++row) EXPECT_EQ(table.GetItemText(row, Column::kType), cases[row].second);
}

TEST(ResultTable, SizesShowAsExplorerShowsThem) {
  const std::pair<std::uint64_t, const char*> cases[] = {{0, "0 KB"},          {1, "1 KB"},
                                                         {1024, "1 KB"},       {1025, "2 KB"},
                                                         {1023 * 1024, "1,023 KB"}, {1234567890, "1,205,633 KB"}};
  for (auto [bytes, text] : cases) EXPECT_EQ(FormatKBSize(bytes), text) << bytes;
}

// Four files as the walk added them; each column both ways, ties in walk
// order; the ticked and highlighted files go with their rows.
TEST(ResultTable, SortsByEveryColumnKeepingTicksAndTheHighlightWithTheirFiles) {
  ResultTable table;
  // Name, access, size.
  const std::tuple<std::string, std::int64_t, std::uint64_t> files[] = {
      {"f10.jpg", 300, 5000}, {"F2.swf", 100, 0}, {"a.JPG", 200, 5000}, {"f2.gif", 100, 9}};
  for (const auto& [name, access, size] : files) table.AddResultRow("C:\\c\\" + name, name.size(), access, size);
  table.SetAddresses({"http://b/10", "", "http://a/x"});  // the last row has none
  table.SetCheck(2, true);
  table.SetHighlighted(1);
  // Column, descending, the names in order.
  const std::tuple<Column, bool, std::vector<std::string>> cases[] = {
      {Column::kName, false, {"a.JPG", "f2.gif", "F2.swf", "f10.jpg"}},
      {Column::kName, true, {"f10.jpg", "F2.swf", "f2.gif", "a.JPG"}},
      {Column::kType, false, {"f2.gif", "f10.jpg", "a.JPG", "F2.swf"}},
      {Column::kAccessTime, true, {"f10.jpg", "a.JPG", "F2.swf", "f2.gif"}},
      {Column::kSize, false, {"F2.swf", "f2.gif", "f10.jpg", "a.JPG"}},
      {Column::kSize, true, {"f10.jpg", "a.JPG", "f2.gif", "F2.swf"}},
      {Column::kAddress, false, {"F2.swf", "f2.gif", "a.JPG", "f10.jpg"}},
  };
  for (const auto& [column, descending, sorted] : cases) {
    table.ApplyOrder(SortOrder(test::HostPlatform(), table.KeysOf(column), column, descending));
    std::vector<std::string> names;
    for (int row = 0; row < table.RowCount(); ++row) {
      names.push_back(table.GetItemText(row, Column::kName));
      EXPECT_EQ(table.GetCheck(row), names.back() == "a.JPG");
      EXPECT_EQ(table.PathOf(row), "C:\\c\\" + names.back());
      EXPECT_EQ(table.AddressOf(row), names.back() == "f10.jpg" ? "http://b/10" : names.back() == "a.JPG" ? "http://a/x" : "");
    }
    EXPECT_EQ(names, sorted) << static_cast<int>(column) << descending;
    EXPECT_EQ(table.GetItemText(table.HighlightedRow(), Column::kName), "F2.swf");
  }
  EXPECT_EQ(table.PathsInWalkOrder(), (std::vector<std::string_view>{"C:\\c\\f10.jpg", "C:\\c\\F2.swf", "C:\\c\\a.JPG",
                                                                "C:\\c\\f2.gif"}));
  table.SetHighlighted(-1);  // none stays none
  table.ApplyOrder({3, 2, 1, 0});
  EXPECT_EQ(table.HighlightedRow(), -1);
}

// Browser entries sit beside files: no path, their own address and source,
// and each stays with its row through a sort made away from the window and
// through a removal, as do ticks and the highlight.
TEST(ResultTable, BrowserRowsKeepTheirEntryThroughSortsAndRemovals) {
  ResultTable table;
  table.SetSourceNames({"IE", "Chrome", "Firefox"});
  Add(table, "C:\\c", "b.jpg");
  CacheEntry png, plain;
  png.address = "https://x/a.png";
  plain.address = "https://y/c";
  plain.contentEncoding = "gzip";
  table.AddEntryRow("a.png", 1, std::nullopt, 70, png);
  table.AddEntryRow("c", 2, 100, 5, plain);
  Add(table, "C:\\c", "d.gif");
  table.SetAddresses({"http://ie/b"});
  table.SetCheck(1, true);
  table.SetCheck(3, true);
  table.SetHighlighted(2);

  auto rowOf = [&](const std::string& name) {
    for (int row = 0; row < table.RowCount(); ++row) {
      if (table.GetItemText(row, Column::kName) == name) return row;
    }
    return -1;
  };
  auto expectRows = [&](const std::vector<std::string>& names) {
    ASSERT_EQ(table.RowCount(), static_cast<int>(names.size()));
    for (int row = 0; row < table.RowCount(); ++row) EXPECT_EQ(table.GetItemText(row, Column::kName), names[row]);
    if (int row = rowOf("a.png"); row >= 0) {
      EXPECT_EQ(table.PathOf(row), "");
      EXPECT_EQ(table.AddressOf(row), "https://x/a.png");
      EXPECT_EQ(table.GetItemText(row, Column::kSource), "Chrome");
      EXPECT_TRUE(table.GetCheck(row));
    }
    if (int row = rowOf("c"); row >= 0) {
      EXPECT_EQ(table.EntryOf(row)->contentEncoding, "gzip");
      EXPECT_EQ(table.GetItemText(row, Column::kType), "");
      EXPECT_EQ(table.HighlightedRow(), row);
    }
    if (int row = rowOf("b.jpg"); row >= 0) {
      EXPECT_EQ(table.PathOf(row), "C:\\c\\b.jpg");
      EXPECT_EQ(table.AddressOf(row), "http://ie/b");
      EXPECT_EQ(table.EntryOf(row), nullptr);
      EXPECT_EQ(table.GetItemText(row, Column::kSource), "IE");
    }
  };

  table.SetHighlighted(0);  // moved while the sort ran: the copy follows it
  ResultTable sorted =
      table.Reordered(SortOrder(test::HostPlatform(), table.KeysOf(Column::kSource), Column::kSource, false));
  table.SetHighlighted(2);
  table.TakeOrderFrom(std::move(sorted));
  expectRows({"a.png", "c", "b.jpg", "d.gif"});
  EXPECT_EQ(table.PathsInWalkOrder(), (std::vector<std::string_view>{"C:\\c\\b.jpg", "", "", "C:\\c\\d.gif"}));

  table.RemoveRows({0, 3});  // a ticked entry and a ticked file
  expectRows({"c", "b.jpg"});
  EXPECT_EQ(table.TickedCount(), 0);
  table.ApplyOrder(SortOrder(test::HostPlatform(), table.KeysOf(Column::kName), Column::kName, false));
  expectRows({"b.jpg", "c"});
  table.RemoveRows({0});
  expectRows({"c"});
  table.SetSourceNames({"IE", "Chrome"});  // a source without a name shows none
  EXPECT_EQ(table.SourceOf(rowOf("c")), "");
  table.RemoveRows({0});
  EXPECT_EQ(table.HighlightedRow(), -1);
}

// By the exact path; by the path without ASCII case only for an entry's
// one candidate that no other entry claims.
TEST(ResultTable, AddressesMatchTheIndexByExactPathOrElseAnOnlyCandidate) {
  const std::vector<std::string_view> paths = {"c:\\cache\\ie\\x\\A[1].jpg", "C:\\cache\\IE\\X\\ñ[1].jpg",
                                          "C:\\cache\\IE\\X\\Ñ[1].jpg", "C:\\cache\\IE\\X\\b.jpg",
                                          "C:\\c\\pic.jpg",             "C:\\c\\PIC.JPG",
                                          "C:\\c\\two.jpg",           "C:\\c\\solo.jpg"};
  const std::vector<UrlIndexEntry> index = {{"C:\\Cache\\IE\\X\\a[1].JPG", "http://h/a.jpg"},
                                            {"C:\\cache\\IE\\X\\Ñ[1].jpg", "http://h/n.jpg"},
                                            {"C:\\c\\Pic.jpg", "http://h/twins"},
                                            {"C:\\c\\PIC.JPG", "http://h/PIC"},
                                            {"C:\\c\\TWO.jpg", "http://h/two1"},
                                            {"C:\\c\\Two.jpg", "http://h/two2"},
                                            {"C:\\c\\solo.jpg", "http://h/solo"},
                                            {"C:\\c\\SOLO.jpg", "http://h/not-solo"}};
  EXPECT_EQ(MatchAddresses(paths, index),
            (std::vector<std::string>{"http://h/a.jpg", "", "http://h/n.jpg", "", "", "http://h/PIC", "", "http://h/solo"}));
  EXPECT_TRUE(MatchAddresses(paths, {}).empty());
}

}  // namespace
}  // namespace morlind
