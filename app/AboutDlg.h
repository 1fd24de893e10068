// The about box: the program's name, what it does and how to reach its
// maker, with the application icon.
#pragma once

#include <windows.h>

#include "wingui/Dialog.h"

namespace morlind {

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(HWND parent = nullptr);

 protected:
  BOOL OnInitDialog() override;
};

// Runs the about box modally over owner.
void ShowAboutBox(HWND owner);

}  // namespace morlind
