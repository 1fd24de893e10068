// The application object: exactly one exists, a static object constructed
// before start-up, which then calls its InitInstance.
#pragma once

#include <windows.h>

namespace morlind {

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // FALSE ends the program at once, without a message loop of its own.
  virtual BOOL InitInstance() = 0;
  // The message loop for an application that keeps running; its exit code.
  virtual int Run();

  static CWinApp* Current() { return current_; }

 private:
  static CWinApp* current_;
};

// The program's start: InitInstance of the one application object, then its
// loop when it asks for one. The process exit code.
int RunApplication();

}  // namespace morlind
