// The name and type columns are checked for every byte class of names in
// ReliabilityTest.cpp.
#include "search/ResultTable.h"

#include "search/AccessTime.h"

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
  const struct {
    const char* text;
    int from;
    NameMatch match;
    bool wrap;
    int row;
  } cases[] = {
      {"b", 0, NameMatch::kPrefix, true, 1},       {"b", 2, NameMatch::kPrefix, true, 3},
      {"b", 4, NameMatch::kPrefix, true, 1},       {"b", 4, NameMatch::kPrefix, false, -1},
      {"B1", -1, NameMatch::kPrefix, false, 1},    {"b", 9, NameMatch::kPrefix, false, 1},
      {"a.JPG", 1, NameMatch::kWhole, true, 0},    {"a.jp", 0, NameMatch::kWhole, true, -1},
      {"Ñan", 0, NameMatch::kPrefix, true, 4},    {"ñan", 0, NameMatch::kPrefix, true, -1},
      {"x", 0, NameMatch::kPrefix, true, -1},      {"c.swf.", 0, NameMatch::kPrefix, true, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(table.FindName(c.text, c.from, c.match, c.wrap), c.row) << c.text << " from " << c.from;
  }
}

}  // namespace
}  // namespace morlind
