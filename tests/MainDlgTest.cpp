// The main dialog as a user meets it, in process: its controls, the search,
// the clean, and the status line, row buttons, check tools and radios that
// follow the rows. The real file system is met in ActionsWin32Test.cpp.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/WindowTestSupport.h"

namespace morlind {
namespace {

using Texts = std::vector<std::wstring>;

class MainDlgTest : public test::MainDlgFixture {
 protected:
  Texts ColumnOf(int column) const {
    Texts texts;
    for (int row = 0; row < Rows(); ++row) texts.push_back(Cell(row, column));
    return texts;
  }
};

TEST_F(MainDlgTest, ShowsEveryControlWhereTheTemplatePutsIt) {
  const struct {
    int id;
    const wchar_t* kind;
    const char* text;
    RECT units;  // x, y, width, height
  } controls[] = {
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
  // Position and size are mapped apart, as the dialog manager maps a
  // template's controls.
  auto pixels = [&](RECT units) {
    MapDialogRect(hwnd, &units);
    return std::make_tuple(units.left, units.top, units.left + units.right, units.top + units.bottom);
  };

  EXPECT_EQ(test::TextOf(hwnd), L"Morlind V2.0");
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(pixels({0, 0, 344, 317}), std::make_tuple(0L, 0L, client.right, client.bottom));

  // Children in creation order, which is also the tab order.
  HWND child = GetWindow(hwnd, GW_CHILD);
  for (const auto& expected : controls) {
    SCOPED_TRACE(expected.text ? expected.text : "control " + std::to_string(expected.id));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), expected.id);
    wchar_t kind[64] = {};
    GetClassNameW(child, kind, 64);
    EXPECT_EQ(_wcsicmp(kind, expected.kind), 0) << WideToUtf8(kind);
    if (expected.text) {
      EXPECT_EQ(test::TextOf(child), Utf8ToWide(expected.text));
    }
    auto want = pixels(expected.units);
    RECT got{};
    GetWindowRect(child, &got);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&got), 2);
    // A drop-down's template height is that of its open list, which the
    // system sizes to its items.
    if (expected.id == IDC_FILE_TYPE) got.bottom = std::get<3>(want);
    EXPECT_EQ(std::make_tuple(got.left, got.top, got.right, got.bottom), want);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);

  // The link label names the site that the shell will open, whole, on its one line.
  std::wstring label = test::TextOf(Item(IDC_HOMEPAGE)), address = Utf8ToWide(kHomePageAddress);
  ASSERT_GE(label.size(), address.size() + 2);
  EXPECT_EQ(label.substr(0, 1), L"『");
  EXPECT_EQ(label.substr(label.size() - address.size() - 1), L"』" + address);
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
  HWND combo = Item(IDC_FILE_TYPE);
  Texts types;
  for (LRESULT i = 0; i < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[16] = {};
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    types.push_back(text);
  }
  EXPECT_EQ(types, (Texts{L"*", L"flv", L"wmv", L"wma", L"mp3", L"swf", L"jpg", L"mid"}));
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);

  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_NO_LIMIT), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_MATCH_WINDOW), BST_UNCHECKED);
  for (int id : {IDC_START_DATE, IDC_END_DATE, IDC_START_TIME, IDC_END_TIME, IDC_VIEW_CURRENT,
                 IDC_SAVE_SELECTED, IDC_SAVE_CURRENT}) {
    EXPECT_FALSE(On(id)) << id;
  }
  for (int id : {IDC_SEARCH, IDC_CLEAN, IDC_ABOUT, IDOK, IDC_RESULTS}) EXPECT_TRUE(On(id)) << id;
  EXPECT_EQ(Status(),
            Utf8ToWide("设置搜索条件，点击搜索就可以找到IE缓存中符合条件的文件。如果文件过多，可以先清理IE缓存。"));
  EXPECT_EQ(GetFocus(), GetWindow(combo, GW_CHILD));

  // The start pickers show one hour before the end pickers.
  auto seconds = [&](int id) {
    SYSTEMTIME time{};
    SendMessageW(Item(id), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time));
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    return static_cast<long long>((ULONGLONG{file.dwHighDateTime} << 32 | file.dwLowDateTime) / 10'000'000);
  };
  EXPECT_NEAR(seconds(IDC_END_DATE) - seconds(IDC_START_DATE), 3600, 1);
  EXPECT_NEAR(seconds(IDC_END_TIME) - seconds(IDC_START_TIME), 3600, 1);

  EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);  // grid, check boxes, full row
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
  EXPECT_EQ(Rows(), 0);

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

TEST_F(MainDlgTest, SearchShowsTheCacheFilesAndATypedEndingWinsOverTheList) {
  fs.AddFile(Path("Content.IE5\\AB12CD34\\photo[1].jpg"), test::FileTimeOfUtc(2008, 9, 25, 17, 6, 45));
  SearchOver({"Content.IE5\\AB12CD34\\c.JPG", "Content.IE5\\EF56GH78\\README", "截图.png", "d.图片",
              "archive.tar.gz"});
  EXPECT_TRUE(ui.appMessages.empty());
  EXPECT_EQ(dialog.Criteria().extension, "*");
  const std::wstring picture = Utf8ToWide("图片");
  EXPECT_EQ(ColumnOf(0), (Texts{L"photo[1].jpg", L"c.JPG", L"README", Utf8ToWide("截图.png"), L"d." + picture,
                                L"archive.tar.gz"}));
  EXPECT_EQ(ColumnOf(1), (Texts{L"jpg", L"JPG", L"", L"png", picture, L"gz"}));
  for (int row = 0; row < Rows(); ++row) EXPECT_FALSE(Shown(row));

  // A typed Chinese ending reaches the search as ANSI text.
  SetWindowTextW(Item(IDC_FILE_TYPE), picture.c_str());
  Click(IDC_SEARCH);
  EXPECT_EQ(dialog.Criteria().extension, WideToAnsi(picture));
  EXPECT_EQ(ColumnOf(0), Texts{L"d." + picture});

  SendMessageW(Item(IDC_FILE_TYPE), CB_SETCURSEL, 5, 0);  // "swf"
  SetWindowTextW(Item(IDC_FILE_TYPE), L"jpg");
  Click(IDC_SEARCH);
  EXPECT_EQ(dialog.Criteria().extension, "jpg");
  EXPECT_EQ(ColumnOf(0), (Texts{L"photo[1].jpg", L"c.JPG"}));
  MORLIND_USE_ZONE("Asia/Shanghai");
  EXPECT_EQ(Cell(0, 2), L"2008-9-26 1:6:45");
}

TEST_F(MainDlgTest, InvertedWindowKeepsTheRowsAndSaysSo) {
  SearchOver({"a.jpg", "b.swf"});
  ASSERT_EQ(Rows(), 2);

  // Even with "不限" chosen and the pickers disabled the window is checked.
  CDateTimeCtrl picker;
  picker.Attach(Item(IDC_START_DATE));
  picker.SetTime(fs, fs.Now() + 2 * 86400);
  fs.AddFile(Path("c.mid"));
  Click(IDC_SEARCH);

  EXPECT_EQ(ui.appMessages, std::vector<std::string>{"开始时间必须小于结束时间。"});
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(dialog.Table().RowCount(), 2);
}

TEST_F(MainDlgTest, StartPickersShowAnHourBeforeAClockIn2040) {
  fs.SetNow(2214061605);  // 2040-02-28 17:06:45 UTC
  CMainDlg later{fs, ui};
  ASSERT_TRUE(later.Create());
  CDateTimeCtrl picker;
  for (int id : {IDC_START_DATE, IDC_START_TIME}) {
    picker.Attach(GetDlgItem(later.GetSafeHwnd(), id));
    EXPECT_EQ(picker.GetTime(fs), 2214061605 - 3600) << id;
  }
}

TEST_F(MainDlgTest, CleanEmptiesCacheAndListAndAMissingCacheFolderIsReported) {
  SearchOver({"Content.IE5\\AB12CD34\\photo[1].jpg", "Content.IE5\\index.dat", "top.txt"});
  ASSERT_EQ(Rows(), 3);
  Click(IDC_CLEAN);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(dialog.Table().RowCount(), 0);
  EXPECT_TRUE(fs.Tree("C:\\cache").empty());
  EXPECT_TRUE(fs.Exists("C:\\cache"));
  EXPECT_TRUE(ui.appMessages.empty());

  SearchOver({"a.jpg"});
  ASSERT_EQ(Rows(), 1);
  fs.SetSpecialFolder(kInternetCacheFolder, "");
  Click(IDC_SEARCH);
  EXPECT_EQ(ui.appMessages, std::vector<std::string>{"找不到IE缓存文件夹。"});
  EXPECT_EQ(Rows(), 0);
}

TEST_F(MainDlgTest, TheTimersPushOfTheSameStatusKeepsItScrolled) {
  const std::string name = std::string(200, 'n') + ".jpg";  // its path wraps over several lines
  SearchOver({name.c_str()});
  Mouse(WM_LBUTTONDOWN, TextOfRow(0));
  HWND status = Item(IDC_STATUS);
  SendMessageW(status, EM_LINESCROLL, 0, 1);
  ASSERT_EQ(SendMessageW(status, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_TRUE(TimerRanAndTicks());
  EXPECT_EQ(Status(), L"当前选中 " + AnsiToWide(Path(name)));
  EXPECT_EQ(SendMessageW(status, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
}

// The modal run: Enter in the file-type field ends the dialog like "退出".
CMainDlg* modalDialog = nullptr;

void CALLBACK PressEnterInFileType(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (!modalDialog->GetSafeHwnd()) return;
  HWND edit = GetWindow(GetDlgItem(modalDialog->GetSafeHwnd(), IDC_FILE_TYPE), GW_CHILD);
  SetFocus(edit);
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
}

// Only so that a broken dialog cannot hang the run.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (modalDialog->GetSafeHwnd()) PostMessageW(modalDialog->GetSafeHwnd(), WM_CLOSE, 0, 0);
}

TEST(MainDlgModalTest, EnterInTheFileTypeFieldEndsTheDialogLikeExit) {
  test::RegisterCommonControls();
  test::FakeUi ui;
  CMainDlg dialog(test::HostPlatform(), ui);
  modalDialog = &dialog;
  UINT_PTR press = SetTimer(nullptr, 0, 200, PressEnterInFileType);
  UINT_PTR stop = SetTimer(nullptr, 0, 5000, GiveUp);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  KillTimer(nullptr, press);
  KillTimer(nullptr, stop);
  modalDialog = nullptr;
}

// After a search over three files: row 1 is 图片.jpg.
class SelectionTest : public test::MainDlgFixture {
 protected:
  void SetUp() override {
    MainDlgFixture::SetUp();
    SearchOver({"a.jpg", "图片.jpg", "c.swf"});
    ASSERT_EQ(Rows(), 3);
  }
};

constexpr int kAll = 1, kNone = 2, kInvert = 4;  // the check tools' boxes

TEST_F(SelectionTest, ClicksInTheTableShowTheHighlightedPathOrNone) {
  // A highlight by keyboard alone changes neither the status nor the buttons.
  KeyTo(1, false);
  EXPECT_EQ(dialog.Table().HighlightedRow(), 1);
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));

  RECT client{};
  GetClientRect(list, &client);
  Mouse(WM_LBUTTONDOWN, POINT{client.right / 2, client.bottom - 4});  // below the rows
  EXPECT_EQ(ListSelection(), -1);
  EXPECT_EQ(dialog.Table().HighlightedRow(), -1);
  EXPECT_EQ(Status(), L"没有选中文件");
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));
  EXPECT_FALSE(On(IDC_SAVE_CURRENT));
  EXPECT_TRUE(TimerRanAndTicks());

  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  EXPECT_EQ(ListSelection(), 1);
  EXPECT_EQ(dialog.Table().HighlightedRow(), 1);
  EXPECT_EQ(Ticks(), 0);  // the row's text highlights without ticking
  EXPECT_EQ(Status(), L"当前选中 C:\\cache\\图片.jpg");
  EXPECT_TRUE(On(IDC_VIEW_CURRENT));
  EXPECT_TRUE(On(IDC_SAVE_CURRENT));
}

TEST_F(SelectionTest, TicksByKeyboardReachSaveSelectedOnlyWithTheTimer) {
  KeyTo(0, true);
  KeyTo(2, true);
  EXPECT_EQ(Ticks(), 0b101);
  EXPECT_TRUE(Shown(0) && !Shown(1) && Shown(2));
  EXPECT_FALSE(KillTimer(hwnd, 1));  // no click yet, so no timer
  EXPECT_FALSE(On(IDC_SAVE_SELECTED));

  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  EXPECT_TRUE(TimerRanAndTicks());
  EXPECT_TRUE(On(IDC_SAVE_SELECTED));

  // A new search starts with nothing ticked or highlighted, in the list and the model.
  Click(IDC_SEARCH);
  EXPECT_EQ(Ticks(), 0);
  EXPECT_FALSE(Shown(0) || Shown(2));
  EXPECT_EQ(dialog.Table().HighlightedRow(), -1);
  EXPECT_EQ(ListSelection(), -1);
}

TEST_F(SelectionTest, ClickOnACheckBoxTogglesTheRowAndStillReachesTheDialog) {
  std::optional<POINT> box = CheckBoxOf(1);
  ASSERT_TRUE(box);
  for (bool ticked : {true, false}) {
    Mouse(WM_LBUTTONDOWN, *box);
    EXPECT_EQ(Ticks(), ticked ? 0b010 : 0);
    EXPECT_EQ(dialog.Table().TickedCount(), ticked ? 1 : 0);
    EXPECT_EQ(Shown(1), ticked);
    // The dialog saw the click: its timer carries the tick to the button.
    EXPECT_TRUE(TimerRanAndTicks());
    EXPECT_EQ(On(IDC_SAVE_SELECTED), ticked);
  }
}

TEST_F(SelectionTest, CheckToolsTickUntickAndFlipEveryRow) {
  KeyTo(0, true);
  KeyTo(2, true);
  struct Step {
    int keyTick;  // a row ticked or unticked by space before the click, or -1
    int box, ticks, boxes;
    bool saveSelected;
  };
  const Step steps[] = {
      {-1, IDC_INVERT, 0b010, kInvert, true},     {-1, IDC_INVERT, 0b101, kInvert, true},
      {-1, IDC_SELECT_ALL, 0b111, kAll, true},    {0, IDC_SELECT_ALL, 0b110, 0, true},
      {-1, IDC_SELECT_ALL, 0b111, kAll, true},    {-1, IDC_INVERT, 0b000, kInvert, false},
      {-1, IDC_SELECT_NONE, 0b000, kNone, false}, {-1, IDC_SELECT_ALL, 0b111, kAll, true},
      {-1, IDC_SELECT_NONE, 0b000, kNone, false}, {-1, IDC_INVERT, 0b111, kInvert, true},
      {-1, IDC_SELECT_NONE, 0b000, kNone, false}, {1, IDC_SELECT_NONE, 0b010, 0, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(&step - steps);
    if (step.keyTick >= 0) KeyTo(step.keyTick, true);
    UpdateWindow(list);
    SendMessageW(Item(step.box), BM_CLICK, 0, 0);
    // The rows repaint from the model, the whole list at once.
    RECT dirty{}, client{};
    GetClientRect(list, &client);
    EXPECT_TRUE(!step.boxes || (GetUpdateRect(list, &dirty, FALSE) && EqualRect(&dirty, &client)));
    test::PumpMessages(hwnd);
    EXPECT_EQ(Ticks(), step.ticks);
    EXPECT_EQ((IsDlgButtonChecked(hwnd, IDC_SELECT_ALL) ? kAll : 0) |
                  (IsDlgButtonChecked(hwnd, IDC_SELECT_NONE) ? kNone : 0) |
                  (IsDlgButtonChecked(hwnd, IDC_INVERT) ? kInvert : 0),
              step.boxes);
    EXPECT_EQ(On(IDC_SAVE_SELECTED), step.saveSelected);
  }

  // A search leaves the button as it was.
  Click(IDC_SEARCH);
  EXPECT_EQ(Ticks(), 0);
  EXPECT_TRUE(On(IDC_SAVE_SELECTED));
}

TEST_F(SelectionTest, DoubleClickAndViewOpenTheHighlightedFileShownNormally) {
  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  Mouse(WM_LBUTTONDBLCLK, TextOfRow(1));
  KeyTo(2, false);
  Click(IDC_VIEW_CURRENT);

  ASSERT_EQ(ui.shellCalls.size(), 2u);
  const char* opened[] = {"图片.jpg", "c.swf"};
  for (int i = 0; i < 2; ++i) {
    const auto& c = ui.shellCalls[i];
    EXPECT_EQ(std::tie(c.verb, c.target, c.showCommand, c.withOwner),
              std::make_tuple(std::string("open"), Path(opened[i]), 1, false));
  }
  EXPECT_EQ(Status(), L"当前选中 C:\\cache\\c.swf");

  // A search keeps the row buttons on; viewing then finds no row.
  Click(IDC_SEARCH);
  EXPECT_TRUE(On(IDC_VIEW_CURRENT));
  EXPECT_TRUE(On(IDC_SAVE_CURRENT));
  Click(IDC_VIEW_CURRENT);
  EXPECT_EQ(ui.shellCalls.size(), 2u);
  EXPECT_EQ(Status(), L"没有选中文件");
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));
  EXPECT_FALSE(On(IDC_SAVE_CURRENT));
}

TEST_F(SelectionTest, AFileThatRunsCodeOpensOnlyAfterYes) {
  SearchOver({"run.js"});
  ASSERT_EQ(Cell(3, 0), L"run.js");
  ui.yesNoAnswers = {false, true};
  Mouse(WM_LBUTTONDOWN, TextOfRow(3));
  for (int i = 0; i < 2; ++i) Mouse(WM_LBUTTONDBLCLK, TextOfRow(3));
  EXPECT_EQ(ui.questions.size(), 2u);
  ASSERT_EQ(ui.shellCalls.size(), 1u);
  EXPECT_EQ(ui.shellCalls[0].target, Path("run.js"));
  EXPECT_EQ(Status(), L"当前选中 C:\\cache\\run.js");  // as after any view
}

// Ticks and highlights set with the list's own state message, as
// accessibility and automation tools do.
TEST_F(SelectionTest, TheListsStateMessageTicksAndHighlightsInTheModel) {
  auto setState = [&](int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    return SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  };
  const UINT tick = INDEXTOSTATEIMAGEMASK(2), untick = INDEXTOSTATEIMAGEMASK(1);
  const struct {
    int row;
    UINT image;
    int ticks;
  } steps[] = {{2, tick, 0b100}, {0, tick, 0b101},  {2, untick, 0b001}, {-1, tick, 0b111},
               {3, untick, 0b111}, {-2, untick, 0b111}, {-1, untick, 0},   {1, tick, 0b010}};
  for (const auto& step : steps) {
    setState(step.row, step.image, LVIS_STATEIMAGEMASK);
    EXPECT_EQ(Ticks(), step.ticks) << step.row;
    EXPECT_EQ(dialog.Table().TickedCount(), __builtin_popcount(step.ticks));
    for (int row = 0; row < 3; ++row) EXPECT_EQ(Shown(row), (step.ticks >> row & 1) != 0);
  }
  EXPECT_FALSE(KillTimer(hwnd, 1));  // no dialog event, so no timer yet
  EXPECT_FALSE(On(IDC_SAVE_SELECTED));

  // A highlight is followed as one by keyboard: the row buttons stay.
  EXPECT_TRUE(setState(2, LVIS_SELECTED | LVIS_FOCUSED | tick, LVIS_SELECTED | LVIS_FOCUSED | LVIS_STATEIMAGEMASK));
  EXPECT_EQ(Ticks(), 0b110);
  EXPECT_EQ(ListSelection(), 2);
  EXPECT_EQ(dialog.Table().HighlightedRow(), 2);
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));
  setState(-1, 0, LVIS_SELECTED);
  EXPECT_EQ(dialog.Table().HighlightedRow(), -1);

  // Once a click started the timer, its tick carries them to "保存选中".
  Mouse(WM_LBUTTONDOWN, TextOfRow(0));
  setState(-1, untick, LVIS_STATEIMAGEMASK);
  setState(1, tick, LVIS_STATEIMAGEMASK);
  EXPECT_FALSE(On(IDC_SAVE_SELECTED));
  EXPECT_TRUE(TimerRanAndTicks());
  EXPECT_TRUE(On(IDC_SAVE_SELECTED));

  // A row the list counts but the model does not have shows empty.
  SendMessageW(list, LVM_SETITEMCOUNT, 4, 0);
  EXPECT_EQ(Cell(3, 0), L"");
  EXPECT_FALSE(Shown(3));
}

// Typing a name's first letters highlights the next row that starts so.
TEST_F(SelectionTest, TypeAheadHighlightsByName) {
  SearchOver({"b1.jpg", "B2.gif"});  // rows 3 and 4
  SendMessageW(list, WM_CHAR, L'b', 1);
  EXPECT_EQ(ListSelection(), 3);
  SendMessageW(list, WM_CHAR, L'2', 1);  // at once: "b2"
  EXPECT_EQ(ListSelection(), 4);
  EXPECT_EQ(dialog.Table().HighlightedRow(), 4);
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));  // a keyboard highlight
}

// Whatever users and other programs do, the model highlights the row the
// list shows selected.
TEST_F(SelectionTest, TheModelsHighlightAlwaysIsTheListsSelection) {
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const wchar_t* types[] = {L"*", L"jpg", L"swf", L"zzz"};
  for (int step = 0; step < 200; ++step) {
    int row = pick(5) - 1;
    switch (pick(5)) {
      case 0:
        SetWindowTextW(Item(IDC_FILE_TYPE), types[pick(4)]);
        Click(IDC_SEARCH);
        break;
      case 1:
        if (row >= 0 && row < Rows()) Mouse(WM_LBUTTONDOWN, TextOfRow(row));
        break;
      case 2:
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, pick(2) ? VK_DOWN : VK_UP, 1);
        break;
      case 3: {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = pick(2) ? item.stateMask : 0;
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        break;
      }
      default:
        SendMessageW(list, WM_CHAR, L"a图c"[pick(3)], 1);
    }
    test::PumpMessages(hwnd);
    ASSERT_EQ(dialog.Table().HighlightedRow(), ListSelection()) << "step " << step;
  }
}

TEST_F(SelectionTest, SaveButtonsCopyTheTickedAndTheHighlightedFile) {
  // Nothing ticked, nothing highlighted: both say so.
  EnableWindow(Item(IDC_SAVE_SELECTED), TRUE);
  EnableWindow(Item(IDC_SAVE_CURRENT), TRUE);
  Click(IDC_SAVE_SELECTED);
  Click(IDC_SAVE_CURRENT);
  EXPECT_EQ(ui.messages, std::vector<std::string>(2, "当前没有选中的文件!"));

  KeyTo(0, true);
  ui.folderAnswers = {"D:\\out"};
  Click(IDC_SAVE_SELECTED);
  KeyTo(1, false);
  ui.savePathAnswers = {"D:\\out\\copy.jpg"};
  Click(IDC_SAVE_CURRENT);
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].initialName, Path("图片.jpg").substr(9));
  EXPECT_EQ(ui.saveRequests[0].defaultExtension, "*");  // the last search's
  EXPECT_EQ(fs.Log(), (std::vector<std::string>{"copy " + Path("a.jpg") + " -> D:\\out\\a.jpg",
                                                "copy " + Path("图片.jpg") + " -> D:\\out\\copy.jpg"}));
}

TEST_F(SelectionTest, RadiosSwitchTheAccessModeAndPickersWithoutSearching) {
  int listings = fs.ListingsOpened();
  for (auto [radio, mode] :
       {std::pair{IDC_MATCH_WINDOW, AccessMode::kMatchWindow}, std::pair{IDC_NO_LIMIT, AccessMode::kNoLimit}}) {
    Click(radio);
    EXPECT_EQ(dialog.Mode(), mode);
    for (int id : {IDC_START_DATE, IDC_END_DATE, IDC_START_TIME, IDC_END_TIME}) {
      EXPECT_EQ(On(id), mode == AccessMode::kMatchWindow) << id;
    }
  }
  EXPECT_EQ(fs.ListingsOpened(), listings);
}

// Work on the worker, held at one entry of its walk while the test looks
// at the window, until released.
class WorkTest : public SelectionTest {
 protected:
  void HoldAtEntry(int at) {
    fs.onEntry = [this, at, seen = 0]() mutable {
      if (++seen != at) return;
      held = true;
      while (!released) Sleep(1);
    };
  }
  // Presses the button and waits until the work is held.
  void StartHeld(int id, int at) {
    HoldAtEntry(at);
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    while (!held) Sleep(1);
    Sleep(150);  // a tick of the progress timer
    test::PumpMessages(hwnd);
  }
  std::vector<bool> Enabled() const {
    std::vector<bool> enabled;
    for (int id : kWorkButtons) enabled.push_back(On(id));
    return enabled;
  }

  static constexpr int kWorkButtons[] = {IDC_SEARCH,     IDC_CLEAN,      IDC_SAVE_SELECTED, IDC_SAVE_CURRENT,
                                         IDC_VIEW_CURRENT, IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_INVERT,
                                         IDC_NO_LIMIT,   IDC_MATCH_WINDOW};
  std::atomic<bool> held{false}, released{false};
};

TEST_F(WorkTest, EscapeStopsASearchWhichKeepsTheRowsFoundSoFar) {
  Mouse(WM_LBUTTONDOWN, TextOfRow(1));  // 查看当前 and 保存当前 on, the timer runs
  const std::vector<bool> before = Enabled();
  StartHeld(IDC_SEARCH, 4);  // ".", "..", a.jpg, then held at 图片.jpg
  EXPECT_TRUE(dialog.Working());
  EXPECT_EQ(Enabled(), std::vector<bool>(std::size(kWorkButtons), false));
  EXPECT_EQ(Status(), Utf8ToWide("正在搜索… 已找到 1 个文件"));
  EXPECT_TRUE(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32650)));  // IDC_APPSTARTING
  SendMessageW(hwnd, WM_TIMER, 1, 0);
  EXPECT_FALSE(On(IDC_SAVE_SELECTED));

  SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);  // Escape
  released = true;
  WaitIdle();
  EXPECT_EQ(dialog.Result(), std::nullopt);  // the window stays
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), L"a.jpg");
  EXPECT_EQ(Status(), Utf8ToWide("已停止。"));
  EXPECT_EQ(Enabled(), before);
}

TEST_F(WorkTest, EscapeStopsACleanAndTheSearchShowsWhatIsLeft) {
  KeyTo(0, true);
  StartHeld(IDC_CLEAN, 4);  // a.jpg deleted, held at 图片.jpg
  EXPECT_EQ(Status(), Utf8ToWide("正在清理IE缓存… 已删除 1 个文件"));
  LVITEMW tick{};
  tick.stateMask = LVIS_STATEIMAGEMASK;
  tick.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&tick));
  EXPECT_EQ(Ticks(), 0b001);  // rows are not changed while work runs

  SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  released = true;
  WaitIdle();
  EXPECT_EQ(fs.Tree("C:\\cache"), (std::vector<std::string>{Path("图片.jpg"), Path("c.swf")}));
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Status(), Utf8ToWide("已停止。"));
}

TEST_F(WorkTest, ClosingStopsTheWorkAndEndsTheDialog) {
  StartHeld(IDC_CLEAN, 4);
  std::thread release([this] {
    Sleep(100);
    released = true;
  });
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  release.join();
  test::PumpMessages(hwnd);
  EXPECT_EQ(dialog.Result(), IDCANCEL);
  EXPECT_EQ(fs.Tree("C:\\cache").size(), 2u);  // stopped: the rest stays
}

}  // namespace
}  // namespace morlind
