// The list as a CSV file: what a reader gets, and that a failed or stopped
// export leaves the file it was to replace.
#include "actions/ExportList.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

constexpr const char* kTarget = "D:\\out\\list.csv";

TEST(ExportList, EveryRowInTheOrderShownQuotedAsRfc4180WithSizesInBytesAndThePath) {
  for (auto [text, field] : {std::pair{"风景.jpg", "风景.jpg"}, {"", ""}, {"a,b", "\"a,b\""}, {"cr\r", "\"cr\r\""},
                             {"lf\n", "\"lf\n\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}}) {
    EXPECT_EQ(CsvField(text), field) << text;
  }
  FakePlatform fake{test::HostPlatform()};
  fake.SetNow(1'700'000'000);
  fake.AddFolder("D:\\out");
  ResultTable table;
  table.SetSourceNames({"IE", "Chrome（Default）"});
  table.AddResultRow("C:\\c\\风景[1].jpg", std::string("风景[1].jpg").size(), 1222362405, 48213);
  CacheEntry entry;
  entry.address = "http://h/a,b?q=\"x\"\r\nend";
  table.AddEntryRow("a,b", 1, std::nullopt, 1025, entry);
  table.SetAddresses({"http://h/风景.jpg"});
  table.ApplyOrder({1, 0});
  // The save-as dialog asks before it replaces a file.
  test::FakeUi ui;
  ui.savePathAnswers = {kTarget};
  ASSERT_EQ(ChooseExportPath(ui), kTarget);
  EXPECT_EQ(ui.saveRequests[0].flags, kOfnOverwritePrompt | kOfnHideReadOnly);
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "csv");
  JobControl job;
  ASSERT_EQ(ExportList(fake, table, kTarget, &job), std::nullopt);
  const std::int64_t now = (1'700'000'000 + kSecondsFrom1601To1970) * kFileTicksPerSecond;
  EXPECT_EQ(fake.LastWriteOf(kTarget), static_cast<std::uint64_t>(now));
  EXPECT_EQ(fake.ContentOf(kTarget),
            "\xEF\xBB\xBF文件名,文件类型,访问时间,大小,网址,来源,路径\r\n"
            "\"a,b\",,,1025,\"http://h/a,b?q=\"\"x\"\"\r\nend\",Chrome（Default）,\r\n"
            "风景[1].jpg,jpg,2008-9-25 17:6:45,48213,http://h/风景.jpg,IE,C:\\c\\风景[1].jpg\r\n");
  EXPECT_EQ(job.Done(), 2);
  EXPECT_EQ(fake.Tree("D:\\out"), std::vector<std::string>{kTarget});
}

// Written in pieces, a stop seen between them: the old file stays.
TEST(ExportList, AFailedOrStoppedExportIsSaidAndLeavesTheOldFile) {
  ResultTable table;
  for (int row = 0; row < 3000; ++row) table.AddResultRow("C:\\c\\photo" + std::to_string(row) + ".jpg", 10, {});
  JobControl job;
  const std::tuple<const char*, std::function<void(FakePlatform&)>, std::string, int> cases[] = {
      {"D:\\gone\\list.csv", nullptr, "系统找不到指定的路径。", 0},
      {kTarget, [](FakePlatform& fake) { fake.LockFile(kTarget); }, "拒绝访问。", 2},
      {kTarget, [](FakePlatform& fake) { fake.diskRoom = 1000; }, "错误 112", 1},
      {kTarget, [&job](FakePlatform& fake) { fake.onWrite = [&job] { job.RequestStop(); }; }, "", 1}};
  for (const auto& [target, fault, said, writes] : cases) {
    FakePlatform fake{test::HostPlatform()};
    fake.AddFile(kTarget, 0, "old");
    if (fault) fault(fake);
    int written = 0;
    fake.onWrite = [&, then = fake.onWrite] { ++written, then ? then() : void(); };
    EXPECT_EQ(ExportList(fake, table, target, &job), said);
    EXPECT_EQ(written, writes) << said;
    EXPECT_EQ(fake.Tree("D:\\out"), std::vector<std::string>{kTarget}) << said;
    EXPECT_EQ(fake.ContentOf(kTarget), "old") << said;
  }
}

}  // namespace
}  // namespace morlind
