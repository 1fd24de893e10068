#include "actions/Open.h"

#include <algorithm>
#include <iterator>

#include "platform/Utf8.h"

namespace morlind {

const char* const kRunsCodeQuestion = "此文件可能是程序或脚本，打开它会运行其中的代码。确定要打开吗？";
const char* const kPathTooLongToOpenText = "此文件的路径太长，系统无法打开它。";
const char* const kCannotOpenText = "无法打开此文件：";

namespace {

// Endings the shell runs, executes or hands to an interpreter.
constexpr std::string_view kRunnableTypes[] = {
    "application", "appref-ms", "bat", "chm", "cmd", "com", "cpl", "exe", "gadget", "hta", "inf",
    "ins", "isp", "jar", "js", "jse", "lnk", "msc", "msi", "msp", "mst", "pif", "ps1", "psm1",
    "reg", "scf", "scr", "sct", "shb", "url", "vb", "vbe", "vbs", "ws", "wsc", "wsf", "wsh",
};

// The ending after the last dot, lower case. Windows drops trailing dots
// and spaces when it opens a path, so "x.exe. " opens x.exe.
std::string TypeOf(std::string_view name) {
  std::size_t end = name.find_last_not_of(". ");
  name = end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1);
  std::size_t separator = name.find_last_of("\\/");
  if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
  std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : FoldedAscii(name.substr(dot + 1));
}

}  // namespace

bool RunsCodeWhenOpened(std::string_view name) {
  std::string type = TypeOf(name);
  return std::find(std::begin(kRunnableTypes), std::end(kRunnableTypes), type) != std::end(kRunnableTypes);
}

void OpenFile(UiServices& ui, Platform& platform, const std::string& path) {
  bool runsCode = RunsCodeWhenOpened(path) || ui.ShellMarksDangerous("." + TypeOf(path));
  if (runsCode && !ui.AskYesNo(kRunsCodeQuestion)) return;
  LaunchResult launch = ui.ShellOpen("open", path, kShowNormal, /*withOwner=*/false);
  if (launch.error == 0 || launch.shellTold) return;
  ui.ShowMessage(launch.error == kErrorPathTooLong ? kPathTooLongToOpenText
                                                   : kCannotOpenText + platform.ErrorText(launch.error));
}

}  // namespace morlind
