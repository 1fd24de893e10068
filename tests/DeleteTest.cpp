// Deleting chosen rows' files: which rows, what the user is asked and told,
// and that the clean's safety holds. From outside: the end-to-end test.
#include "actions/Delete.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "search/Sort.h"
#include "tests/FakePlatform.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

// Rows: a.jpg (1,500 bytes), innocent.jpg (a file link out of the cache),
// locked.jpg (held open), d.jpg (600 bytes); each with an address.
class DeleteTest : public ::testing::Test {
 protected:
  DeleteTest() {
    fake.AddFile("C:\\precious.doc", 0, "precious");
    fake.AddFile("C:\\cache\\a.jpg", 0, std::string(1500, 'a'));
    fake.AddFileLink("C:\\cache\\innocent.jpg", "C:\\precious.doc");
    fake.AddFile("C:\\cache\\locked.jpg", 0, "l");
    fake.LockFile("C:\\cache\\locked.jpg");
    fake.AddFile("C:\\cache\\d.jpg", 0, std::string(600, 'd'));
    Paths addresses;
    for (const char* name : {"a.jpg", "innocent.jpg", "locked.jpg", "d.jpg"}) {
      std::string path = std::string("C:\\cache\\") + name;
      table.AddResultRow(path, std::strlen(name), {}, fake.ContentOf(path)->size());
      addresses.push_back(std::string("http://h/") + name);
      fake.urlIndex.push_back({path, addresses.back()});
    }
    table.SetAddresses(addresses);
  }

  FakePlatform fake{test::HostPlatform()};
  test::FakeUi ui;
  ResultTable table;
};

TEST_F(DeleteTest, TakesTheTickedRowsOrElseTheHighlightedOneAndAsksFirst) {
  EXPECT_EQ(PlanDelete(ui, table), std::nullopt);
  EXPECT_EQ(ui.messages, Paths{"当前没有选中的文件!"});
  table.SetHighlighted(0);
  EXPECT_EQ(ChosenRows(table), std::vector<int>{0});
  table.SetCheck(2, true);
  EXPECT_EQ(ChosenRows(table), std::vector<int>{2});
  table.SetCheck(0, true);
  EXPECT_EQ(ChosenRows(table), (std::vector<int>{0, 2}));

  EXPECT_EQ(PlanDelete(ui, table), std::nullopt);  // No
  ui.yesNoAnswers = {true};
  std::optional<DeletePlan> plan = PlanDelete(ui, table);
  ASSERT_TRUE(plan);
  EXPECT_EQ(ui.questions, Paths(2, "确定要删除这 2 个文件（共 2 KB）吗？"));
  EXPECT_EQ(plan->paths, (Paths{"C:\\cache\\a.jpg", "C:\\cache\\locked.jpg"}));
  EXPECT_EQ(DeleteQuestion(1, 0), "确定要删除这 1 个文件（共 0 KB）吗？");
}

TEST_F(DeleteTest, DeletesOnlyInsideTheCacheAndTheirIndexEntriesThenTheRowsGo) {
  table.SetAllTicks(true);
  table.SetCheck(3, false);
  table.SetHighlighted(3);
  ui.yesNoAnswers = {true};
  DeleteReport report = DeleteFiles(fake, "C:\\cache", *PlanDelete(ui, table));
  EXPECT_EQ(report.deletedRows, std::vector<int>{0});
  EXPECT_EQ(report.failed, 2);  // the link and the locked file
  EXPECT_EQ(report.keptInIndex, 0);
  EXPECT_EQ(DeleteResultText(report), "已删除 1 个文件，2 个文件无法删除。");
  EXPECT_EQ(DeleteResultText({{0, 1}, 0}), "已删除 2 个文件。");
  EXPECT_EQ(DeleteResultText({{0}, 1, 1}), "已删除 1 个文件，1 个文件无法删除，1 个网址未能从IE缓存索引中删除。");
  EXPECT_EQ(DeleteResultText({{}, 1, 0, true}), "已删除 0 个文件，1 个文件无法删除。找不到IE缓存文件夹。");
  EXPECT_EQ(fake.ContentOf("C:\\precious.doc"), "precious");
  EXPECT_EQ(fake.Tree("C:\\cache"), (Paths{"C:\\cache\\innocent.jpg", "C:\\cache\\locked.jpg", "C:\\cache\\d.jpg"}));
  ASSERT_EQ(fake.urlIndex.size(), 3u);
  EXPECT_EQ(fake.urlIndex[0].address, "http://h/innocent.jpg");

  table.RemoveRows(report.deletedRows);
  ASSERT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.HighlightedRow(), 2);
  EXPECT_EQ(table.TickedCount(), 2);
  for (int row = 0; row < 3; ++row) {
    std::string name = table.GetItemText(row, Column::kName);
    EXPECT_EQ(table.PathOf(row), "C:\\cache\\" + name);
    EXPECT_EQ(table.AddressOf(row), "http://h/" + name);
    EXPECT_EQ(table.GetCheck(row), name != "d.jpg");
  }
  // Sorts after it still find every row.
  table.ApplyOrder({2, 1, 0});
  EXPECT_EQ(table.GetItemText(0, Column::kName), "d.jpg");
  EXPECT_EQ(table.HighlightedRow(), 0);
}

// One ticked row, C:\cache\A\a.jpg, whose file or folder was swapped
// meanwhile, each on a fresh cache: nothing but the row's own file goes.
TEST(DeleteSwapped, NothingButTheRowsOwnFileGoes) {
  using Swap = void (*)(FakePlatform&);
  auto gone = [](FakePlatform& fs, const char* path) { fs.OpenForDelete(path)->Delete(); };
  const std::tuple<const char*, Swap> cases[] = {
      {"a file link to another file inside",
       [](FakePlatform& fs) { fs.AddFileLink("C:\\cache\\A\\a.jpg", "C:\\cache\\B\\b.jpg"); }},
      {"a file link out", [](FakePlatform& fs) { fs.AddFileLink("C:\\cache\\A\\a.jpg", "C:\\precious.doc"); }},
      {"the folder a link to another inside", [](FakePlatform& fs) { fs.AddLink("C:\\cache\\A", "C:\\cache\\B"); }},
      {"a file of another case", [](FakePlatform& fs) { fs.AddFile("C:\\cache\\A\\A.JPG", 0, "twin"); }},
  };
  for (const auto& [what, swap] : cases) {
    FakePlatform fs{test::HostPlatform()};
    fs.AddFile("C:\\precious.doc", 0, "precious");
    fs.AddFile("C:\\cache\\B\\a.jpg", 0, "other a");
    fs.AddFile("C:\\cache\\B\\b.jpg", 0, "b");
    fs.AddFile("C:\\cache\\A\\a.jpg", 0, "a");
    gone(fs, "C:\\cache\\A\\a.jpg");
    if (std::string(what).starts_with("the folder")) gone(fs, "C:\\cache\\A");
    swap(fs);
    const Paths before = fs.Tree("C:\\");
    fs.urlIndex = {{"C:\\cache\\A\\a.jpg", "http://h/a"}};
    DeleteReport report = DeleteFiles(fs, "C:\\cache", {{0}, {"C:\\cache\\A\\a.jpg"}, {"http://h/a"}});
    EXPECT_EQ(report.failed, 1) << what;
    EXPECT_EQ(fs.Tree("C:\\"), before) << what;
    EXPECT_EQ(fs.ContentOf("C:\\precious.doc"), "precious");
    EXPECT_EQ(fs.urlIndex.size(), 1u) << what;
  }
}

// pic[0].jpg beside PIC[0].JPG on a file system that tells case apart;
// the index knows pic's address. Each row's delete leaves the other file,
// and the entry stays while anything opens at its own file's name: WinINet
// would delete by that name, which now opens the twin.
TEST(DeleteIndex, AnEntryIsForgottenOnlyForTheFileThatWent) {
  for (const char* ticked : {"PIC[0].JPG", "pic[0].jpg"}) {
    FakePlatform fs{test::HostPlatform()};
    fs.AddFile("C:\\cache\\X\\pic[0].jpg", 0, "pic");
    fs.AddCaseTwin("C:\\cache\\X\\PIC[0].JPG", "PIC");
    fs.urlIndex = {{"C:\\cache\\X\\pic[0].jpg", "http://h/pic"}};
    const Paths paths = {"C:\\cache\\X\\pic[0].jpg", "C:\\cache\\X\\PIC[0].JPG"};
    const Paths addresses = MatchAddresses({paths.begin(), paths.end()}, fs.urlIndex);
    EXPECT_EQ(addresses, (Paths{"http://h/pic", ""}));
    const int row = ticked == std::string("pic[0].jpg") ? 0 : 1;
    DeleteReport report = DeleteFiles(fs, "C:\\cache", {{row}, {paths[row]}, {addresses[row]}});
    EXPECT_EQ(report.deletedRows, std::vector<int>{row}) << ticked;
    EXPECT_EQ(fs.Tree("C:\\cache\\X"), Paths{paths[1 - row]}) << ticked;
    EXPECT_EQ(fs.ContentOf(paths[1 - row]), row == 0 ? "PIC" : "pic");
    EXPECT_EQ(fs.urlIndex.size(), 1u) << ticked;
    EXPECT_EQ(report.keptInIndex, 0) << ticked;  // what stays for the twin is no failure
  }
}

}  // namespace
}  // namespace morlind
