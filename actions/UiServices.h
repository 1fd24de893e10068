// What the operations ask of the user interface. The Win32 dialog
// implements it with real dialogs; tests replace it with a scripted fake.
// Every text, path and file name is UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morlind {

// Flags of the save-as dialog, as OPENFILENAME takes them.
constexpr unsigned kOfnOverwritePrompt = 0x2;
constexpr unsigned kOfnHideReadOnly = 0x4;

struct SaveAsRequest {
  std::string filter;            // UTF-8, "label|pattern|...||" as the framework takes it
  std::string defaultExtension;  // appended to a name typed without one
  std::string initialName;
  unsigned flags = 0;
};

// How a shell launch went: error 0 when it started; otherwise why not, and
// whether the shell has told the user itself (its own box, or a box of its
// that the user cancelled).
struct LaunchResult {
  std::uint32_t error = 0;
  bool shellTold = false;
  bool operator==(const LaunchResult&) const = default;
};
// The shell takes no path this long (ERROR_FILENAME_EXCED_RANGE).
constexpr std::uint32_t kErrorPathTooLong = 206;

// Show commands of ShellExecute.
constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;

class UiServices {
 public:
  virtual ~UiServices() = default;

  // The dialog's own message box: OK only, no icon, application caption.
  virtual void ShowMessage(const std::string& text) = 0;
  // The application message box: OK only, exclamation icon.
  virtual void ShowAppMessage(const std::string& text) = 0;
  // A question with Yes and No, warning icon, No the default; true for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
  // A file-system folder the user picked, or nothing when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
  // The full path the user chose in the save-as dialog, or nothing.
  virtual std::optional<std::string> ChooseSavePath(const SaveAsRequest& request) = 0;
  // Asks the shell to open target with verb (empty: the default), letting
  // it show its own boxes (cannot find, open with); withOwner gives the main
  // window as owner.
  virtual LaunchResult ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                                 bool withOwner) = 0;
  // Explorer on the file's folder with the file selected.
  virtual void ShowInFolder(const std::string& path) = 0;
  // Puts text on the clipboard: 0, or why not (the system's error).
  virtual std::uint32_t CopyText(const std::string& text) = 0;
  // Puts files on the clipboard as Explorer's Copy does, for a Paste to
  // copy: 0, or why not.
  virtual std::uint32_t CopyFiles(const std::vector<std::string>& paths) = 0;
  // Whether the system counts files of this type (".exe") as unsafe to open.
  virtual bool ShellMarksDangerous(const std::string& type) = 0;
  // Asks the help viewer for the topic at context in helpFile;
  // false when the viewer cannot start.
  virtual bool ShowHelp(const std::string& helpFile, unsigned context) = 0;
};

}  // namespace morlind
