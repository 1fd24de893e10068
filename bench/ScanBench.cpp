// Native benchmarks of the scan against a bare walk of the same tree.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>

#include "bench/BareWalk.h"
#include "bench/PosixTreeWriter.h"
#include "platform/PosixPlatform.h"
#include "actions/Clean.h"
#include "search/CacheScan.h"

namespace morlind::bench {
namespace {

const TreeShape kShape;

// The tree is written once per machine and reused by later runs.
const std::string& TreeRoot() {
  static const std::string root = [] {
    std::string path = (std::filesystem::temp_directory_path() / "morlind-bench-tree").string();
    std::string marker = path + "/.complete-" + std::to_string(kShape.files) + "-" +
                         std::to_string(kShape.seed);
    if (!std::filesystem::exists(marker)) {
      std::filesystem::remove_all(path);
      WriteTree(path, GenerateTree(kShape));
      std::filesystem::create_directories(marker);
    }
    return path;
  }();
  return root;
}

double PeakMemoryMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_BareWalk(benchmark::State& state) {
  PosixPlatform platform;
  std::string root = TreeRoot();
  std::size_t entries = 0;
  for (auto _ : state) benchmark::DoNotOptimize(entries = BareWalk(platform, root));
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["peak_MB"] = PeakMemoryMb();
}
BENCHMARK(BM_BareWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void Scan(benchmark::State& state, const char* extension, AccessMode accessMode) {
  PosixPlatform platform;
  // A window over the older half of the month.
  ScanFilter filter{extension, accessMode, kShape.newestAccess - 30 * 86400,
                    kShape.newestAccess - 15 * 86400};
  ResultTable table;
  for (auto _ : state) {
    table.DeleteAllItems();
    CacheScan(platform, filter, table).ScanFolder(TreeRoot());
  }
  state.counters["rows"] = table.RowCount();
  state.counters["peak_MB"] = PeakMemoryMb();
}
BENCHMARK_CAPTURE(Scan, all, "*", AccessMode::kNoLimit)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Scan, jpg, "jpg", AccessMode::kNoLimit)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(Scan, window, "*", AccessMode::kMatchWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Each deletion needs a fresh copy of the tree, written outside the timing.
template <class Delete>
void DeleteBench(benchmark::State& state, Delete deleteTree) {
  PosixPlatform platform;
  const GeneratedTree tree = GenerateTree(kShape);
  std::string root = (std::filesystem::temp_directory_path() / "morlind-bench-delete").string();
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(root);
    WriteTree(root, tree);
    state.ResumeTiming();
    deleteTree(platform, root);
  }
  std::filesystem::remove_all(root);
  state.counters["peak_MB"] = PeakMemoryMb();
}

void BM_BareDelete(benchmark::State& state) {
  DeleteBench(state, [](Platform& platform, std::string& root) { BareDelete(platform, root); });
}
BENCHMARK(BM_BareDelete)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteTree(benchmark::State& state) {
  DeleteBench(state, [](Platform& platform, std::string& root) { DeleteTree(platform, root); });
}
BENCHMARK(BM_DeleteTree)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace morlind::bench

BENCHMARK_MAIN();
