// The list as a CSV file: what a spreadsheet or a CSV reader gets, and that
// a failed or stopped export leaves the file it was to replace.
#include "actions/ExportList.h"

#include <gtest/gtest.h>

#include "tests/FakePlatform.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

constexpr const char* kTarget = "D:\\out\\list.csv";
constexpr const char* kHeading = "\xEF\xBB\xBF文件名,文件类型,访问时间,大小,网址,来源,路径\r\n";

TEST(ExportList, FieldsAreQuotedOnlyWhenACommaQuoteOrLineBreakIsInThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain.jpg", "plain.jpg"}, {"", ""},           {"风景.jpg", "风景.jpg"},      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"cr\r", "\"cr\r\""}, {"lf\n", "\"lf\n\""}};
  for (const auto& [text, field] : cases) EXPECT_EQ(CsvField(text), field) << text;
}

TEST(ExportList, EveryRowInTheOrderShownWithSizesInBytesAndTheFilesPath) {
  FakePlatform fake{test::HostPlatform()};
  fake.AddFolder("D:\\out");
  ResultTable table;
  table.SetSourceNames({"IE", "Chrome（Default）"});
  const std::string file = "C:\\cache\\A\\风景[1].jpg";
  table.AddResultRow(file, std::string("风景[1].jpg").size(), 1222362405, 48213);
  CacheEntry entry;
  entry.address = "http://h/a,b?q=\"x\"\r\nend";
  table.AddEntryRow("a,b", 1, std::nullopt, 1025, entry);
  table.SetAddresses({"http://h/风景.jpg"});
  table.ApplyOrder({1, 0});
  JobControl job;
  ASSERT_EQ(ExportList(fake, table, kTarget, &job), std::nullopt);
  EXPECT_EQ(fake.ContentOf(kTarget), std::string(kHeading) +
                                         "\"a,b\",,,1025,\"http://h/a,b?q=\"\"x\"\"\r\nend\",Chrome（Default）,\r\n"
                                         "风景[1].jpg,jpg,2008-9-25 17:6:45,48213,http://h/风景.jpg,IE," +
                                         file + "\r\n");
  EXPECT_EQ(job.Done(), 2);
  EXPECT_EQ(fake.Tree("D:\\out"), std::vector<std::string>{kTarget});
}

// Written in pieces; a failure or a stop between them leaves the old file.
TEST(ExportList, AFailedOrStoppedExportIsSaidAndLeavesTheOldFile) {
  ResultTable table;
  for (int row = 0; row < 3000; ++row) table.AddResultRow("C:\\cache\\A\\photo" + std::to_string(row) + ".jpg", 10, {});
  const struct {
    const char* target;
    std::function<void(FakePlatform&, JobControl&)> fault;
    std::string said;
    int writes;
  } cases[] = {
      {"D:\\gone\\list.csv", nullptr, "系统找不到指定的路径。", 0},
      {kTarget, [](FakePlatform& fake, JobControl&) { fake.LockFile(kTarget); }, "拒绝访问。", 3},
      {kTarget, [](FakePlatform& fake, JobControl&) { fake.diskRoom = 70000; }, "错误 112", 2},
      {kTarget, [](FakePlatform& fake, JobControl& job) { fake.onWrite = [&job] { job.RequestStop(); }; }, "", 1},
  };
  for (const auto& c : cases) {
    FakePlatform fake{test::HostPlatform()};
    fake.AddFile(kTarget, 0, "old");
    JobControl job;
    if (c.fault) c.fault(fake, job);
    int writes = 0;
    fake.onWrite = [&, then = fake.onWrite] {
      ++writes;
      if (then) then();
    };
    EXPECT_EQ(ExportList(fake, table, c.target, &job), c.said) << c.said;
    EXPECT_EQ(writes, c.writes) << c.said;
    EXPECT_EQ(fake.ContentOf(kTarget), "old") << c.said;
    EXPECT_EQ(fake.Tree("D:\\out"), std::vector<std::string>{kTarget}) << c.said;
  }
}

}  // namespace
}  // namespace morlind
