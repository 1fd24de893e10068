// The application: starts the main dialog and ends when it ends; F1 in any
// of its dialogs asks the help viewer for that dialog's topic.
#pragma once

#include "actions/UiServices.h"
#include "wingui/WinApp.h"

namespace morlind {

class CMainApp : public CWinApp {
 public:
  BOOL InitInstance() override;

  // The help for the active dialog: its topic in the help file named like
  // the executable, or the application message when the viewer fails.
  void OnHelp();
  // The application message box and the help viewer; none: help is ignored.
  void SetUiServices(UiServices* ui) { ui_ = ui; }

 protected:
  std::span<const CommandEntry> GetCommandTable() const override;

 private:
  static const CommandEntry kCommands[];
  UiServices* ui_ = nullptr;
};

}  // namespace morlind
