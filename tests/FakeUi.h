// A scripted stand-in for the user-interface services: answers are queued
// by the test, the boxes and launches asked for are recorded.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "actions/UiServices.h"

namespace morlind::test {

class FakeUi : public UiServices {
 public:
  struct ShellCall {
    std::string verb, target;
    int showCommand;
    bool withOwner;
    bool operator==(const ShellCall&) const = default;
  };

  // Answers for the next dialogs; an empty queue means the user cancels
  // (or says No).
  std::deque<std::optional<std::string>> folderAnswers, savePathAnswers;
  std::deque<bool> yesNoAnswers;
  std::vector<std::string> dangerousTypes;  // what the system counts as unsafe
  bool helpStarts = false;                  // whether the help viewer comes up
  std::function<void()> whileOpen;          // runs while a box or chooser is "open"
  std::deque<LaunchResult> launchResults;   // how the next launches go; started when empty

  std::vector<std::string> messages;     // dialog message boxes (no icon)
  std::vector<std::string> appMessages;  // application message boxes (exclamation)
  std::vector<std::string> questions, folderTitles;
  std::uint32_t clipboardError = 0;  // what the clipboard calls answer
  std::vector<SaveAsRequest> saveRequests;
  std::vector<ShellCall> shellCalls;
  std::vector<std::pair<std::string, unsigned>> helpCalls;  // file and context

  void ShowMessage(const std::string& text) override { Open(messages, text); }
  void ShowAppMessage(const std::string& text) override { Open(appMessages, text); }
  bool AskYesNo(const std::string& question) override {
    Open(questions, question);
    return Next(yesNoAnswers).value_or(false);
  }
  std::optional<std::string> ChooseFolder(const std::string& title) override {
    Open(folderTitles, title);
    return Next(folderAnswers).value_or(std::nullopt);
  }
  std::optional<std::string> ChooseSavePath(const SaveAsRequest& request) override {
    Open(saveRequests, request);
    return Next(savePathAnswers).value_or(std::nullopt);
  }
  // The shell takes paths shorter than 260 characters.
  LaunchResult ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                         bool withOwner) override {
    shellCalls.push_back({verb, target, showCommand, withOwner});
    if (target.size() >= 260) return {kErrorPathTooLong, false};
    return Next(launchResults).value_or(LaunchResult{});
  }
  void ShowInFolder(const std::string&) override {}
  std::uint32_t CopyText(const std::string&) override { return clipboardError; }
  std::uint32_t CopyFiles(const std::vector<std::string>&) override { return clipboardError; }
  bool ShellMarksDangerous(const std::string& type) override {
    return std::ranges::find(dangerousTypes, type) != dangerousTypes.end();
  }
  bool ShowHelp(const std::string& helpFile, unsigned context) override {
    helpCalls.emplace_back(helpFile, context);
    return helpStarts;
  }

 private:
  template <typename T>
  void Open(std::vector<T>& asked, const T& what) {
    if (whileOpen) whileOpen();
    asked.push_back(what);
  }
  template <typename T>
  static std::optional<T> Next(std::deque<T>& answers) {
    if (answers.empty()) return std::nullopt;
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

}  // namespace morlind::test
