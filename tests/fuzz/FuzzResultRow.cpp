// The split of a path into the name and type columns.
#include <cstdlib>

#include "search/ResultTable.h"
#include "tests/fuzz/FuzzInput.h"

using morlind::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  morlind::fuzz::FuzzInput input(data, size);
  std::string folder = input.Text(200);
  std::string name = input.Text(60);
  std::string path = folder + "\\" + name;

  morlind::ResultTable table;
  table.AddResultRow(path, name.size(), std::nullopt);
  table.AddResultRow(name, name.size(), std::int64_t{0});

  for (int row = 0; row < 2; ++row) {
    std::string shownName = table.GetItemText(row, morlind::Column::kName);
    std::string type = table.GetItemText(row, morlind::Column::kType);
    Check(shownName == name);
    Check(type.find('.') == std::string::npos);
    std::size_t dot = name.rfind('.');
    Check(dot == std::string::npos ? type.empty() : type == name.substr(dot + 1));
  }
  Check(table.PathOf(0) == path);
  Check(table.GetItemText(0, morlind::Column::kAccessTime).empty());
  Check(table.GetItemText(1, morlind::Column::kAccessTime) == "1970-1-1 0:0:0");
  return 0;
}
