// The application: starts the main dialog and ends when it ends.
#pragma once

#include "ui/WinApp.h"

namespace morlind {

class CMainApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};

}  // namespace morlind
