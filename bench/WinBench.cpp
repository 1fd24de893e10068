// The Windows side of the benchmarks, run under Wine: the scan, the bare
// walk, the sorts and the whole search through the dialog over a tree
// written beforehand by make_tree, and the URL cache index. Prints one
// tab-separated line per case: case, files, median ms, rows, peak MB.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "bench/BareWalk.h"
#include "bench/ReadEveryByte.h"
#include "bench/SortBench.h"
#include "bench/Stopwatch.h"
#include "bench/TreeGenerator.h"
#include "actions/Clean.h"
#include "actions/Scratch.h"
#include "caches/ChromiumSql.h"
#include "platform/Win32Platform.h"
#include "platform/WideText.h"
#include "res/resource.h"
#include "search/BrowserScan.h"
#include "search/CacheScan.h"
#include "search/Sort.h"
#include "ui/MainDlg.h"

namespace morlind::bench {
namespace {

constexpr int kRepetitions = 5;

// The process's peak private bytes and peak working set so far, in MB.
std::pair<double, double> PeakMemoryMb() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  constexpr double kMb = 1024.0 * 1024.0;
  return {static_cast<double>(counters.PeakPagefileUsage) / kMb, static_cast<double>(counters.PeakWorkingSetSize) / kMb};
}

void Report(const std::string& name, int files, double ms, int rows) {
  auto [privateMb, workingSetMb] = PeakMemoryMb();
  std::printf("%s\t%d\t%.1f\t%d\t%.1f\t%.1f\n", name.c_str(), files, ms, rows, privateMb, workingSetMb);
  std::fflush(stdout);
}

// The real platform with the cache folder moved to the benchmark tree.
class TreePlatform : public Win32Platform {
 public:
  explicit TreePlatform(std::string root) : root_(std::move(root)) {}
  std::optional<std::string> SpecialFolderPath(int csidl) override {
    return csidl == kInternetCacheFolder ? std::optional(root_) : Win32Platform::SpecialFolderPath(csidl);
  }

 private:
  std::string root_;
};

// Answers every dialog the way a user who cancels would, but the save-as
// dialog with savePath when one is set.
class SilentUi : public UiServices {
 public:
  std::optional<std::string> savePath;
  void ShowMessage(const std::string&) override {}
  void ShowAppMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ChooseSavePath(const SaveAsRequest&) override { return savePath; }
  LaunchResult ShellOpen(const std::string&, const std::string&, int, bool) override { return {}; }
  bool ShellMarksDangerous(const std::string&) override { return false; }
  bool ShowHelp(const std::string&, unsigned) override { return false; }
  void ShowInFolder(const std::string&) override {}
  std::uint32_t CopyText(const std::string&) override { return 0; }
  std::uint32_t CopyFiles(const std::vector<std::string>&) override { return 0; }
};

void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// A button press as the dialog gets it, and the window painted after it.
void Press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  UpdateWindow(dialog);
  Pump();
}

// What a user feels while the dialog works: another thread asks the window
// for an answer every 10 ms and keeps the longest wait.
class StallProbe {
 public:
  explicit StallProbe(HWND window) : thread_([this, window] { Probe(window); }) {}
  ~StallProbe() { Stop(); }
  // Called on the window's thread, which answers the probe's last question
  // while it waits: a plain join could leave that question hanging until
  // its time-out, and count the wait as a stall.
  double Stop() {
    stop_ = true;
    while (!ended_) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      Pump();
    }
    if (thread_.joinable()) thread_.join();
    return longestMs_;
  }

 private:
  void Probe(HWND window) {
    while (!stop_) {
      auto start = std::chrono::steady_clock::now();
      DWORD_PTR result = 0;
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
      std::chrono::duration<double, std::milli> waited = std::chrono::steady_clock::now() - start;
      // The question asked as the probe is stopped waits for Stop itself.
      if (!stop_) longestMs_ = std::max(longestMs_, waited.count());
      Sleep(10);
    }
    ended_ = true;
  }

  std::atomic<bool> stop_{false};
  std::atomic<bool> ended_{false};
  double longestMs_ = 0;  // written by the probe thread only, read after join
  std::thread thread_;
};

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// From a command to the list first holding rows, painted (or to the end
// when it never does), and to the end of the work the command started.
struct WorkTimes {
  double rowsShown;
  double done;
};

// Waits until the work has ended: the dialog keeps 搜索 disabled while it
// works. A search empties the list at once and hands its rows over before
// the addresses are read, so the first rows mark the listing's end.
WorkTimes WaitForWork(HWND dialog, Clock::time_point start) {
  HWND list = GetDlgItem(dialog, IDC_RESULTS);
  std::optional<double> rowsShown;
  for (;;) {
    if (!rowsShown && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0) {
      UpdateWindow(dialog);
      rowsShown = MillisecondsSince(start);
    }
    if (IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH))) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  const double done = MillisecondsSince(start);
  return {rowsShown.value_or(done), done};
}

WorkTimes PressAndWait(HWND dialog, int id) {
  const Clock::time_point start = Clock::now();
  Press(dialog, id);
  return WaitForWork(dialog, start);
}

// A click on a column's header as the list reports it.
WorkTimes ClickHeaderAndWait(HWND dialog, Column column) {
  NMLISTVIEW click{};
  click.hdr.hwndFrom = GetDlgItem(dialog, IDC_RESULTS);
  click.hdr.idFrom = IDC_RESULTS;
  click.hdr.code = LVN_COLUMNCLICK;
  click.iItem = -1;
  click.iSubItem = static_cast<int>(column);
  const Clock::time_point start = Clock::now();
  SendMessageW(dialog, WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&click));
  UpdateWindow(dialog);
  Pump();
  return WaitForWork(dialog, start);
}

// The main dialog over the benchmark tree, shown, with the services faked.
struct ShownDialog {
  explicit ShownDialog(const std::string& root) : platform(root) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    dialog.Create();
    hwnd = dialog.GetSafeHwnd();
    ShowWindow(hwnd, SW_SHOW);
    Pump();
  }
  ~ShownDialog() { dialog.DestroyWindow(); }
  int Rows() const { return static_cast<int>(SendMessageW(GetDlgItem(hwnd, IDC_RESULTS), LVM_GETITEMCOUNT, 0, 0)); }

  TreePlatform platform;
  SilentUi ui;
  CMainDlg dialog{platform, ui};
  HWND hwnd = nullptr;
};

// The search through the dialog: to its rows shown, and on to the end of
// the work, when the addresses are in; with tools, the check tools, the
// timer and the header clicks over its rows too. suffix tells runs under
// other conditions apart.
void DialogCases(const std::string& root, int files, const std::string& suffix, bool tools) {
  ShownDialog shown(root);
  HWND hwnd = shown.hwnd;
  auto rows = [&] { return shown.Rows(); };

  const double first = PressAndWait(hwnd, IDC_SEARCH).rowsShown;
  Report("dialog search (first)" + suffix, files, first, rows());
  StallProbe probe(hwnd);
  std::vector<double> rowsShown;
  std::vector<double> done;
  for (int i = 0; i < kRepetitions; ++i) {
    WorkTimes times = PressAndWait(hwnd, IDC_SEARCH);
    rowsShown.push_back(times.rowsShown);
    done.push_back(times.done);
  }
  Report("dialog search (again)" + suffix, files, Median(rowsShown), rows());
  Report("dialog search to addresses in (again)" + suffix, files, Median(done), rows());
  Report("longest stall, dialog search" + suffix, files, probe.Stop(), rows());
  if (!tools) return;

  // The check tools read their box's state, so tick it as a click would.
  auto tool = [&](int id) {
    SendMessageW(GetDlgItem(hwnd, id), BM_SETCHECK, BST_CHECKED, 0);
    Press(hwnd, id);
  };
  Report("check tool 全选", files, MedianMilliseconds([&] { tool(IDC_SELECT_ALL); }, kRepetitions), rows());
  Report("check tool 反选", files, MedianMilliseconds([&] { tool(IDC_INVERT); }, kRepetitions), rows());
  tool(IDC_SELECT_NONE);
  // With nothing ticked, the 100 ms timer's look at "保存选中".
  const int ticks = 1000;
  double timer = MedianMilliseconds(
      [&] {
        for (int i = 0; i < ticks; ++i) SendMessageW(hwnd, WM_TIMER, 1, 0);
      },
      kRepetitions);
  Report("timer tick, nothing ticked", files, timer / ticks, rows());

  // Each column's header clicked once: from the click to the rows shown
  // in the new order. Not the address: the index holds none of the tree's
  // files, so the dialog's rows have no addresses to order.
  StallProbe sortProbe(hwnd);
  for (const SortColumn& sort : kSortColumns) {
    if (sort.column == Column::kAddress) continue;
    const double ms = ClickHeaderAndWait(hwnd, sort.column).done;
    Report(std::string("sort ") + sort.name + ": dialog, click to rows", files, ms, rows());
  }
  Report("longest stall, dialog sort", files, sortProbe.Stop(), rows());

  // 导出列表… of every row, into a file beside the tree.
  shown.ui.savePath = root + ".csv";
  StallProbe exportProbe(hwnd);
  const Clock::time_point start = Clock::now();
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDM_ROW_EXPORT, 0), 0);
  Report("dialog export list, command to file written", files, WaitForWork(hwnd, start).done, rows());
  Report("longest stall, dialog export list", files, exportProbe.Stop(), rows());
  DeleteFileW(Utf8ToWide(*shown.ui.savePath).c_str());
}

// The bare walk and the scans of the tree; suffix as above.
void ScanCases(Win32Platform& platform, const std::string& root, const TreeShape& shape, const std::string& suffix) {
  std::string walkPath = root;
  // One untimed walk first, so every case meets the same warm caches.
  std::size_t entries = BareWalk(platform, walkPath);
  double bare = MedianMilliseconds([&] { entries = BareWalk(platform, walkPath); }, kRepetitions);
  Report("bare walk" + suffix, shape.files, bare, static_cast<int>(entries));

  struct ScanCase {
    const char* name;
    const char* extension;
    AccessMode accessMode;
  };
  for (ScanCase c : {ScanCase{"scan *", "*", AccessMode::kNoLimit}, ScanCase{"scan jpg", "jpg", AccessMode::kNoLimit},
                     ScanCase{"scan window", "*", AccessMode::kMatchWindow}}) {
    ScanFilter filter{c.extension, c.accessMode, shape.newestAccess - 30 * 86400,
                      shape.newestAccess - 15 * 86400};
    ResultTable table;
    double ms = MedianMilliseconds(
        [&] {
          table.DeleteAllItems();
          CacheScan(platform, filter, table).ScanFolder(root);
        },
        kRepetitions);
    Report(c.name + suffix, shape.files, ms, table.RowCount());
  }
}

// Sorting every row of the tree by each column, in the three steps the
// window takes: the key copy (on the window's thread), the order (a worker
// may make it) and showing the order.
void SortCases(Win32Platform& platform, const std::string& root, int files) {
  ResultTable table;
  const ScanFilter all{"*", AccessMode::kNoLimit, 0, 0};
  CacheScan(platform, all, table).ScanFolder(root);
  table.SetAddresses(BenchAddresses(table));
  const int rows = table.RowCount();
  for (const SortColumn& sort : kSortColumns) {
    const std::string name = std::string("sort ") + sort.name;
    ResultTable::SortKeys keys;
    double copy = MedianMilliseconds([&] { keys = table.KeysOf(sort.column); }, kRepetitions,
                                     [&] { keys = {}; });
    std::vector<std::uint32_t> order;
    double ordering = MedianMilliseconds([&] { order = SortOrder(platform, keys, sort.column, false); }, 3,
                                         [&] { order = {}; });
    double apply = MedianMilliseconds([&] { table.ApplyOrder(order); }, kRepetitions);
    Report(name + ": key copy", files, copy, rows);
    Report(name + ": order", files, ordering, rows);
    Report(name + ": apply", files, apply, rows);
  }
}

// Fills the URL cache index as a browser does: a local file per address,
// placed by CreateUrlCacheEntryW (Wine takes no file outside the cache's
// own folders), written, then committed. Stops at the time limit, so a
// slow index cannot hold the run up for ever; returns the count committed.
int FillUrlIndex(int count, double limitMs) {
  static constexpr std::array<const wchar_t*, 6> kStems = {L"photo", L"banner", L"logo", L"clip", L"style", L"script"};
  static constexpr std::array<const wchar_t*, 6> kEndings = {L"jpg", L"gif", L"png", L"swf", L"css", L"js"};
  const std::string body(512, 'x');
  const FILETIME none{};
  const auto start = std::chrono::steady_clock::now();
  int committed = 0;
  for (; committed < count; ++committed) {
    std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    if (spent.count() > limitMs) {
      std::fprintf(stderr, "win_bench: the index fill stopped at the time limit after %d entries\n", committed);
      break;
    }
    const std::size_t kind = static_cast<std::size_t>(committed) % kStems.size();
    const std::wstring number = std::to_wstring(committed);
    const std::wstring url = L"http://bench.example/" + number + L"/" + kStems[kind] + number + L"." + kEndings[kind];
    wchar_t file[MAX_PATH + 1] = {};
    if (!CreateUrlCacheEntryW(url.c_str(), static_cast<DWORD>(body.size()), kEndings[kind], file, 0)) {
      std::fprintf(stderr, "win_bench: CreateUrlCacheEntryW failed (%lu) at entry %d\n", GetLastError(), committed);
      break;
    }
    HANDLE handle = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool wrote = handle != INVALID_HANDLE_VALUE &&
                       WriteFile(handle, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (!wrote || !CommitUrlCacheEntryW(url.c_str(), file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0,
                                        kEndings[kind], nullptr)) {
      std::fprintf(stderr, "win_bench: committing entry %d failed (%lu)\n", committed, GetLastError());
      break;
    }
  }
  return committed;
}

// The listing with the URL cache index empty and with count entries
// committed, in one process so that both meet the same machine; then
// reading the index and matching it to the listed rows.
void IndexCases(Win32Platform& platform, const std::string& root, const TreeShape& shape, int count) {
  ScanCases(platform, root, shape, ", index empty");
  DialogCases(root, shape.files, ", index empty", false);

  int committed = 0;
  double fill = MedianMilliseconds([&] { committed = FillUrlIndex(count, 600'000); }, 1);
  Report("URL index: fill", committed, fill, committed);
  const std::string suffix = ", " + std::to_string(committed) + " in index";
  ScanCases(platform, root, shape, suffix);
  DialogCases(root, shape.files, suffix, false);

  std::vector<UrlIndexEntry> index;
  double read = MedianMilliseconds([&] { index = platform.ReadUrlIndex(nullptr); }, 3, [&] { index = {}; });
  const int entries = static_cast<int>(index.size());
  Report("URL index: read", entries, read, entries);

  // The rows of the tree and of the cache folder, whose files are the
  // index's: the first match nothing, the second all.
  ResultTable listed;
  const ScanFilter all{"*", AccessMode::kNoLimit, 0, 0};
  CacheScan(platform, all, listed).ScanFolder(root);
  if (std::optional<std::string> cache = platform.SpecialFolderPath(kInternetCacheFolder)) {
    CacheScan(platform, all, listed).ScanFolder(*cache);
  }
  std::vector<std::string_view> paths;
  double copy = MedianMilliseconds([&] { paths = listed.PathsInWalkOrder(); }, kRepetitions, [&] { paths = {}; });
  Report("URL index: path copy", listed.RowCount(), copy, listed.RowCount());
  std::vector<std::string> addresses;
  double match = MedianMilliseconds([&] { addresses = MatchAddresses(paths, index); }, kRepetitions,
                                    [&] { addresses = {}; });
  const auto found = std::count_if(addresses.begin(), addresses.end(), [](const std::string& a) { return !a.empty(); });
  Report("URL index: match", listed.RowCount(), match, static_cast<int>(found));
}

// 清理IE缓存 through the dialog: the clean and the search after it.
void DialogClean(const std::string& root, int files) {
  ShownDialog shown(root);
  StallProbe probe(shown.hwnd);
  const double ms = PressAndWait(shown.hwnd, IDC_CLEAN).done;
  Report("dialog clean", files, ms, shown.Rows());
  Report("longest stall, dialog clean", files, probe.Stop(), shown.Rows());
}

// The browser caches in the prefix: finding them (on the window's thread),
// reading their files' bytes once, and listing them, each and together.
void BrowserCases(Win32Platform& platform) {
  FoundCaches found;
  ScratchFolder scratch(platform);
  const ChromiumSqlCache sql([&scratch] { return scratch.NewLeasedFolder(); });
  const double find = MedianMilliseconds([&] { found = FindBrowserCaches(platform, sql); }, kRepetitions);
  const int sources = static_cast<int>(found.readable.size());
  Report("browser caches: find (window's thread)", sources, find, sources);
  std::vector<std::pair<std::string, std::vector<CacheSource>>> cases;
  for (const CacheSource& source : found.readable) cases.push_back({source.displayName, {source}});
  if (sources > 1) cases.push_back({"all", found.readable});
  const ScanFilter all{"*", AccessMode::kNoLimit, 0, 0};
  for (const auto& [name, list] : cases) {
    int files = 0;
    ResultTable table;
    std::size_t entries = 0;
    // Taken in turns, so that all three meet the same load on a shared
    // machine; after one untimed round, as every case.
    const std::vector<std::function<void()>> steps = {
        [&] {
          files = 0;
          for (const CacheSource& source : list) files += ReadEveryByte(platform, source.folder);
        },
        [&] {
          table.DeleteAllItems();
          ScanBrowserCaches(platform, list, all, table);
        },
        // The readers alone, without the rows' names and the table.
        [&] {
          entries = 0;
          for (const CacheSource& source : list) entries += source.format->Read(platform, source.folder, nullptr).entries.size();
        }};
    std::vector<std::vector<double>> times(steps.size());
    for (int round = 0; round <= kRepetitions; ++round) {
      for (std::size_t step = 0; step < steps.size(); ++step) {
        const double ms = MedianMilliseconds(steps[step], 1);
        if (round > 0) times[step].push_back(ms);
      }
    }
    Report("browser caches: read every byte, " + name, files, Median(times[0]), files);
    Report("browser caches: scan *, " + name, files, Median(times[1]), table.RowCount());
    Report("browser caches: readers only, " + name, files, Median(times[2]), static_cast<int>(entries));
  }
}

}  // namespace
}  // namespace morlind::bench

int main(int argc, char** argv) {
  using namespace morlind;
  using namespace morlind::bench;
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: win_bench [--clean | --dialog-clean | --bare-delete | --dialog | --dialog-tools] TREE_ROOT\n"
                 "       win_bench --index COUNT TREE_ROOT\n"
                 "       win_bench --browser-scan | --browser-dialog TREE_ROOT\n");
    return 2;
  }
  const std::string root = argv[argc - 1];
  const std::string mode = argc > 2 ? argv[1] : "";
  const TreeShape shape;
  Win32Platform platform;

  // The index starts empty and is left filled: the caller empties it.
  if (mode == "--index" && argc > 3) {
    IndexCases(platform, root, shape, std::atoi(argv[2]));
    return 0;
  }
  // The browser caches placed in the prefix; the dialog in a process of
  // its own, so that its peak memory is the search's.
  if (mode == "--browser-scan") {
    BrowserCases(platform);
    return 0;
  }
  if (mode == "--browser-dialog") {
    std::string walkPath = root;
    BareWalk(platform, walkPath);
    DialogCases(root, shape.files, ", IE tree and browser caches", false);
    return 0;
  }
  // The dialog in a process of its own: the peak memory reported is the
  // search's, not the scans' before it. With the tools, also the check
  // tools, the timer and the sorts.
  if (mode == "--dialog" || mode == "--dialog-tools") {
    std::string walkPath = root;
    BareWalk(platform, walkPath);  // the same warm caches as in the scans
    DialogCases(root, shape.files, "", mode == "--dialog-tools");
    return 0;
  }
  // A deletion runs once: the tree is written again between runs.
  if (mode == "--dialog-clean") {
    DialogClean(root, shape.files);
    return 0;
  }
  if (mode == "--clean" || mode == "--bare-delete") {
    std::string path = root;
    double ms = MedianMilliseconds(
        [&] { mode == "--clean" ? (void)DeleteTree(platform, path) : BareDelete(platform, path); }, 1);
    Report(mode == "--clean" ? "clean (DeleteTree)" : "bare delete", shape.files, ms, 0);
    return 0;
  }

  ScanCases(platform, root, shape, "");
  SortCases(platform, root, shape.files);
  return 0;
}
