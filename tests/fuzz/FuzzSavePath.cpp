// Where copies go: a ticked row's target is the chosen folder, a backslash
// and the row's name, exactly, and only when that fits; a path typed in the
// save-as dialog loses every ".*" and nothing else.
#include <cstdlib>
#include <vector>

#include "actions/Save.h"
#include "platform/FakePlatform.h"
#include "platform/PosixPlatform.h"
#include "tests/FakeUi.h"
#include "tests/fuzz/FuzzInput.h"

using morlind::fuzz::Check;

namespace morlind {
namespace {


// Each ".*" found scanning from the left is taken out; a pair that only
// forms once one is gone ("..**") stays.
std::string WithoutDotStar(std::string path) {
  for (std::size_t at = 0; (at = path.find(".*", at)) != std::string::npos;) path.erase(at, 2);
  return path;
}

}  // namespace
}  // namespace morlind

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morlind;
  fuzz::FuzzInput input(data, size);
  PosixPlatform clock;
  FakePlatform fake(clock);  // its log names every copy tried
  test::FakeUi ui;
  ResultTable table;

  // Folders up to 263 bytes, to cross the limit with any name.
  std::string folder = input.Text(200) + std::string(input.Byte() % 64, 'p');
  bool cancelled = input.Byte() % 8 == 0;
  std::vector<std::string> names;
  for (int rows = input.Byte() % 8; rows > 0; --rows) {
    std::string name = input.Text(60);
    std::string path = "C:\\c\\" + name;
    fake.AddFile(path, 0, name);
    table.AddResultRow(path, name.size(), std::nullopt);
    if (input.Byte() % 2) table.SetCheck(table.RowCount() - 1, true);
    names.push_back(name);
  }
  int highlighted = static_cast<int>(input.Byte() % (names.size() + 1)) - 1;
  std::string extension = input.Text(9);
  std::string typed = input.Rest();

  if (!cancelled) ui.folderAnswers = {folder};
  SaveSelected(fake, ui, table);
  std::vector<std::string> expected;
  for (int row = 0; row < table.RowCount() && !cancelled && !folder.empty(); ++row) {
    std::string target = folder + "\\" + names[static_cast<std::size_t>(row)];
    if (table.GetCheck(row) && target.size() < kMaxPath) {
      expected.push_back("copy " + table.PathOf(row) + " -> " + target);
    }
  }
  Check(fake.Log() == expected);
  Check(ui.messages.size() == (table.TickedCount() == 0 ? 1u : 0u));

  ui.messages.clear();
  table.SetHighlighted(highlighted);
  ui.savePathAnswers = {typed};
  SaveCurrent(fake, ui, table, extension);
  if (highlighted < 0) {
    Check(ui.messages.size() == 1 && fake.Log().size() == expected.size());
  } else {
    std::string target = RemoveDotStar(typed);
    Check(fake.Log().size() == expected.size() + 1 &&
          fake.Log().back() == "copy " + table.PathOf(highlighted) + " -> " + target);
    Check(target == WithoutDotStar(typed));
    Check((typed.size() - target.size()) % 2 == 0);
    if (typed.find(".*") == std::string::npos) Check(target == typed);
  }
  return 0;
}
