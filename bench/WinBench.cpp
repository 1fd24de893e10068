// The Windows side of the benchmarks, run under Wine: the scan, the bare
// walk and the whole search through the dialog over a tree written
// beforehand by make_tree. Prints one tab-separated line per case: case,
// files, median ms, rows, peak MB.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "bench/BareWalk.h"
#include "bench/Stopwatch.h"
#include "bench/TreeGenerator.h"
#include "actions/Clean.h"
#include "platform/Win32Platform.h"
#include "res/resource.h"
#include "search/CacheScan.h"
#include "ui/MainDlg.h"

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

// Answers every dialog the way a user who cancels would.
class SilentUi : public UiServices {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowAppMessage(const std::string&) override {}
  bool AskYesNo(const std::string&) override { return false; }
  std::optional<std::string> ChooseFolder(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ChooseSavePath(const SaveAsRequest&) override { return std::nullopt; }
  bool ShellOpen(const std::string&, const std::string&, int, bool) override { return true; }
  bool ShellMarksDangerous(const std::string&) override { return false; }
  bool ShowHelp(const std::string&, unsigned) override { return false; }
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
  double Stop() {
    stop_ = true;
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
      longestMs_ = std::max(longestMs_, waited.count());
      Sleep(10);
    }
  }

  std::atomic<bool> stop_{false};
  double longestMs_ = 0;  // written by the probe thread only, read after join
  std::thread thread_;
};

// Presses a button and waits until the work it started has ended: the
// dialog keeps 搜索 disabled while it works.
void PressAndWait(HWND dialog, int id) {
  Press(dialog, id);
  while (!IsWindowEnabled(GetDlgItem(dialog, IDC_SEARCH))) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
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

void DialogCases(const std::string& root, int files) {
  ShownDialog shown(root);
  HWND hwnd = shown.hwnd;
  auto rows = [&] { return shown.Rows(); };

  double first = MedianMilliseconds([&] { PressAndWait(hwnd, IDC_SEARCH); }, 1);
  Report("dialog search (first)", files, first, rows());
  StallProbe probe(hwnd);
  double again = MedianMilliseconds([&] { PressAndWait(hwnd, IDC_SEARCH); }, kRepetitions);
  Report("dialog search (again)", files, again, rows());
  Report("longest stall, dialog search", files, probe.Stop(), rows());

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
}

// 清理IE缓存 through the dialog: the clean and the search after it.
void DialogClean(const std::string& root, int files) {
  ShownDialog shown(root);
  StallProbe probe(shown.hwnd);
  double ms = MedianMilliseconds([&] { PressAndWait(shown.hwnd, IDC_CLEAN); }, 1);
  Report("dialog clean", files, ms, shown.Rows());
  Report("longest stall, dialog clean", files, probe.Stop(), shown.Rows());
}

}  // namespace
}  // namespace morlind::bench

int main(int argc, char** argv) {
  using namespace morlind;
  using namespace morlind::bench;
  if (argc < 2) {
    std::fprintf(stderr, "usage: win_bench [--clean | --dialog-clean | --bare-delete] TREE_ROOT\n");
    return 2;
  }
  const std::string root = argv[argc - 1];
  const std::string mode = argc > 2 ? argv[1] : "";
  const TreeShape shape;
  Win32Platform platform;

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

  std::string walkPath = root;
  // One untimed walk first, so every case meets the same warm caches.
  std::size_t entries = BareWalk(platform, walkPath);
  double bare = MedianMilliseconds([&] { entries = BareWalk(platform, walkPath); }, kRepetitions);
  Report("bare walk", shape.files, bare, static_cast<int>(entries));

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
    Report(c.name, shape.files, ms, table.RowCount());
  }

  DialogCases(root, shape.files);
  return 0;
}
