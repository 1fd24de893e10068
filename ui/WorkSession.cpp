#include "ui/WorkSession.h"

#include <exception>
#include <stdexcept>

#include "platform/WideText.h"

namespace morlind {

namespace {

constexpr const char* kStoppedText = "已停止。";

// Progress shows at most ten times a second.
constexpr UINT kProgressPeriodMs = 100;

}  // namespace

void WorkSession::SetWindow(HWND dialog) {
  dialog_ = dialog;
  if (window_.IsValid()) return;
  static const ATOM windowClass = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof type;
    type.lpfnWndProc = WindowProc;
    type.hInstance = ::GetModuleHandleW(nullptr);
    type.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&type);
  }();
  if (!windowClass) throw std::runtime_error("no window class for the work session");
  window_.Reset(::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr));
  if (!window_.IsValid()) throw std::runtime_error("no window for the work session");
  ::SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

// No C++ exception may unwind into the system's code that called us: the
// dialog says what failed and ends, as it does for its own handlers.
LRESULT CALLBACK WorkSession::WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<WorkSession*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || (message != kDoneMessage && message != WM_TIMER)) return ::DefWindowProcW(window, message, w, l);
  try {
    self->OnMessage(message, w);
  } catch (const std::exception& e) {
    self->onFailure_(e.what());
  } catch (...) {
    self->onFailure_("?");
  }
  return 0;
}

void WorkSession::OnMessage(UINT message, WPARAM w) {
  if (message == kDoneMessage) {
    OnDone(w);
  } else if (w == kProgressTimer) {
    ShowProgress();
    // The worker's message may never come (a full queue refuses it).
    OnDone(job_);
  }
}

void WorkSession::Begin() {
  running_ = true;
  stopped_ = false;
  std::wstring shown = status_.Shown();
  if (shown != Utf8ToWide(kStoppedText)) steady_ = shown;

  // A control going off with the focus would leave no control with it,
  // and Esc would reach nothing.
  const HWND focus = ::GetFocus();
  focusMovedFrom_ = nullptr;
  enabledBefore_.clear();
  for (int id : layout_.workControls) {
    HWND control = Item(id);
    if (control == focus) focusMovedFrom_ = control;
    enabledBefore_.push_back(::IsWindowEnabled(control) != FALSE);
  }
  if (focusMovedFrom_) ::SetFocus(Item(layout_.focusKeeper));
  for (int id : layout_.workControls) ::EnableWindow(Item(id), FALSE);
  ::SetTimer(window_.Get(), kProgressTimer, kProgressPeriodMs, nullptr);
}

void WorkSession::Run(std::function<void(JobControl&)> job, Progress progress, std::function<void()> then) {
  progress_ = std::move(progress);
  then_ = std::move(then);
  const WPARAM number = ++job_;
  HWND window = window_.Get();
  if (!worker_.Start(std::move(job), [window, number] { ::PostMessageW(window, kDoneMessage, number, 0); })) {
    throw std::logic_error("work started while other work runs");
  }
  ShowProgress();
  RefreshCursor();
}

void WorkSession::OnDone(WPARAM job) {
  if (job != job_ || !worker_.Busy() || !worker_.Control().Returned()) return;
  worker_.Wait();
  if (!worker_.Control().Failure().empty()) throw std::runtime_error(worker_.Control().Failure());
  std::function<void()> then = std::move(then_);
  then_ = nullptr;
  then();
}

std::wstring WorkSession::End() {
  running_ = false;
  progress_ = nullptr;
  ::KillTimer(window_.Get(), kProgressTimer);
  for (std::size_t i = 0; i < layout_.workControls.size(); ++i) {
    ::EnableWindow(Item(layout_.workControls[i]), enabledBefore_[i] ? TRUE : FALSE);
  }
  std::wstring status = stopped_ ? Utf8ToWide(kStoppedText) : steady_;
  status_.Show(status);
  // Back where the user left it, unless the user has moved it meanwhile.
  const HWND focus = ::GetFocus();
  if (focusMovedFrom_ && ::IsWindowEnabled(focusMovedFrom_) && (!focus || focus == Item(layout_.focusKeeper))) {
    ::SetFocus(focusMovedFrom_);
  }
  RefreshCursor();
  return status;
}

void WorkSession::Stop() {
  if (!running_) return;
  stopped_ = true;
  worker_.Control().RequestStop();
}

void WorkSession::StopAndWait() {
  if (!running_) return;
  ::KillTimer(window_.Get(), kProgressTimer);
  worker_.Control().RequestStop();
  worker_.Wait();
  running_ = false;
}

void WorkSession::ShowProgress() {
  if (running_ && progress_) status_.Show(progress_(worker_.Control().Done()));
}

// The cursor changes at once, not at the next move of the mouse.
void WorkSession::RefreshCursor() {
  POINT at{};
  ::GetCursorPos(&at);
  HWND under = ::WindowFromPoint(at);
  if (under != dialog_ && !::IsChild(dialog_, under)) return;
  LRESULT hit = ::SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

}  // namespace morlind
