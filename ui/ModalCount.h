// How many boxes, choosers and menus of ours are open over the main window:
// they run a message loop of their own, in which commands other programs
// post still arrive. The dialog asks this count alone whether one is open,
// so whatever opens one counts it here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/UiServices.h"

namespace morlind {

// Each Scope counts one box or menu while it lives.
class ModalCount {
 public:
  class Scope {
   public:
    explicit Scope(ModalCount& count) : count_(count) { ++count_.open_; }
    ~Scope() { --count_.open_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    ModalCount& count_;
  };

  bool Any() const { return open_ > 0; }

 private:
  int open_ = 0;
};

// The services with every call counted as an open box while it lasts.
class CountingUiServices : public UiServices {
 public:
  CountingUiServices(UiServices& inner, ModalCount& count) : inner_(inner), count_(count) {}

  void ShowMessage(const std::string& text) override;
  void ShowAppMessage(const std::string& text) override;
  bool AskYesNo(const std::string& question) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  std::optional<std::string> ChooseSavePath(const SaveAsRequest& request) override;
  LaunchResult ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                         bool withOwner) override;
  bool ShellMarksDangerous(const std::string& type) override;
  void ShowInFolder(const std::string& path) override;
  std::uint32_t CopyText(const std::string& text) override { return inner_.CopyText(text); }
  std::uint32_t CopyFiles(const std::vector<std::string>& paths) override { return inner_.CopyFiles(paths); }
  bool ShowHelp(const std::string& helpFile, unsigned context) override;

 private:
  UiServices& inner_;
  ModalCount& count_;
};

}  // namespace morlind
