// The main window: the search criteria, the result table and its list, the
// check tools and the status line, with the event table that routes every
// user event to one operation.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "actions/Save.h"
#include "actions/UiServices.h"
#include "platform/Platform.h"
#include "search/Job.h"
#include "search/ResultTable.h"
#include "search/Search.h"
#include "ui/Controls.h"
#include "ui/Dialog.h"

namespace morlind {

// The maker's site, shown on the link label and opened from it.
extern const char* const kHomePageAddress;

class CMainDlg : public CDialog {
 public:
  CMainDlg(Platform& platform, UiServices& ui, HWND parent = nullptr);

  // What 关于 and the system menu's about entry open, over the dialog.
  void SetAboutBox(std::function<void(HWND owner)> aboutBox) { aboutBox_ = std::move(aboutBox); }

  const SearchCriteria& Criteria() const { return criteria_; }
  const ResultTable& Table() const { return table_; }
  AccessMode Mode() const { return criteria_.accessMode; }
  HICON Icon() const { return icon_; }
  // A search, clean or save runs on the worker.
  bool Working() const { return work_ != Work::kNone; }

 protected:
  BOOL OnInitDialog() override;
  // Closing stops the work first; Escape stops the work and keeps the window.
  void OnOK() override;
  void OnCancel() override;
  void DoDataExchange(CDataExchange& dx) override;
  const EventTable* GetEventTable() const override;

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
  void OnTimer(UINT_PTR id);
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
  BOOL OnSetCursor(HWND window, UINT hitTest, UINT message);
  void OnLButtonDown(UINT flags, POINT point);
  void OnClose();
  void OnWorkDone();

  // Long work: the window part runs here, the rest on the worker, while
  // the window stays busy: progress in the status line, the busy cursor,
  // the buttons that start work or change rows disabled.
  enum class Work { kNone, kSearch, kClean, kSave };
  // Posted by the worker's thread when its job has returned.
  static constexpr UINT kWorkDoneMessage = WM_APP + 1;
  // Shows the work's progress; timer 1 follows the ticks.
  static constexpr UINT_PTR kProgressTimer = 2;
  void BeginWork();
  void RunOnWorker(Work work, std::function<void(JobControl&)> job);
  void EndWork();
  void StopWorkAndWait();
  // The search's window part, then its walk on the worker.
  void StartSearch();
  void SaveOnWorker(CopyPlan plan);
  void ShowProgress();
  void RefreshCursor();

  void EnableItem(int id, bool enable);
  // 全选, 全不选 and 反选: the rows change when the tool's box is ticked
  // (反选's always is), and the other two boxes clear.
  void RunCheckTool(int& box, const std::function<void()>& changeRows, bool alwaysTicked);
  // "保存选中" on when some row is ticked; pulls and pushes the data.
  void UpdateSaveSelectedButton();
  // The highlighted row's full path, if a row is highlighted.
  std::optional<std::string> HighlightedPath() const;
  // The status line and "查看当前"/"保存当前" for that path (none: off).
  void ShowHighlight(const std::optional<std::string>& path);

  static const EventEntry kEvents[];
  static const EventTable kEventTable;

  SearchCriteria criteria_;  // extension, cache folder, start, end, access mode
  ResultTable table_;        // the rows and their path store
  CListCtrl list_;
  CDateTimeCtrl endTime_;
  CDateTimeCtrl startTime_;
  CDateTimeCtrl endDate_;
  CDateTimeCtrl startDate_;
  CComboBox fileType_;
  int selectAll_ = 0;
  int invert_ = 0;
  int selectNone_ = 0;
  std::wstring status_;
  HICON icon_ = nullptr;
  std::function<void(HWND)> aboutBox_;

  Platform& platform_;
  UiServices& ui_;

  Work work_ = Work::kNone;
  ResultTable pending_;  // the walk's rows, handed to the list when it ends
  int saveTotal_ = 0;
  CopyReport saveReport_;  // written by the save's job, read once it has been waited for
  std::wstring statusBefore_;
  std::vector<bool> enabledBefore_;
  HWND focusBefore_ = nullptr;
  bool stopped_ = false;
  Worker worker_;  // last: stopped and joined before the members its job uses go
};

}  // namespace morlind
