// Native benchmarks of the scan against a bare walk of the same tree, and of
// sorting its rows by each column.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "bench/BareWalk.h"
#include "bench/CacheGenerator.h"
#include "bench/PosixTreeWriter.h"
#include "bench/ReadEveryByte.h"
#include "bench/SortBench.h"
#include "platform/PosixPlatform.h"
#include "actions/Clean.h"
#include "search/BrowserScan.h"
#include "search/CacheScan.h"
#include "caches/ChromiumBlockFile.h"
#include "caches/FirefoxCache2.h"
#include "search/Sort.h"

namespace morlind::bench {
namespace {

const TreeShape kShape;

// The tree is written once per machine and reused by later runs.
const std::string& TreeRoot() {
  static const std::string root = [] {
    std::string path = (std::filesystem::temp_directory_path() / "morlind-bench-tree").string();
    std::string marker = path + "/.complete-" + std::to_string(kShape.files) + "-" +
                         std::to_string(kShape.seed) + "-sized";
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

// Every row of the tree, with an address each; made once, then sorted over
// and over by the cases below.
ResultTable& ListedTable() {
  static ResultTable table = [] {
    PosixPlatform platform;
    const ScanFilter all{"*", AccessMode::kNoLimit, 0, 0};
    ResultTable listed;
    CacheScan(platform, all, listed).ScanFolder(TreeRoot());
    listed.SetAddresses(BenchAddresses(listed));
    return listed;
  }();
  return table;
}

// The three steps of a sort, each measured alone: the key copy (on the
// window's thread), the order (a worker may make it) and showing it.
void SortKeys(benchmark::State& state, Column column) {
  const ResultTable& table = ListedTable();
  for (auto _ : state) {
    ResultTable::SortKeys keys = table.KeysOf(column);
    benchmark::DoNotOptimize(keys);
    state.PauseTiming();
    keys = {};  // freeing the copy is not part of it
    state.ResumeTiming();
  }
  state.counters["rows"] = table.RowCount();
  state.counters["peak_MB"] = PeakMemoryMb();
}

void SortOrderOf(benchmark::State& state, Column column) {
  PosixPlatform platform;
  const ResultTable::SortKeys keys = ListedTable().KeysOf(column);
  for (auto _ : state) benchmark::DoNotOptimize(SortOrder(platform, keys, column, false));
  state.counters["rows"] = ListedTable().RowCount();
  state.counters["peak_MB"] = PeakMemoryMb();
}

void SortApply(benchmark::State& state, Column column) {
  PosixPlatform platform;
  ResultTable& table = ListedTable();
  const std::vector<std::uint32_t> order = SortOrder(platform, table.KeysOf(column), column, false);
  for (auto _ : state) table.ApplyOrder(order);
  state.counters["rows"] = table.RowCount();
  state.counters["peak_MB"] = PeakMemoryMb();
}

#define MORLIND_SORT_BENCH(step, label, column) \
  BENCHMARK_CAPTURE(step, label, column)->Unit(benchmark::kMillisecond)->MinTime(1.0)
#define MORLIND_SORT_BENCHES(label, column) \
  MORLIND_SORT_BENCH(SortKeys, label, column);  \
  MORLIND_SORT_BENCH(SortOrderOf, label, column); \
  MORLIND_SORT_BENCH(SortApply, label, column)
MORLIND_SORT_BENCHES(name, Column::kName);
MORLIND_SORT_BENCHES(type, Column::kType);
MORLIND_SORT_BENCHES(access_time, Column::kAccessTime);
MORLIND_SORT_BENCHES(size, Column::kSize);
MORLIND_SORT_BENCHES(address, Column::kAddress);

// The generated browser caches (50,000 block-file entries, 20,000 cache2
// entries), written once per machine like the tree.
const std::vector<CacheSource>& BrowserCaches() {
  static const std::vector<CacheSource> sources = [] {
    static const ChromiumBlockFileCache blockFile;
    static const FirefoxCache2 firefox;
    const std::string root = (std::filesystem::temp_directory_path() / "morlind-bench-caches").string();
    const std::string marker = root + "/.complete-50000-20000";
    if (!std::filesystem::exists(marker)) {
      std::filesystem::remove_all(root);
      BrowserCacheShape chrome, fox;
      fox.entries = 20'000;
      fox.seed = chrome.seed + 1;
      for (auto [folder, write, shape] : {std::tuple{"/chrome", &WriteBlockFileCache, chrome},
                                          std::tuple{"/firefox", &WriteFirefoxCache, fox}}) {
        const std::string base = root + folder;
        write(GenerateResponses(shape), [&](const std::string& relative, std::string_view bytes) {
          const std::filesystem::path path = base + "/" + relative;
          std::filesystem::create_directories(path.parent_path());
          std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        });
      }
      std::filesystem::create_directories(marker);
    }
    return std::vector<CacheSource>{{root + "/chrome", "Chrome", "Default", "Chrome", &blockFile},
                                    {root + "/firefox", "Firefox", "bench", "Firefox", &firefox}};
  }();
  return sources;
}

void BrowserReadEveryByte(benchmark::State& state, std::size_t which) {
  PosixPlatform platform;
  int files = 0;
  for (auto _ : state) benchmark::DoNotOptimize(files = ReadEveryByte(platform, BrowserCaches()[which].folder));
  state.counters["rows"] = files;
  state.counters["peak_MB"] = PeakMemoryMb();
}
BENCHMARK_CAPTURE(BrowserReadEveryByte, chrome, 0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BrowserReadEveryByte, firefox, 1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BrowserScan(benchmark::State& state, std::size_t which) {
  PosixPlatform platform;
  const ScanFilter all{"*", AccessMode::kNoLimit, 0, 0};
  ResultTable table;
  for (auto _ : state) {
    table.DeleteAllItems();
    ScanBrowserCaches(platform, {BrowserCaches()[which]}, all, table);
  }
  state.counters["rows"] = table.RowCount();
  state.counters["peak_MB"] = PeakMemoryMb();
}
BENCHMARK_CAPTURE(BrowserScan, chrome, 0)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BrowserScan, firefox, 1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
