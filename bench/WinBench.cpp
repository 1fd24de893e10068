// The Windows side of the benchmarks, run under Wine: the scan and the bare
// walk over a tree written beforehand by make_tree. Prints one
// tab-separated line per case: case, files, median ms, rows, peak MB.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "bench/BareWalk.h"
#include "bench/Stopwatch.h"
#include "bench/TreeGenerator.h"
#include "platform/Win32Platform.h"
#include "search/CacheScan.h"

namespace morlind::bench {
namespace {

constexpr int kRepetitions = 5;

double PeakPrivateMb() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return static_cast<double>(counters.PeakPagefileUsage) / (1024.0 * 1024.0);
}

void Report(const char* name, int files, double ms, int rows) {
  std::printf("%s\t%d\t%.1f\t%d\t%.1f\n", name, files, ms, rows, PeakPrivateMb());
  std::fflush(stdout);
}

}  // namespace
}  // namespace morlind::bench

int main(int argc, char** argv) {
  using namespace morlind;
  using namespace morlind::bench;
  if (argc < 2) {
    std::fprintf(stderr, "usage: win_bench TREE_ROOT\n");
    return 2;
  }
  const std::string root = argv[1];
  const TreeSpec spec;
  Win32Platform platform;

  std::string walkPath = root;
  std::size_t entries = 0;
  double bare = MedianMilliseconds([&] { entries = BareWalk(platform, walkPath); }, kRepetitions);
  Report("bare walk", spec.files, bare, static_cast<int>(entries));

  struct ScanCase {
    const char* name;
    const char* extension;
    int accessMode;
  };
  for (ScanCase c : {ScanCase{"scan *", "*", kNoLimit}, ScanCase{"scan jpg", "jpg", kNoLimit},
                     ScanCase{"scan window", "*", 0}}) {
    ScanFilter filter{c.extension, c.accessMode, static_cast<Moment>(spec.newestAccess - 30 * 86400),
                      static_cast<Moment>(spec.newestAccess - 15 * 86400)};
    ResultTable table;
    double ms = MedianMilliseconds(
        [&] {
          table.DeleteAllItems();
          CacheScan(platform, filter, table).ScanFolder(root);
        },
        kRepetitions);
    Report(c.name, spec.files, ms, table.RowCount());
  }
  return 0;
}
