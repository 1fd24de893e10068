// The main dialog as a user meets it, in process, where fakes stand in for
// the file system and the user-interface services: what it starts with, the
// status line, row buttons, check tools and radios that follow the rows,
// the list as other programs drive it, and the work on the worker. What the
// end-to-end program checks from outside (searches, the window, the saves,
// the clean) is not repeated here.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "actions/Clean.h"
#include "tests/WindowTestSupport.h"

namespace morlind {
namespace {

class MainDlgTest : public test::MainDlgFixture {};

// What the end-to-end test cannot see from outside.
TEST_F(MainDlgTest, StartsWithTheFileTypeFocusedAndTheAboutEntryInTheSystemMenu) {
  HWND combo = Item(IDC_FILE_TYPE);
  // Put at fixed places despite the sorted style: "mid" last.
  wchar_t last[16] = {};
  SendMessageW(combo, CB_GETLBTEXT, SendMessageW(combo, CB_GETCOUNT, 0, 0) - 1, reinterpret_cast<LPARAM>(last));
  EXPECT_EQ(std::wstring(last), L"mid");
  EXPECT_EQ(GetFocus(), GetWindow(combo, GW_CHILD));
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  // The about entry after a separator at the end of the system menu.
  HMENU menu = GetSystemMenu(hwnd, FALSE);
  int count = GetMenuItemCount(menu);
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);
  // The link label shows the site the shell opens.
  std::wstring label = test::TextOf(Item(IDC_HOMEPAGE)), address = ResourceString(IDS_HOMEPAGE);
  EXPECT_EQ(label.substr(label.size() - address.size() - 1), L"』" + address);
}

// An hour before now, also with the clock in 2040.
TEST_F(MainDlgTest, StartPickersShowAnHourBeforeNow) {
  fs.SetNow(2214061605);  // 2040-02-28 17:06:45 UTC
  CMainDlg later{fs, ui};
  ASSERT_TRUE(later.Create());
  CMomentPicker picker;
  for (int id : {IDC_START_DATE, IDC_START_TIME}) {
    picker.Attach(GetDlgItem(later.GetSafeHwnd(), id));
    EXPECT_EQ(picker.GetTime(fs), 2214061605 - 3600) << id;
  }
}

TEST_F(MainDlgTest, AMissingCacheFolderIsReportedAndEmptiesTheTable) {
  SearchOver({"c.JPG"});
  ASSERT_EQ(Rows(), 1);
  fs.cacheFolder = "";
  Click(IDC_SEARCH);
  EXPECT_EQ(ui.appMessages, std::vector<std::string>{"找不到IE缓存文件夹。"});
  EXPECT_EQ(Rows(), 0);
}

// An exception ends the program with its own message, also one a job threw
// on the worker; a click under that box is refused.
TEST_F(MainDlgTest, AnExceptionEndsInTheProgramsOwnMessage) {
  fs.AddFile(Path("a.jpg"));
  fs.onEntry = [] { throw std::runtime_error("boom"); };
  for (int id : {IDC_SEARCH, IDC_ABOUT}) {
    CMainDlg failing{fs, ui};
    failing.SetAboutBox([](HWND) { throw std::runtime_error("boom"); });
    ASSERT_TRUE(failing.Create());
    HWND window = failing.GetSafeHwnd();
    auto click = [&](int button) { SendMessageW(GetDlgItem(window, button), BM_CLICK, 0, 0); };
    auto fail = [&] {
      click(id);
      for (int ms = 0; IsWindowVisible(window) && ms < 5000; ms += 20) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        test::PumpMessages(window);
      }
    };
    EXPECT_EQ(test::TextOfBoxOpenedBy(window, fail, [&] { click(IDC_MATCH_WINDOW); }),
              Utf8ToWide("程序内部出错，即将关闭。\nboom")) << id;
    EXPECT_FALSE(IsWindowVisible(window));  // ended: EndDialog hides a dialog without a modal loop
    EXPECT_EQ(failing.Mode(), AccessMode::kNoLimit);
  }
}

// The list's handler goes with its control object: the list's messages
// then reach no object that has gone.
TEST_F(MainDlgTest, TheListsSubclassGoesWithItsObject) {
  HWND window = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT | LVS_OWNERDATA, 0, 0, 99, 99, hwnd,
                                nullptr, nullptr, nullptr);
  ResultTable rows;
  rows.AddResultRow("C:\\a.jpg", 5, std::nullopt);
  std::optional<CResultList> control(std::in_place);
  control->Attach(window);
  control->SetModel(&rows);
  ListView_SetCheckState(window, 0, TRUE);
  EXPECT_TRUE(rows.GetCheck(0));
  rows.SetCheck(0, false);
  control.reset();
  ListView_SetCheckState(window, 0, TRUE);
  EXPECT_FALSE(rows.GetCheck(0));
  DestroyWindow(window);
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
  KeyTo(1, false);
  RECT client{};
  GetClientRect(list, &client);
  Mouse(WM_LBUTTONDOWN, POINT{client.right / 2, client.bottom - 4});  // below the rows
  EXPECT_EQ(ListSelection(), -1);
  EXPECT_EQ(dialog.Table().HighlightedRow(), -1);
  EXPECT_EQ(Status(), L"没有选中文件");
  EXPECT_FALSE(On(IDC_VIEW_CURRENT));
  EXPECT_FALSE(On(IDC_SAVE_CURRENT));
  EXPECT_TRUE(TimerRanAndTicks());  // a click on a row is met from outside
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

  // A new search starts with nothing ticked or highlighted, in the list
  // and the model, and leaves the button as it was.
  Click(IDC_SEARCH);
  EXPECT_EQ(Ticks(), 0);
  EXPECT_EQ(dialog.Table().HighlightedRow(), -1);
  EXPECT_EQ(ListSelection(), -1);
  EXPECT_TRUE(On(IDC_SAVE_SELECTED));
}

TEST_F(SelectionTest, DoubleClickAndViewOpenTheHighlightedFile) {
  Mouse(WM_LBUTTONDOWN, TextOfRow(1));
  Mouse(WM_LBUTTONDBLCLK, TextOfRow(1));
  KeyTo(2, false);
  Click(IDC_VIEW_CURRENT);

  // Shown normally by OpenFile, whose own test checks how.
  ASSERT_EQ(ui.shellCalls.size(), 2u);
  EXPECT_EQ(ui.shellCalls[0].target, Path("图片.jpg"));
  EXPECT_EQ(ui.shellCalls[1].target, Path("c.swf"));
  EXPECT_EQ(Status(), L"当前选中 " + Utf8ToWide(Path("c.swf")));

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

// The row menu's copies: a clipboard that cannot be had is said.
TEST_F(SelectionTest, AClipboardThatFailsIsSaid) {
  KeyTo(1, false);
  ui.clipboardError = 5;
  for (int command : {IDM_ROW_COPY_FILES, IDM_ROW_COPY_ADDRESS}) {
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
  }
  // A row without an address copies none.
  EXPECT_EQ(ui.messages, std::vector<std::string>{"无法使用剪贴板：" + fs.ErrorText(5)});
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
  // Row, image, the ticks after.
  const std::tuple<int, UINT, int> steps[] = {{2, tick, 0b100},    {0, tick, 0b101},    {2, untick, 0b001},
                                              {-1, tick, 0b111},   {3, untick, 0b111},  {-2, untick, 0b111},
                                              {-1, untick, 0},     {1, tick, 0b010}};
  for (auto [row, image, ticks] : steps) {
    setState(row, image, LVIS_STATEIMAGEMASK);
    EXPECT_EQ(Ticks(), ticks) << row;
    EXPECT_EQ(dialog.Table().TickedCount(), __builtin_popcount(ticks));
    for (int r = 0; r < 3; ++r) EXPECT_EQ(Shown(r), (ticks >> r & 1) != 0);
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

// Work on the worker, held at one entry of its walk while the test looks
// at the window, until released.
class WorkTest : public SelectionTest {
 protected:
  // Clicks the button, or sends its command as another program would, and
  // waits until the work is held at entry `at`.
  void StartHeld(int id, int at, bool click = true) {
    fs.onEntry = [this, at, seen = 0]() mutable {
      if (++seen != at) return;
      held = true;
      // Let go in the end: a fault then fails the test instead of hanging it.
      for (int ms = 0; !released && ms < 5000; ++ms) Sleep(1);
    };
    click ? SendMessageW(Item(id), BM_CLICK, 0, 0) : SendMessageW(hwnd, WM_COMMAND, id, 0);
    while (!held) Sleep(1);
    Sleep(150);  // a tick of the progress timer
    test::PumpMessages(hwnd);
  }
  std::vector<bool> Enabled() const {
    std::vector<bool> enabled;
    for (int id : kWorkButtons) enabled.push_back(On(id));
    return enabled;
  }
  // What commands that start work or change rows change: rows, ticks, the
  // boxes and radios, the mode, the status line, the cache and the boxes
  // and launches asked for.
  auto Effects() const {
    int boxes = 0;
    for (int id : {IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_INVERT, IDC_NO_LIMIT, IDC_MATCH_WINDOW})
      boxes = boxes << 1 | IsDlgButtonChecked(hwnd, id);
    return std::make_tuple(Rows(), Ticks(), boxes, static_cast<int>(dialog.Mode()), Status(), fs.Tree(kCache),
                           ui.folderTitles.size() + ui.saveRequests.size() + ui.questions.size() +
                               ui.messages.size() + ui.appMessages.size() + ui.shellCalls.size());
  }
  // Every such command as another program sends it: clicks posted to the
  // buttons and the list, commands posted to the dialog. None may run.
  void ExpectEveryWorkCommandRefused() {
    const auto before = Effects();
    for (int id : {IDC_SEARCH, IDC_SELECT_ALL, IDC_INVERT, IDC_SELECT_NONE, IDC_MATCH_WINDOW})
      PostMessageW(Item(id), BM_CLICK, 0, 0);
    for (int id : {IDC_CLEAN, IDC_SAVE_SELECTED, IDC_SAVE_CURRENT, IDC_VIEW_CURRENT}) PostMessageW(hwnd, WM_COMMAND, id, 0);
    POINT row = TextOfRow(2);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(row.x, row.y));
    PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(row.x, row.y));
    test::PumpMessages(hwnd);
    EXPECT_EQ(Effects(), before);
  }

  static constexpr int kWorkButtons[] = {IDC_SEARCH,     IDC_CLEAN,      IDC_SAVE_SELECTED, IDC_SAVE_CURRENT,
                                         IDC_VIEW_CURRENT, IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_INVERT,
                                         IDC_NO_LIMIT,   IDC_MATCH_WINDOW};
  std::atomic<bool> held{false}, released{false};
};

// A search started by a click on 搜索: the button goes off, the focus goes
// to the list, whence the Esc key reaches the dialog.
TEST_F(WorkTest, EscapeStopsASearchWhichKeepsTheRowsFoundSoFar) {
  Mouse(WM_LBUTTONDOWN, TextOfRow(1));  // 查看当前 and 保存当前 on, the timer runs
  const std::wstring highlight = Status();
  const std::vector<bool> before = Enabled();
  StartHeld(IDC_SEARCH, 4);  // ".", "..", a.jpg, then held at 图片.jpg
  EXPECT_TRUE(dialog.Working());
  EXPECT_EQ(Enabled(), std::vector<bool>(std::size(kWorkButtons), false));
  EXPECT_EQ(GetFocus(), list);
  EXPECT_EQ(Status(), Utf8ToWide("正在搜索… 已找到 1 个文件"));
  EXPECT_TRUE(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32650)));  // IDC_APPSTARTING
  SendMessageW(hwnd, WM_TIMER, 1, 0);
  EXPECT_FALSE(On(IDC_SAVE_SELECTED));
  ExpectEveryWorkCommandRefused();
  // Done messages of no job that has returned, to the dialog and the
  // session's window: another program's, the first search's two, the held
  // one's (waiting for it would let the walk go on), one not started.
  for (WPARAM job : {0, 1, 2, 3, 4}) {
    for (HWND to : {hwnd, SessionWindow()}) PostMessageW(to, WorkSession::kDoneMessage, job, 0);
  }
  test::PumpMessages(hwnd);
  EXPECT_TRUE(dialog.Working());

  PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  test::PumpMessages(hwnd);
  released = true;
  WaitIdle();
  EXPECT_TRUE(IsWindowVisible(hwnd));  // the window stays
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 0), L"a.jpg");
  EXPECT_EQ(Status(), Utf8ToWide("已停止。"));
  EXPECT_EQ(Enabled(), before);
  EXPECT_EQ(GetFocus(), Item(IDC_SEARCH));

  // A search that ends by itself shows the status from before, not the stop.
  Click(IDC_SEARCH);
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(Status(), highlight);
}

TEST_F(WorkTest, EscapeStopsACleanAndTheSearchShowsWhatIsLeft) {
  KeyTo(0, true);
  StartHeld(IDC_CLEAN, 4, false);  // a.jpg deleted, held at 图片.jpg; the focus stays in the list
  EXPECT_EQ(Status(), Utf8ToWide("正在清理IE缓存… 已删除 1 个文件"));
  ListView_SetCheckState(list, 1, TRUE);
  EXPECT_EQ(Ticks(), 0b001);  // rows are not changed while work runs

  SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
  released = true;
  // The clean's done message lost (a full queue refuses one): the
  // session's timer finds the job returned.
  MSG done{};
  for (int ms = 0; ms < 5000 && !PeekMessageW(&done, SessionWindow(), WorkSession::kDoneMessage, WorkSession::kDoneMessage, PM_REMOVE); ++ms) Sleep(1);
  EXPECT_EQ(done.message, WorkSession::kDoneMessage);
  WaitIdle();
  EXPECT_EQ(fs.Tree(kCache), (std::vector<std::string>{Path("图片.jpg"), Path("c.swf")}));
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Status(), Utf8ToWide("已停止。"));
  EXPECT_EQ(GetFocus(), list);
}

// A box of ours runs a message loop of its own, in which other programs'
// commands arrive: none may start work or change rows. A start refused
// with a message leaves nothing busy.
TEST_F(WorkTest, NoCommandRunsWhileABoxOfOursIsOpen) {
  Mouse(WM_LBUTTONDOWN, TextOfRow(2));  // c.swf, which asks before it opens
  ASSERT_TRUE(TimerRanAndTicks());      // and no more ticks: 保存选中 stays as it is
  ui.dangerousTypes = {".swf"};
  int opened = 0;
  auto inside = [&] {
    ++opened;
    ui.whileOpen = nullptr;  // a box a fault opens again must not recurse
    EXPECT_FALSE(dialog.Working());
    ExpectEveryWorkCommandRefused();
  };
  dialog.SetAboutBox([&](HWND) { inside(); });
  auto command = [&](int id) {
    return [&, id] {
      ui.whileOpen = inside;
      SendMessageW(hwnd, WM_COMMAND, static_cast<WPARAM>(id), 0);
    };
  };
  const std::pair<const char*, std::function<void()>> boxes[] = {
      {"save-as dialog", command(IDC_SAVE_CURRENT)},
      {"Yes/No question", command(IDC_VIEW_CURRENT)},
      {"about box", command(IDC_ABOUT)},
      {"message, nothing ticked", command(IDC_SAVE_SELECTED)},
      {"folder chooser", [&] {
         ListView_SetCheckState(list, 0, TRUE);
         command(IDC_SAVE_SELECTED)();
       }},
      {"message of a refused search", [&] {
         fs.cacheFolder = "";
         command(IDC_SEARCH)();
       }},
  };
  const std::vector<bool> enabled = Enabled();
  for (const auto& [box, open] : boxes) {
    SCOPED_TRACE(box);
    const int before = opened;
    open();
    EXPECT_EQ(opened, before + 1);
    WaitIdle();
    EXPECT_EQ(Enabled(), enabled);
  }
  EXPECT_TRUE(ui.shellCalls.empty());  // the question was answered No
  EXPECT_FALSE(KillTimer(SessionWindow(), WorkSession::kProgressTimer));  // no progress timer left
}

// Column widths laid out for 96 DPI grow with the window's DPI; a DPI the
// system reports wrongly leaves them as they are.
TEST(Dpi, ScalesFrom96AndTakesNonsenseAs96) {
  const std::pair<int, int> dpiAndWidth[] = {{96, 265},  {144, 398}, {192, 530},  {48, 133},
                                             {960, 2650}, {0, 265},   {-144, 265}, {47, 265}, {961, 265}};
  for (auto [dpi, width] : dpiAndWidth) EXPECT_EQ(ScaleToDpi(265, dpi), width) << dpi;
}

}  // namespace
}  // namespace morlind
