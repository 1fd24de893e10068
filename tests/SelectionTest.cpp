// The status line, the row buttons, the check tools and the radios as a user
// meets them: the main dialog in process after a search over a cache of
// three files on the in-memory file system, the shell faked.
#include <gtest/gtest.h>

#include "platform/FakePlatform.h"
#include "res/resource.h"
#include "tests/FakeUi.h"
#include "tests/TestClock.h"
#include "tests/WindowTestSupport.h"
#include "ui/MainDlg.h"
#include "ui/WideText.h"

namespace morlind {
namespace {

constexpr int kRows = 3;
constexpr int kAll = 1, kNone = 2, kInvert = 4;  // check boxes 1019, 1020, 1021
const int kPickers[] = {IDC_START_DATE, IDC_END_DATE, IDC_START_TIME, IDC_END_TIME};

class SelectionTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::InitCommonControlsOnce(); }
  void SetUp() override {
    fs.SetSpecialFolder(kInternetCacheFolder, "C:\\cache");
    for (const char* name : {"a.jpg", "图片.jpg", "c.swf"}) fs.AddFile(Path(name));
    ASSERT_TRUE(dialog.Create());
    hwnd = dialog.GetSafeHwnd();
    list = Item(IDC_RESULTS);
    Click(IDC_SEARCH);
    ASSERT_EQ(dialog.Table().RowCount(), kRows);
  }
  void TearDown() override { dialog.DestroyWindow(); }

  // A cache file's path as a search stores it: ANSI.
  static std::string Path(const char* nameUtf8) {
    return WideToAnsi(Utf8ToWide(std::string("C:\\cache\\") + nameUtf8));
  }
  HWND Item(int id) const { return GetDlgItem(hwnd, id); }
  bool On(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
  std::wstring Status() const { return test::TextOf(Item(IDC_STATUS)); }
  int Boxes() const {
    return (IsDlgButtonChecked(hwnd, IDC_SELECT_ALL) ? kAll : 0) |
           (IsDlgButtonChecked(hwnd, IDC_SELECT_NONE) ? kNone : 0) |
           (IsDlgButtonChecked(hwnd, IDC_INVERT) ? kInvert : 0);
  }
  int Ticks() const {
    int ticks = 0;
    for (int row = 0; row < kRows; ++row) ticks |= dialog.Table().GetCheck(row) << row;
    return ticks;
  }
  // The first row with the selected state, scanning from row 0.
  int ScannedSelection() const {
    return static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  }

  void Click(int id) {
    SendMessageW(Item(id), BM_CLICK, 0, 0);
    test::PumpMessages(hwnd);
  }
  // The release is queued first: the list waits for it after the press.
  void Mouse(UINT press, POINT at) {
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(list, press, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    test::PumpMessages(hwnd);
  }
  POINT TextOfRow(int row) const {
    RECT label{};
    label.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&label));
    return POINT{label.left + 10, (label.top + label.bottom) / 2};
  }
  // Focus and highlight by keyboard; the space key then ticks the row.
  void KeyTo(int row, bool tick) {
    LVITEMW item{};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SetFocus(list);
    if (tick) {
      SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
      SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
    }
    test::PumpMessages(hwnd);
  }
  // Timer 1 runs on the dialog: removed to prove it, its tick then given by hand.
  bool TimerRanAndTicks() {
    if (!KillTimer(hwnd, 1)) return false;
    SendMessageW(hwnd, WM_TIMER, 1, 0);
    return true;
  }

  FakePlatform fs{test::HostPlatform()};
  test::FakeUi ui;
  CMainDlg dialog{fs, ui};
  HWND hwnd = nullptr;
  HWND list = nullptr;
};

TEST_F(SelectionTest, ClicksInTheTableShowTheHighlightedPathOrNone) {
  // A highlight by keyboard alone changes neither the status nor the buttons.
  KeyTo(1, false);
  EXPECT_EQ(dialog.Table().SelectedRow(), 1);
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));

  RECT client{};
  GetClientRect(list, &client);
  Mouse(WM_LBUTTONDOWN, POINT{client.right / 2, client.bottom - 4});  // below the rows
  EXPECT_EQ(ScannedSelection(), -1);
  EXPECT_EQ(dialog.Table().SelectedRow(), -1);
  EXPECT_EQ(Status(), L"没有选中文件");
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));
  EXPECT_FALSE(On(IDC_SAVE_CURRENT));
  EXPECT_TRUE(TimerRanAndTicks());

  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  EXPECT_EQ(ScannedSelection(), 1);
  EXPECT_EQ(dialog.Table().SelectedRow(), 1);
  EXPECT_EQ(Status(), L"当前选中 C:\\cache\\图片.jpg");
  EXPECT_TRUE(On(IDC_VIEW_CURRENT));
  EXPECT_TRUE(On(IDC_SAVE_CURRENT));
}

TEST_F(SelectionTest, TicksByKeyboardReachSaveSelectedOnlyWithTheTimer) {
  KeyTo(0, true);
  KeyTo(2, true);
  EXPECT_EQ(Ticks(), 0b101);
  EXPECT_FALSE(KillTimer(hwnd, 1));  // no click yet, so no timer
  EXPECT_FALSE(On(IDC_SAVE_SELECTED));

  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  EXPECT_TRUE(TimerRanAndTicks());
  EXPECT_TRUE(On(IDC_SAVE_SELECTED));
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
    EXPECT_EQ(Boxes(), step.boxes);
    EXPECT_EQ(On(IDC_SAVE_SELECTED), step.saveSelected);
  }

  // A search leaves the button as it was.
  Click(IDC_SEARCH);
  EXPECT_EQ(Ticks(), 0);
  EXPECT_TRUE(On(IDC_SAVE_SELECTED));
}

TEST_F(SelectionTest, DoubleClickAndViewOpenTheHighlightedFileHidden) {
  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  Mouse(WM_LBUTTONDBLCLK, TextOfRow(1));
  KeyTo(2, false);
  Click(IDC_VIEW_CURRENT);

  ASSERT_EQ(ui.shellCalls.size(), 2u);
  const char* opened[] = {"图片.jpg", "c.swf"};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ui.shellCalls[i].verb, "open");
    EXPECT_EQ(ui.shellCalls[i].target, Path(opened[i]));
    EXPECT_EQ(ui.shellCalls[i].showCommand, 0);
    EXPECT_FALSE(ui.shellCalls[i].withOwner);
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

TEST_F(SelectionTest, RadiosSwitchTheAccessModeAndPickersWithoutSearching) {
  int listings = fs.ListingsOpened();
  for (auto [radio, mode] : {std::pair{IDC_MATCH_WINDOW, 0}, std::pair{IDC_NO_LIMIT, 1}}) {
    Click(radio);
    EXPECT_EQ(dialog.AccessMode(), mode);
    for (int id : kPickers) EXPECT_EQ(On(id), mode == 0) << id;
  }
  EXPECT_EQ(fs.ListingsOpened(), listings);
}

}  // namespace
}  // namespace morlind
