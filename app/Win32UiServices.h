// The user-interface services over real Win32 dialogs: message boxes, the
// shell's folder chooser, the save-as dialog, shell launches and the help
// viewer.
#pragma once

#include <windows.h>

#include <string>

#include "actions/UiServices.h"

namespace morlind {

class Win32UiServices : public UiServices {
 public:
  explicit Win32UiServices(HWND owner = nullptr);

  // The main dialog sets itself once its window exists.
  void SetOwner(HWND owner) { owner_ = owner; }

  void ShowMessage(const std::string& text) override;
  void ShowAppMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  std::optional<std::string> ChooseSavePath(const SaveAsRequest& request) override;
  LaunchResult ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                         bool withOwner) override;
  bool ShellMarksDangerous(const std::string& type) override;
  void ShowInFolder(const std::string& path) override;
  std::uint32_t CopyText(const std::string& text) override;
  std::uint32_t CopyFiles(const std::vector<std::string>& paths) override;
  bool ShowHelp(const std::string& helpFile, unsigned context) override;

 private:
  HWND owner_;
  std::wstring caption_;
};

}  // namespace morlind
