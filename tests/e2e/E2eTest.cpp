// The real Morlind.exe, driven from outside as a user would: by window title
// and control number, with real mouse clicks on rows and check boxes, over
// a cache folder this test fills. It runs in a Wine prefix of its own (other
// tests empty the shared prefix's cache folder). The steps build on each
// other and run in order, against one running program.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <urlmon.h>
#include <wininet.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "res/resource.h"

namespace {

namespace fs = std::filesystem;
using Names = std::multiset<std::wstring>;

constexpr DWORD kPatienceMs = 20000;  // only so that a fault cannot hang the run

// What ready() gives once that is true, or its false value when patience
// runs out.
template <class Ready>
auto WaitFor(Ready ready) {
  for (DWORD start = GetTickCount();; Sleep(30)) {
    auto result = ready();
    if (result || GetTickCount() - start > kPatienceMs) return result;
  }
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
  SYSTEMTIME time{year, month, 0, day, hour, minute, second, 0};
  FILETIME asFileTime;  // fills in the day of the week
  SystemTimeToFileTime(&time, &asFileTime);
  FileTimeToSystemTime(&asFileTime, &time);
  return time;
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Everything under a folder, as paths relative to it, with the contents of
// its files.
using Files = std::map<std::wstring, std::string>;
Files Tree(const fs::path& root) {
  Files found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    found[entry.path().lexically_relative(root).wstring()] = Read(entry.path());  // a folder reads as empty
  }
  return found;
}

// The program copies once its dialog has gone, in its own time.
void ExpectFiles(const fs::path& folder, const Files& expected) {
  WaitFor([&] { return Tree(folder) == expected; });
  EXPECT_EQ(Tree(folder), expected);
}

// The cache as a user's browser would leave it; each file's content is its
// name, so a copy shows which file it came from.
struct CacheFile {
  const wchar_t* path;
  SYSTEMTIME accessedUtc;
};
const CacheFile kCache[] = {
    {L"Content.IE5\\index.dat", Time(2008, 9, 26, 1, 58, 2)},
    {L"Content.IE5\\AB12CD34\\photo[1].jpg", Time(2008, 9, 25, 17, 6, 45)},
    {L"Content.IE5\\AB12CD34\\风景[1].jpg", Time(2008, 9, 20, 8, 0, 0)},
    {L"Content.IE5\\EF56GH78\\banner[2].swf", Time(2008, 9, 24, 10, 4, 31)},
    {L"Content.IE5\\LOCK0001\\held[1].gif", Time(2008, 9, 23, 18, 12, 30)},
    // Wine's notepad opens no file whose name has brackets.
    {L"Content.IE5\\EF56GH78\\notes.txt", Time(2008, 9, 22, 9, 30, 0)},
};

std::string ContentOf(const fs::path& name) { return "cache file " + name.filename().string(); }

class MorlindE2e : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    cache_ = CacheFolder();
    fs::create_directories(cache_);
    for (const auto& entry : fs::directory_iterator(cache_)) fs::remove_all(entry.path());
    for (const CacheFile& file : kCache) {
      fs::path path = cache_ / file.path;
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary) << ContentOf(path);
      HANDLE handle = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      FILETIME accessed;
      SystemTimeToFileTime(&file.accessedUtc, &accessed);
      ASSERT_TRUE(SetFileTime(handle, nullptr, &accessed, nullptr)) << path;
      CloseHandle(handle);
    }
    StartProgram();
  }

  static fs::path CacheFolder() {
    wchar_t folder[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, folder), S_OK);
    return folder;
  }

  // With empty folders to copy into.
  static void StartProgram() {
    out_ = L"C:\\morlind-e2e";
    fs::remove_all(out_);
    fs::create_directories(out_ / "picked");
    fs::create_directories(out_ / "saved");

    // Started from its build folder, the working folder of this test.
    std::wstring command = L"\"" + fs::current_path().wstring() + L"\\Morlind.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process_))
        << "cannot start " << fs::path(command).string();
    remote_ =
        VirtualAllocEx(process_.hProcess, nullptr, kRemoteSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(remote_, nullptr);
    main_ = WaitForTop([](HWND window) {
      return ProcessOf(window) == process_.dwProcessId && TextOf(window) == L"Morlind V2.0" &&
             GetDlgItem(window, IDC_RESULTS);
    });
    ASSERT_TRUE(main_) << "no window \"Morlind V2.0\" showed";
  }

  static void TearDownTestSuite() {
    if (!process_.hProcess) return;
    TerminateProcess(process_.hProcess, 99);  // a failed run must not leave it behind; an ended one ignores it
    WaitForSingleObject(process_.hProcess, kPatienceMs);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }

  // --- the program's windows ---

  // A visible top-level window that passes the test, once one shows; other
  // programs may show theirs on the same display.
  template <class Test>
  static HWND WaitForTop(Test test) {
    return WaitFor([&] {
      HWND window = GetTopWindow(nullptr);
      while (window && !(IsWindowVisible(window) && test(window))) window = GetWindow(window, GW_HWNDNEXT);
      return window;
    });
  }
  static DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
  }
  // The modal box the main window opened: message box, folder chooser or
  // save-as dialog (tool tips are owned by the main window too).
  static HWND WaitForBox() {
    HWND box = WaitForTop([](HWND window) {
      wchar_t kind[16] = {};
      GetClassNameW(window, kind, 16);
      return GetWindow(window, GW_OWNER) == main_ && std::wstring(kind) == L"#32770";
    });
    EXPECT_TRUE(box) << "no box showed over the main window";
    return box;
  }
  static void PressOk(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); })) << "the box stayed";
  }

  static HWND Item(int id) { return GetDlgItem(main_, id); }
  static bool TurnsOn(int id) { return WaitFor([id] { return IsWindowEnabled(Item(id)); }); }

  // Sent with a time limit: a box the program shows where none is expected
  // fails the step instead of hanging it.
  static LRESULT Send(HWND window, UINT message, WPARAM w = 0, LPARAM l = 0) {
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(window, message, w, l, SMTO_NORMAL, kPatienceMs, &result))
        << "no answer to message 0x" << std::hex << message;
    return static_cast<LRESULT>(result);
  }

  // A window's text, or with CB_GETLBTEXT a combo box's entry w: the system
  // carries these texts across processes, as it does WM_SETTEXT's.
  static std::wstring TextOf(HWND window, UINT message = WM_GETTEXT, WPARAM w = 1024) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, message, w, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kPatienceMs, nullptr);
    return text;
  }
  // Just shown, the chooser may ignore a selection (it is still filling its
  // tree); with none, OK would copy to the desktop, out of the test's
  // folders. So select until its tree highlights the folder, then OK.
  static void ChooseFolder(HWND chooser, const fs::path& folder) {
    ASSERT_TRUE(chooser);
    HWND tree = FindWindowExW(chooser, nullptr, WC_TREEVIEWW, nullptr);
    ASSERT_TRUE(tree) << "the box is no folder chooser";
    if (!WaitFor([&] {
          Send(chooser, BFFM_SETSELECTIONW, TRUE, PutText(folder.wstring()));
          TVITEMW item{};
          item.mask = TVIF_TEXT;
          item.hItem = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET));
          item.pszText = TextArea();
          item.cchTextMax = MAX_PATH;
          return item.hItem && Send(tree, TVM_GETITEMW, 0, Put(item)) && GetText() == folder.filename().wstring();
        })) {
      PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
      FAIL() << "the folder chooser did not take the folder " << folder;
    }
    PressOk(chooser);
  }
  // Types path into the save-as dialog the main window opened, and OK.
  static void SaveAs(const fs::path& path) {
    HWND dialog = WaitForBox();
    ASSERT_TRUE(dialog);
    HWND name = GetDlgItem(dialog, 0x47c);  // the file name's combo box
    ASSERT_TRUE(name) << "the box is no save-as dialog";
    SetText(name, path.wstring());
    PressOk(dialog);
  }
  // The window closed during work: the program must end at once.
  static void CloseAndExpectTheEndWithin500Ms(const char* during) {
    auto start = std::chrono::steady_clock::now();
    PostMessageW(main_, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process_.hProcess, kPatienceMs), WAIT_OBJECT_0) << "still running after closing";
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("closing during %s ended the program in %.0f ms\n", during, took.count());
    EXPECT_LT(took.count(), 500);
  }
  static void SetText(HWND window, const std::wstring& text) {
    Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }

  // A press, and the work it started (a search, a clean) ended: while work
  // runs, 搜索 is off.
  static void Press(int id) {
    Send(Item(id), BM_CLICK);
    EXPECT_TRUE(TurnsOn(IDC_SEARCH)) << "work did not end";
  }
  // For a button that opens a modal box: a sent click would wait for it.
  static void PressLater(int id) { PostMessageW(Item(id), BM_CLICK, 0, 0); }

  static HWND FileTypeField() { return FindWindowExW(Item(IDC_FILE_TYPE), nullptr, L"Edit", nullptr); }

  // --- memory in the program, for messages that pass pointers ---

  static constexpr std::size_t kRemoteSize = 4096, kTextOffset = 1024;
  template <class T>
  static LPARAM Put(const T& value, std::size_t offset = 0) {
    char* at = static_cast<char*>(remote_) + offset;
    EXPECT_TRUE(WriteProcessMemory(process_.hProcess, at, &value, sizeof value, nullptr));
    return reinterpret_cast<LPARAM>(at);
  }
  template <class T>
  static T Get(std::size_t offset = 0) {
    T value{};
    EXPECT_TRUE(ReadProcessMemory(process_.hProcess, static_cast<char*>(remote_) + offset, &value,
                                  sizeof value, nullptr));
    return value;
  }
  // A text lives after the structure that points to it.
  static wchar_t* TextArea() { return reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + kTextOffset); }
  static std::wstring GetText() { return Get<std::array<wchar_t, MAX_PATH>>(kTextOffset).data(); }
  static LPARAM PutText(const std::wstring& text) {
    wchar_t buffer[MAX_PATH] = {};
    text.copy(buffer, MAX_PATH - 1);
    return Put(buffer, kTextOffset);
  }
  static void SetPicker(int id, const SYSTEMTIME& local) {
    EXPECT_TRUE(Send(Item(id), DTM_SETSYSTEMTIME, GDT_VALID, Put(local)));
  }

  // --- the result list, read from outside ---

  static HWND List() { return Item(IDC_RESULTS); }
  static int RowCount() { return static_cast<int>(Send(List(), LVM_GETITEMCOUNT)); }
  static std::wstring Cell(int row, int column) {
    LVITEMW item{};
    item.iSubItem = column;
    item.cchTextMax = MAX_PATH;
    item.pszText = TextArea();
    Send(List(), LVM_GETITEMTEXTW, row, Put(item));
    return GetText();
  }
  // The names of all rows, or of those that pass keep; the file system
  // decides the order.
  static Names Rows(bool (*keep)(int row) = nullptr) {
    Names names;
    for (int row = 0, n = RowCount(); row < n; ++row) {
      if (!keep || keep(row)) names.insert(Cell(row, 0));
    }
    return names;
  }
  static int RowOf(const std::wstring& name) {
    for (int row = 0, n = RowCount(); row < n; ++row) {
      if (Cell(row, 0) == name) return row;
    }
    ADD_FAILURE() << "no row " << fs::path(name).string();
    return -1;
  }
  static LRESULT State(int row, UINT mask) { return Send(List(), LVM_GETITEMSTATE, row, mask) & mask; }
  static bool Ticked(int row) { return State(row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2); }
  static RECT SubItemRect(int row, int column) {
    Send(List(), LVM_GETSUBITEMRECT, row, Put(RECT{LVIR_BOUNDS, column, 0, 0}));
    return Get<RECT>();
  }
  // The point of a row's check box, found by the list's own hit test along
  // the row's first column.
  static POINT CheckBoxPoint(int row) {
    RECT cell = SubItemRect(row, 0);
    LONG y = (cell.top + cell.bottom) / 2;
    for (LONG x = cell.left; x < cell.left + 40; ++x) {
      LVHITTESTINFO hit{};
      hit.pt = {x, y};
      if (Send(List(), LVM_HITTEST, 0, Put(hit)) == row &&
          (Get<LVHITTESTINFO>().flags & LVHT_ONITEMSTATEICON)) {
        return {x + 4, y};  // a little into the box
      }
    }
    ADD_FAILURE() << "row " << row << " shows no check box";
    return {cell.left + 8, y};
  }

  // A real click through the system's input queue at a point of a window:
  // the pointer moves there, the left button goes down and up.
  // Real mouse input at a point of window: the pointer moves there, then
  // each button event in turn.
  static void MouseAt(HWND window, POINT point, std::initializer_list<DWORD> buttons) {
    SetForegroundWindow(main_);
    ClientToScreen(window, &point);
    std::vector<INPUT> input;
    for (DWORD flag : buttons) {
      INPUT one{};
      one.type = INPUT_MOUSE;
      one.mi.dx = point.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
      one.mi.dy = point.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
      one.mi.dwFlags = flag | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
      input.push_back(one);
    }
    EXPECT_EQ(SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)), input.size());
  }
  static void MoveTo(HWND window, POINT point) { MouseAt(window, point, {MOUSEEVENTF_MOVE}); }
  static void ClickAt(HWND window, POINT point) {
    MouseAt(window, point, {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP});
  }
  // On a row's check box, which must tick it, or on its type, which must
  // highlight it.
  enum Spot { kCheckBox, kRow };
  static void Click(const std::wstring& name, Spot spot) { Click(RowOf(name), spot); }
  static void Click(int row, Spot spot) {
    Send(List(), LVM_ENSUREVISIBLE, row, FALSE);
    RECT cell = SubItemRect(row, 1);
    POINT point{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    if (spot == kCheckBox) point = CheckBoxPoint(row);
    ClickAt(List(), point);
    EXPECT_TRUE(WaitFor([&] { return spot == kCheckBox ? Ticked(row) : State(row, LVIS_SELECTED) != 0; }))
        << "a click on " << (spot == kCheckBox ? "the check box of " : "the row of ") << fs::path(Cell(row, 0)).string()
        << " changed nothing";
  }

  // A tick as accessibility and automation tools set it: the list's own
  // state message; row -1 is every row.
  static void SetTick(int row, bool ticked) {
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    EXPECT_TRUE(Send(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), Put(item)));
  }

  // The row menu by a real right-click on the row, an item picked with the
  // keyboard as a user would: Down to it (greyed items count), Enter.
  enum RowMenu { kOpen = 1, kShowInFolder, kCopyAddress, kExport, kCopyFiles, kDelete };
  static void PickFromRowMenu(const std::wstring& name, int item) { PickFromRowMenu(RowOf(name), item); }
  static void PickFromRowMenu(int row, int item) {
    Send(List(), LVM_ENSUREVISIBLE, row, FALSE);
    RECT cell = SubItemRect(row, 1);
    MouseAt(List(), {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2},
            {MOUSEEVENTF_MOVE, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
    ASSERT_TRUE(WaitForTop([](HWND window) {
      wchar_t kind[16] = {};
      GetClassNameW(window, kind, 16);
      return ProcessOf(window) == process_.dwProcessId && std::wstring(kind) == L"#32768";
    })) << "no menu showed";
    std::vector<WORD> keys(static_cast<std::size_t>(item), VK_DOWN);
    keys.push_back(VK_RETURN);
    PressKeys(keys);
  }
  static void PressKeys(const std::vector<WORD>& keys, bool withControl = false) {
    std::vector<INPUT> input;
    auto key = [&](WORD code, DWORD flags) {
      INPUT one{};
      one.type = INPUT_KEYBOARD;
      one.ki.wVk = code;
      one.ki.dwFlags = flags;
      input.push_back(one);
    };
    if (withControl) key(VK_CONTROL, 0);
    for (WORD code : keys) {
      key(code, 0);
      key(code, KEYEVENTF_KEYUP);
    }
    if (withControl) key(VK_CONTROL, KEYEVENTF_KEYUP);
    EXPECT_EQ(SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)), input.size());
  }
  // Keys to the list after a click on its empty space, which takes the
  // focus without changing a row.
  static void KeysToList(const std::vector<WORD>& keys, bool withControl = false) {
    RECT client{};
    GetClientRect(List(), &client);
    ClickAt(List(), {client.right / 2, client.bottom - 4});
    PressKeys(keys, withControl);
  }
  // The text of the box that opened over the main window, once answered.
  static std::wstring AnswerBox(int button) {
    HWND box = WaitForBox();
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
    PostMessageW(box, WM_COMMAND, button, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); })) << "the box stayed";
    return text;
  }
  // The local files the URL cache index names.
  static std::set<fs::path> IndexedFiles() {
    std::set<fs::path> files;
    std::vector<char> buffer(1 << 16);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(buffer.data());
    HANDLE find = FindFirstUrlCacheEntryW(nullptr, info, &size);
    for (bool more = find != nullptr; more; more = FindNextUrlCacheEntryW(find, info, &size)) {
      if (info->lpszLocalFileName) files.insert(info->lpszLocalFileName);
      size = static_cast<DWORD>(buffer.size());
    }
    if (find) FindCloseUrlCache(find);
    return files;
  }
  // What another program finds on the clipboard: the text, or the files.
  static std::vector<std::wstring> Clipboard(UINT format) {
    std::vector<std::wstring> found;
    if (!OpenClipboard(nullptr)) return found;
    if (HANDLE data = GetClipboardData(format); data && format == CF_UNICODETEXT) {
      found.push_back(static_cast<const wchar_t*>(GlobalLock(data)));
      GlobalUnlock(data);
    } else if (data) {
      for (UINT i = 0, n = DragQueryFileW(static_cast<HDROP>(data), 0xFFFFFFFF, nullptr, 0); i < n; ++i) {
        wchar_t path[1024] = {};
        DragQueryFileW(static_cast<HDROP>(data), i, path, 1024);
        found.push_back(path);
      }
    }
    CloseClipboard();
    return found;
  }

  // A box of the program, the shell's own among them (which no window owns).
  static bool IsBox(HWND window) {
    wchar_t kind[16] = {};
    GetClassNameW(window, kind, 16);
    return IsWindowVisible(window) && ProcessOf(window) == process_.dwProcessId && std::wstring(kind) == L"#32770" &&
           window != main_;
  }
  static HWND WaitForShellBox() { return WaitForTop(IsBox); }
  // The system's words for an error, as a box of the program says them.
  static std::wstring SystemWords(DWORD error) {
    wchar_t text[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 256, nullptr);
    std::wstring words = text;
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
    return words;
  }
  static bool AnyBoxNow() {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      if (IsBox(window)) return true;
    }
    return false;
  }

  static inline PROCESS_INFORMATION process_{};
  static inline HWND main_ = nullptr;
  static inline void* remote_ = nullptr;
  static inline fs::path cache_, out_;
};

TEST_F(MorlindE2e, OpensCentredAndReadyToSearchEverything) {
  RECT window{}, area{};
  GetWindowRect(main_, &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR(window.left + window.right, area.left + area.right, 2);
  EXPECT_EQ(TextOf(Item(IDC_FILE_TYPE)), L"*");
  EXPECT_EQ(Send(Item(IDC_NO_LIMIT), BM_GETCHECK), BST_CHECKED);
  for (int id : {IDC_START_DATE, IDC_END_TIME, IDC_VIEW_CURRENT, IDC_SAVE_SELECTED, IDC_SAVE_CURRENT}) {
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
  }
}

TEST_F(MorlindE2e, SearchFindsEveryFileThenOnlyTheTypedEnding) {
  Press(IDC_SEARCH);  // the combo box starts on "*"
  EXPECT_EQ(Rows(), (Names{L"index.dat", L"photo[1].jpg", L"风景[1].jpg", L"banner[2].swf", L"held[1].gif",
                           L"notes.txt"}));
  int photo = RowOf(L"photo[1].jpg");
  EXPECT_EQ(Cell(photo, 1), L"jpg");
  EXPECT_EQ(Cell(photo, 2), L"2008-9-26 1:6:45");  // 17:06:45 UTC in Shanghai

  SetText(FileTypeField(), L"景[1].jpg");  // nine bytes in code page 936
  Press(IDC_SEARCH);
  EXPECT_EQ(Rows(), Names{L"风景[1].jpg"});
  SetText(FileTypeField(), L"jpg");
  Press(IDC_SEARCH);
  EXPECT_EQ(Rows(), (Names{L"photo[1].jpg", L"风景[1].jpg"}));
}

TEST_F(MorlindE2e, AccessWindowFiltersAndAnInvertedOneIsRefused) {
  Press(IDC_MATCH_WINDOW);
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_START_DATE)));
  for (int id : {IDC_START_DATE, IDC_START_TIME}) SetPicker(id, Time(2008, 9, 25));  // local time
  for (int id : {IDC_END_DATE, IDC_END_TIME}) SetPicker(id, Time(2008, 9, 27));
  Press(IDC_SEARCH);
  const Names windowed{L"photo[1].jpg"};  // 风景 was last read on the 20th
  EXPECT_EQ(Rows(), windowed);

  SetPicker(IDC_START_DATE, Time(2008, 9, 28));
  PressLater(IDC_SEARCH);
  HWND box = WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(TextOf(box), L"Morlind");  // the program's name as caption
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"开始时间必须小于结束时间。");
  PressOk(box);
  EXPECT_EQ(Rows(), windowed);

  SetPicker(IDC_START_DATE, Time(2008, 9, 1));
  Press(IDC_NO_LIMIT);
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_START_DATE)));
}

TEST_F(MorlindE2e, TickedRowsAreCopiedIntoTheChosenFolder) {
  SetText(FileTypeField(), L"*");
  Press(IDC_SEARCH);
  ASSERT_EQ(RowCount(), 6);
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_SAVE_SELECTED)));
  SetTick(-1, true);
  EXPECT_EQ(Rows(Ticked).size(), 6u);
  SetTick(-1, false);
  Click(L"风景[1].jpg", kCheckBox);        // the timer runs from now on
  SetTick(RowOf(L"banner[2].swf"), true);  // as another program ticks
  SetTick(RowOf(L"index.dat"), true);
  SetTick(RowOf(L"index.dat"), false);
  const Names ticked{L"风景[1].jpg", L"banner[2].swf"};
  EXPECT_EQ(Rows(Ticked), ticked);
  EXPECT_TRUE(TurnsOn(IDC_SAVE_SELECTED)) << "保存选中 stayed disabled with two rows ticked";

  const std::wstring status = TextOf(Item(IDC_STATUS));
  PressLater(IDC_SAVE_SELECTED);
  HWND chooser = WaitForBox();
  ASSERT_TRUE(chooser);
  // Another program's 搜索 meanwhile starts nothing; a selection posted
  // after it to the status line shows that it has been handled.
  Send(Item(IDC_STATUS), EM_SETSEL, 0, 0);
  PressLater(IDC_SEARCH);
  PostMessageW(Item(IDC_STATUS), EM_SETSEL, 0, 1);
  EXPECT_TRUE(WaitFor([] { return Send(Item(IDC_STATUS), EM_GETSEL) == MAKELONG(0, 1); }));
  EXPECT_EQ(TextOf(Item(IDC_STATUS)), status);
  EXPECT_EQ(RowCount(), 6);
  fs::path picked = out_ / "picked";
  ChooseFolder(chooser, picked);
  ExpectFiles(picked,
              {{L"风景[1].jpg", ContentOf(L"风景[1].jpg")}, {L"banner[2].swf", ContentOf(L"banner[2].swf")}});
  EXPECT_TRUE(TurnsOn(IDC_SEARCH)) << "the save did not end";
  EXPECT_EQ(TextOf(Item(IDC_STATUS)), status);
  EXPECT_EQ(Rows(Ticked), ticked);
}

TEST_F(MorlindE2e, HighlightedRowIsSavedUnderTheTypedName) {
  Click(L"photo[1].jpg", kRow);
  EXPECT_EQ(TextOf(Item(IDC_STATUS)),
            L"当前选中 " + (cache_ / L"Content.IE5\\AB12CD34\\photo[1].jpg").wstring());
  ASSERT_TRUE(TurnsOn(IDC_SAVE_CURRENT));

  PressLater(IDC_SAVE_CURRENT);
  HWND dialog = WaitForBox();
  ASSERT_TRUE(dialog);
  HWND name = GetDlgItem(dialog, 0x47c);  // the file name's combo box
  ASSERT_TRUE(name) << "the box is no save-as dialog";
  EXPECT_TRUE(WaitFor([&] { return TextOf(name) == L"photo[1].jpg"; })) << "the row's name was not offered";
  // The last search's ending as the first filter, then all files.
  HWND filters = GetDlgItem(dialog, 0x470);
  EXPECT_EQ(TextOf(filters, CB_GETLBTEXT, 0), L"保存文件(*.*)");
  EXPECT_EQ(TextOf(filters, CB_GETLBTEXT, 1), L"所有文件(*.*)");
  // Typed in Chinese without an ending: the dialog appends the last
  // search's "*" as ".*", which must not stay.
  SetText(name, (out_ / "saved" / L"当前").wstring());
  PressOk(dialog);
  ExpectFiles(out_ / "saved", {{L"当前", ContentOf(L"photo[1].jpg")}});
}

// From 关于 and from the system menu's entry, whose low four bits are free;
// centred over the main window.
TEST_F(MorlindE2e, AboutBoxOpensFromTheButtonAndTheSystemMenu) {
  const std::tuple<HWND, UINT, WPARAM> ways[] = {
      {Item(IDC_ABOUT), BM_CLICK, 0}, {main_, WM_SYSCOMMAND, 0x0010}, {main_, WM_SYSCOMMAND, 0x001F}};
  for (auto [window, message, command] : ways) {
    PostMessageW(window, message, command, 0);
    HWND box = WaitForBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(TextOf(box), L"关于 Morlind V2.0");
    EXPECT_TRUE(Send(GetWindow(box, GW_CHILD), STM_GETICON));
    EXPECT_NE(TextOf(GetDlgItem(box, IDC_ABOUT_TEXT)).find(L"\r\nIE缓存文件查找、提取与清理工具\r\n"),
              std::wstring::npos);
    EXPECT_NE(TextOf(GetDlgItem(box, IDC_ABOUT_TEXT)).find(L"\r\nhttp://www.example.com\r\n"), std::wstring::npos);
    RECT inner{}, outer{};
    GetWindowRect(box, &inner);
    GetWindowRect(main_, &outer);
    EXPECT_NEAR(inner.left + inner.right, outer.left + outer.right, 2);
    PressOk(box);
  }
}

// Opened as a user expects: the associated program's window shows.
TEST_F(MorlindE2e, ViewOpensATextFileInAVisibleWindow) {
  Click(L"notes.txt", kRow);
  ASSERT_TRUE(TurnsOn(IDC_VIEW_CURRENT));
  Press(IDC_VIEW_CURRENT);
  HWND shown = WaitForTop([](HWND window) { return TextOf(window).find(L"notes.txt") != std::wstring::npos; });
  ASSERT_TRUE(shown) << "no window showed the opened file";
  EXPECT_NE(ProcessOf(shown), process_.dwProcessId);
  PostMessageW(shown, WM_CLOSE, 0, 0);  // unchanged, the file closes without asking
}

TEST_F(MorlindE2e, CleanLeavesOnlyAFileInUseAndTheFoldersAboveIt) {
  fs::path held = cache_ / L"Content.IE5\\LOCK0001\\held[1].gif";
  HANDLE inUse = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  const Files outside = Tree(out_);
  Press(IDC_CLEAN);
  // The URL cache index, which the program's own WinINet holds open once
  // it read the addresses, stays too.
  EXPECT_EQ(Rows(), (Names{L"held[1].gif", L"index.dat"}));
  CloseHandle(inUse);
  Files left = Tree(cache_);
  EXPECT_EQ(left.erase(L"Content.IE5\\index.dat"), 1u);
  EXPECT_EQ(left, (Files{{L"Content.IE5", ""},
                         {L"Content.IE5\\LOCK0001", ""},
                         {L"Content.IE5\\LOCK0001\\held[1].gif", ContentOf(held)}}));
  EXPECT_EQ(Tree(out_), outside) << "the clean touched files outside the cache";
}

// The results grow with the window, the controls beside and below them keep
// their distances to the right and bottom edges, the criteria stay; the
// window cannot be made smaller than designed.
TEST_F(MorlindE2e, ResizingGrowsTheResultsAndKeepsTheOtherControlsAtTheirEdges) {
  using Place = std::array<LONG, 4>;  // left, top, right, bottom in the client area
  auto placeOf = [](int id) {
    RECT r{};
    GetWindowRect(Item(id), &r);
    MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&r), 2);
    return Place{r.left, r.top, r.right, r.bottom};
  };
  // Which sides follow the window's right edge (x) and bottom edge (y).
  const std::pair<Place, std::vector<int>> follows[] = {
      {{0, 0, 0, 0}, {IDC_FILE_TYPE, IDC_NO_LIMIT, IDC_MATCH_WINDOW, IDC_START_DATE, IDC_END_TIME}},
      {{1, 0, 1, 0}, {IDC_ABOUT, IDC_CLEAN, IDC_SEARCH}},
      {{0, 0, 1, 1}, {IDC_RESULTS_GROUP, IDC_RESULTS}},
      {{0, 1, 0, 1}, {IDC_SELECT_ALL, IDC_INVERT, IDC_SELECT_NONE, IDC_SAVE_SELECTED, IDC_HOMEPAGE}},
      {{1, 1, 1, 1}, {IDC_VIEW_CURRENT, IDC_SAVE_CURRENT, IDOK}},
      {{0, 1, 1, 1}, {IDC_STATUS}},
  };
  std::map<int, Place> designed;
  for (const auto& [sides, ids] : follows) {
    for (int id : ids) designed[id] = placeOf(id);
  }
  RECT window{}, client{};
  GetWindowRect(main_, &window);
  GetClientRect(main_, &client);
  const LONG width = window.right - window.left, height = window.bottom - window.top;
  auto expectGrownBy = [&](LONG dx, LONG dy) {
    RECT now{};
    GetClientRect(main_, &now);
    EXPECT_EQ(std::make_pair(now.right - client.right, now.bottom - client.bottom), std::make_pair(dx, dy));
    for (const auto& [sides, ids] : follows) {
      for (int id : ids) {
        const Place& d = designed[id];
        EXPECT_EQ(placeOf(id), (Place{d[0] + sides[0] * dx, d[1] + sides[1] * dy, d[2] + sides[2] * dx,
                                      d[3] + sides[3] * dy}))
            << "grown by " << dx << ", " << dy << ": control " << id;
      }
    }
  };
  // On the screen, where the results' frame was drawn at the designed size,
  // the window's background shows once it has grown.
  auto colourAt = [](LONG x, LONG y) {
    POINT at{x, y};
    ClientToScreen(main_, &at);
    HDC screen = GetDC(nullptr);
    COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
  };
  const Place& frame = designed[IDC_RESULTS_GROUP];
  const LONG aboveList = designed[IDC_RESULTS][1] - 3, leftOfList = frame[0] + 6;
  COLORREF background = CLR_INVALID;
  auto designedFrameShown = [&](bool shown) {
    background = colourAt(leftOfList, aboveList);
    for (LONG in : {1, 2}) {
      if ((colourAt(frame[2] - in, aboveList) != background) != shown ||
          (colourAt(leftOfList, frame[3] - in) != background) != shown) {
        return false;
      }
    }
    return true;
  };
  ASSERT_TRUE(WaitFor([&] { return designedFrameShown(true); })) << "the results' frame is not drawn";

  constexpr UINT kSizeOnly = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
  for (auto [dx, dy] : {std::pair<LONG, LONG>{150, 0}, {150, 90}}) {  // each edge alone
    SetWindowPos(main_, nullptr, 0, 0, width + dx, height + dy, kSizeOnly);
    expectGrownBy(dx, dy);
  }
  EXPECT_TRUE(WaitFor([&] { return designedFrameShown(false); })) << "the results' old frame still shows";

  ShowWindow(main_, SW_MAXIMIZE);
  RECT maximised{};
  GetClientRect(main_, &maximised);
  EXPECT_GT(maximised.right - client.right, 150);
  EXPECT_GT(maximised.bottom - client.bottom, 90);
  expectGrownBy(maximised.right - client.right, maximised.bottom - client.bottom);
  const Place exit = placeOf(IDOK);  // its shadow, where the window just grew
  EXPECT_TRUE(WaitFor([&] { return colourAt(exit[2] - 1, exit[3] - 1) != background; })) << "退出 is not drawn";
  ShowWindow(main_, SW_RESTORE);
  SetWindowPos(main_, nullptr, 0, 0, 10, 10, kSizeOnly);
  expectGrownBy(0, 0);  // held at the designed size
  SetWindowPos(main_, nullptr, window.left, window.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// No button is the default, so Enter in the file-type field is 退出.
TEST_F(MorlindE2e, EnterInTheFileTypeFieldEndsTheProgram) {
  PostMessageW(FileTypeField(), WM_KEYDOWN, VK_RETURN, 1);
  ASSERT_EQ(WaitForSingleObject(process_.hProcess, kPatienceMs), WAIT_OBJECT_0) << "still running after Enter";
  DWORD code = 1234;
  GetExitCodeProcess(process_.hProcess, &code);
  EXPECT_EQ(code, 0u);  // a normal end, not a crash
}

// Names the ANSI code page cannot write, a real folder Ðata beside a link
// Data to a folder outside, a file link to a file outside and a path of
// more than 300 characters, in a prefix of their own: tests/e2e/names-tree.sh
// makes the links from the Unix side first.
class MorlindNames : public MorlindE2e {
 protected:
  static void SetUpTestSuite() {
    cache_ = CacheFolder();
    outside_ = L"C:\\morlind-outside";
    ASSERT_TRUE(fs::exists(cache_ / L"Ðata")) << "the names tree comes from the CTest fixture";
    for (const wchar_t* name : {L"한국.jpg", L"😀.jpg", L"ñandú.jpg", L"Yes.jpg", L"Ýes.jpg"}) {
      std::ofstream(cache_ / name, std::ios::binary) << ContentOf(name);
    }
    deep_ = cache_ / std::wstring(150, L'd') / (std::wstring(150, L'e') + L".jpg");
    fs::path longForm = L"\\\\?\\" + deep_.wstring();
    CreateDirectoryW(longForm.parent_path().c_str(), nullptr);
    std::ofstream(longForm, std::ios::binary) << ContentOf(deep_);
    ASSERT_GT(deep_.wstring().size(), 300u);
    outsideBefore_ = Tree(outside_);
    ASSERT_EQ(outsideBefore_.size(), 3u);
    StartProgram();
  }
  static inline fs::path outside_, deep_;
  static inline Files outsideBefore_;
};

TEST_F(MorlindNames, EveryNameIsListedSavedAndCleanedExactlyAndNothingOutsideIsTouched) {
  Press(IDC_SEARCH);
  const std::wstring deepName = deep_.filename().wstring();
  const Names listed{L"한국.jpg", L"😀.jpg",       L"ñandú.jpg",    L"Yes.jpg", L"Ýes.jpg",
                     L"a.jpg",   L"innocent.jpg", L"deeplink.jpg", deepName};
  EXPECT_EQ(Rows(), listed) << "nothing may come through the link Data";

  SetTick(-1, true);
  PressLater(IDC_SAVE_SELECTED);
  ChooseFolder(WaitForBox(), out_ / "picked");
  Files copies;
  for (const std::wstring& name : listed) {
    copies[name] = name == L"innocent.jpg" || name == L"deeplink.jpg" ? "precious" : ContentOf(name);
  }
  ExpectFiles(out_ / "picked", copies);
  EXPECT_TRUE(TurnsOn(IDC_SEARCH));

  // The second of two names that a best-fit mapping makes one.
  Click(L"Ýes.jpg", kRow);
  PressLater(IDC_SAVE_CURRENT);
  SaveAs(out_ / "saved" / L"ý.jpg");
  ExpectFiles(out_ / "saved", {{L"ý.jpg", ContentOf(L"Ýes.jpg")}});
  EXPECT_TRUE(TurnsOn(IDC_SEARCH));

  // The shell takes no path that long: said, not silently dropped.
  Click(deepName, kRow);
  PressLater(IDC_VIEW_CURRENT);
  EXPECT_EQ(AnswerBox(IDOK), L"此文件的路径太长，系统无法打开它。");

  // The links stay, and so does what they point at.
  Press(IDC_CLEAN);
  Names left = Rows();
  left.erase(L"index.dat");  // the URL cache index, if the program's own WinINet made and holds one
  EXPECT_EQ(left, (Names{L"innocent.jpg", L"deeplink.jpg"}));
  EXPECT_TRUE(fs::exists(cache_ / L"Data"));
  EXPECT_FALSE(fs::exists(cache_ / L"Ðata"));
  EXPECT_FALSE(fs::exists(cache_ / std::wstring(150, L'd')));
  EXPECT_EQ(Tree(outside_), outsideBefore_) << "the clean touched files outside the cache";

  // A copy that cannot be written (a folder holds its name) is said after
  // the save, in the system's words.
  fs::create_directories(out_ / "blocked" / L"innocent.jpg");
  SetTick(RowOf(L"innocent.jpg"), true);
  PressLater(IDC_SAVE_SELECTED);
  ChooseFolder(WaitForBox(), out_ / "blocked");
  const std::wstring said = AnswerBox(IDOK);
  EXPECT_EQ(said.rfind(L"有 1 个文件没有保存：", 0), 0u) << fs::path(said).string();
  EXPECT_GT(said.size(), 14u) << "no reason given";
}

// 2 GB that take no room on the disk, and seconds to copy under Wine.
void MakeLargeFile(const fs::path& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size{};
  size.QuadPart = 2LL << 30;
  SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
}

// The temporary file a copy is written to beside its target, while the
// copy runs.
fs::path CopyUnderWay(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().wstring().rfind(L"~morlind-", 0) == 0 && entry.file_size() > 0) return entry.path();
  }
  return {};
}

// Closing while a large file is copied ends the program at once and leaves
// no partial copy.
TEST_F(MorlindNames, ClosingDuringALargeCopyEndsAtOnceWithoutAPartialTarget) {
  const fs::path big = cache_ / L"大视频.flv";
  MakeLargeFile(big);
  Press(IDC_SEARCH);
  SetTick(RowOf(L"大视频.flv"), true);
  PressLater(IDC_SAVE_SELECTED);
  ChooseFolder(WaitForBox(), out_ / "picked");
  const fs::path copy = out_ / "picked" / L"大视频.flv";
  ASSERT_TRUE(WaitFor([&] { return !CopyUnderWay(out_ / "picked").empty(); })) << "the copy did not start";
  CloseAndExpectTheEndWithin500Ms("a 2 GB copy");
  EXPECT_FALSE(fs::exists(copy)) << "a partial copy was left";
  EXPECT_TRUE(CopyUnderWay(out_ / "picked").empty()) << "the copy's temporary file was left";
  fs::remove(big);
}

// Saves that must never destroy a file, in a prefix of their own:
// tests/e2e/save-tree.sh lays out the folders they copy into from the Unix
// side (a link at a file's name, a folder link to a full tmpfs, a folder
// holding an older copy) and mounts the tmpfs.
class MorlindSafeSave : public MorlindE2e {
 protected:
  static void SetUpTestSuite() {
    saves_ = L"C:\\morlind-save";
    if (!fs::exists(saves_ / "full")) return;  // another prefix: SetUp skips each case
    laidOut_ = true;
    cache_ = CacheFolder();
    for (const auto& entry : fs::directory_iterator(cache_)) fs::remove_all(entry.path());
    std::ofstream(cache_ / L"photo[1].jpg", std::ios::binary) << ContentOf(L"photo[1].jpg");
    // 3 MiB: more than the tmpfs holds.
    std::ofstream(cache_ / L"大文件.flv", std::ios::binary) << std::string(3 << 20, 'f');
    std::ofstream(cache_ / L"gone.txt", std::ios::binary) << "soon gone";
    std::ofstream(cache_ / L"typeless.qqz", std::ios::binary) << "no program opens this";
    MakeLargeFile(cache_ / L"大视频.flv");
    StartProgram();
    Press(IDC_SEARCH);
  }
  void SetUp() override {
    if (!laidOut_) GTEST_SKIP() << "the save folders come from the CTest fixture e2e_save";
  }
  static void TearDownTestSuite() {
    if (!laidOut_) return;  // skipped: the program is another suite's
    MorlindE2e::TearDownTestSuite();
    fs::remove(cache_ / L"大视频.flv");
  }
  // 保存选中 of the one row name into folder.
  static void SaveOnly(const std::wstring& name, const fs::path& folder) {
    SetTick(-1, false);
    SetTick(RowOf(name), true);
    PressLater(IDC_SAVE_SELECTED);
    ChooseFolder(WaitForBox(), folder);
  }
  static inline fs::path saves_;
  static inline bool laidOut_ = false;
};

TEST_F(MorlindSafeSave, ALinkAtTheTargetNameIsReplacedAndWhatItPointsAtStays) {
  SaveOnly(L"photo[1].jpg", saves_ / "links");
  const fs::path copy = saves_ / "links" / L"photo[1].jpg";
  EXPECT_TRUE(WaitFor([&] { return Read(copy) == ContentOf(L"photo[1].jpg"); })) << "no copy came";
  EXPECT_TRUE(TurnsOn(IDC_SEARCH));
  EXPECT_EQ(Read(saves_ / "precious.doc"), "precious") << "the copy was written through the link";
  EXPECT_EQ(Tree(saves_ / "links"), (Files{{L"photo[1].jpg", ContentOf(L"photo[1].jpg")}}));
}

TEST_F(MorlindSafeSave, AFullDiskLeavesTheOldFileAndIsSaid) {
  SaveOnly(L"大文件.flv", saves_ / "full");
  const std::wstring said = AnswerBox(IDOK);
  EXPECT_EQ(said, L"有 1 个文件没有保存：" + SystemWords(ERROR_DISK_FULL)) << fs::path(said).string();
  EXPECT_EQ(Tree(saves_ / "full"), (Files{{L"大文件.flv", "old big file"}}));
}

// Esc, as a user stops it, while a 2 GB copy would replace an older file.
TEST_F(MorlindSafeSave, EscapeDuringALargeCopyLeavesTheOldFile) {
  SaveOnly(L"大视频.flv", saves_ / "esc");
  // Written beside it, or (as it once was) into it.
  const fs::path old = saves_ / "esc" / L"大视频.flv";
  ASSERT_TRUE(WaitFor([&] { return !CopyUnderWay(saves_ / "esc").empty() || Read(old) != "old video"; }))
      << "the copy did not start";
  SetForegroundWindow(main_);
  PressKeys({VK_ESCAPE});
  EXPECT_TRUE(WaitFor([] { return TextOf(Item(IDC_STATUS)) == L"已停止。"; })) << "the copy did not stop";
  EXPECT_TRUE(TurnsOn(IDC_SEARCH));
  EXPECT_EQ(Tree(saves_ / "esc"), (Files{{L"大视频.flv", "old video"}}));
}

// The shell's own boxes for a file gone since the search and a type no
// program takes (Wine's shell says every failure itself; a failure said
// by none is Morlind's to say, which tests/OpenTest.cpp covers).
TEST_F(MorlindSafeSave, AnOpenThatFailsIsSaid) {
  fs::remove(cache_ / L"gone.txt");
  for (const wchar_t* name : {L"gone.txt", L"typeless.qqz"}) {
    Click(name, kRow);
    PressLater(IDC_VIEW_CURRENT);
    HWND box = WaitForShellBox();
    ASSERT_TRUE(box) << "nothing was said opening " << fs::path(name).string();
    const std::wstring said = TextOf(GetDlgItem(box, 0xFFFF));
    std::printf("opening %s said: %s\n", fs::path(name).string().c_str(), fs::path(said).string().c_str());
    EXPECT_FALSE(said.empty());
    PressOk(box);
    Sleep(1000);  // a second box, from Morlind, would come at once
    EXPECT_FALSE(AnyBoxNow()) << "said twice";
  }
}

// A real client's cache: files downloaded with URLDownloadToCacheFileW from
// a local server (tests/e2e/index-server.sh), each with its address in the
// index, in a prefix of their own.
struct Download {
  const wchar_t* path;  // on the server
  std::uintmax_t size;
  SYSTEMTIME accessedUtc;
};
const Download kDownloads[] = {{L"a/clip.flv", 5000, Time(2008, 9, 10, 8)},
                               {L"b/photo.jpg", 1025, Time(2008, 9, 9, 8)},
                               {L"c/empty.txt", 0, Time(2008, 9, 30, 8)},
                               {L"d/page10.htm", 1, Time(2008, 10, 1, 8)},
                               {L"e/page9.htm", 3000000, Time(2008, 9, 1, 8)}};

class MorlindIndex : public MorlindE2e {
 protected:
  static void SetUpTestSuite() {
    cache_ = CacheFolder();
    std::ifstream portFile(L"C:\\morlind-index\\port");
    std::string port;
    ASSERT_TRUE(std::getline(portFile, port)) << "the server comes from the CTest fixture";
    for (const Download& download : kDownloads) {
      std::wstring url = L"http://127.0.0.1:" + fs::path(port).wstring() + L"/" + download.path;
      wchar_t local[MAX_PATH] = {};
      ASSERT_EQ(URLDownloadToCacheFileW(nullptr, url.c_str(), local, MAX_PATH, 0, nullptr), S_OK) << fs::path(url);
      HANDLE file = CreateFileW(local, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
      FILETIME accessed;
      SystemTimeToFileTime(&download.accessedUtc, &accessed);
      ASSERT_TRUE(SetFileTime(file, nullptr, &accessed, nullptr)) << fs::path(local);
      CloseHandle(file);
      names_[fs::path(local).filename().wstring()] = {url, download.size};
    }
    StartProgram();
  }

  // The downloaded files' column texts in the order shown; other files
  // the client keeps in its cache (its index) are left out.
  static std::vector<std::wstring> Shown(int column) {
    std::vector<std::wstring> texts;
    for (int row = 0, n = RowCount(); row < n; ++row) {
      if (names_.count(Cell(row, 0))) texts.push_back(Cell(row, column));
    }
    return texts;
  }
  // A real click on a column's header, scrolled into view first; apart
  // from the last one, so that two make no double click.
  static void ClickHeader(int column) {
    Sleep(GetDoubleClickTime() + 50);
    HWND header = reinterpret_cast<HWND>(Send(List(), LVM_GETHEADER));
    RECT client{};
    GetClientRect(List(), &client);
    Send(header, HDM_GETITEMRECT, column, Put(RECT{}));
    RECT item = Get<RECT>();
    POINT inList{(item.left + item.right) / 2, 0};
    MapWindowPoints(header, List(), &inList, 1);
    if (inList.x < 0 || inList.x >= client.right) Send(List(), LVM_SCROLL, inList.x - client.right / 2, 0);
    Send(header, HDM_GETITEMRECT, column, Put(RECT{}));
    item = Get<RECT>();
    ClickAt(header, {(item.left + item.right) / 2, (item.top + item.bottom) / 2});
  }
  // The cache's name of the download of that size.
  static std::wstring NameOfSize(std::uintmax_t size) {
    for (const auto& [name, download] : names_) {
      if (download.second == size) return name;
    }
    return {};
  }
  static inline std::map<std::wstring, std::pair<std::wstring, std::uintmax_t>> names_;
};

TEST_F(MorlindIndex, RowsShowSizeAndAddressSortByEveryColumnAndKeepTheirTicks) {
  Press(IDC_SEARCH);
  ASSERT_TRUE(WaitFor([] { return Shown(0).size() == std::size(kDownloads); }));
  for (const auto& [name, download] : names_) {
    int row = RowOf(name);
    EXPECT_EQ(Cell(row, 4), download.first);
    wchar_t size[64] = {};
    StrFormatKBSizeW(download.second, size, 64);
    EXPECT_EQ(Cell(row, 3), size) << fs::path(name);
  }
  const std::wstring photo = NameOfSize(1025), page9 = NameOfSize(3000000);
  // The whole address in a tip over the row.
  {
    Send(List(), LVM_ENSUREVISIBLE, RowOf(photo), FALSE);
    RECT cell = SubItemRect(RowOf(photo), 1);
    for (LONG x : {0, 1}) MoveTo(List(), {(cell.left + cell.right) / 2 + x, (cell.top + cell.bottom) / 2});
    HWND tip = WaitForTop([](HWND window) {
      wchar_t kind[32] = {};
      GetClassNameW(window, kind, 32);
      return ProcessOf(window) == process_.dwProcessId && std::wstring(kind) == TOOLTIPS_CLASSW;
    });
    ASSERT_TRUE(tip) << "no tip showed";
    EXPECT_EQ(TextOf(tip), names_[photo].first);
  }
  SetTick(RowOf(photo), true);
  SetTick(RowOf(page9), true);

  // By the served names (digits by number), types, sizes and addresses as
  // the system orders them; times order as numbers do, tested in process.
  const auto byName = [](std::initializer_list<const wchar_t*> stems) {
    std::vector<std::wstring> names;
    for (const wchar_t* stem : stems) {
      for (const auto& [name, download] : names_) {
        if (name.rfind(stem, 0) == 0) names.push_back(name);
      }
    }
    return names;
  };
  const struct {
    int column;
    std::vector<std::wstring> ascending;
  } columns[] = {{0, byName({L"clip[", L"empty[", L"page9[", L"page10[", L"photo["})},
                 {3, byName({L"empty[", L"page10[", L"photo[", L"clip[", L"page9["})},
                 {4, byName({L"clip[", L"photo[", L"empty[", L"page10[", L"page9["})}};
  for (const auto& c : columns) {
    std::vector<std::wstring> descending(c.ascending.rbegin(), c.ascending.rend());
    for (const auto& wanted : {c.ascending, descending}) {
      ClickHeader(c.column);
      EXPECT_TRUE(WaitFor([&] { return TurnsOn(IDC_SEARCH) && Shown(0) == wanted; }));
      EXPECT_EQ(Shown(0), wanted) << "column " << c.column;
    }
  }
  ClickHeader(1);
  const std::vector<std::wstring> types{L"flv", L"htm", L"htm", L"jpg", L"txt"};
  EXPECT_TRUE(WaitFor([&] { return Shown(1) == types; }));
  EXPECT_EQ(Shown(1), types);
  ClickHeader(3);  // by size, as a later search keeps it
  EXPECT_TRUE(WaitFor([&] { return Shown(3).front() == L"0 KB"; }));
  Press(IDC_SEARCH);
  EXPECT_TRUE(WaitFor([&] { return Shown(0) == byName({L"empty[", L"page10[", L"photo[", L"clip[", L"page9["}); }));
  EXPECT_EQ(Shown(3).front(), L"0 KB");

  // Ticks went with their files through every sort, but not through the search.
  EXPECT_TRUE(Rows(Ticked).empty());
  SetTick(RowOf(photo), true);
  SetTick(RowOf(page9), true);
  ClickHeader(0);
  EXPECT_TRUE(WaitFor([&] { return Shown(0).front().rfind(L"clip[", 0) == 0; }));
  EXPECT_EQ(Rows(Ticked), (Names{photo, page9}));
}

// The row menu and the keys from outside: the address and the files on the
// clipboard as other programs read them, a delete answered No and then Yes
// that takes exactly the ticked files and their index entries, but neither
// a file held open nor one behind a link, and Explorer on a file's folder.
TEST_F(MorlindIndex, TheRowMenuAndKeysActOnTheChosenRows) {
  const fs::path outside = L"C:\\morlind-index-outside";
  const Files outsideBefore = Tree(outside);
  SetText(FileTypeField(), L"*");
  Press(IDC_SEARCH);
  ASSERT_TRUE(WaitFor([] { return TurnsOn(IDC_SEARCH) && RowCount() > 5; }));
  Send(List(), LVM_SCROLL, -10000, 0);  // the sorts above left it scrolled to the addresses
  const std::wstring photo = NameOfSize(1025), clip = NameOfSize(5000), page10 = NameOfSize(1);

  Click(photo, kRow);
  PickFromRowMenu(photo, kCopyAddress);
  EXPECT_TRUE(WaitFor([&] { return Clipboard(CF_UNICODETEXT) == std::vector{names_[photo].first}; }));

  SetTick(-1, false);
  for (const std::wstring& name : {photo, page10}) SetTick(RowOf(name), true);
  PickFromRowMenu(clip, kCopyFiles);  // the ticked rows, not the one clicked
  std::vector<std::wstring> copied;
  EXPECT_TRUE(WaitFor([&] { return (copied = Clipboard(CF_HDROP)).size() == 2; })) << Rows(Ticked).size() << " ticked";
  std::set<std::wstring> copiedNames;
  for (const fs::path path : copied) {
    EXPECT_TRUE(fs::exists(path)) << path;
    copiedNames.insert(path.filename().wstring());
  }
  EXPECT_EQ(copiedNames, (std::set<std::wstring>{photo, page10}));

  // Deleting the link and a file held open as well: both stay.
  SetTick(RowOf(L"innocent.jpg"), true);
  SetTick(RowOf(clip), true);
  fs::path clipPath;
  for (const auto& entry : fs::recursive_directory_iterator(cache_)) {
    if (entry.path().filename() == clip) clipPath = entry.path();
  }
  HANDLE held = CreateFileW(clipPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PickFromRowMenu(photo, kDelete);  // answered No
  EXPECT_EQ(AnswerBox(IDNO).rfind(L"确定要删除这 4 个文件（共 ", 0), 0u);
  for (const fs::path path : copied) EXPECT_TRUE(fs::exists(path)) << path;

  KeysToList({VK_DELETE});  // as the item, answered Yes
  AnswerBox(IDYES);
  EXPECT_TRUE(WaitFor([] { return TextOf(Item(IDC_STATUS)) == L"已删除 2 个文件，2 个文件无法删除。"; }))
      << fs::path(TextOf(Item(IDC_STATUS)));
  CloseHandle(held);
  for (const fs::path path : copied) EXPECT_FALSE(fs::exists(path)) << path;
  const Names left = Rows();
  EXPECT_FALSE(left.count(photo) || left.count(page10));
  EXPECT_TRUE(left.count(clip) && left.count(L"innocent.jpg"));
  EXPECT_EQ(Rows(Ticked), (Names{clip, L"innocent.jpg"}));
  std::set<std::wstring> indexed;
  for (const fs::path& file : IndexedFiles()) indexed.insert(file.filename().wstring());
  EXPECT_FALSE(indexed.count(photo) || indexed.count(page10)) << "the index still names a deleted file";
  EXPECT_TRUE(indexed.count(clip));
  EXPECT_EQ(Tree(outside), outsideBefore) << "the delete touched a file outside the cache";
  ASSERT_TRUE(TurnsOn(IDC_SEARCH));
  KeysToList({'C'}, /*withControl=*/true);  // as 复制文件: the two left ticked
  EXPECT_TRUE(WaitFor([&] { return Clipboard(CF_HDROP).size() == 2 && fs::path(Clipboard(CF_HDROP)[0]) != copied[0]; }));
  std::set<std::wstring> onClipboard;
  for (const fs::path path : Clipboard(CF_HDROP)) onClipboard.insert(path.filename().wstring());
  EXPECT_EQ(onClipboard, (std::set<std::wstring>{clip, L"innocent.jpg"}));

  // 打开所在文件夹: Explorer on the clip's folder.
  const std::wstring folder = clipPath.parent_path().filename().wstring();
  PickFromRowMenu(clip, kShowInFolder);
  HWND explorer = WaitForTop([&](HWND window) {
    return ProcessOf(window) != process_.dwProcessId && TextOf(window).find(folder) != std::wstring::npos;
  });
  ASSERT_TRUE(explorer) << "no window showed the folder " << fs::path(folder);
  PostMessageW(explorer, WM_CLOSE, 0, 0);
}

// --- The clean and the delete take nothing but what the user chose ---
// In a prefix of its own (tests/e2e/guard-tree.sh: a drive D: and a link
// C:\morlind-droot to its root): the cache setting pointed at folders that
// are no cache; case twins, files and folders swapped for links while the
// rows show, made from the Unix side as a hostile user would.
class MorlindGuard : public MorlindE2e {
 protected:
  static void SetUpTestSuite() {
    cache_ = CacheFolder();
    ASSERT_TRUE(fs::exists(L"C:\\morlind-guard\\precious.doc")) << "the tree comes from the CTest fixture";
    pic_ = Download(L"http://127.0.0.1/guard/pic.jpg", "pic");
    a_ = Download(L"http://127.0.0.1/guard/a.jpg", "a");
    const fs::path content = cache_ / L"Content.IE5";
    for (const wchar_t* folder : {L"SWAPDIR1", L"KEEPDIR1"}) {
      fs::create_directories(content / folder);
      std::ofstream(content / folder / L"b.jpg", std::ios::binary) << fs::path(folder).string();
    }
    std::ofstream(a_.parent_path() / L"kept.jpg", std::ios::binary) << "kept";
    // The twin, which no Windows call can make beside pic.
    std::wstring twin = pic_.filename().wstring();
    CharUpperBuffW(twin.data(), static_cast<DWORD>(twin.size()));
    twin_ = pic_.parent_path() / twin;
    Unix("printf PIC > '" + UnixPath(pic_.parent_path()) + "/" + twin_.filename().string() + "'");
    StartProgram();
  }

  // A file as a browser leaves it: placed and named by WinINet, indexed.
  static fs::path Download(const wchar_t* url, const std::string& content) {
    wchar_t file[MAX_PATH + 1] = {};
    EXPECT_TRUE(CreateUrlCacheEntryW(url, 0, L"jpg", file, 0));
    std::ofstream(file, std::ios::binary) << content;
    const FILETIME none{};
    EXPECT_TRUE(CommitUrlCacheEntryW(url, file, none, none, NORMAL_CACHE_ENTRY, nullptr, 0, L"jpg", nullptr));
    return file;
  }
  // Wine starts Unix programs too.
  static void Unix(const std::string& command) {
    std::wstring line = L"/bin/sh -c \"" + fs::path(command).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION shell{};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &shell));
    WaitForSingleObject(shell.hProcess, kPatienceMs);
    CloseHandle(shell.hProcess);
    CloseHandle(shell.hThread);
  }
  static std::string UnixPath(const fs::path& path) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
    std::string name = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return name;
  }
  // Names and sizes two levels below a folder (a clean starts at the
  // bottom of the first folder it meets), read without opening a file.
  static std::map<std::wstring, std::uintmax_t> Sizes(const fs::path& root) {
    std::map<std::wstring, std::uintmax_t> sizes;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it.depth() >= 1) it.disable_recursion_pending();
      sizes[it->path().wstring()] = it->is_regular_file(error) ? it->file_size(error) : 0;
    }
    return sizes;
  }
  static void SetCacheSetting(const std::wstring& folder) {
    for (const wchar_t* key : {L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                               L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"}) {
      ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Cache", REG_SZ, folder.c_str(),
                                static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
                ERROR_SUCCESS);
    }
  }
  // The row of a file by its path: a click on a row of its name makes the
  // status line, emptied before, name the highlighted file.
  static int RowOfPath(const fs::path& path) {
    for (int row = 0, n = RowCount(); row < n; ++row) {
      if (Cell(row, 0) != path.filename().wstring()) continue;
      SetText(Item(IDC_STATUS), L"");
      const RECT cell = SubItemRect(row, 1);
      ClickAt(List(), {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
      WaitFor([] { return !TextOf(Item(IDC_STATUS)).empty(); });
      if (TextOf(Item(IDC_STATUS)) == L"当前选中 " + path.wstring()) return row;
    }
    ADD_FAILURE() << "no row " << path;
    return -1;
  }
  static std::set<std::wstring> NamesIn(const fs::path& folder) {
    std::set<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().wstring());
    return names;
  }
  static inline fs::path pic_, a_, twin_;
};

TEST_F(MorlindGuard, ACacheSettingThatNamesNoCacheIsRefusedAndNothingChanges) {
  wchar_t* documents = nullptr;
  ASSERT_EQ(SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &documents), S_OK);
  const fs::path mine = documents;
  CoTaskMemFree(documents);
  std::ofstream(mine / L"letter.doc", std::ios::binary) << "letter";
  const fs::path profile = mine.parent_path();
  for (const fs::path& folder : {mine, profile, fs::path(L"C:\\windows"), fs::path(L"C:\\morlind-droot")}) {
    SetCacheSetting(folder.wstring());
    const auto before = Sizes(folder);
    PressLater(IDC_CLEAN);
    EXPECT_EQ(AnswerBox(IDOK), L"此文件夹不是IE缓存文件夹，没有清理：" + folder.wstring());
    EXPECT_TRUE(TurnsOn(IDC_SEARCH));
    EXPECT_EQ(Sizes(folder), before) << folder;
  }
  EXPECT_TRUE(fs::exists(L"D:\\sentinel.txt"));
  // Listing it harms nothing: the search still shows such a folder.
  SetCacheSetting(mine.wstring());
  Press(IDC_SEARCH);
  EXPECT_TRUE(Rows().count(L"letter.doc"));
  SetCacheSetting(cache_.wstring());
}

TEST_F(MorlindGuard, ADeleteTakesOnlyTheTickedFilesThemselvesAndTheIndexKeepsTheRest) {
  SetCacheSetting(cache_.wstring());  // also when the refusals stopped half-way
  Press(IDC_SEARCH);
  const fs::path content = cache_ / L"Content.IE5", twin = twin_;
  ASSERT_TRUE(NamesIn(pic_.parent_path()).count(twin.filename().wstring())) << "no twin";
  const fs::path swappedFolder = content / L"SWAPDIR1" / L"b.jpg";
  const int twinRow = RowOfPath(twin), aRow = RowOfPath(a_), folderRow = RowOfPath(swappedFolder);
  EXPECT_EQ(Cell(twinRow, 4), L"") << "the twin got pic's address";
  EXPECT_EQ(Cell(RowOfPath(pic_), 4), L"http://127.0.0.1/guard/pic.jpg");
  // Meanwhile pic becomes a link out of the cache, a a link to kept.jpg
  // beside it, SWAPDIR1 a link to KEEPDIR1.
  Unix("ln -sfn '" + UnixPath(L"C:\\morlind-guard\\precious.doc") + "' '" + UnixPath(pic_) + "'");
  Unix("ln -sfn kept.jpg '" + UnixPath(a_) + "'");
  Unix("mv '" + UnixPath(content / L"SWAPDIR1") + "' '" + UnixPath(L"C:\\morlind-guard") + "/' && ln -s KEEPDIR1 '" +
       UnixPath(content) + "/SWAPDIR1'");
  const std::set<fs::path> indexed = IndexedFiles();

  SetTick(-1, false);
  for (int row : {twinRow, aRow, folderRow}) SetTick(row, true);
  KeysToList({VK_DELETE});
  AnswerBox(IDYES);
  EXPECT_TRUE(WaitFor([] { return TextOf(Item(IDC_STATUS)) == L"已删除 1 个文件，2 个文件无法删除。"; }))
      << fs::path(TextOf(Item(IDC_STATUS)));
  EXPECT_EQ(NamesIn(pic_.parent_path()).count(twin.filename().wstring()), 0u) << "the twin stayed";
  EXPECT_TRUE(NamesIn(pic_.parent_path()).count(pic_.filename().wstring()));
  EXPECT_EQ(Tree(L"C:\\morlind-guard"), (Files{{L"precious.doc", "precious"}, {L"SWAPDIR1", ""}, {L"SWAPDIR1\\b.jpg", "SWAPDIR1"}}));
  EXPECT_EQ(Tree(content / L"KEEPDIR1"), (Files{{L"b.jpg", "KEEPDIR1"}}));
  EXPECT_EQ(Tree(a_.parent_path()).at(L"kept.jpg"), "kept");
  EXPECT_EQ(IndexedFiles(), indexed) << "an index entry went with a file that stayed";
  ASSERT_TRUE(TurnsOn(IDC_SEARCH));

  // The clean leaves the links and what they lead to outside.
  Press(IDC_CLEAN);
  Names left = Rows();
  left.erase(L"index.dat");
  left.erase(a_.filename().wstring());  // a link whose target the clean took as itself, if listed
  EXPECT_EQ(left, Names{pic_.filename().wstring()});
  EXPECT_EQ(Tree(L"C:\\morlind-guard").at(L"precious.doc"), "precious");
  EXPECT_EQ(Tree(L"C:\\morlind-guard").at(L"SWAPDIR1\\b.jpg"), "SWAPDIR1");
}

// Run once per prefix DPI (MORLIND_DPI, 96 when unset): the dialog grows
// with the DPI, and so must the columns, or the access times get cut.
class MorlindDpi : public MorlindE2e {};

TEST_F(MorlindDpi, ColumnsGrowWithTheDpi) {
  const char* wanted = getenv("MORLIND_DPI");
  const int dpi = wanted ? atoi(wanted) : 96;
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSX), dpi) << "the prefix is not at that DPI";
  ReleaseDC(nullptr, screen);
  const std::map<int, std::array<int, 3>> widths{{96, {265, 60, 120}}, {144, {398, 90, 180}}, {192, {530, 120, 240}}};
  ASSERT_TRUE(widths.count(dpi));
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(Send(List(), LVM_GETCOLUMNWIDTH, column), widths.at(dpi)[column]) << column;
  }
  Press(IDC_SEARCH);
  int textWidth = static_cast<int>(Send(List(), LVM_GETSTRINGWIDTHW, 0, PutText(Cell(RowOf(L"photo[1].jpg"), 2))));
  EXPECT_LT(textWidth, widths.at(dpi)[2]) << "the access time does not fit its column";
}

// The browsers' caches beside the IE cache, in a prefix of their own where
// tests/e2e/browsers-tree.sh put the caches the real browsers wrote. Each
// holds every file the page served (tests/data/caches/served/).
struct BrowserCache {
  const wchar_t* source;  // as listed
  const wchar_t* folder;  // below the local application data
  const wchar_t* origin;  // of the page; Firefox's is kept beside its cache
  const wchar_t* held;    // a file another program holds without sharing
  bool readWholeAnyway = false;  // as the simple cache is without its index
  const wchar_t* heldNote = L"的缓存无法完整读取。";
};
const BrowserCache kBrowserCaches[] = {
    {L"Chrome（Default）", L"Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data", L"http://127.0.0.1:8731", L"index"},
    {L"Chrome（Profile 1）", L"Google\\Chrome\\User Data\\Profile 1\\Cache\\Cache_Data", L"http://127.0.0.1:8731",
     L"089b05afba7c0f97_0"},
    {L"Edge", L"Microsoft\\Edge\\User Data\\Default\\Cache\\Cache_Data", L"http://127.0.0.1:8731", L"index", true},
    {L"Chrome（Profile 2）", L"Google\\Chrome\\User Data\\Profile 2\\Cache\\Cache_Data", L"http://127.0.0.1:8731",
     L"sqldb1", false, L"的缓存正被浏览器占用，关闭浏览器后再搜索。"},
    {L"Firefox", L"Mozilla\\Firefox\\Profiles\\sample.default-release\\cache2", nullptr,
     L"entries\\1C3FF0112E3F36245E56CDF9016CBB822A6EE3F4"}};
constexpr int kCaches = static_cast<int>(std::size(kBrowserCaches));
enum Cache { kChrome = 0, kEdge = 2, kSql = 3, kFirefox = 4 };
// The names the served files are listed and saved under, in the manifest's order.
const wchar_t* const kServedNames[] = {L"photo.jpg", L"big.jpg", L"logo.png", L"logo.png", L"dot.gif", L"noext.png",
                                       L"猫.png", L"app.js", L"site.css", L"list.json", L"more.json", L"index.html"};
enum Served { kPhoto = 0, kBig = 1, kScript = 7, kStyle = 8, kBrotli = 9 };
const std::wstring kHintText = L"设置搜索条件，点击搜索就可以找到IE缓存中符合条件的文件。如果文件过多，可以先清理IE缓存。";

class MorlindBrowsers : public MorlindE2e {
 protected:
  struct File {
    std::wstring name, path;  // the path as the page wrote it
    std::string body;         // decoded
    std::uintmax_t stored;    // still encoded, as the cache holds it
  };
  // Open and locked as a running browser's SQLite holds them: reading and
  // writing shared, the lock bytes at 1 GB taken; closing (at the latest at
  // the end) lets them go.
  static void HoldSqlDatabases() {
    for (const char* name : {"sqldb0", "sqldb1", "sqldb2"}) {
      sqlLocks_.push_back(CreateFileW((folders_[kSql] / name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
      OVERLAPPED at{};
      at.Offset = 0x40000000;
      EXPECT_TRUE(LockFileEx(sqlLocks_.back(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 512, 0, &at));
    }
  }
  static void SetUpTestSuite() {
    MorlindE2e::SetUpTestSuite();
    const fs::path data = MORLIND_TEST_DATA "/caches";
    const std::string firefox = Read(data / "firefox-sent" / "origin");
    wchar_t local[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local), S_OK);
    for (const BrowserCache& cache : kBrowserCaches) {
      folders_.push_back(fs::path(local) / cache.folder);
      ASSERT_TRUE(fs::exists(folders_.back())) << "the caches come from the CTest fixture e2e_browsers";
      before_.push_back(Tree(folders_.back()));
      origins_.push_back(cache.origin ? cache.origin : fs::path(firefox.substr(0, firefox.find('\n'))).wstring());
    }
    std::ifstream manifest(data / "served" / "manifest.tsv");
    std::string line, index, path, type, encoding;
    std::getline(manifest, line);  // the headings
    for (const wchar_t* name : kServedNames) {
      ASSERT_TRUE(std::getline(manifest, line));
      std::istringstream fields(line);
      for (std::string* field : {&index, &path, &type, &encoding}) std::getline(fields, *field, '\t');
      const std::string body = Read(data / "served" / (index + ".body"));
      const fs::path sent = data / "firefox-sent" / (index + ".body");  // as encoded
      files_.push_back({name, fs::path(path).wstring(), body, encoding.empty() ? body.size() : fs::file_size(sent)});
    }
    HoldSqlDatabases();
  }
  static std::wstring Address(int cache, int file) { return origins_[cache] + files_[file].path; }
  // Every row's texts, read once.
  using Texts = std::vector<std::array<std::wstring, 6>>;
  static Texts Table() {
    Texts texts(static_cast<std::size_t>(RowCount()));
    for (std::size_t row = 0; row < texts.size(); ++row) {
      for (int column = 0; column < 6; ++column) texts[row][column] = Cell(static_cast<int>(row), column);
    }
    return texts;
  }
  // The rows of a source, or of one of its entries.
  static std::vector<int> RowsOf(const std::wstring& source, const std::wstring& address = {}) {
    std::vector<int> rows;
    const Texts texts = Table();
    for (std::size_t row = 0; row < texts.size(); ++row) {
      if (texts[row][5] == source && (address.empty() || texts[row][4] == address)) rows.push_back(static_cast<int>(row));
    }
    return rows;
  }
  using MorlindE2e::RowOf;
  static int RowOf(int cache, int file) {
    std::vector<int> rows = RowsOf(kBrowserCaches[cache].source, Address(cache, file));
    EXPECT_EQ(rows.size(), 1u) << fs::path(Address(cache, file)) << " of " << fs::path(kBrowserCaches[cache].source);
    return rows.empty() ? -1 : rows[0];
  }
  // A click on the row's type, apart from the last click: two at one
  // place make a double click, which opens the row.
  static void Highlight(int row) {
    Sleep(GetDoubleClickTime() + 50);
    const bool ticked = Ticked(row);
    Click(row, kRow);
    EXPECT_EQ(Ticked(row), ticked) << "a click on a row's type changed its tick";
  }
  static std::wstring Status() { return TextOf(Item(IDC_STATUS)); }

  static inline std::vector<fs::path> folders_;
  static inline std::vector<Files> before_;
  static inline std::vector<std::wstring> origins_;
  static inline std::vector<File> files_;
  static inline fs::path scratch_;
  static inline std::vector<HANDLE> sqlLocks_;
};

TEST_F(MorlindBrowsers, EveryServedFileIsOneRowOfEachCacheUnderItsSource) {
  Press(IDC_SEARCH);
  const Texts texts = Table();
  for (int cache = 0; cache < kCaches; ++cache) {
    for (int file = 0; file < static_cast<int>(files_.size()); ++file) {
      const std::wstring where = std::wstring(kBrowserCaches[cache].source) + L" " + Address(cache, file);
      SCOPED_TRACE(fs::path(where).string());
      const auto row = [&](const auto& texts) { return texts[5] + L" " + texts[4] == where; };
      ASSERT_EQ(std::count_if(texts.begin(), texts.end(), row), 1);
      const auto& shown = *std::find_if(texts.begin(), texts.end(), row);
      wchar_t size[64] = {};
      StrFormatKBSizeW(files_[file].stored, size, 64);
      EXPECT_EQ(shown[0], files_[file].name);
      EXPECT_EQ(L"." + shown[1], fs::path(files_[file].name).extension().wstring());
      EXPECT_EQ(shown[3], size);
      EXPECT_TRUE(std::regex_match(shown[2], std::wregex(L"20\\d\\d-\\d\\d?-\\d\\d? \\d\\d?:\\d\\d?:\\d\\d?")));
    }
  }
  EXPECT_EQ(Cell(RowOf(L"photo[1].jpg"), 5), L"IE");
  for (int cache = 0; cache < kCaches; ++cache) {
    Highlight(RowOf(cache, kPhoto));
    const std::wstring said = L"当前选中 " + std::wstring(kBrowserCaches[cache].source) + L" " + Address(cache, kPhoto);
    EXPECT_TRUE(WaitFor([&] { return Status() == said; })) << fs::path(Status());  // on the click, after the selection
  }
}

// Decoded, as the server sent them; of two of one name the later is numbered.
TEST_F(MorlindBrowsers, SavesWriteTheServedBodies) {
  for (int cache = 0; cache < kCaches; ++cache) {
    const std::wstring source = kBrowserCaches[cache].source;
    SetTick(-1, false);
    const std::vector<int> rows = RowsOf(source);
    for (int row : rows) SetTick(row, true);
    const fs::path folder = out_ / "picked" / std::to_wstring(cache);
    fs::create_directories(folder);
    ASSERT_TRUE(TurnsOn(IDC_SAVE_SELECTED));
    PressLater(IDC_SAVE_SELECTED);
    ChooseFolder(WaitForBox(), folder);
    EXPECT_TRUE(WaitFor([&] { return TurnsOn(IDC_SEARCH) && Tree(folder).size() == rows.size(); })) << fs::path(source);
    for (const File& served : files_) {
      const fs::path name = served.name, second = name.stem().wstring() + L" (2)" + name.extension().wstring();
      EXPECT_TRUE(Read(folder / name) == served.body || Read(folder / second) == served.body)
          << fs::path(source + L" " + served.path) << " was not saved as served";
    }
  }
  // 保存当前: a brotli body, and one kept in a file of its own.
  for (auto [cache, file] : {std::pair{kFirefox, kBrotli}, {kChrome, kBig}}) {
    Highlight(RowOf(cache, file));
    PressLater(IDC_SAVE_CURRENT);
    const fs::path target = out_ / "saved" / files_[file].name;
    SaveAs(target);
    EXPECT_TRUE(WaitFor([&] { return Read(target) == files_[file].body; })) << target;
    EXPECT_TRUE(TurnsOn(IDC_SEARCH));
  }
}

// As files in the program's own temporary folder: 打开 shows the decoded
// body (the fixture makes .json a text file), 复制文件 hands them over.
TEST_F(MorlindBrowsers, OpenAndCopyHandOverTheBodiesAsFilesOfTheirOwn) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  scratch_ = fs::path(temp) / L"Morlind" / std::to_wstring(process_.dwProcessId);
  SetTick(-1, false);
  Highlight(RowOf(kEdge, kBrotli));
  PickFromRowMenu(RowOf(kEdge, kBrotli), kOpen);
  HWND shown = WaitForTop([](HWND window) {
    return ProcessOf(window) != process_.dwProcessId && TextOf(window).find(L"list.json") != std::wstring::npos;
  });
  ASSERT_TRUE(shown) << "no window showed the opened body";
  PostMessageW(shown, WM_CLOSE, 0, 0);
  std::multiset<std::string> bodies;
  for (const auto& entry : fs::recursive_directory_iterator(scratch_)) bodies.insert(Read(entry.path()));
  EXPECT_EQ(bodies.count(files_[kBrotli].body), 1u) << scratch_;

  SetTick(RowOf(kFirefox, kScript), true);
  SetTick(RowOf(kFirefox, kStyle), true);
  PickFromRowMenu(RowOf(kFirefox, kPhoto), kCopyFiles);  // the ticked rows
  std::vector<std::wstring> copied;
  EXPECT_TRUE(WaitFor([&] { return (copied = Clipboard(CF_HDROP)).size() == 2; }));
  bodies.clear();
  for (const std::wstring& path : copied) {
    EXPECT_EQ(path.rfind(scratch_.wstring(), 0), 0u) << fs::path(path);
    bodies.insert(Read(path));
  }
  EXPECT_EQ(bodies, (std::multiset{files_[kScript].body, files_[kStyle].body}));
}

// Only the IE file goes; the browsers' rows stay and are counted. With
// only those chosen the item is greyed: Enter on it asks nothing.
TEST_F(MorlindBrowsers, DeleteTakesTheIeFileAndCountsTheBrowserRows) {
  SetTick(-1, false);
  const int chrome = RowOf(kChrome, kPhoto);
  SetTick(chrome, true);
  SetTick(RowOf(kFirefox, kPhoto), true);
  PickFromRowMenu(chrome, kDelete);
  Sleep(1000);
  EXPECT_FALSE(AnyBoxNow()) << "a greyed 删除选中的文件 was taken";
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu && IsWindowVisible(menu) && ProcessOf(menu) == process_.dwProcessId) PressKeys({VK_ESCAPE});

  SetTick(RowOf(L"photo[1].jpg"), true);
  PickFromRowMenu(chrome, kDelete);
  EXPECT_EQ(AnswerBox(IDYES).rfind(L"确定要删除这 3 个文件", 0), 0u);
  EXPECT_TRUE(WaitFor([] { return Status() == L"已删除 1 个文件，2 个文件无法删除。"; })) << fs::path(Status());
  EXPECT_FALSE(fs::exists(cache_ / L"Content.IE5\\AB12CD34\\photo[1].jpg"));
  EXPECT_EQ(Rows(Ticked), (Names{L"photo.jpg", L"photo.jpg"}));
}

// Named on the status line while the others list; a later search that
// reads everything brings the hint back.
TEST_F(MorlindBrowsers, ACacheHeldWithoutSharingIsNamedWhileTheOthersList) {
  for (int cache = 0; cache < kCaches; ++cache) {
    const BrowserCache& held = kBrowserCaches[cache];
    const fs::path path = folders_[cache] / held.held;
    for (HANDLE sql : cache == kSql ? std::exchange(sqlLocks_, {}) : std::vector<HANDLE>{}) CloseHandle(sql);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    Press(IDC_SEARCH);
    EXPECT_EQ(Status(), held.readWholeAnyway ? kHintText : held.source + std::wstring(held.heldNote)) << path;
    for (int other = 0; other < kCaches; ++other) {
      const std::size_t wanted = other == cache && !held.readWholeAnyway ? 0 : files_.size();
      EXPECT_GE(RowsOf(kBrowserCaches[other].source).size(), wanted) << fs::path(kBrowserCaches[other].source);
    }
    CloseHandle(file);
    if (cache == kSql) HoldSqlDatabases();
  }
}

// No message box: the browsers' rows show and the status line says it.
TEST_F(MorlindBrowsers, WithoutTheIeCacheFolderTheBrowserRowsStillShow) {
  const fs::path away = cache_.wstring() + L".away";
  fs::rename(cache_, away);
  Press(IDC_SEARCH);
  EXPECT_FALSE(AnyBoxNow());
  EXPECT_EQ(Status(), L"找不到IE缓存文件夹。");
  EXPECT_TRUE(RowsOf(L"IE").empty());
  EXPECT_GE(RowCount(), kCaches * static_cast<int>(files_.size()));
  fs::remove_all(cache_);  // should WinINet have made it again
  fs::rename(away, cache_);
}

// 导出列表…: the list as the window shows it, and each IE row's path, are
// written here for tests/e2e/check-export.py to compare with the file as
// Python's csv module reads it; an IE address holds a comma, quotes and a
// line break. A target another program holds open stays, and is said.
TEST_F(MorlindBrowsers, TheListIsExportedAsATableAndAFailedWriteIsSaid) {
  const std::wstring odd = L"http://127.0.0.1:8731/odd.txt?a,b=\"c\"\r\nd";
  wchar_t local[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryW(odd.c_str(), 0, L"txt", local, 0));
  ASSERT_TRUE(CommitUrlCacheEntryW(odd.c_str(), local, {}, {}, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
  Press(IDC_SEARCH);
  std::map<std::wstring, std::wstring> paths;
  for (const auto& entry : fs::recursive_directory_iterator(cache_)) paths[entry.path().filename()] = entry.path();
  std::wstring shown;
  for (const auto& row : Table()) {
    for (const std::wstring& text : row) shown += text + L"\x1f";
    shown += (row[5] == L"IE" ? paths[row[0]] : L"") + L"\x1e";
  }
  ASSERT_NE(shown.find(odd), std::wstring::npos);
  const std::u8string utf8 = fs::path(shown).u8string();
  std::ofstream(out_ / "list.shown", std::ios::binary).write(reinterpret_cast<const char*>(utf8.data()), utf8.size());
  PickFromRowMenu(0, kExport);
  SaveAs(out_ / "list.csv");
  EXPECT_TRUE(WaitFor([&] { return TurnsOn(IDC_SEARCH) && fs::exists(out_ / "list.csv"); }));

  std::ofstream(out_ / "held.csv") << "old";
  HANDLE held = CreateFileW((out_ / "held.csv").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  PickFromRowMenu(0, kExport);
  HWND dialog = WaitForBox();
  SetText(GetDlgItem(dialog, 0x47c), (out_ / "held.csv").wstring());
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  HWND replace = WaitForTop([&](HWND window) { return IsBox(window) && window != dialog; });
  ASSERT_TRUE(replace) << "no question before replacing";
  PostMessageW(replace, WM_COMMAND, IDYES, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(AnswerBox(IDOK), L"无法导出列表：" + SystemWords(ERROR_ACCESS_DENIED));
  CloseHandle(held);
  EXPECT_EQ(Read(out_ / "held.csv"), "old");
}

// Byte for byte; the program's own temporary folder goes with it.
TEST_F(MorlindBrowsers, TheCachesAreUnchangedAndTheTemporaryFolderGoesAtTheEnd) {
  for (int cache = 0; cache < kCaches; ++cache) {
    EXPECT_TRUE(Tree(folders_[cache]) == before_[cache]) << fs::path(kBrowserCaches[cache].source) << " changed";
  }
  ASSERT_TRUE(fs::exists(scratch_)) << scratch_;
  PostMessageW(main_, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(process_.hProcess, kPatienceMs), WAIT_OBJECT_0);
  EXPECT_FALSE(fs::exists(scratch_)) << scratch_;
}

}  // namespace
