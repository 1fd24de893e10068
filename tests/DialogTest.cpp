// The dialog framework on its own: event-table dispatch, data exchange, the
// default OK and cancel, centring. A probe dialog on the main template with
// its own table and bindings.
#include "ui/Dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "res/resource.h"
#include "tests/WindowTestSupport.h"

namespace morlind {
namespace {

class ProbeDialog : public CDialog {
 public:
  explicit ProbeDialog(HWND parent = nullptr) : CDialog(IDD_MORLIND_DIALOG, parent) {}

  int searchClicks = 0;
  std::vector<UINT_PTR> timers;
  std::vector<UINT> sysCommands;
  std::vector<UINT> ctlColorKinds;
  HBRUSH defaultBrush = nullptr;
  std::vector<POINT> presses;

  int selectAll = 0;
  std::wstring status;
  int pulls = 0;

 protected:
  void DoDataExchange(CDataExchange& dx) override {
    if (dx.save) ++pulls;
    DDX_Check(dx, IDC_SELECT_ALL, selectAll);
    DDX_Text(dx, IDC_STATUS, status);
  }
  const EventTable* GetEventTable() const override { return &kTable; }

 private:
  void OnSearch() { ++searchClicks; }
  void OnTimer(UINT_PTR id) { timers.push_back(id); }
  void OnSysCommand(UINT id, LPARAM) {
    sysCommands.push_back(id);
    Default();
  }
  HBRUSH OnCtlColor(HDC, HWND, UINT kind) {
    ctlColorKinds.push_back(kind);
    defaultBrush = reinterpret_cast<HBRUSH>(Default());
    return defaultBrush;
  }
  void OnLButtonDown(UINT, POINT point) { presses.push_back(point); }

  static const EventEntry kEvents[];
  static const EventTable kTable;
};

const EventEntry ProbeDialog::kEvents[] = {
    events::Clicked(IDC_SEARCH, &ProbeDialog::OnSearch),
    events::Timer(&ProbeDialog::OnTimer),
    events::SysCommand(&ProbeDialog::OnSysCommand),
    events::CtlColor(&ProbeDialog::OnCtlColor),
    events::LButtonDown(&ProbeDialog::OnLButtonDown),
};
const EventTable ProbeDialog::kTable = {&CDialog::kEventTable, kEvents};

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::InitCommonControlsOnce(); }

  void Open(ProbeDialog& dialog) {
    ASSERT_TRUE(dialog.Create());
    test::PumpMessages(dialog.GetSafeHwnd());
  }
  static void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
};

TEST_F(DialogTest, TableRowsReachTheirHandlersWithTheMessageCracked) {
  ProbeDialog dialog;
  Open(dialog);
  HWND hwnd = dialog.GetSafeHwnd();

  Click(hwnd, IDC_SEARCH);
  EXPECT_EQ(dialog.searchClicks, 1);
  SendMessageW(hwnd, WM_TIMER, 7, 0);
  EXPECT_EQ(dialog.timers, std::vector<UINT_PTR>{7});
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34));
  ASSERT_EQ(dialog.presses.size(), 1u);
  EXPECT_EQ(dialog.presses[0].x, 12);
  EXPECT_EQ(dialog.presses[0].y, 34);

  // One row serves every control-colour message; the handler sees the kind
  // and can take the default brush first.
  dialog.ctlColorKinds.clear();  // painting asked already
  HDC dc = GetDC(hwnd);
  LRESULT brush = SendMessageW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_HOMEPAGE)));
  SendMessageW(hwnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDC_SEARCH)));
  ReleaseDC(hwnd, dc);
  EXPECT_EQ(dialog.ctlColorKinds, (std::vector<UINT>{CTLCOLOR_STATIC, CTLCOLOR_BTN}));
  EXPECT_NE(dialog.defaultBrush, nullptr);
  EXPECT_EQ(brush, reinterpret_cast<LRESULT>(dialog.defaultBrush));

  // A button no row names: the default handling, nothing else happens.
  Click(hwnd, IDC_CLEAN);
  EXPECT_EQ(dialog.searchClicks, 1);
  EXPECT_FALSE(dialog.Result());
}

TEST_F(DialogTest, OkPullsThenEndsAndCancelEndsWithoutPulling) {
  ProbeDialog ok;
  Open(ok);
  SendDlgItemMessageW(ok.GetSafeHwnd(), IDC_SELECT_ALL, BM_SETCHECK, BST_CHECKED, 0);
  Click(ok.GetSafeHwnd(), IDOK);
  EXPECT_EQ(ok.Result(), IDOK);
  EXPECT_EQ(ok.selectAll, 1);

  ProbeDialog cancel;
  Open(cancel);
  SendDlgItemMessageW(cancel.GetSafeHwnd(), IDC_SELECT_ALL, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(cancel.GetSafeHwnd(), WM_CLOSE, 0, 0);
  test::PumpMessages(cancel.GetSafeHwnd());  // the close box posts the cancel command
  EXPECT_EQ(cancel.Result(), IDCANCEL);
  EXPECT_EQ(cancel.pulls, 0);
  EXPECT_EQ(cancel.selectAll, 0);
}

TEST_F(DialogTest, DataExchangeMovesChecksAndTexts) {
  ProbeDialog dialog;
  Open(dialog);
  HWND hwnd = dialog.GetSafeHwnd();

  dialog.selectAll = 1;
  dialog.status = L"第一行";
  dialog.UpdateData(false);
  EXPECT_EQ(IsDlgButtonChecked(hwnd, IDC_SELECT_ALL), BST_CHECKED);
  EXPECT_EQ(test::TextOf(GetDlgItem(hwnd, IDC_STATUS)), L"第一行");

  CheckDlgButton(hwnd, IDC_SELECT_ALL, BST_UNCHECKED);
  SetDlgItemTextW(hwnd, IDC_STATUS, L"改过");
  dialog.UpdateData(true);
  EXPECT_EQ(dialog.selectAll, 0);
  EXPECT_EQ(dialog.status, L"改过");
}

TEST_F(DialogTest, RepeatedPushOfTheSameTextKeepsTheEditScrolled) {
  ProbeDialog dialog;
  Open(dialog);
  HWND edit = GetDlgItem(dialog.GetSafeHwnd(), IDC_STATUS);

  std::wstring lines;
  for (int i = 0; i < 12; ++i) lines += L"当前选中 C:\\cache\\" + std::to_wstring(i) + L".jpg\r\n";
  dialog.status = lines;
  dialog.UpdateData(false);
  SendMessageW(edit, EM_LINESCROLL, 0, 4);
  ASSERT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 4);

  for (int i = 0; i < 3; ++i) dialog.UpdateData(false);
  EXPECT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 4);

  dialog.status = L"没有选中文件";
  dialog.UpdateData(false);
  EXPECT_EQ(test::TextOf(edit), L"没有选中文件");
  EXPECT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(DialogTest, OpensCentredOnTheScreenOrOverItsOwner) {
  auto centre = [](const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; };

  ProbeDialog alone;
  Open(alone);
  RECT window{};
  GetWindowRect(alone.GetSafeHwnd(), &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(alone.GetSafeHwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
  RECT area = monitor.rcWork;
  if (window.bottom - window.top <= area.bottom - area.top) {
    EXPECT_NEAR(centre(window).y, centre(area).y, 1);
  }
  EXPECT_NEAR(centre(window).x, centre(area).x, 1);

  HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_POPUP | WS_VISIBLE, 300, 200, 400, 300,
                               nullptr, nullptr, nullptr, nullptr);
  ProbeDialog owned(owner);
  Open(owned);
  GetWindowRect(owned.GetSafeHwnd(), &window);
  RECT ownerRect{};
  GetWindowRect(owner, &ownerRect);
  // Over the owner, as far as the work area lets it.
  LONG width = window.right - window.left;
  LONG height = window.bottom - window.top;
  LONG left = std::max(area.left, std::min(centre(ownerRect).x - width / 2, area.right - width));
  LONG top = std::max(area.top, std::min(centre(ownerRect).y - height / 2, area.bottom - height));
  EXPECT_NEAR(window.left, left, 1);
  EXPECT_NEAR(window.top, top, 1);
  owned.DestroyWindow();
  DestroyWindow(owner);
}

}  // namespace
}  // namespace morlind
