#include "app/MainApp.h"

#include <commctrl.h>

#include "platform/Win32Platform.h"
#include "ui/MainDlg.h"
#include "ui/Win32UiServices.h"

namespace morlind {

namespace {
CMainApp theApp;
}  // namespace

BOOL CMainApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES;
  ::InitCommonControlsEx(&controls);

  Win32Platform platform;
  Win32UiServices ui;
  CMainDlg dialog(platform, ui);
  // Message boxes are owned by the main dialog.
  dialog.SetOnCreated([&ui](HWND window) { ui.SetOwner(window); });
  dialog.DoModal();
  return FALSE;
}

}  // namespace morlind
