// The application object: exactly one exists, a static object constructed
// before start-up, which then calls its InitInstance. Commands that no
// dialog handles go to its command table; the help command (F1) is one.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "wingui/Dialog.h"

namespace morlind {

class CWinApp;

// Help contexts of dialogs: this base plus the dialog's template number.
constexpr unsigned kHelpContextBase = 0x20000;

struct CommandEntry {
  UINT id;
  void (CWinApp::*handler)();
};

class CWinApp : public CommandRoute {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // FALSE ends the program at once, without a message loop of its own.
  virtual BOOL InitInstance() = 0;
  // The message loop for an application that keeps running; its exit code.
  virtual int Run();

  // Runs the command table's handler for id; false when it has none.
  bool OnCmdMsg(UINT id) override;

  // The window whose last active popup counts as the active dialog.
  void SetMainWnd(CWnd* window) { mainWnd_ = window; }
  CWnd* MainWnd() const { return mainWnd_; }
  HWND MainWindow() const override { return mainWnd_ ? mainWnd_->GetSafeHwnd() : nullptr; }
  static CWinApp* Current() { return current_; }

 protected:
  virtual std::span<const CommandEntry> GetCommandTable() const { return {}; }
  // The dialog in front: the main window's last active popup, or the
  // nearest owner of it that is a dialog of ours (a message box is not).
  const CDialog* ActiveDialog() const;

 private:
  static CWinApp* current_;
  CWnd* mainWnd_ = nullptr;
};

// The program's start: InitInstance of the one application object, then its
// loop when it asks for one. The process exit code.
int RunApplication();

}  // namespace morlind
