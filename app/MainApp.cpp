#include "app/MainApp.h"

#include <commctrl.h>

#include "app/AboutDlg.h"
#include "platform/ModulePath.h"
#include "platform/WideText.h"
#include "platform/Win32Platform.h"
#include "wingui/Dialog.h"
#include "ui/MainDlg.h"
#include "app/Win32UiServices.h"

namespace morlind {

namespace {

CMainApp theApp;

constexpr const char* kHelpFailedText = "启动帮助失败。";

// Beside the executable, named like it (ANSI, for the help viewer).
std::string HelpFilePath() { return WideToUtf8(WithoutExtension(ExecutablePath())) + ".HLP"; }

}  // namespace

// F1 in any of our dialogs.
const CommandEntry CMainApp::kCommands[] = {
    {kHelpCommand, static_cast<void (CWinApp::*)()>(&CMainApp::OnHelp)},
};

std::span<const CommandEntry> CMainApp::GetCommandTable() const { return kCommands; }

BOOL CMainApp::InitInstance() {
  // Control hosting and the 3-D look need nothing today but the common controls.
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES;
  ::InitCommonControlsEx(&controls);

  Win32Platform platform;
  Win32UiServices ui;
  CMainDlg dialog(platform, ui);
  // Message boxes and the help viewer are owned by the main dialog.
  dialog.SetOnCreated([&ui](HWND window) { ui.SetOwner(window); });
  dialog.SetAboutBox(ShowAboutBox);
  SetMainWnd(&dialog);
  // The help's message is a box of the dialog's: counted as its own are.
  SetUiServices(&dialog.Services());
  dialog.DoModal();
  SetUiServices(nullptr);
  SetMainWnd(nullptr);
  // No loop of our own: the program ends with the dialog.
  return FALSE;
}

void CMainApp::OnHelp() {
  const CDialog* dialog = ActiveDialog();
  if (!ui_ || !dialog) return;
  if (!ui_->ShowHelp(HelpFilePath(), kHelpContextBase + dialog->TemplateId())) {
    ui_->ShowAppMessage(kHelpFailedText);
  }
}

}  // namespace morlind
