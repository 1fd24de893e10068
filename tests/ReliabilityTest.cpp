// Faults on the fake file system: what the user sees, and that nothing
// outside the cache and the chosen folder changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "search/Search.h"
#include "tests/FakePlatform.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

const std::string kCache = "C:\\cache", kTarget = "D:\\out", kSentinel = "C:\\keep";

// The program around one cache, run as the dialog runs it, with a folder to
// copy into and a sentinel tree beside both. At its end: no message was
// shown, the sentinel is as it was, every deletion stayed in the cache and
// every copy went into the target (the rows it copies are the cache's).
struct World {
  World() {
    fake.cacheFolder = kCache;
    fake.AddFolder(kCache);
    fake.AddFile(kTarget + "\\old.jpg", 0, "there before");
    fake.AddFile(kSentinel + "\\a.jpg", 0, "sentinel a");
    fake.AddFolder(kSentinel + "\\sub\\empty");
    sentinel = Snapshot();
  }
  ~World() {
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Snapshot(), sentinel);
    for (const std::string& call : fake.Log()) {
      EXPECT_TRUE(call.starts_with("delete " + kCache + "\\") || call.starts_with("write " + kTarget + "\\")) << call;
    }
  }
  Paths Snapshot() {
    Paths lines;
    for (const std::string& path : fake.Tree(kSentinel)) lines.push_back(path + "=" + fake.ContentOf(path).value_or(""));
    return lines;
  }

  // 搜索 over every type; the table's names.
  Paths Search() {
    SearchInput input{0, 0, 0, 0, std::nullopt, "*"};
    EXPECT_EQ(PrepareSearch(fake, input, criteria, table), SearchOutcome::kReady);
    ScanCache(fake, criteria, table);
    Paths names;
    for (int row = 0; row < table.RowCount(); ++row) {
      names.push_back(table.GetItemText(row, Column::kName));
      EXPECT_TRUE(table.PathOf(row).starts_with(kCache + "\\")) << table.PathOf(row);
    }
    return names;
  }
  // 清理IE缓存: the clean, then the search it runs.
  Paths Clean() {
    EXPECT_EQ(DeleteTree(fake, *GetCacheFolder(fake)), 0);
    return Search();
  }

  FakePlatform fake{test::HostPlatform()};
  test::FakeUi ui;
  SearchCriteria criteria;
  ResultTable table;
  Paths sentinel;
};

// Folder links at every depth, up the tree and out of it; a folder that
// refuses listing, which shows as a file; a file held open.
TEST(Reliability, LinksRefusedFoldersAndHeldFilesAreSkippedQuietly) {
  World w;
  const std::pair<const char*, std::string> links[] = {
      {"\\L1", kSentinel},       {"\\up0", kCache},     {"\\A\\L2", kSentinel + "\\sub"},
      {"\\A\\up1", kCache},      {"\\A\\drive", "C:"},  {"\\A\\B\\L3", kTarget},
      {"\\A\\B\\up2", kCache + "\\A"}, {"\\A\\B\\empty", kSentinel + "\\sub\\empty"}};
  for (const auto& [path, target] : links) w.fake.AddLink(kCache + path, target);
  for (const char* path : {"\\A\\B\\held.jpg", "\\A\\B\\own2.jpg", "\\A\\own1.jpg", "\\own0.jpg", "\\x.jpg\\in.jpg"}) {
    w.fake.AddFile(kCache + path, 0, path);
  }
  w.fake.RefuseListing(kCache + "\\x.jpg");
  w.fake.LockFile(kCache + "\\A\\B\\held.jpg");
  // A walk that followed a link would not end.
  w.fake.onEntry = [&w] {
    if (w.fake.ListingsOpened() > 50) throw std::runtime_error("a link was followed");
  };

  EXPECT_EQ(w.Search(), (Paths{"held.jpg", "own2.jpg", "own1.jpg", "own0.jpg", "x.jpg"}));  // pre-order
  EXPECT_EQ(w.fake.ListingsOpened(), 4);  // the cache, A, B and x.jpg
  EXPECT_EQ(w.Clean(), (Paths{"held.jpg", "x.jpg"}));
  Paths left = w.fake.Tree(kCache);
  EXPECT_EQ(left.size(), std::size(links) + 5);  // the links, A, B, held.jpg, x.jpg and what it holds
  for (const auto& [path, target] : links) {
    EXPECT_NE(std::ranges::find(left, kCache + path + "\\"), left.end()) << path;
  }
}

// A source gone is skipped quietly; every other failure is counted, the
// copies after it are made, and the first is said in the system's words.
TEST(Reliability, FailedCopiesAreCountedAndChangeNothingElse) {
  // The fault, the folder chosen, how it is made, the copies made, what is said.
  const std::tuple<const char*, std::string, std::function<void(FakePlatform&)>, Paths, std::optional<std::string>>
      cases[] = {
      {"source gone", kTarget, [](FakePlatform& f) { f.OpenForDelete(kCache + "\\b.jpg")->Delete(); },
       {"a.jpg", "c.jpg"}, std::nullopt},
      {"a folder holds one name", kTarget, [](FakePlatform& f) { f.AddFolder(kTarget + "\\b.jpg"); },
       {"a.jpg", "c.jpg"}, "有 1 个文件没有保存：拒绝访问。"},
      {"folder gone", kTarget + "\\gone", [](FakePlatform&) {}, {}, "有 3 个文件没有保存：系统找不到指定的路径。"},
      {"a file for a folder", kTarget + "\\old.jpg", [](FakePlatform&) {}, {}, "有 3 个文件没有保存：系统找不到指定的路径。"}};
  for (const auto& [fault, folder, inject, made, said] : cases) {
    SCOPED_TRACE(fault);
    World w;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) w.fake.AddFile(kCache + "\\" + name, 0, name);
    w.Search();
    inject(w.fake);
    w.table.SetAllTicks(true);
    w.ui.folderAnswers = {folder};
    CopyReport report = CopyFiles(w.fake, *PlanSaveSelected(w.ui, w.table));
    EXPECT_EQ(report.copied, static_cast<int>(made.size()));
    EXPECT_EQ(CopyFailureText(report), said);
    for (const std::string& name : made) EXPECT_EQ(w.fake.ContentOf(kTarget + "\\" + name), name);
    EXPECT_EQ(w.fake.ContentOf(kTarget + "\\old.jpg"), "there before");
  }
}

}  // namespace
}  // namespace morlind
