// The dialog base: a dialog on a template resource, run modally (or, for
// tests, created modeless on the same template and procedure), with an
// event table and dialog data exchange.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "wingui/EventTable.h"
#include "wingui/Wnd.h"

namespace morlind {

class CDialog;

// The framework's help command, which a dialog sends for F1.
constexpr UINT kHelpCommand = 0xE146;

// What a dialog reaches of the application without knowing it: the window
// F1's help command goes to, and the command table for the commands no
// dialog takes. The application object registers itself (WinApp.h).
class CommandRoute {
 public:
  // The main window, or none.
  virtual HWND MainWindow() const = 0;
  // Runs the command table's handler for id; false when it has none.
  virtual bool OnCmdMsg(UINT id) = 0;

 protected:
  ~CommandRoute() = default;
};

// Where every dialog sends those commands from now on; with none, help goes
// to the dialog itself and other commands nowhere.
void SetCommandRoute(CommandRoute* route);

// One exchange between the controls and the members: a pull (save = true)
// copies controls into members, a push (save = false) members into controls.
struct CDataExchange {
  CDialog& dialog;
  bool save;
};

// The control object is attached to the control's window at the first
// exchange; its notifications are then offered to it first.
void DDX_Control(CDataExchange& dx, int id, CWnd& control);
// Check state: 1 checked, 0 not.
void DDX_Check(CDataExchange& dx, int id, int& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, HWND parent = nullptr);
  ~CDialog() override;

  // Runs the dialog modally; the value passed to EndDialog, or -1.
  INT_PTR DoModal();
  // Creates the dialog without a modal loop (for tests); false on failure.
  bool Create();
  void DestroyWindow();

  // Called with the dialog's window before OnInitDialog: lets the owner of
  // services that need the window (message-box owner) learn it.
  void SetOnCreated(std::function<void(HWND)> onCreated) { onCreated_ = std::move(onCreated); }

  bool UpdateData(bool save = true);
  void EndDialog(int result);

  UINT TemplateId() const { return templateId_; }

  // The dialog object of a window this framework runs, or none.
  static CDialog* FromHandle(HWND hwnd);

 protected:
  // The base pushes the members into the controls; TRUE lets the dialog
  // manager give the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  virtual void OnOK();      // pull, then end with IDOK
  virtual void OnCancel();  // end with IDCANCEL
  // F1: the help command to the application's main window (or this one).
  void OnHelpInfo();
  virtual void DoDataExchange(CDataExchange& dx);
  virtual const EventTable* GetEventTable() const;
  // While true, rows marked events::IdleOnly are refused, however their
  // command arrives (a click, a posted BM_CLICK or WM_COMMAND).
  virtual bool Busy() const { return false; }
  // After such a refusal: an automatic check box or radio button has
  // already changed its own state, which the dialog may put back.
  virtual void OnRefused() {}

  // The default dialog handling of the message being dispatched.
  LRESULT Default();
  // An exception reached the window procedure: by default a message box,
  // then the dialog ends with IDABORT.
  virtual void OnFatalError(const std::string& what);

  // OK, Cancel and F1; derived tables name it as their base.
  static const EventTable kEventTable;

 private:
  friend void DDX_Control(CDataExchange& dx, int id, CWnd& control);

  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l);

  template <class Handle>
  LRESULT Guarded(Handle handle);
  BOOL HandleInitDialog(HWND hwnd);
  LRESULT HandleMessage(UINT message, WPARAM w, LPARAM l);
  bool Dispatch(UINT message, WPARAM w, LPARAM l, LRESULT& result);
  LRESULT Invoke(const EventEntry& entry, UINT message, WPARAM w, LPARAM l);
  bool TemplateAtOrigin() const;
  void CenterWindow();

  static const EventEntry kEvents[];

  UINT templateId_;
  HWND parent_;
  WNDPROC dialogManagerProc_ = nullptr;
  std::function<void(HWND)> onCreated_;
  std::vector<CWnd*> controls_;

  struct Message {
    UINT message = 0;
    WPARAM w = 0;
    LPARAM l = 0;
  };
  Message current_;
};

}  // namespace morlind
