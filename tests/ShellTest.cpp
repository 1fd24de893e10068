// The application shell around the main dialog, in process: the link
// label and F1, with the user-interface services faked,
// under the program's own application object. The about box is opened from
// outside by the end-to-end test.
#include <gtest/gtest.h>

#include "app/AboutDlg.h"
#include "app/MainApp.h"
#include "tests/WindowTestSupport.h"

namespace morlind {
namespace {

// What the system posts to the focused window for the F1 key.
constexpr UINT kKeyF1 = 0x004D;

class ShellTest : public test::MainDlgFixture {
 protected:
  void SetUp() override {
    MainDlgFixture::SetUp();
    app = static_cast<CMainApp*>(CWinApp::Current());
    ASSERT_NE(app, nullptr) << "the program's application object is linked in";
    dialog.SetAboutBox(ShowAboutBox);
    app->SetMainWnd(&dialog);
    app->SetUiServices(&dialog.Services());  // as the program does
  }
  void TearDown() override {
    if (app) {
      app->SetMainWnd(nullptr);
      app->SetUiServices(nullptr);
    }
    MainDlgFixture::TearDown();
  }

  CMainApp* app = nullptr;
};

TEST_F(ShellTest, LinkLabelIsBlueOnTheDefaultBrushAndOtherTextIsLeftAlone) {
  HBRUSH brushes[2] = {};
  const HWND controls[2] = {Item(IDC_HOMEPAGE), GetWindow(hwnd, GW_CHILD) /* "文件类型：" */};
  for (int i = 0; i < 2; ++i) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));  // its background mode starts opaque
    brushes[i] = reinterpret_cast<HBRUSH>(SendMessageW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(controls[i])));
    EXPECT_EQ(GetTextColor(dc) == 0x00C80000, i == 0) << i;
    EXPECT_EQ(GetBkMode(dc) == TRANSPARENT, i == 0) << i;
    DeleteDC(dc);
  }
  EXPECT_NE(brushes[0], nullptr);
  EXPECT_EQ(brushes[0], brushes[1]);
}

TEST_F(ShellTest, OverTheLinkLabelTheHandShowsAndAClickOpensTheSiteMaximised) {
  const HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK_CURSOR));
  ASSERT_NE(hand, nullptr);
  RECT label{};
  GetWindowRect(Item(IDC_HOMEPAGE), &label);
  const POINT onLabel{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
  RECT client{};
  GetClientRect(hwnd, &client);
  POINT bare{client.right / 2, client.bottom - 3};  // below the results, beside 退出
  ASSERT_EQ(ChildWindowFromPoint(hwnd, bare), hwnd);
  ClientToScreen(hwnd, &bare);

  for (auto [at, overLabel] : {std::pair{onLabel, true}, {bare, false}, {onLabel, true}}) {
    SCOPED_TRACE(overLabel ? "over the label" : "off the label");
    ASSERT_TRUE(SetCursorPos(at.x, at.y));
    test::PumpMessages(hwnd);
    SetCursor(nullptr);
    LRESULT handled =
        SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), overLabel ? hand : LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(handled || !overLabel);

    ui.shellCalls.clear();
    ScreenToClient(hwnd, &at);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    ASSERT_EQ(ui.shellCalls.size(), overLabel ? 1u : 0u);
    if (overLabel) {  // the default verb, maximised (SW_SHOWMAXIMIZED), owned by the dialog
      EXPECT_EQ(ui.shellCalls[0], (test::FakeUi::ShellCall{"", WideToUtf8(ResourceString(IDS_HOMEPAGE)), 3, true}));
    }
  }
}

TEST_F(ShellTest, F1AsksForTheActiveDialogsTopicAndSaysSoWhenHelpCannotStart) {
  char module[MAX_PATH] = {};
  std::string exe(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
  ASSERT_EQ(exe.substr(exe.size() - 4), ".exe");

  // In the main dialog, from the file-type field.
  PostMessageW(GetWindow(Item(IDC_FILE_TYPE), GW_CHILD), kKeyF1, 0, 0);
  test::PumpMessages(hwnd);
  ASSERT_EQ(ui.helpCalls.size(), 1u);
  EXPECT_EQ(ui.helpCalls[0], std::pair(exe.substr(0, exe.size() - 4) + ".HLP", 0x20066u));
  EXPECT_EQ(ui.appMessages, std::vector<std::string>{"启动帮助失败。"});

  // In the about box over it, from a timer its modal loop runs; this time
  // the viewer starts.
  ui.helpStarts = true;
  static HWND main;
  main = hwnd;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR self, DWORD) {
    HWND box = GetLastActivePopup(main);
    if (box == main) return;
    KillTimer(nullptr, self);
    PostMessageW(GetDlgItem(box, IDC_ABOUT_TEXT), kKeyF1, 0, 0);
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  SendMessageW(Item(IDC_ABOUT), BM_CLICK, 0, 0);
  KillTimer(nullptr, timer);
  ASSERT_EQ(ui.helpCalls.size(), 2u);
  EXPECT_EQ(ui.helpCalls[1].second, 0x20064u);
  EXPECT_EQ(ui.appMessages.size(), 1u);
}

}  // namespace
}  // namespace morlind
