// Long work on the worker: stopped at any entry it keeps what it did
// before, it counts what it did, and what it hands over is what the same
// work gives on the calling thread. Run under ThreadSanitizer too.
#include "search/Job.h"

#include <gtest/gtest.h>

#include <atomic>

#include "actions/Clean.h"
#include "actions/Save.h"
#include "platform/FakePlatform.h"
#include "search/Search.h"
#include "tests/TestClock.h"

namespace morlind {
namespace {

using Paths = std::vector<std::string>;

void FillCache(FakePlatform& fake, int folders, int files) {
  for (int f = 0; f < folders; ++f) {
    for (int i = 0; i < files; ++i) {
      fake.AddFile("C:\\cache\\F" + std::to_string(f) + "\\p" + std::to_string(i) + ".jpg", 0, "x");
    }
  }
  fake.AddFile("C:\\cache\\top.txt");
}

Paths PathsOf(const ResultTable& table) {
  Paths paths;
  for (int row = 0; row < table.RowCount(); ++row) paths.push_back(table.PathOf(row));
  return paths;
}

template <class T>
bool IsPrefix(const std::vector<T>& part, const std::vector<T>& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

const SearchCriteria kAll{"*", "C:\\cache", 0, 0, AccessMode::kNoLimit};

TEST(Job, AStopAtAnyEntryKeepsWhatWasDoneBeforeIt) {
  FakePlatform whole(test::HostPlatform());
  FillCache(whole, 3, 3);
  int entries = 0;
  whole.onEntry = [&] { ++entries; };
  ResultTable all;
  ScanCache(whole, kAll, all);
  DeleteTree(whole, "C:\\cache");
  const Paths allRows = PathsOf(all);
  const Paths allDeletes = whole.Log();

  std::size_t lastRows = 0;
  for (int stopAt = 0; stopAt <= entries; ++stopAt) {
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
    Paths rows = PathsOf(table);
    EXPECT_TRUE(IsPrefix(rows, allRows));
    EXPECT_GE(rows.size(), lastRows);
    lastRows = rows.size();
    EXPECT_EQ(scan.Done(), static_cast<int>(rows.size()));

    job = &clean;
    seen = 0;
    DeleteTree(fake, "C:\\cache", &clean);
    EXPECT_TRUE(IsPrefix(fake.Log(), allDeletes));
    EXPECT_EQ(clean.Done(), static_cast<int>(std::count_if(fake.Log().begin(), fake.Log().end(), [](auto& line) {
                return line.rfind("delete ", 0) == 0;
              })));
  }
  EXPECT_EQ(lastRows, allRows.size());

  FakePlatform fake(test::HostPlatform());
  FillCache(fake, 1, 3);
  const CopyPlan plan{{"C:\\cache\\F0\\p0.jpg", "D:\\a"}, {"C:\\cache\\F0\\p1.jpg", "D:\\b"}};
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
  ResultTable expected;
  ScanCache(fake, kAll, expected);

  Worker worker;
  ResultTable table;
  std::atomic<bool> finished{false};
  auto scanInto = [&](ResultTable& into) {
    return [&](JobControl& job) { ScanCache(fake, kAll, into, &job); };
  };
  ASSERT_TRUE(worker.Start(scanInto(table), [&] { finished = true; }));
  EXPECT_FALSE(worker.Start(scanInto(table), nullptr));  // one job at a time
  for (int last = 0; !finished;) {
    int done = worker.Control().Done();
    EXPECT_GE(done, last);
    last = done;
  }
  worker.Wait();
  EXPECT_EQ(PathsOf(table), PathsOf(expected));
  EXPECT_EQ(worker.Control().Done(), expected.RowCount());

  ResultTable partial;
  ASSERT_TRUE(worker.Start(scanInto(partial), nullptr));
  while (worker.Control().Done() < 100) {
  }
  worker.Control().RequestStop();
  worker.Wait();
  EXPECT_TRUE(IsPrefix(PathsOf(partial), PathsOf(expected)));
  EXPECT_EQ(worker.Control().Done(), partial.RowCount());

  // A worker that goes away stops its job and waits for it.
  ResultTable left;
  {
    Worker leaving;
    leaving.Start(scanInto(left), nullptr);
  }
  EXPECT_TRUE(IsPrefix(PathsOf(left), PathsOf(expected)));
}

}  // namespace
}  // namespace morlind
