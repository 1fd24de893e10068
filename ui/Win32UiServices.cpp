#include "ui/Win32UiServices.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "platform/ModulePath.h"
#include "platform/Win32Handles.h"
#include "platform/WideText.h"

namespace morlind {

// The save-as request carries the dialog's own flag values.
static_assert(kOfnOverwritePrompt == OFN_OVERWRITEPROMPT && kOfnHideReadOnly == OFN_HIDEREADONLY);

namespace {

// The longest path the wide file functions take.
constexpr std::size_t kLongestPath = 32768;

// The executable's file name without its extension.
std::wstring ModuleBaseName() {
  std::wstring name = WithoutExtension(ExecutablePath());
  std::size_t slash = name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

}  // namespace

Win32UiServices::Win32UiServices(HWND owner) : owner_(owner), caption_(ModuleBaseName()) {}

void Win32UiServices::ShowMessage(const std::string& text) {
  MessageBoxW(owner_, Utf8ToWide(text).c_str(), caption_.c_str(), MB_OK);
}

void Win32UiServices::ShowAppMessage(const std::string& text) {
  MessageBoxW(owner_, Utf8ToWide(text).c_str(), caption_.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

bool Win32UiServices::AskYesNo(const std::string& question) {
  UINT style = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;
  return MessageBoxW(owner_, Utf8ToWide(question).c_str(), caption_.c_str(), style) == IDYES;
}

std::optional<std::string> Win32UiServices::ChooseFolder(const std::string& title) {
  // The folder chooser needs a single-threaded apartment on this thread:
  // join one if the application has not, and leave it again afterwards.
  ApartmentMembership apartment(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  std::wstring wideTitle = Utf8ToWide(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner_;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;

  ItemIdList folder;
  *folder.Receive() = SHBrowseForFolderW(&info);
  if (!folder.Get()) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetPathFromIDListW(folder.Get(), path)) return std::nullopt;
  return WideToUtf8(path);
}

std::optional<std::string> Win32UiServices::ChooseSavePath(const SaveAsRequest& request) {
  // "label|pattern|...||" becomes the dialog's NUL-separated list.
  std::wstring filter = Utf8ToWide(request.filter);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  std::wstring defaultExtension = Utf8ToWide(request.defaultExtension);
  std::wstring initialName = Utf8ToWide(request.initialName);

  // Room for a path of any length the dialog may give.
  std::vector<wchar_t> file(kLongestPath, L'\0');
  initialName.copy(file.data(), file.size() - 1);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  dialog.Flags = request.flags;
  if (!GetSaveFileNameW(&dialog)) return std::nullopt;
  return WideToUtf8(file.data());
}

bool Win32UiServices::ShellOpen(const std::string& verb, const std::string& target,
                                int showCommand, bool withOwner) {
  // The shell takes no \\?\ path: a longer one cannot be opened at all.
  std::wstring wideTarget = Utf8ToWide(target);
  if (wideTarget.size() >= MAX_PATH) return false;
  std::wstring wideVerb = Utf8ToWide(verb);
  ShellExecuteW(withOwner ? owner_ : nullptr, verb.empty() ? nullptr : wideVerb.c_str(), wideTarget.c_str(),
                nullptr, nullptr, showCommand);
  return true;
}

bool Win32UiServices::ShellMarksDangerous(const std::string& type) {
  return AssocIsDangerous(Utf8ToWide(type).c_str()) != FALSE;
}

bool Win32UiServices::ShowHelp(const std::string& helpFile, unsigned context) {
  return WinHelpW(owner_, Utf8ToWide(helpFile).c_str(), HELP_CONTEXT, context) != FALSE;
}

}  // namespace morlind
