#include "ui/WinApp.h"

namespace morlind {

CWinApp* CWinApp::current_ = nullptr;

CWinApp::CWinApp() { current_ = this; }

CWinApp::~CWinApp() {
  if (current_ == this) current_ = nullptr;
}

int CWinApp::Run() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

int RunApplication() {
  CWinApp* app = CWinApp::Current();
  if (!app || !app->InitInstance()) return 0;
  return app->Run();
}

}  // namespace morlind
