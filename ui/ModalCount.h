// How many boxes, choosers and menus of ours are open over the main window:
// they run a message loop of their own, in which commands other programs
// post still arrive. The dialog asks this count alone whether one is open,
// so whatever opens one counts it here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
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

  void ShowMessage(const std::string& text) override {
    Counted([&] { inner_.ShowMessage(text); });
  }
  void ShowAppMessage(const std::string& text) override {
    Counted([&] { inner_.ShowAppMessage(text); });
  }
  bool AskYesNo(const std::string& question) override {
    return Counted([&] { return inner_.AskYesNo(question); });
  }
  std::optional<std::string> ChooseFolder(const std::string& title) override {
    return Counted([&] { return inner_.ChooseFolder(title); });
  }
  std::optional<std::string> ChooseSavePath(const SaveAsRequest& request) override {
    return Counted([&] { return inner_.ChooseSavePath(request); });
  }
  // The shell may show a box of its own (no program for the type, a failed
  // start).
  LaunchResult ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                         bool withOwner) override {
    return Counted([&] { return inner_.ShellOpen(verb, target, showCommand, withOwner); });
  }
  bool ShellMarksDangerous(const std::string& type) override {
    return Counted([&] { return inner_.ShellMarksDangerous(type); });
  }
  void ShowInFolder(const std::string& path) override {
    Counted([&] { inner_.ShowInFolder(path); });
  }
  std::uint32_t CopyText(const std::string& text) override { return inner_.CopyText(text); }
  std::uint32_t CopyFiles(const std::vector<std::string>& paths) override { return inner_.CopyFiles(paths); }
  bool ShowHelp(const std::string& helpFile, unsigned context) override {
    return Counted([&] { return inner_.ShowHelp(helpFile, context); });
  }

 private:
  template <class Call>
  std::invoke_result_t<Call&> Counted(Call call) {
    ModalCount::Scope open(count_);
    return call();
  }

  UiServices& inner_;
  ModalCount& count_;
};

}  // namespace morlind
