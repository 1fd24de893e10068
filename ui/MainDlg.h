// The main window: the search criteria, the result table and its list, the
// check tools and the status line, with the event table that routes every
// user event to one operation.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "actions/Save.h"
#include "actions/Scratch.h"
#include "actions/UiServices.h"
#include "caches/ChromiumSql.h"
#include "platform/Platform.h"
#include "search/Job.h"
#include "search/ResultTable.h"
#include "search/Search.h"
#include "ui/ModalCount.h"
#include "ui/MomentPicker.h"
#include "ui/ResultList.h"
#include "ui/StatusLine.h"
#include "ui/WorkSession.h"
#include "wingui/AnchorLayout.h"
#include "wingui/Dialog.h"

namespace morlind {

class CMainDlg : public CDialog {
 public:
  CMainDlg(Platform& platform, UiServices& ui, HWND parent = nullptr);
  ~CMainDlg();

  // What 关于 and the system menu's about entry open, over the dialog; a
  // box of ours while it is open.
  void SetAboutBox(std::function<void(HWND owner)> aboutBox) {
    aboutBox_ = [this, aboutBox = std::move(aboutBox)](HWND owner) {
      ModalCount::Scope open(modals_);
      aboutBox(owner);
    };
  }

  // The services as the dialog uses them, each box counted as one of ours;
  // the application's help goes through them too.
  UiServices& Services() { return ui_; }

  const ResultTable& Table() const { return table_; }
  AccessMode Mode() const { return criteria_.accessMode; }
  // A search, clean or save runs on the worker.
  bool Working() const { return work_.Running(); }

 protected:
  BOOL OnInitDialog() override;
  // Closing stops the work first; Escape stops the work and keeps the window.
  void OnOK() override;
  void OnCancel() override;
  void DoDataExchange(CDataExchange& dx) override;
  const EventTable* GetEventTable() const override;
  // Work runs, or a box of ours is open over the window.
  bool Busy() const override;
  // The check tools' boxes and the radios show the members again.
  void OnRefused() override;
  // Its box is one of ours: nothing starts under it.
  void OnFatalError(const std::string& what) override;

 private:
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnSearch();
  void OnSaveCurrent();
  void OnClean();
  void OnAbout();
  void OnSelectAll();
  void OnInvert();
  void OnSelectNone();
  void OnClickList(NMHDR* header, LRESULT* result);
  void OnNoLimit();
  void OnMatchWindow();
  void OnDblClickList(NMHDR* header, LRESULT* result);
  void OnSaveSelected();
  void OnViewCurrent();
  void OnColumnClick(NMHDR* header, LRESULT* result);
  LRESULT OnContextMenu(WPARAM window, LPARAM position);
  void OnListKeyDown(NMHDR* header, LRESULT* result);
  void OnRowShowInFolder();
  void OnRowCopyAddress();
  void OnRowCopyFiles();
  // 导出列表…: the rows as a CSV file the user names.
  void OnRowExport();
  // A clipboard that could not be opened or set is said, in the system's words.
  void SayClipboardFailure(std::uint32_t error);
  void OnRowDelete();
  void ReadAddresses(const std::string& notes);
  void EndSearch(const std::string& notes);
  void OnTimer(UINT_PTR id);
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
  BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
  void OnLButtonDown(UINT flags, POINT point);
  void OnClose();
  void AttachLayout();

  // Long work: the window part runs here, the rest on the worker, while
  // the session keeps the window busy: progress in the status line, the
  // busy cursor, the buttons that start work or change rows disabled, and
  // no ticks by the list.
  void BeginWork();
  void EndWork();
  // The search's window part, then its walk on the worker.
  void StartSearch();
  void SaveOnWorker(CopyPlan plan);
  // Hands rows to the shell as files: browser rows' bodies are written into
  // a folder of our own first, on the worker; then `use` gets every path
  // there is. A body not written is said: failurePrefix, then why.
  void WithRowFiles(const std::vector<int>& rows, const std::string& failurePrefix,
                    std::function<void(std::vector<std::string>)> use);

  void EnableItem(int id, bool enable);
  // 全选, 全不选 and 反选: the rows change when the tool's box is ticked
  // (反选's always is), and the other two boxes clear.
  void RunCheckTool(int& box, const std::function<void()>& changeRows, bool alwaysTicked);
  // "保存选中" on when some row is ticked.
  void UpdateSaveSelectedButton();
  // The highlighted row's full path, if a file's row is highlighted.
  std::optional<std::string> HighlightedPath() const;
  // The status line and "查看当前"/"保存当前" for the highlighted row (none: off).
  void ShowHighlight();

  static const EventEntry kEvents[];
  static const EventTable kEventTable;

  SearchCriteria criteria_;  // extension, cache folder, start, end, access mode
  ResultTable table_;        // the rows and their path store
  CResultList list_;
  CMomentPicker endTime_;
  CMomentPicker startTime_;
  CMomentPicker endDate_;
  CMomentPicker startDate_;
  CComboBox fileType_;
  int selectAll_ = 0;
  int invert_ = 0;
  int selectNone_ = 0;
  CStatusLine status_;
  std::wstring searchNotes_;  // what the last search put on the status line
  HICON icon_ = nullptr;
  std::function<void(HWND)> aboutBox_;
  AnchorLayout layout_;

  Platform& platform_;
  // The boxes and menus of ours open now: the services' boxes and
  // choosers, the about box, the row menu, the error's box.
  ModalCount modals_;
  CountingUiServices ui_;

  ResultTable pending_;  // the walk's rows, handed to the list when it ends
  // The column the rows are sorted by, once a header was clicked; later
  // searches keep it.
  struct SortState {
    Column column;
    bool descending;
  };
  std::optional<SortState> sort_;
  ScratchFolder scratch_{platform_};  // browser rows' bodies for the shell and the clipboard
  // Reads Chromium's SQL caches through copies in the scratch folder.
  const ChromiumSqlCache sqlCache_{[this] { return scratch_.NewLeasedFolder(); }};
  WorkSession work_;     // last: its job is stopped and joined before the members it uses go
};

}  // namespace morlind
