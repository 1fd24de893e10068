// What is copied where, and that a copy never destroys the file it was to
// replace; failing copies in a whole session are among the faults of
// ReliabilityTest.cpp.
#include "actions/Save.h"
#include "actions/ExportList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

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
  EXPECT_EQ(PlanSaveSelected(ui, table), std::nullopt);  // no answer: cancelled

  ui.folderAnswers = {"D:\\out", "D:\\"};
  std::optional<CopyPlan> plan = PlanSaveSelected(ui, table);
  EXPECT_EQ(ui.folderTitles, Paths(2, "所选择路径:"));
  EXPECT_EQ(plan, (CopyPlan{{"C:\\cache\\A\\photo[1].jpg", "D:\\out\\photo[1].jpg"},
                            {"C:\\cache\\B\\photo[1].jpg", "D:\\out\\photo[1].jpg"},
                            {"C:\\cache\\A\\clip[1].swf", "D:\\out\\clip[1].swf"}}));
  Save(plan);
  EXPECT_EQ(fake.Log(),
            (Paths{"write D:\\out\\photo[1].jpg", "write D:\\out\\photo[1].jpg", "write D:\\out\\clip[1].swf"}));
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
  EXPECT_EQ(PlanSaveSelected(ui, table), (CopyPlan{{"C:\\cache\\A\\clip[1].swf", "D:\\clip[1].swf"}}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SaveTest, SavesTheHighlightedRowUnderTheChosenPath) {
  table.SetHighlighted(1);
  ui.savePathAnswers = {"D:\\out\\photo.*", std::nullopt, "D:\\out\\b.jpg"};
  // "photo" typed with extension "*".
  EXPECT_EQ(PlanSaveCurrent(ui, table, "*"), (CopyPlan{{"C:\\cache\\B\\photo[1].jpg", "D:\\out\\photo"}}));
  EXPECT_EQ(PlanSaveCurrent(ui, table, "jpg"), std::nullopt);
  table.SetHighlighted(2);
  EXPECT_EQ(PlanSaveCurrent(ui, table, "jpg"), (CopyPlan{{"C:\\cache\\A\\clip[1].swf", "D:\\out\\b.jpg"}}));

  ASSERT_EQ(ui.saveRequests.size(), 3u);
  const SaveAsRequest& all = ui.saveRequests[0];
  EXPECT_EQ(all.filter, "保存文件(*.*)|*.*|所有文件(*.*)|*.*||");
  EXPECT_EQ(all.defaultExtension, "*");
  EXPECT_EQ(all.initialName, "photo[1].jpg");
  EXPECT_EQ(all.flags, kOfnHideReadOnly | kOfnOverwritePrompt);
  EXPECT_EQ(ui.saveRequests[1].filter, "保存文件(*.jpg)|*.jpg|所有文件(*.*)|*.*||");
  EXPECT_EQ(ui.saveRequests[2].initialName, "clip[1].swf");
  EXPECT_EQ(RemoveDotStar("D:\\a.*.b\\c.*"), "D:\\a.b\\c");
  EXPECT_EQ(RemoveDotStar("D:\\x..y*"), "D:\\x..y*");

  table.SetHighlighted(0);  // the first row is a row too
  ui.savePathAnswers = {"D:\\out\\first.jpg"};
  EXPECT_EQ(PlanSaveCurrent(ui, table, "jpg"), (CopyPlan{{"C:\\cache\\A\\photo[1].jpg", "D:\\out\\first.jpg"}}));
}

constexpr std::size_t kMiB = 1 << 20;

// Whole, at every size around the copy's chunks, with the source's
// last-write time; a link at the target name is replaced, not written
// through, and no other file is left in the folder.
TEST_F(SaveTest, CopiesWholeOverANameAndNeverThroughALink) {
  fake.AddFile("C:\\keep\\precious.doc", 0, "precious");
  fake.AddFileLink("D:\\out\\link.jpg", "C:\\keep\\precious.doc");
  fake.AddFile("D:\\out\\old.jpg", 0, "there before");
  CopyPlan plan{{"C:\\cache\\A\\photo[1].jpg", "D:\\out\\link.jpg"}, {"C:\\cache\\A\\clip[1].swf", "D:\\out\\old.jpg"}};
  Paths names{"D:\\out\\link.jpg", "D:\\out\\old.jpg"};
  int sizeNumber = 0;
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kMiB - 1, kMiB, kMiB + 1, 2 * kMiB}) {
    std::string source = "C:\\cache\\s" + std::to_string(++sizeNumber);
    fake.AddFile(source, 1000 + size, std::string(size, 'x'));
    plan.push_back({source, "D:\\out\\s" + std::to_string(sizeNumber)});
    names.push_back(plan.back().target);
  }
  CopyReport report = CopyFiles(fake, plan);
  EXPECT_EQ(report.copied, static_cast<int>(plan.size()));
  EXPECT_EQ(report.failed, 0);
  EXPECT_EQ(fake.ContentOf("C:\\keep\\precious.doc"), "precious");
  EXPECT_EQ(fake.AttributesOf("D:\\out\\link.jpg"), 0x20u);
  Paths tree = fake.Tree("D:\\out");
  std::ranges::sort(tree);
  std::ranges::sort(names);
  EXPECT_EQ(tree, names);
  for (const FileCopy& copy : plan) {
    EXPECT_EQ(fake.ContentOf(copy.target), fake.ContentOf(copy.source)) << copy.target;
    EXPECT_EQ(fake.LastWriteOf(copy.target), fake.LastWriteOf(copy.source)) << copy.target;
  }
}

// A body the test gives, as a cache would hand it out.
class GivenBody : public BodyReader {
 public:
  explicit GivenBody(std::string body) : body_(std::move(body)) {}
  BodyStatus Read(Platform&, const BodySink& sink) const override {
    return sink(body_) ? BodyStatus::kWhole : BodyStatus::kStopped;
  }

 private:
  std::string body_;
};

// Browser rows are written from their bodies; of one name the later is
// numbered; a body held in part or in an encoding that cannot be undone is
// written nowhere and counted with its reason.
TEST_F(SaveTest, BrowserRowsAreWrittenFromTheirBodiesUnderNamesOfTheirOwn) {
  const std::tuple<const char*, const char*, bool> entries[] = {
      {"logo.png", "", true}, {"clip.mp4", "", false}, {"LOGO.png", "identity", true}, {"app.js", "dcb", true}};
  for (const auto& [name, encoding, complete] : entries) {
    CacheEntry entry;
    entry.contentEncoding = encoding;
    entry.complete = complete;
    entry.body = std::make_shared<GivenBody>(std::string("body of ") + name);
    table.AddEntryRow(name, 1, std::nullopt, 10, entry);
  }
  table.SetAllTicks(true);
  ui.folderAnswers = {"D:\\out"};
  CopyReport report = CopyFiles(fake, *PlanSaveSelected(ui, table));
  EXPECT_EQ(report.copied, 5);  // the three files too
  EXPECT_EQ(report.failed, 2);
  EXPECT_EQ(CopyFailureText(report), "有 2 个文件没有保存：缓存中只有此文件的一部分。");
  EXPECT_EQ(fake.ContentOf("D:\\out\\logo.png"), "body of logo.png");
  EXPECT_EQ(fake.ContentOf("D:\\out\\LOGO (2).png"), "body of LOGO.png");
  EXPECT_EQ(fake.Tree("D:\\out"),
            (Paths{"D:\\out\\photo[1].jpg", "D:\\out\\clip[1].swf", "D:\\out\\logo.png", "D:\\out\\LOGO (2).png"}));
  const std::atomic<bool> stopped{true};  // Esc before the first piece: nothing is written
  EXPECT_EQ(WriteEntryBody(fake, *table.EntryOf(3), "D:\\out\\stopped.png", &stopped), "");
  EXPECT_EQ(fake.ContentOf("D:\\out\\stopped.png"), std::nullopt);

  table.SetHighlighted(6);
  ui.savePathAnswers = {"D:\\out\\script.js"};
  EXPECT_EQ(CopyFailureText(CopyFiles(fake, *PlanSaveCurrent(ui, table, "*"))),
            "有 1 个文件没有保存：无法解码此文件的内容编码。");
}

// 导出列表…: the rows in the order shown, quoted as RFC 4180 says (a field
// with a comma, a quote, CR or LF), sizes in bytes, the path last.
TEST_F(SaveTest, TheListIsExportedAsCsvInTheOrderShown) {
  for (auto [text, field] : {std::pair{"风景", "风景"}, {"", ""}, {"a,b", "\"a,b\""}, {"cr\r", "\"cr\r\""},
                             {"lf\n", "\"lf\n\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}}) {
    EXPECT_EQ(CsvField(text), field) << text;
  }
  CacheEntry entry;
  entry.address = "http://h/a,b?q=\"x\"\r\nend";
  table.AddEntryRow("风景.png", 1, 1222362405, 1025, entry);
  table.SetSourceNames({"IE", "Chrome（Default）"});
  table.ApplyOrder({3, 2, 0, 1});
  ui.savePathAnswers = {"D:\\out\\list.csv"};
  ASSERT_EQ(ChooseExportPath(ui), "D:\\out\\list.csv");
  EXPECT_EQ(ui.saveRequests[0].flags, kOfnOverwritePrompt | kOfnHideReadOnly);  // asks before replacing
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "csv");
  fake.SetNow(1'700'000'000);
  int writes = 0;
  fake.onWrite = [&writes] { ++writes; };
  JobControl job;
  ASSERT_EQ(ExportList(fake, table, "D:\\out\\list.csv", &job), std::nullopt);
  EXPECT_EQ(job.Done(), 4);
  EXPECT_EQ(writes, 1);  // in pieces, not a write a row
  EXPECT_EQ(fake.ContentOf("D:\\out\\list.csv"),
            "\xEF\xBB\xBF文件名,文件类型,访问时间,大小,网址,来源,路径\r\n"
            "风景.png,png,2008-9-25 17:6:45,1025,\"http://h/a,b?q=\"\"x\"\"\r\nend\",Chrome（Default）,\r\n"
            "clip[1].swf,swf,,0,,IE,C:\\cache\\A\\clip[1].swf\r\n"
            "photo[1].jpg,jpg,,0,,IE,C:\\cache\\A\\photo[1].jpg\r\n"
            "photo[1].jpg,jpg,,0,,IE,C:\\cache\\B\\photo[1].jpg\r\n");
  EXPECT_EQ(fake.LastWriteOf("D:\\out\\list.csv"), (1'700'000'000 + kSecondsFrom1601To1970) * kFileTicksPerSecond);
}

// A copy that fails at any step, or is stopped, leaves the file it was to
// replace as it was and no new file; only a failure is counted. So does an
// export of 3 MB of rows, written in pieces, meeting the same fault.
TEST_F(SaveTest, AFailedOrStoppedCopyLeavesTheOldTargetAndNoNewFile) {
  const std::string source = "C:\\cache\\big.flv", target = "D:\\out\\big.flv";
  ResultTable rows;
  for (int row = 0; row < 80'000; ++row) rows.AddResultRow("C:\\cache\\" + std::to_string(row) + ".jpg", 5, {});
  JobControl* running = nullptr;
  auto stopAtTheSecondWrite = [&](FakePlatform& f) {
    f.onWrite = [&, writes = 0]() mutable {
      if (++writes == 2) running->RequestStop();
    };
  };
  const std::tuple<const char*, std::function<void(FakePlatform&)>, int, SystemError, bool> cases[] = {
      {"disk full", [](FakePlatform& f) { f.diskRoom = kMiB + kMiB / 2; }, 1, kErrorDiskFull, true},
      {"stopped", stopAtTheSecondWrite, 0, 0, true},
      {"source held open", [&](FakePlatform& f) { f.LockFile(source); }, 1, 32, false},
      {"target held open", [&](FakePlatform& f) { f.LockFile(target); }, 1, kErrorAccessDenied, true},
      {"target a folder", [&](FakePlatform& f) { f.OpenForDelete(target)->Delete(), f.AddFolder(target); }, 1,
       kErrorAccessDenied, true}};
  // Each case with a copy, then with an export.
  for (std::size_t run = 0; run < 2 * std::size(cases); ++run) {
    const auto& [fault, inject, failed, error, exportMeetsIt] = cases[run / 2];
    const bool exporting = run % 2 == 1;
    if (exporting && !exportMeetsIt) continue;
    SCOPED_TRACE(std::string(fault) + (exporting ? ", exporting" : ""));
    FakePlatform fs{test::HostPlatform()};
    fs.AddFile(source, 5, std::string(3 * kMiB + 5, 'n'));
    fs.AddFile(target, 7, "old");
    JobControl job;
    running = &job;
    inject(fs);
    const Paths before = fs.Tree("D:\\out");
    const std::optional<std::string> content = fs.ContentOf(target);
    const std::optional<std::uint64_t> lastWrite = fs.LastWriteOf(target);
    if (exporting) {
      EXPECT_EQ(ExportList(fs, rows, target, &job), error ? fs.ErrorText(error) : "");
    } else {
      CopyReport report = CopyFiles(fs, {{source, target}}, &job);
      EXPECT_EQ(report.copied, 0);
      EXPECT_EQ(report.failed, failed);
      EXPECT_EQ(report.firstReason, error ? fs.ErrorText(error) : "");
    }
    EXPECT_EQ(fs.Tree("D:\\out"), before);
    EXPECT_EQ(fs.ContentOf(target), content);
    EXPECT_EQ(fs.LastWriteOf(target), lastWrite);
  }
}

}  // namespace
}  // namespace morlind
