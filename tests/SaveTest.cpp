// What is copied where; failing copies are among the faults of
// ReliabilityTest.cpp.
#include "actions/Save.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

class SaveTest : public ::testing::Test {
 protected:
  SaveTest() {
    // Rows 0 and 1 share a name; row 2 has another.
    for (auto [path, content] : {std::pair{"C:\\cache\\A\\photo[1].jpg", "one"},
                                 std::pair{"C:\\cache\\B\\photo[1].jpg", "two"},
                                 std::pair{"C:\\cache\\A\\clip[1].swf", "three"}}) {
      fake.AddFile(path, 0, content);
      table.AddResultRow(path, std::string(path).size() - std::string(path).rfind('\\') - 1, {});
    }
    fake.AddFolder("D:\\out");
  }

  // As the dialog saves: the plan, then its copies.
  void Save(const std::optional<CopyPlan>& plan) {
    if (plan) CopyFiles(fake, *plan);
  }

  FakePlatform fake{test::HostPlatform()};
  test::FakeUi ui;
  ResultTable table;
};

TEST_F(SaveTest, NeedsATickedOrAHighlightedRow) {
  table.SetHighlighted(2);
  Save(PlanSaveSelected(ui, table));
  table.SetHighlighted(-1);
  table.SetCheck(0, true);
  Save(PlanSaveCurrent(ui, table, "jpg"));

  EXPECT_EQ(ui.messages, Paths(2, "当前没有选中的文件!"));
  EXPECT_TRUE(ui.folderTitles.empty() && ui.saveRequests.empty() && ui.appMessages.empty());
  EXPECT_TRUE(fake.Log().empty());
}

TEST_F(SaveTest, CopiesTickedRowsInOrderUnderTheirNamesUnlessTheChooserIsCancelled) {
  table.SetAllTicks(true);
  Save(PlanSaveSelected(ui, table));  // no answer: cancelled
  EXPECT_TRUE(fake.Log().empty());

  ui.folderAnswers = {"D:\\out", "D:\\"};
  Save(PlanSaveSelected(ui, table));
  EXPECT_EQ(ui.folderTitles, Paths(2, "所选择路径:"));
  EXPECT_EQ(fake.Log(), (Paths{"copy C:\\cache\\A\\photo[1].jpg -> D:\\out\\photo[1].jpg",
                               "copy C:\\cache\\B\\photo[1].jpg -> D:\\out\\photo[1].jpg",
                               "copy C:\\cache\\A\\clip[1].swf -> D:\\out\\clip[1].swf"}));

  EXPECT_EQ(fake.ContentOf("D:\\out\\photo[1].jpg"), "two");
  // Shown the other way round, the other file of that name wins.
  table.ApplyOrder({2, 1, 0});
  ui.folderAnswers.push_front("D:\\out");
  Save(PlanSaveSelected(ui, table));
  EXPECT_EQ(fake.ContentOf("D:\\out\\photo[1].jpg"), "one");
  table.ApplyOrder({0, 1, 2});

  // A drive root ends in a backslash already.
  table.SetCheck(0, false);
  table.SetCheck(1, false);
  Save(PlanSaveSelected(ui, table));
  EXPECT_EQ(fake.Log().back(), "copy C:\\cache\\A\\clip[1].swf -> D:\\clip[1].swf");
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SaveTest, SavesTheHighlightedRowUnderTheChosenPath) {
  table.SetHighlighted(1);
  ui.savePathAnswers = {"D:\\out\\photo.*", std::nullopt, "D:\\out\\b.jpg"};
  Save(PlanSaveCurrent(ui, table, "*"));  // "photo" typed with extension "*"
  Save(PlanSaveCurrent(ui, table, "jpg"));
  table.SetHighlighted(2);
  Save(PlanSaveCurrent(ui, table, "jpg"));

  ASSERT_EQ(ui.saveRequests.size(), 3u);
  const SaveAsRequest& all = ui.saveRequests[0];
  EXPECT_EQ(all.filter, "保存文件(*.*)|*.*|所有文件(*.*)|*.*||");
  EXPECT_EQ(all.defaultExtension, "*");
  EXPECT_EQ(all.initialName, "photo[1].jpg");
  EXPECT_EQ(all.flags, kOfnHideReadOnly | kOfnOverwritePrompt);
  EXPECT_EQ(ui.saveRequests[1].filter, "保存文件(*.jpg)|*.jpg|所有文件(*.*)|*.*||");
  EXPECT_EQ(ui.saveRequests[2].initialName, "clip[1].swf");

  EXPECT_EQ(fake.Log(), (Paths{"copy C:\\cache\\B\\photo[1].jpg -> D:\\out\\photo",
                               "copy C:\\cache\\A\\clip[1].swf -> D:\\out\\b.jpg"}));
  EXPECT_EQ(RemoveDotStar("D:\\a.*.b\\c.*"), "D:\\a.b\\c");
  EXPECT_EQ(RemoveDotStar("D:\\x..y*"), "D:\\x..y*");

  table.SetHighlighted(0);  // the first row is a row too
  ui.savePathAnswers = {"D:\\out\\first.jpg"};
  Save(PlanSaveCurrent(ui, table, "jpg"));
  EXPECT_EQ(fake.Log().back(), "copy C:\\cache\\A\\photo[1].jpg -> D:\\out\\first.jpg");
}

}  // namespace
}  // namespace morlind
