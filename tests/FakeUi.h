// A scripted stand-in for the user-interface services: answers are queued
// by the test, every call is recorded.
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
    std::string verb;
    std::string target;
    int showCommand;
    bool withOwner;
  };
  struct HelpCall {
    std::string file;
    unsigned context;
  };

  // Answers for the next dialogs; an empty queue means the user cancels.
  std::deque<std::optional<std::string>> folderAnswers;
  std::deque<std::optional<std::string>> savePathAnswers;

  std::vector<std::string> messages;     // dialog message boxes (no icon)
  std::vector<std::string> appMessages;  // application message boxes (exclamation)
  std::vector<std::string> folderTitles;
  std::vector<SaveAsRequest> saveRequests;
  std::vector<ShellCall> shellCalls;
  std::vector<HelpCall> helpCalls;
  bool helpStarts = false;  // whether the help viewer comes up
  std::size_t shellTakes = 260;  // paths the shell can open are shorter
  std::deque<bool> yesNoAnswers;        // empty: No
  std::vector<std::string> questions;  // Yes/No boxes asked
  std::vector<std::string> dangerousTypes;  // what the system counts as unsafe
  std::function<void()> whileOpen;          // runs while a box or chooser is "open"

  void ShowMessage(const std::string& text) override {
    Open();
    messages.push_back(text);
  }
  void ShowAppMessage(const std::string& text) override {
    Open();
    appMessages.push_back(text);
  }

  bool AskYesNo(const std::string& question) override {
    Open();
    questions.push_back(question);
    bool yes = !yesNoAnswers.empty() && yesNoAnswers.front();
    if (!yesNoAnswers.empty()) yesNoAnswers.pop_front();
    return yes;
  }
  std::vector<std::string> shownInFolder;
  std::vector<std::string> copiedTexts;
  std::vector<std::vector<std::string>> copiedFiles;
  void ShowInFolder(const std::string& path) override { shownInFolder.push_back(path); }
  void CopyText(const std::string& text) override { copiedTexts.push_back(text); }
  void CopyFiles(const std::vector<std::string>& paths) override { copiedFiles.push_back(paths); }
  bool ShellMarksDangerous(const std::string& type) override {
    return std::find(dangerousTypes.begin(), dangerousTypes.end(), type) != dangerousTypes.end();
  }
  std::optional<std::string> ChooseFolder(const std::string& title) override {
    Open();
    folderTitles.push_back(title);
    return Next(folderAnswers);
  }
  std::optional<std::string> ChooseSavePath(const SaveAsRequest& request) override {
    Open();
    saveRequests.push_back(request);
    return Next(savePathAnswers);
  }
  bool ShellOpen(const std::string& verb, const std::string& target, int showCommand, bool withOwner) override {
    shellCalls.push_back({verb, target, showCommand, withOwner});
    return target.size() < shellTakes;
  }
  bool ShowHelp(const std::string& helpFile, unsigned context) override {
    helpCalls.push_back({helpFile, context});
    return helpStarts;
  }

 private:
  void Open() {
    if (whileOpen) whileOpen();
  }
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> answer = std::move(answers.front());
    answers.pop_front();
    return answer;
  }
};

}  // namespace morlind::test
