// The application: starts the main dialog and ends when it ends.
#pragma once

#include "ui/WinApp.h"

namespace morlind {

class CMainApp : public CWinApp {
 public:
  BOOL InitInstance() override;

 protected:
  std::span<const CommandEntry> GetCommandTable() const override;

 private:
  static const CommandEntry kCommands[];
};

}  // namespace morlind
