// The main dialog as a user meets it: created in process on the real file
// system and clock, with the internet-cache folder moved to a prepared
// folder and the user-interface services faked.
#include "ui/MainDlg.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <vector>

#include "platform/Win32Platform.h"
#include "res/resource.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"
#include "tests/WindowTestSupport.h"
#include "ui/WideText.h"

namespace morlind {
namespace {

class CachePlatform : public Win32Platform {
 public:
  std::optional<std::string> cacheFolder;
  std::optional<std::string> SpecialFolderPath(int csidl) override {
    if (csidl == kInternetCacheFolder) return cacheFolder;
    return Win32Platform::SpecialFolderPath(csidl);
  }
};

void RemoveAll(const std::string& dir) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = dir + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveAll(child);
      } else {
        DeleteFileA(child.c_str());
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(dir.c_str());
}

class MainDlgTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::InitCommonControlsOnce(); }

  MainDlgTest() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    root = std::string(temp) + "morlind-ui-" + std::to_string(GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(root.c_str(), nullptr);
    platform.cacheFolder = root;
  }
  ~MainDlgTest() override {
    dialog.DestroyWindow();
    RemoveAll(root);
  }
  void SetUp() override {
    ASSERT_TRUE(dialog.Create());
    hwnd = dialog.GetSafeHwnd();
    test::PumpMessages(hwnd);
  }

  // A file below the cache folder; the name is UTF-8, stored as ANSI.
  std::string Write(const std::string& relativeUtf8) {
    std::string path = root;
    std::string relative = WideToAnsi(Utf8ToWide(relativeUtf8));
    for (std::size_t start = 0;;) {
      std::size_t slash = relative.find('\\', start);
      if (slash == std::string::npos) break;
      CreateDirectoryA((root + "\\" + relative.substr(0, slash)).c_str(), nullptr);
      start = slash + 1;
    }
    path += "\\" + relative;
    std::ofstream(path, std::ios::binary) << "x";
    return path;
  }

  static void SetAccess(const std::string& path, std::uint64_t fileTime) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME access{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    SetFileTime(file, nullptr, &access, nullptr);
    CloseHandle(file);
  }

  HWND Item(int id) const { return GetDlgItem(hwnd, id); }
  void Click(int id) {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    test::PumpMessages(hwnd);
  }

  int ListCount() const { return static_cast<int>(SendMessageW(Item(IDC_RESULTS), LVM_GETITEMCOUNT, 0, 0)); }
  std::wstring ListText(int row, int column) const {
    wchar_t text[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(Item(IDC_RESULTS), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
  }
  bool ListChecked(int row) const {
    return SendMessageW(Item(IDC_RESULTS), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) ==
           INDEXTOSTATEIMAGEMASK(2);
  }
  // Name column → type column, as the list shows them.
  std::map<std::wstring, std::wstring> Shown() const {
    std::map<std::wstring, std::wstring> shown;
    for (int row = 0; row < ListCount(); ++row) shown[ListText(row, 0)] = ListText(row, 1);
    return shown;
  }
  void SelectRow(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Item(IDC_RESULTS), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  // A left click at a point of the list's client area, as the mouse gives it.
  void ClickList(POINT at) {
    HWND list = Item(IDC_RESULTS);
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    test::PumpMessages(hwnd);
  }
  std::optional<POINT> CheckBoxOf(int row) const {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(Item(IDC_RESULTS), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    for (LONG x = bounds.left; x < bounds.left + 40; ++x) {
      LVHITTESTINFO hit{};
      hit.pt = POINT{x, (bounds.top + bounds.bottom) / 2};
      if (SendMessageW(Item(IDC_RESULTS), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
          (hit.flags & LVHT_ONITEMSTATEICON)) {
        return hit.pt;
      }
    }
    return std::nullopt;
  }
  void SetPicker(int id, Moment moment) {
    CDateTimeCtrl picker;
    picker.Attach(Item(id));
    picker.SetTime(platform, moment);
  }

  std::string root;
  CachePlatform platform;
  test::FakeUi ui;
  CMainDlg dialog{platform, ui};
  HWND hwnd = nullptr;
};

TEST_F(MainDlgTest, ShowsEveryControlWhereTheTemplatePutsIt) {
  struct Expected {
    int id;
    const wchar_t* kind;
    const char* text;
    RECT units;  // x, y, width, height
  };
  const Expected controls[] = {
      {-1, L"Static", "文件类型：", {17, 21, 41, 8}},
      {IDC_FILE_TYPE, L"ComboBox", "*", {66, 17, 48, 102}},
      {IDC_SEARCH, L"Button", "搜索", {280, 57, 50, 18}},
      {IDC_SAVE_CURRENT, L"Button", "保存当前", {276, 232, 50, 14}},
      {IDC_CLEAN, L"Button", "清理IE缓存", {280, 34, 50, 18}},
      {IDC_ABOUT, L"Button", "关于", {280, 11, 50, 18}},
      {IDOK, L"Button", "退出", {286, 293, 50, 18}},
      {-1, L"Static", "访问时间：", {17, 37, 41, 8}},
      {IDC_START_DATE, L"SysDateTimePick32", nullptr, {122, 33, 73, 15}},
      {IDC_END_DATE, L"SysDateTimePick32", nullptr, {122, 53, 73, 15}},
      {IDC_START_TIME, L"SysDateTimePick32", nullptr, {201, 33, 48, 15}},
      {IDC_END_TIME, L"SysDateTimePick32", nullptr, {201, 53, 48, 15}},
      {IDC_RESULTS, L"SysListView32", "", {16, 93, 310, 131}},
      {IDC_SELECT_ALL, L"Button", "全选", {15, 234, 32, 10}},
      {IDC_SELECT_NONE, L"Button", "全不选", {87, 234, 40, 10}},
      {IDC_INVERT, L"Button", "反选", {51, 234, 32, 10}},
      {IDC_STATUS, L"Edit", nullptr, {7, 257, 328, 28}},
      {IDC_SAVE_SELECTED, L"Button", "保存选中", {137, 232, 50, 14}},
      {IDC_NO_LIMIT, L"Button", "不限", {65, 37, 32, 10}},
      {IDC_MATCH_WINDOW, L"Button", "符合条件", {65, 54, 48, 10}},
      {IDC_VIEW_CURRENT, L"Button", "查看当前", {220, 232, 50, 14}},
      {-1, L"Button", "搜索条件", {7, 7, 259, 68}},
      {-1, L"Button", "搜索结果", {7, 80, 328, 171}},
      {IDC_HOMEPAGE, L"Static", nullptr, {7, 300, 149, 8}},
  };

  EXPECT_EQ(test::TextOf(hwnd), L"Morlind V2.0");
  RECT client{};
  GetClientRect(hwnd, &client);
  RECT size = test::DialogUnits(hwnd, 0, 0, 344, 317);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);

  // Children in creation order, which is also the tab order.
  HWND child = GetWindow(hwnd, GW_CHILD);
  for (const Expected& expected : controls) {
    SCOPED_TRACE(expected.text ? expected.text : "control " + std::to_string(expected.id));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), expected.id);
    wchar_t kind[64] = {};
    GetClassNameW(child, kind, 64);
    EXPECT_EQ(_wcsicmp(kind, expected.kind), 0) << WideToUtf8(kind);
    if (expected.text) {
      EXPECT_EQ(test::TextOf(child), Utf8ToWide(expected.text));
    }

    RECT want = test::DialogUnits(hwnd, expected.units.left, expected.units.top,
                                  expected.units.right, expected.units.bottom);
    RECT got = test::ClientRectOf(hwnd, child);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    // A drop-down's template height is that of its open list, which the
    // system sizes to its items.
    if (expected.id != IDC_FILE_TYPE) {
      EXPECT_EQ(got.bottom, want.bottom);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);

  // The link label names the site that the shell will open.
  std::wstring label = test::TextOf(Item(IDC_HOMEPAGE));
  EXPECT_EQ(label.substr(0, 1), L"『");
  std::wstring address = Utf8ToWide(kHomePageAddress);
  ASSERT_GE(label.size(), address.size());
  EXPECT_EQ(label.substr(label.size() - address.size()), address);
  EXPECT_EQ(label.substr(label.size() - address.size() - 1, 1), L"』");
  // ... and shows it whole, on its one line.
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  RECT labelRect{};
  GetClientRect(Item(IDC_HOMEPAGE), &labelRect);
  EXPECT_LE(extent.cx, labelRect.right);
}

TEST_F(MainDlgTest, StartsReadyToSearchEverythingWithTheRowButtonsOff) {
  const char* types[] = {"*", "flv", "wmv", "wma", "mp3", "swf", "jpg", "mid"};
  HWND combo = Item(IDC_FILE_TYPE);
  ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 8);
  for (int i = 0; i < 8; ++i) {
    wchar_t text[16] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), Utf8ToWide(types[i]));
  }
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);

  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_NO_LIMIT), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_MATCH_WINDOW), BST_UNCHECKED);
  for (int id : {IDC_START_DATE, IDC_END_DATE, IDC_START_TIME, IDC_END_TIME, IDC_VIEW_CURRENT,
                 IDC_SAVE_SELECTED, IDC_SAVE_CURRENT}) {
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
  }
  for (int id : {IDC_SEARCH, IDC_CLEAN, IDC_ABOUT, IDOK, IDC_RESULTS}) EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
  EXPECT_EQ(test::TextOf(Item(IDC_STATUS)),
            Utf8ToWide("设置搜索条件，点击搜索就可以找到IE缓存中符合条件的文件。如果文件过多，可以先清理IE缓存。"));
  EXPECT_EQ(GetFocus(), GetWindow(Item(IDC_FILE_TYPE), GW_CHILD));

  // The start pickers show one hour before the end pickers.
  auto seconds = [&](int id) {
    SYSTEMTIME time{};
    SendMessageW(Item(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    return static_cast<long long>((static_cast<ULONGLONG>(file.dwHighDateTime) << 32 | file.dwLowDateTime) /
                                  10'000'000);
  };
  EXPECT_NEAR(seconds(IDC_END_DATE) - seconds(IDC_START_DATE), 3600, 1);
  EXPECT_NEAR(seconds(IDC_END_TIME) - seconds(IDC_START_TIME), 3600, 1);

  HWND list = Item(IDC_RESULTS);
  EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);
  const std::pair<const char*, int> columns[] = {{"文件名", 265}, {"文件类型", 60}, {"访问时间", 120}};
  for (int i = 0; i < 3; ++i) {
    wchar_t heading[32] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = heading;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::wstring(heading), Utf8ToWide(columns[i].first));
    EXPECT_EQ(column.cx, columns[i].second);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  EXPECT_EQ(ListCount(), 0);

  // The about entry after a separator at the end of the system menu.
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t entry[64] = {};
  GetMenuStringW(menu, IDM_ABOUTBOX, entry, 64, MF_BYCOMMAND);
  EXPECT_EQ(std::wstring(entry), Utf8ToWide("关于 Morlind V2.0(&A)..."));
  EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);

  EXPECT_NE(dialog.Icon(), nullptr);
  EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(dialog.Icon()));
  EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(dialog.Icon()));
}

TEST_F(MainDlgTest, SearchWithStarListsEveryFileOfTheCache) {
  std::string photo = Write("Content.IE5\\AB12CD34\\photo[1].jpg");
  SetAccess(photo, test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45));
  Write("Content.IE5\\AB12CD34\\clip[2].flv");
  Write("Content.IE5\\EF56GH78\\README");
  Write("Content.IE5\\EF56GH78\\截图.png");
  Write("archive.tar.gz");

  Click(IDC_SEARCH);

  EXPECT_TRUE(ui.appMessages.empty());
  EXPECT_EQ(dialog.Criteria().extension, "*");
  EXPECT_EQ(Shown(), (std::map<std::wstring, std::wstring>{{L"photo[1].jpg", L"jpg"},
                                                          {L"clip[2].flv", L"flv"},
                                                          {L"README", L""},
                                                          {Utf8ToWide("截图.png"), L"png"},
                                                          {L"archive.tar.gz", L"gz"}}));
  for (int row = 0; row < ListCount(); ++row) {
    std::string path = dialog.Table().PathOf(row);
    EXPECT_EQ(AnsiToWide(path.substr(path.rfind('\\') + 1)), ListText(row, 0));
    EXPECT_FALSE(ListChecked(row));
  }

  MORLIND_USE_ZONE("Asia/Shanghai");
  std::map<std::wstring, std::wstring> times;
  for (int row = 0; row < ListCount(); ++row) times[ListText(row, 0)] = ListText(row, 2);
  EXPECT_EQ(times[L"photo[1].jpg"], L"2008-9-26 1:6:45");
}

TEST_F(MainDlgTest, TypedEndingWinsOverTheListSelection) {
  Write("a.jpg");
  Write("b.swf");
  Write("sub\\c.JPG");
  Write("d.图片");

  SendMessageW(Item(IDC_FILE_TYPE), CB_SETCURSEL, 5, 0);  // "swf"
  SetWindowTextW(Item(IDC_FILE_TYPE), L"jpg");
  Click(IDC_SEARCH);
  EXPECT_EQ(dialog.Criteria().extension, "jpg");
  EXPECT_EQ(Shown(), (std::map<std::wstring, std::wstring>{{L"a.jpg", L"jpg"}, {L"c.JPG", L"JPG"}}));

  // A typed Chinese ending reaches the search as ANSI text.
  SetWindowTextW(Item(IDC_FILE_TYPE), Utf8ToWide("图片").c_str());
  Click(IDC_SEARCH);
  EXPECT_EQ(dialog.Criteria().extension, WideToAnsi(Utf8ToWide("图片")));
  EXPECT_EQ(Shown(), (std::map<std::wstring, std::wstring>{{Utf8ToWide("d.图片"), Utf8ToWide("图片")}}));
}

TEST_F(MainDlgTest, InvertedWindowKeepsTheRowsAndSaysSo) {
  Write("a.jpg");
  Write("b.swf");
  Click(IDC_SEARCH);
  ASSERT_EQ(ListCount(), 2);

  // Even with "不限" chosen and the pickers disabled the window is checked.
  SetPicker(IDC_START_DATE, platform.Now() + 2 * 86400);
  Write("c.mid");
  Click(IDC_SEARCH);

  EXPECT_EQ(ui.appMessages, std::vector<std::string>{"开始时间必须小于结束时间。"});
  EXPECT_EQ(ListCount(), 2);
  EXPECT_EQ(dialog.Table().RowCount(), 2);
  EXPECT_EQ(Shown().size(), 2u);
}

TEST_F(MainDlgTest, MissingCacheFolderEmptiesTheTableAndSaysSo) {
  Write("a.jpg");
  Click(IDC_SEARCH);
  ASSERT_EQ(ListCount(), 1);

  platform.cacheFolder.reset();
  Click(IDC_SEARCH);
  EXPECT_EQ(ui.appMessages, std::vector<std::string>{"找不到IE缓存文件夹。"});
  EXPECT_EQ(ListCount(), 0);
}

TEST_F(MainDlgTest, CleanEmptiesTheCacheFolderAndTheTable) {
  Write("Content.IE5\\AB12CD34\\photo[1].jpg");
  Write("Content.IE5\\index.dat");
  Write("top.txt");
  Click(IDC_SEARCH);
  ASSERT_EQ(ListCount(), 3);

  Click(IDC_CLEAN);

  EXPECT_EQ(ListCount(), 0);
  EXPECT_EQ(dialog.Table().RowCount(), 0);
  EXPECT_TRUE(ui.appMessages.empty());
  EXPECT_NE(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);
  std::vector<std::string> left;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((root + "\\*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") left.push_back(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  EXPECT_TRUE(left.empty());
}

// Records the list's click notifications that reach the dialog window.
LRESULT CALLBACK CountClicks(HWND hwnd, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR clicks) {
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(l);
    if (header->idFrom == IDC_RESULTS && header->code == static_cast<UINT>(NM_CLICK)) {
      ++*reinterpret_cast<int*>(clicks);
    }
  }
  return DefSubclassProc(hwnd, message, w, l);
}

TEST_F(MainDlgTest, ClickOnACheckBoxTogglesTheRowAndStillReachesTheDialog) {
  Write("a.jpg");
  Write("b.jpg");
  Write("c.jpg");
  Click(IDC_SEARCH);
  ASSERT_EQ(ListCount(), 3);
  int clicks = 0;
  SetWindowSubclass(hwnd, CountClicks, 1, reinterpret_cast<DWORD_PTR>(&clicks));

  std::optional<POINT> box = CheckBoxOf(1);
  ASSERT_TRUE(box);
  ClickList(*box);
  EXPECT_TRUE(dialog.Table().GetCheck(1));
  EXPECT_TRUE(ListChecked(1));
  EXPECT_FALSE(dialog.Table().GetCheck(0));
  EXPECT_FALSE(dialog.Table().GetCheck(2));
  EXPECT_EQ(dialog.Table().TickedCount(), 1);
  EXPECT_EQ(clicks, 1);

  ClickList(*box);
  EXPECT_FALSE(dialog.Table().GetCheck(1));
  EXPECT_FALSE(ListChecked(1));
  EXPECT_EQ(clicks, 2);

  // A click on the row's text highlights it without ticking it.
  RECT label{};
  label.left = LVIR_LABEL;
  SendMessageW(Item(IDC_RESULTS), LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&label));
  ClickList(POINT{label.left + 10, (label.top + label.bottom) / 2});
  EXPECT_FALSE(dialog.Table().GetCheck(2));
  EXPECT_EQ(dialog.Table().SelectedRow(), 2);
  EXPECT_EQ(clicks, 3);
  RemoveWindowSubclass(hwnd, CountClicks, 1);
}

TEST_F(MainDlgTest, SpaceTogglesTheFocusedRowAndTheHighlightFollowsTheList) {
  Write("a.jpg");
  Write("b.jpg");
  Write("c.jpg");
  Click(IDC_SEARCH);
  HWND list = Item(IDC_RESULTS);

  SelectRow(2);
  EXPECT_EQ(dialog.Table().SelectedRow(), 2);
  SetFocus(list);
  SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
  test::PumpMessages(hwnd);
  EXPECT_TRUE(dialog.Table().GetCheck(2));
  EXPECT_TRUE(ListChecked(2));
  EXPECT_EQ(dialog.Table().TickedCount(), 1);

  // A new search starts with nothing highlighted, in the list and the model.
  Click(IDC_SEARCH);
  EXPECT_EQ(dialog.Table().SelectedRow(), -1);
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), -1);
  EXPECT_EQ(dialog.Table().TickedCount(), 0);
}

TEST_F(MainDlgTest, SaveButtonsCopyTheTickedAndTheHighlightedFile) {
  Write("a.jpg");
  Write("b.jpg");
  Click(IDC_SEARCH);
  ASSERT_EQ(ListCount(), 2);
  std::string out = root + "-out";
  CreateDirectoryA(out.c_str(), nullptr);

  // Nothing ticked, nothing highlighted: both say so.
  EnableWindow(Item(IDC_SAVE_SELECTED), TRUE);
  EnableWindow(Item(IDC_SAVE_CURRENT), TRUE);
  Click(IDC_SAVE_SELECTED);
  Click(IDC_SAVE_CURRENT);
  EXPECT_EQ(ui.messages, (std::vector<std::string>{"当前没有选中的文件!", "当前没有选中的文件!"}));

  std::optional<POINT> box = CheckBoxOf(0);
  ASSERT_TRUE(box);
  ClickList(*box);
  std::string ticked = WideToAnsi(ListText(0, 0));
  ui.folderAnswers.push_back(out);
  Click(IDC_SAVE_SELECTED);
  EXPECT_NE(GetFileAttributesA((out + "\\" + ticked).c_str()), INVALID_FILE_ATTRIBUTES);

  SelectRow(1);
  ui.savePathAnswers.push_back(out + "\\copy.jpg");
  Click(IDC_SAVE_CURRENT);
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].initialName, WideToAnsi(ListText(1, 0)));
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "*");
  EXPECT_NE(GetFileAttributesA((out + "\\copy.jpg").c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveAll(out);
}

TEST_F(MainDlgTest, TheCloseBoxStillEndsTheDialog) {
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  test::PumpMessages(hwnd);
  EXPECT_EQ(dialog.Result(), IDCANCEL);
}

// The modal run: Enter in the file-type field ends the dialog like "退出".
CMainDlg* modalDialog = nullptr;

void CALLBACK PressEnterInFileType(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = modalDialog->GetSafeHwnd();
  if (!dialog) return;
  HWND edit = GetWindow(GetDlgItem(dialog, IDC_FILE_TYPE), GW_CHILD);
  SetFocus(edit);
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (modalDialog->GetSafeHwnd()) PostMessageW(modalDialog->GetSafeHwnd(), WM_CLOSE, 0, 0);
}

TEST(MainDlgModalTest, EnterInTheFileTypeFieldEndsTheDialogLikeExit) {
  test::InitCommonControlsOnce();
  Win32Platform platform;
  test::FakeUi ui;
  CMainDlg dialog(platform, ui);
  modalDialog = &dialog;
  UINT_PTR press = SetTimer(nullptr, 0, 200, PressEnterInFileType);
  UINT_PTR stop = SetTimer(nullptr, 0, 5000, GiveUp);
  INT_PTR result = dialog.DoModal();
  KillTimer(nullptr, press);
  KillTimer(nullptr, stop);
  modalDialog = nullptr;
  EXPECT_EQ(result, IDOK);
}

}  // namespace
}  // namespace morlind
