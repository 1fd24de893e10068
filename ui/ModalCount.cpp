#include "ui/ModalCount.h"

namespace morlind {

void CountingUiServices::ShowMessage(const std::string& text) {
  ModalCount::Scope open(count_);
  inner_.ShowMessage(text);
}

void CountingUiServices::ShowAppMessage(const std::string& text) {
  ModalCount::Scope open(count_);
  inner_.ShowAppMessage(text);
}

bool CountingUiServices::AskYesNo(const std::string& question) {
  ModalCount::Scope open(count_);
  return inner_.AskYesNo(question);
}

std::optional<std::string> CountingUiServices::ChooseFolder(const std::string& title) {
  ModalCount::Scope open(count_);
  return inner_.ChooseFolder(title);
}

std::optional<std::string> CountingUiServices::ChooseSavePath(const SaveAsRequest& request) {
  ModalCount::Scope open(count_);
  return inner_.ChooseSavePath(request);
}

// The shell may show a box of its own (no program for the type, a failed
// start).
LaunchResult CountingUiServices::ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                                           bool withOwner) {
  ModalCount::Scope open(count_);
  return inner_.ShellOpen(verb, target, showCommand, withOwner);
}

void CountingUiServices::ShowInFolder(const std::string& path) {
  ModalCount::Scope open(count_);
  inner_.ShowInFolder(path);
}

bool CountingUiServices::ShellMarksDangerous(const std::string& type) {
  ModalCount::Scope open(count_);
  return inner_.ShellMarksDangerous(type);
}

bool CountingUiServices::ShowHelp(const std::string& helpFile, unsigned context) {
  ModalCount::Scope open(count_);
  return inner_.ShowHelp(helpFile, context);
}

}  // namespace morlind
