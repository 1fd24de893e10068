#include "app/Win32UiServices.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ModulePath.h"
#include "platform/Win32Handles.h"
#include "platform/WideText.h"

namespace morlind {

// The save-as request carries the dialog's own flag values.
static_assert(kOfnOverwritePrompt == OFN_OVERWRITEPROMPT && kOfnHideReadOnly == OFN_HIDEREADONLY);

namespace {


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

namespace {

// Counts the windows activated on this thread while it lives: the shell
// shows its boxes (cannot find, no program, open with) on the calling
// thread, so a failed launch that activated none told the user nothing.
class ActivationCount {
 public:
  ActivationCount() : hook_(SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId())) { activations_ = 0; }
  ~ActivationCount() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  ActivationCount(const ActivationCount&) = delete;
  ActivationCount& operator=(const ActivationCount&) = delete;
  // Without the hook nothing is known: taken as told, so nothing is said twice.
  bool AnyShown() const { return !hook_ || activations_ > 0; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_ACTIVATE) ++activations_;
    return CallNextHookEx(nullptr, code, w, l);
  }
  static thread_local int activations_;
  HHOOK hook_;
};
thread_local int ActivationCount::activations_ = 0;

// The shell's own error box leaves no reliable last error behind (Wine's
// message box clears it); the old-style code in hInstApp still says why.
std::uint32_t ErrorOfLaunchCode(INT_PTR code) {
  switch (code) {
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    default: return static_cast<std::uint32_t>(code);  // the others are system error codes
  }
}

}  // namespace

LaunchResult Win32UiServices::ShellOpen(const std::string& verb, const std::string& target, int showCommand,
                                        bool withOwner) {
  // The shell takes no \\?\ path: a longer one cannot be opened at all.
  std::wstring wideTarget = Utf8ToWide(target);
  if (wideTarget.size() >= MAX_PATH) return {kErrorPathTooLong, false};
  std::wstring wideVerb = Utf8ToWide(verb);
  // Without SEE_MASK_FLAG_NO_UI, as Windows programs launch: the shell shows
  // its own boxes where it has them.
  SHELLEXECUTEINFOW launch{};
  launch.cbSize = sizeof launch;
  launch.hwnd = withOwner ? owner_ : nullptr;
  launch.lpVerb = verb.empty() ? nullptr : wideVerb.c_str();
  launch.lpFile = wideTarget.c_str();
  launch.nShow = showCommand;
  ActivationCount shown;
  if (ShellExecuteExW(&launch)) return {};
  const DWORD lastError = GetLastError();
  const INT_PTR code = reinterpret_cast<INT_PTR>(launch.hInstApp);
  std::uint32_t error = code > 0 && code <= 32 ? ErrorOfLaunchCode(code) : lastError;
  if (error == 0) error = ERROR_GEN_FAILURE;
  return {error, shown.AnyShown() || error == ERROR_CANCELLED};
}

void Win32UiServices::ShowInFolder(const std::string& path) {
  ApartmentMembership apartment(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  std::wstring widePath = Utf8ToWide(path);
  ItemIdList item;
  if (SUCCEEDED(SHParseDisplayName(widePath.c_str(), nullptr, item.Receive(), 0, nullptr)) &&
      SUCCEEDED(SHOpenFolderAndSelectItems(item.Get(), 0, nullptr, 0))) {
    return;
  }
  // Where the shell cannot, Explorer's own switch does the same.
  std::wstring arguments = L"/select,\"" + widePath + L"\"";
  ShellExecuteW(owner_, nullptr, L"explorer.exe", arguments.c_str(), nullptr, SW_SHOWNORMAL);
}

namespace {

// The clipboard while this owns it: opened on construction, closed on
// destruction; the data set meanwhile replaces what it held.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {
    if (!open_) error_ = ::GetLastError();
    if (open_ && !::EmptyClipboard()) error_ = ::GetLastError();
  }
  ~OpenClipboardScope() {
    if (open_) ::CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  // The first failure, 0 while there was none.
  DWORD Error() const { return error_; }
  // The clipboard owns the memory once it took it.
  void Set(UINT format, const void* data, std::size_t size) {
    if (error_ != 0) return;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory) {
      if (void* at = ::GlobalLock(memory)) {
        std::memcpy(at, data, size);
        ::GlobalUnlock(memory);
        if (::SetClipboardData(format, memory)) return;
      }
    }
    error_ = ::GetLastError() ? ::GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
    if (memory) ::GlobalFree(memory);
  }

 private:
  bool open_;
  DWORD error_ = 0;
};

}  // namespace

std::uint32_t Win32UiServices::CopyText(const std::string& text) {
  std::wstring wide = Utf8ToWide(text);
  OpenClipboardScope clipboard(owner_);
  clipboard.Set(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  return clipboard.Error();
}

// CF_HDROP: the DROPFILES header, then the wide paths, each ended by a NUL,
// and one more NUL; "Preferred DropEffect" says Paste copies.
std::uint32_t Win32UiServices::CopyFiles(const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) list += Utf8ToWide(path) + L'\0';
  list += L'\0';
  std::vector<char> drop(sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(drop.data(), &header, sizeof header);
  std::memcpy(drop.data() + sizeof header, list.data(), list.size() * sizeof(wchar_t));
  const DWORD effect = DROPEFFECT_COPY;
  OpenClipboardScope clipboard(owner_);
  clipboard.Set(CF_HDROP, drop.data(), drop.size());
  clipboard.Set(::RegisterClipboardFormatW(L"Preferred DropEffect"), &effect, sizeof effect);
  return clipboard.Error();
}

bool Win32UiServices::ShellMarksDangerous(const std::string& type) {
  return AssocIsDangerous(Utf8ToWide(type).c_str()) != FALSE;
}

bool Win32UiServices::ShowHelp(const std::string& helpFile, unsigned context) {
  return WinHelpW(owner_, Utf8ToWide(helpFile).c_str(), HELP_CONTEXT, context) != FALSE;
}

}  // namespace morlind
