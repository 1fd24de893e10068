// The dialog framework on its own: the default OK and cancel. Its event
// table, data exchange and the message an exception ends in are met through
// the main dialog in MainDlgTest.cpp and ShellTest.cpp, centring by the
// end-to-end test.
#include "wingui/Dialog.h"

#include <gtest/gtest.h>

#include "tests/WindowTestSupport.h"

namespace morlind {
namespace {

// The main template with a binding of its own.
class ProbeDialog : public CDialog {
 public:
  ProbeDialog() : CDialog(IDD_MORLIND_DIALOG, nullptr) {}

  int selectAll = 0;

 protected:
  void DoDataExchange(CDataExchange& dx) override {
    DDX_Check(dx, IDC_SELECT_ALL, selectAll);
  }
};

class DialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::RegisterCommonControls(); }

  void Open(ProbeDialog& dialog) {
    ASSERT_TRUE(dialog.Create());
    test::PumpMessages(dialog.GetSafeHwnd());
  }
  static void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
};

TEST_F(DialogTest, OkPullsTheDataThenEndsAndCancelEndsWithoutPulling) {
  ProbeDialog ok;
  Open(ok);
  HWND hwnd = ok.GetSafeHwnd();
  CheckDlgButton(hwnd, IDC_SELECT_ALL, BST_CHECKED);
  Click(hwnd, IDOK);
  EXPECT_EQ(ok.Result(), IDOK);
  EXPECT_EQ(ok.selectAll, 1);

  ProbeDialog cancel;
  Open(cancel);
  CheckDlgButton(cancel.GetSafeHwnd(), IDC_SELECT_ALL, BST_CHECKED);
  SendMessageW(cancel.GetSafeHwnd(), WM_CLOSE, 0, 0);
  test::PumpMessages(cancel.GetSafeHwnd());  // the close box posts the cancel command
  EXPECT_EQ(cancel.Result(), IDCANCEL);
  EXPECT_EQ(cancel.selectAll, 0);  // not pulled
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
