#include "app/MainApp.h"

#include <commctrl.h>

#include "platform/Win32Platform.h"
#include "ui/MainDlg.h"
#include "ui/Win32UiServices.h"

namespace morlind {

namespace {
CMainApp theApp;
}  // namespace

// F1 in any of our dialogs.
const CommandEntry CMainApp::kCommands[] = {
    {kHelpCommand, &CWinApp::OnHelp},
};

std::span<const CommandEntry> CMainApp::GetCommandTable() const { return kCommands; }

BOOL CMainApp::InitInstance() {
  // Control hosting and the 3-D look need nothing today but the common controls.
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);

  Win32Platform platform;
  Win32UiServices ui;
  CMainDlg dialog(platform, ui);
  // Message boxes and the help viewer are owned by the main dialog.
  dialog.SetOnCreated([&ui](HWND window) { ui.SetOwner(window); });
  SetMainWnd(&dialog);
  SetUiServices(&ui);
  dialog.DoModal();
  SetUiServices(nullptr);
  SetMainWnd(nullptr);
  // No loop of our own: the program ends with the dialog.
  return FALSE;
}

}  // namespace morlind
