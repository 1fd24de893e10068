#include "app/AboutDlg.h"

#include <string>

#include "platform/WideText.h"
#include "res/resource.h"
#include "wingui/Wnd.h"

namespace morlind {

namespace {
constexpr const char* kMailAddress = "morlind@example.com";
constexpr const char* kQqNumber = "12345678";
constexpr const char* kSignature = "枫林小筑";

// Ten lines joined by CR LF; the first one is empty, the last one ends
// without a line break.
std::string AboutText() {
  const std::string lines[] = {
      "",
      "Morlind V2.0",
      "",
      "IE缓存文件查找、提取与清理工具",
      "",
      std::string("有问题或意见请联系") + kMailAddress,
      WideToUtf8(ResourceString(IDS_HOMEPAGE)),
      std::string("QQ:") + kQqNumber,
      "",
      std::string(kSignature) + " 2008.8",
  };
  std::string text;
  for (const std::string& line : lines) {
    if (&line != lines) text += "\r\n";
    text += line;
  }
  return text;
}

}  // namespace

CAboutDlg::CAboutDlg(HWND parent) : CDialog(IDD_ABOUTBOX, parent) {}

void ShowAboutBox(HWND owner) {
  CAboutDlg about(owner);
  about.DoModal();
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ::SetDlgItemTextW(hwnd_, IDC_ABOUT_TEXT, Utf8ToWide(AboutText()).c_str());
  return TRUE;
}

}  // namespace morlind
