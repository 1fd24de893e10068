#include "wingui/WinApp.h"

namespace morlind {

CWinApp* CWinApp::current_ = nullptr;

CWinApp::CWinApp() {
  current_ = this;
  SetCommandRoute(this);
}

CWinApp::~CWinApp() {
  if (current_ != this) return;
  current_ = nullptr;
  SetCommandRoute(nullptr);
}

int CWinApp::Run() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

bool CWinApp::OnCmdMsg(UINT id) {
  for (const CommandEntry& entry : GetCommandTable()) {
    if (entry.id != id) continue;
    (this->*entry.handler)();
    return true;
  }
  return false;
}

const CDialog* CWinApp::ActiveDialog() const {
  HWND top = mainWnd_ && mainWnd_->GetSafeHwnd() ? mainWnd_->GetSafeHwnd() : ::GetActiveWindow();
  for (HWND window = top ? ::GetLastActivePopup(top) : nullptr; window;
       window = ::GetWindow(window, GW_OWNER)) {
    if (const CDialog* dialog = CDialog::FromHandle(window)) return dialog;
  }
  return nullptr;
}

int RunApplication() {
  CWinApp* app = CWinApp::Current();
  if (!app || !app->InitInstance()) return 0;
  return app->Run();
}

}  // namespace morlind
