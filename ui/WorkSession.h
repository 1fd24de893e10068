// What keeps the main window busy while long work runs on the worker.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Win32Handles.h"
#include "search/Job.h"
#include "ui/StatusLine.h"

namespace morlind {

// One run of long work at a time and what it does to the window: the
// controls that start work or change rows go off, the focus leaves them
// for one that stays on (so Esc still reaches the dialog), the status line
// counts progress, and all of it comes back when the run ends. A run may
// chain jobs: a clean, then the search that shows what is left.
//
// The session has a message-only window of its own for the worker's done
// message and the progress timer, so the dialog routes neither.
class WorkSession {
 public:
  // Posted by the worker's thread to the session's window when a job has
  // returned; wParam is the job's number.
  static constexpr UINT kDoneMessage = WM_APP + 1;
  // The session window's timer: progress, and a job that returned without
  // its message getting through.
  static constexpr UINT_PTR kProgressTimer = 2;
  static constexpr const wchar_t* kWindowClass = L"MorlindWorkSession";

  struct Layout {
    std::span<const int> workControls;  // off while work runs
    int focusKeeper;                    // stays on; takes the focus from one going off
  };
  // What an exception thrown on the window's side of a job (or by the job,
  // rethrown there) is handed to: no exception leaves the session's window.
  using FailureHandler = std::function<void(const std::string& what)>;
  WorkSession(Layout layout, CStatusLine& status, FailureHandler onFailure)
      : layout_(layout), status_(status), onFailure_(std::move(onFailure)) {}
  WorkSession(const WorkSession&) = delete;
  WorkSession& operator=(const WorkSession&) = delete;

  // The dialog's window, once it exists; the session's window is made then.
  void SetWindow(HWND dialog);

  // From Begin to End.
  bool Running() const { return running_; }
  // Whether the run was asked to stop (Esc).
  bool Stopped() const { return stopped_; }

  // The window part of a start, while nothing runs (the dialog refuses
  // commands that start work meanwhile).
  void Begin();
  // The progress text (UTF-8) for a count of entries done.
  using Progress = std::function<std::string(int done)>;
  // Runs job on the worker; when it has returned, `then` runs on the
  // window's thread and either runs the next job or ends. A job that
  // failed with an exception goes to the failure handler instead.
  void Run(std::function<void(JobControl&)> job, Progress progress, std::function<void()> then);
  // Puts back what Begin changed. The status line then shows "已停止。"
  // after a run that was stopped, else what it showed before the run (a
  // "已停止。" left from an earlier run does not count); that text is
  // returned.
  std::wstring End();
  // Esc: the job stops early and the run ends as usual.
  void Stop();
  // Closing: the job stops and is waited for; nothing is put back.
  void StopAndWait();
  void ShowProgress();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  void OnMessage(UINT message, WPARAM w);
  // The done message, or a tick that finds the job returned: only a job
  // that has really returned ends, so neither a stray message nor a lost
  // one can hold the window.
  void OnDone(WPARAM job);
  HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
  void RefreshCursor();

  Layout layout_;
  CStatusLine& status_;
  FailureHandler onFailure_;
  HWND dialog_ = nullptr;
  WindowHandle window_;  // message-only
  bool running_ = false;
  bool stopped_ = false;
  WPARAM job_ = 0;  // the number of the last job started
  Progress progress_;
  std::function<void()> then_;
  std::wstring steady_;  // the status line to come back to
  std::vector<bool> enabledBefore_;
  HWND focusMovedFrom_ = nullptr;
  Worker worker_;  // last: stopped and joined before what its job uses goes
};

}  // namespace morlind
