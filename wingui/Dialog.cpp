#include "wingui/Dialog.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/WideText.h"

namespace morlind {

namespace {

CommandRoute* commandRoute = nullptr;

HINSTANCE Instance() { return ::GetModuleHandleW(nullptr); }

// RT_DIALOG as a wide resource name (the macro follows UNICODE).
const LPCWSTR kDialogResourceType = MAKEINTRESOURCEW(5);

}  // namespace

void SetCommandRoute(CommandRoute* route) { commandRoute = route; }

// OK, Cancel and F1, for every dialog.
const EventEntry CDialog::kEvents[] = {
    events::Clicked(IDOK, &CDialog::OnOK),
    events::Clicked(IDCANCEL, &CDialog::OnCancel),
    events::Help(&CDialog::OnHelpInfo),
};
const EventTable CDialog::kEventTable = {nullptr, kEvents};

CDialog::CDialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
  // The derived dialog and its control objects are gone already: a window
  // still open ends with the base's handling only.
  controls_.clear();
  DestroyWindow();
}

INT_PTR CDialog::DoModal() {
  return ::DialogBoxParamW(Instance(), MAKEINTRESOURCEW(templateId_), parent_, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create() {
  return ::CreateDialogParamW(Instance(), MAKEINTRESOURCEW(templateId_), parent_, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::DestroyWindow() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

bool CDialog::UpdateData(bool save) {
  CDataExchange dx{*this, save};
  DoDataExchange(dx);
  return true;
}

void CDialog::EndDialog(int result) { ::EndDialog(hwnd_, result); }

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

// Sent, not handled here, so that the main window's command routing (its
// table, then the application's) decides what help means.
void CDialog::OnHelpInfo() {
  HWND mainWindow = commandRoute ? commandRoute->MainWindow() : nullptr;
  ::SendMessageW(mainWindow ? mainWindow : hwnd_, WM_COMMAND, kHelpCommand, 0);
}

CDialog* CDialog::FromHandle(HWND hwnd) {
  // By its dialog procedure: a subclass of the window (the layout's) may
  // stand in front of its window procedure.
  if (!hwnd || ::GetWindowLongPtrW(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(DialogProc)) {
    return nullptr;
  }
  return reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

void CDialog::DoDataExchange(CDataExchange&) {}

const EventTable* CDialog::GetEventTable() const { return &kEventTable; }

LRESULT CDialog::Default() {
  return ::CallWindowProcW(dialogManagerProc_, hwnd_, current_.message, current_.w, current_.l);
}

// The dialog procedure handles nothing but WM_INITDIALOG: there it attaches
// the object and puts WindowProc in front of the dialog manager's window
// procedure. Every later message comes through WindowProc, which can run
// the default handling (the dialog manager's procedure, which calls the
// dialog procedure and gets FALSE) before or after a handler.
INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM, LPARAM l) {
  if (message != WM_INITDIALOG) return FALSE;
  auto* self = reinterpret_cast<CDialog*>(l);
  return self->Guarded([&] { return self->HandleInitDialog(hwnd); });
}

// No C++ exception may unwind into the system's code that called us.
template <class Handle>
LRESULT CDialog::Guarded(Handle handle) {
  try {
    return handle();
  } catch (const std::exception& e) {
    OnFatalError(e.what());
  } catch (...) {
    OnFatalError("?");
  }
  return 0;
}

// What the exception interrupted may be half done: say so and end rather
// than go on.
void CDialog::OnFatalError(const std::string& what) {
  std::wstring text = Utf8ToWide("程序内部出错，即将关闭。\n") + Utf8ToWide(what);
  ::MessageBoxW(hwnd_, text.c_str(), Text().c_str(), MB_OK | MB_ICONERROR);
  EndDialog(IDABORT);
}

LRESULT CALLBACK CDialog::WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return ::DefWindowProcW(hwnd, message, w, l);
  if (message == WM_NCDESTROY) {
    WNDPROC next = self->dialogManagerProc_;
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    for (CWnd* control : self->controls_) control->Detach();
    self->controls_.clear();
    return ::CallWindowProcW(next, hwnd, message, w, l);
  }
  return self->Guarded([&] { return self->HandleMessage(message, w, l); });
}

BOOL CDialog::HandleInitDialog(HWND hwnd) {
  hwnd_ = hwnd;
  ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
  dialogManagerProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
  if (onCreated_) onCreated_(hwnd);

  RECT before{};
  ::GetWindowRect(hwnd, &before);
  BOOL result = OnInitDialog();
  RECT after{};
  ::GetWindowRect(hwnd, &after);
  // As the framework does: a dialog the template puts at 0, 0 and that its
  // initialisation did not move opens centred.
  if (after.left == before.left && after.top == before.top && TemplateAtOrigin()) CenterWindow();
  return result;
}

LRESULT CDialog::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  // Handlers may send messages to the dialog: restore the outer message
  // however this one ends.
  struct Restore {
    Message& current;
    Message saved;
    ~Restore() { current = saved; }
  } restore{current_, current_};
  current_ = Message{message, w, l};
  LRESULT result = 0;
  if (!Dispatch(message, w, l, result)) result = Default();
  return result;
}

bool CDialog::Dispatch(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
  UINT code = 0;
  UINT id = 0;
  if (message == WM_COMMAND) {
    code = HIWORD(w);
    id = LOWORD(w);
  } else if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(l);
    code = header->code;
    id = static_cast<UINT>(header->idFrom);
    for (CWnd* control : controls_) {
      if (control->GetSafeHwnd() == header->hwndFrom) {
        LRESULT reflected = 0;
        if (control->OnReflectedNotify(header, &reflected)) {
          result = reflected;
          return true;
        }
        break;
      }
    }
  }
  bool ctlColor = message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
  UINT key = ctlColor ? kAnyCtlColor : message;

  for (const EventTable* table = GetEventTable(); table; table = table->base) {
    for (const EventEntry& entry : table->entries) {
      if (entry.message != key) continue;
      if ((message == WM_COMMAND || message == WM_NOTIFY) && (entry.code != code || entry.id != id)) {
        continue;
      }
      if (entry.idleOnly && Busy()) {
        OnRefused();
        result = 0;
      } else {
        result = Invoke(entry, message, w, l);
      }
      return true;
    }
  }
  // Commands no dialog takes (menus, accelerators, help) go on to the
  // application's command table.
  if (message == WM_COMMAND && code == 0) {
    if (commandRoute && commandRoute->OnCmdMsg(id)) return true;
  }
  return false;
}

LRESULT CDialog::Invoke(const EventEntry& entry, UINT message, WPARAM w, LPARAM l) {
  const Handler& h = entry.handler;
  if (auto* f = std::get_if<handler::Void>(&h)) {
    (this->**f)();
    return 0;
  }
  if (auto* f = std::get_if<handler::Notify>(&h)) {
    LRESULT result = 0;
    (this->**f)(reinterpret_cast<NMHDR*>(l), &result);
    return result;
  }
  if (auto* f = std::get_if<handler::Timer>(&h)) {
    (this->**f)(static_cast<UINT_PTR>(w));
    return 0;
  }
  if (auto* f = std::get_if<handler::SysCommand>(&h)) {
    (this->**f)(static_cast<UINT>(w), l);
    return 0;
  }
  if (auto* f = std::get_if<handler::QueryDragIcon>(&h)) {
    return reinterpret_cast<LRESULT>((this->**f)());
  }
  if (auto* f = std::get_if<handler::CtlColor>(&h)) {
    return reinterpret_cast<LRESULT>((this->**f)(reinterpret_cast<HDC>(w),
                                                 reinterpret_cast<HWND>(l),
                                                 message - WM_CTLCOLORMSGBOX));
  }
  if (auto* f = std::get_if<handler::SetCursor>(&h)) {
    return (this->**f)(reinterpret_cast<HWND>(w), LOWORD(l), HIWORD(l));
  }
  if (auto* f = std::get_if<handler::Mouse>(&h)) {
    (this->**f)(static_cast<UINT>(w), POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
    return 0;
  }
  if (auto* f = std::get_if<handler::Raw>(&h)) return (this->**f)(w, l);
  return 0;
}

bool CDialog::TemplateAtOrigin() const {
  HRSRC found = ::FindResourceW(Instance(), MAKEINTRESOURCEW(templateId_), kDialogResourceType);
  if (!found) return false;
  HGLOBAL loaded = ::LoadResource(Instance(), found);
  const auto* bytes = static_cast<const unsigned char*>(loaded ? ::LockResource(loaded) : nullptr);
  if (!bytes || ::SizeofResource(Instance(), found) < 22) return false;
  WORD version = 0;
  WORD signature = 0;
  std::memcpy(&version, bytes, 2);
  std::memcpy(&signature, bytes + 2, 2);
  // DLGTEMPLATEEX keeps x, y after 18 bytes, DLGTEMPLATE after 10.
  std::size_t offset = (version == 1 && signature == 0xFFFF) ? 18 : 10;
  short x = 0;
  short y = 0;
  std::memcpy(&x, bytes + offset, 2);
  std::memcpy(&y, bytes + offset + 2, 2);
  return x == 0 && y == 0;
}

// Over the owner when it shows, else over the work area of the monitor the
// dialog is on; kept inside that work area.
void CDialog::CenterWindow() {
  RECT window{};
  ::GetWindowRect(hwnd_, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT area = monitor.rcWork;
  RECT around = area;
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &around);

  LONG width = window.right - window.left;
  LONG height = window.bottom - window.top;
  LONG left = (around.left + around.right - width) / 2;
  LONG top = (around.top + around.bottom - height) / 2;
  left = std::max(area.left, std::min(left, area.right - width));
  top = std::max(area.top, std::min(top, area.bottom - height));
  ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DDX_Control(CDataExchange& dx, int id, CWnd& control) {
  if (control.GetSafeHwnd()) return;
  control.Attach(dx.dialog.GetDlgItem(id));
  dx.dialog.controls_.push_back(&control);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
  HWND button = dx.dialog.GetDlgItem(id);
  if (dx.save) {
    value = ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  } else {
    ::SendMessageW(button, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

}  // namespace morlind
