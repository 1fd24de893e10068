// Long work on the worker: stopped at any entry it keeps what it did
// before, it counts what it did, and what it hands over is what the same
// work gives on the calling thread. Run under ThreadSanitizer too.
#include "search/Job.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "tests/FakePlatform.h"
#include "search/Search.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

void FillCache(FakePlatform& fake, int folders, int files) {
  for (int f = 0; f < folders * files; ++f) {
    fake.AddFile("C:\\cache\\F" + std::to_string(f / files) + "\\p" + std::to_string(f) + ".jpg");
  }
}

bool IsPrefix(const Paths& part, const Paths& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

const SearchCriteria kAll{"*", "C:\\cache", 0, 0, AccessMode::kNoLimit};

TEST(Job, AStopAtAnyEntryKeepsWhatWasDoneBeforeIt) {
  FakePlatform whole(test::HostPlatform());
  FillCache(whole, 3, 3);
  ResultTable all;
  ScanCache(whole, kAll, all);
  DeleteTree(whole, "C:\\cache");
  const Paths allRows = all.PathsInWalkOrder(), allDeletes = whole.Log();

  for (int stopAt = 0; stopAt <= 21; ++stopAt) {  // at every entry of the scan, and of the clean
    SCOPED_TRACE(stopAt);
    FakePlatform fake(test::HostPlatform());
    FillCache(fake, 3, 3);
    JobControl scan, clean;
    JobControl* job = &scan;
    int seen = 0;
    fake.onEntry = [&] {
      if (seen++ == stopAt) job->RequestStop();
    };
    ResultTable table;
    ScanCache(fake, kAll, table, &scan);
    EXPECT_TRUE(IsPrefix(table.PathsInWalkOrder(), allRows));
    EXPECT_EQ(scan.Done(), table.RowCount());
    EXPECT_EQ(table.RowCount() == 9, stopAt >= 20);  // 20 entries, "." and ".." among them

    job = &clean;
    seen = 0;
    DeleteTree(fake, "C:\\cache", &clean);
    EXPECT_TRUE(IsPrefix(fake.Log(), allDeletes));
    EXPECT_EQ(clean.Done(), std::count_if(fake.Log().begin(), fake.Log().end(),
                                          [](const std::string& call) { return call.ends_with(".jpg"); }));
  }

  FakePlatform fake(test::HostPlatform());
  FillCache(fake, 1, 2);
  const CopyPlan plan{{"C:\\cache\\F0\\p0.jpg", "C:\\a"}, {"C:\\cache\\F0\\p1.jpg", "C:\\b"}};
  JobControl stopped, running;
  stopped.RequestStop();
  CopyFiles(fake, plan, &stopped);
  EXPECT_TRUE(fake.Log().empty());
  CopyFiles(fake, plan, &running);
  EXPECT_EQ(running.Done(), 2);
  EXPECT_EQ(fake.Log().size(), 2u);
}

TEST(Job, TheWorkerHandsOverWhatTheWalkHereFindsAndStopsWhenAsked) {
  FakePlatform fake(test::HostPlatform());
  FillCache(fake, 20, 100);
  ResultTable expected, table, partial, left;
  ScanCache(fake, kAll, expected);
  auto scanInto = [&](ResultTable& into) { return [&](JobControl& job) { ScanCache(fake, kAll, into, &job); }; };

  Worker worker;
  std::atomic<bool> finished{false};
  ASSERT_TRUE(worker.Start(scanInto(table), [&] { finished = true; }));
  EXPECT_FALSE(worker.Start(scanInto(table), nullptr));  // one job at a time
  for (int last = 0; !finished;) {
    EXPECT_GE(worker.Control().Done(), last);
    last = worker.Control().Done();
  }
  worker.Wait();
  EXPECT_EQ(table.PathsInWalkOrder(), expected.PathsInWalkOrder());
  EXPECT_EQ(worker.Control().Done(), expected.RowCount());

  ASSERT_TRUE(worker.Start(scanInto(partial), nullptr));
  while (worker.Control().Done() < 100) {
  }
  worker.Control().RequestStop();
  worker.Wait();
  EXPECT_TRUE(IsPrefix(partial.PathsInWalkOrder(), expected.PathsInWalkOrder()));
  EXPECT_EQ(worker.Control().Done(), partial.RowCount());

  // A worker that goes away stops its job and waits for it.
  std::make_unique<Worker>()->Start(scanInto(left), nullptr);
  EXPECT_TRUE(IsPrefix(left.PathsInWalkOrder(), expected.PathsInWalkOrder()));
}

}  // namespace
}  // namespace morlind
