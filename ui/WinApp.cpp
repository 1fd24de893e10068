#include "ui/WinApp.h"

#include <vector>

#include "ui/Dialog.h"

namespace morlind {

namespace {
constexpr const char* kHelpFailedText = "启动帮助失败。";
}  // namespace

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

bool CWinApp::OnCmdMsg(UINT id) {
  for (const CommandEntry& entry : GetCommandTable()) {
    if (entry.id != id) continue;
    (this->*entry.handler)();
    return true;
  }
  return false;
}

void CWinApp::OnHelp() {
  if (!ui_) return;
  HWND top = mainWnd_ && mainWnd_->GetSafeHwnd() ? mainWnd_->GetSafeHwnd() : ::GetActiveWindow();
  // The about box, when open, is the main window's last active popup; a
  // window of no dialog of ours (a message box) defers to its owner.
  for (HWND window = top ? ::GetLastActivePopup(top) : nullptr; window;
       window = ::GetWindow(window, GW_OWNER)) {
    if (const CDialog* dialog = CDialog::FromHandle(window)) {
      if (!ui_->ShowHelp(HelpFilePath(), kHelpContextBase + dialog->TemplateId())) {
        ui_->ShowAppMessage(kHelpFailedText);
      }
      return;
    }
  }
}

std::string CWinApp::HelpFilePath() {
  std::vector<char> buffer(MAX_PATH);
  DWORD length = 0;
  for (;;) {
    length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) break;
    buffer.resize(buffer.size() * 2);  // truncated: try a larger buffer
  }
  std::string path(buffer.data(), length);
  std::size_t dot = path.rfind('.');
  std::size_t slash = path.find_last_of("\\/");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
  return path + ".HLP";
}

int RunApplication() {
  CWinApp* app = CWinApp::Current();
  if (!app || !app->InitInstance()) return 0;
  return app->Run();
}

}  // namespace morlind
