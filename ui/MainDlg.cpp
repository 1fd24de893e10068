#include "ui/MainDlg.h"

#include <iterator>
#include <memory>

#include "actions/Clean.h"
#include "search/BrowserScan.h"
#include "search/Sort.h"
#include "actions/Save.h"
#include "res/resource.h"
#include "platform/WideText.h"

namespace morlind {

namespace {

constexpr const char* kHintText =
    "设置搜索条件，点击搜索就可以找到IE缓存中符合条件的文件。如果文件过多，可以先清理IE缓存。";
constexpr const char* kWindowInvertedText = "开始时间必须小于结束时间。";
constexpr const char* kNoCacheFolderText = "找不到IE缓存文件夹。";

// Inserted at fixed positions: the list keeps this order despite its
// sorted style.
constexpr const char* kFileTypes[] = {"*", "flv", "wmv", "wma", "mp3", "swf", "jpg", "mid"};

// Grid lines, check boxes, full-row selection.
constexpr DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;

struct ColumnLayout {
  int width;  // at 96 DPI
  int format;
};
// In the order of Column (the headings are kColumnHeadings); at the
// designed size the list scrolls sideways to the last three.
constexpr ColumnLayout kColumns[] = {{265, LVCFMT_LEFT}, {60, LVCFMT_LEFT},  {120, LVCFMT_LEFT},
                                     {80, LVCFMT_RIGHT}, {300, LVCFMT_LEFT}, {120, LVCFMT_LEFT}};
static_assert(std::size(kColumns) == kColumnCount);

constexpr Moment kOneHour = 3600;

// The controls that start work or change rows: off while work runs. The
// list stays on, so the focus can go there and Esc still stops the work.
constexpr int kWorkControls[] = {IDC_SEARCH,     IDC_CLEAN,       IDC_SAVE_SELECTED, IDC_SAVE_CURRENT,
                                 IDC_VIEW_CURRENT, IDC_SELECT_ALL, IDC_SELECT_NONE, IDC_INVERT,
                                 IDC_NO_LIMIT,   IDC_MATCH_WINDOW};

std::string SearchProgress(int found) { return "正在搜索… 已找到 " + std::to_string(found) + " 个文件"; }
std::string CleanProgress(int deleted) { return "正在清理IE缓存… 已删除 " + std::to_string(deleted) + " 个文件"; }
std::string SortProgress(int) { return "正在排序…"; }
std::string AddressProgress(int) { return "正在读取网址…"; }

}  // namespace

const EventEntry CMainDlg::kEvents[] = {
    events::SysCommand(&CMainDlg::OnSysCommand),
    events::Paint(&CMainDlg::OnPaint),
    events::QueryDragIcon(&CMainDlg::OnQueryDragIcon),
    events::IdleOnly(events::Clicked(IDC_SEARCH, &CMainDlg::OnSearch)),
    events::IdleOnly(events::Clicked(IDC_SAVE_CURRENT, &CMainDlg::OnSaveCurrent)),
    events::IdleOnly(events::Clicked(IDC_CLEAN, &CMainDlg::OnClean)),
    events::Clicked(IDC_ABOUT, &CMainDlg::OnAbout),
    events::IdleOnly(events::Clicked(IDC_SELECT_ALL, &CMainDlg::OnSelectAll)),
    events::IdleOnly(events::Clicked(IDC_INVERT, &CMainDlg::OnInvert)),
    events::IdleOnly(events::Clicked(IDC_SELECT_NONE, &CMainDlg::OnSelectNone)),
    // The status line shows the work's progress, not the click's row.
    events::IdleOnly(events::Notify(NM_CLICK, IDC_RESULTS, &CMainDlg::OnClickList)),
    events::IdleOnly(events::Clicked(IDC_NO_LIMIT, &CMainDlg::OnNoLimit)),
    events::IdleOnly(events::Clicked(IDC_MATCH_WINDOW, &CMainDlg::OnMatchWindow)),
    events::IdleOnly(events::Notify(NM_DBLCLK, IDC_RESULTS, &CMainDlg::OnDblClickList)),
    events::IdleOnly(events::Clicked(IDC_SAVE_SELECTED, &CMainDlg::OnSaveSelected)),
    events::IdleOnly(events::Clicked(IDC_VIEW_CURRENT, &CMainDlg::OnViewCurrent)),
    events::IdleOnly(events::Notify(LVN_COLUMNCLICK, IDC_RESULTS, &CMainDlg::OnColumnClick)),
    events::Message(WM_CONTEXTMENU, &CMainDlg::OnContextMenu),
    events::Notify(LVN_KEYDOWN, IDC_RESULTS, &CMainDlg::OnListKeyDown),
    events::IdleOnly(events::Clicked(IDM_ROW_OPEN, &CMainDlg::OnViewCurrent)),
    events::IdleOnly(events::Clicked(IDM_ROW_SHOW_IN_FOLDER, &CMainDlg::OnRowShowInFolder)),
    events::IdleOnly(events::Clicked(IDM_ROW_COPY_ADDRESS, &CMainDlg::OnRowCopyAddress)),
    events::IdleOnly(events::Clicked(IDM_ROW_COPY_FILES, &CMainDlg::OnRowCopyFiles)),
    events::IdleOnly(events::Clicked(IDM_ROW_EXPORT, &CMainDlg::OnRowExport)),
    events::IdleOnly(events::Clicked(IDM_ROW_DELETE, &CMainDlg::OnRowDelete)),
    events::Timer(&CMainDlg::OnTimer),
    events::CtlColor(&CMainDlg::OnCtlColor),
    events::SetCursor(&CMainDlg::OnSetCursor),
    events::LButtonDown(&CMainDlg::OnLButtonDown),
    events::Message(WM_CLOSE, &CMainDlg::OnClose),
};
const EventTable CMainDlg::kEventTable = {&CDialog::kEventTable, kEvents};

CMainDlg::CMainDlg(Platform& platform, UiServices& ui, HWND parent)
    : CDialog(IDD_MORLIND_DIALOG, parent),
      icon_(::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      platform_(platform),
      ui_(ui, modals_),
      work_({kWorkControls, IDC_RESULTS}, status_, [this](const std::string& what) { OnFatalError(what); }) {}

const EventTable* CMainDlg::GetEventTable() const { return &kEventTable; }

void CMainDlg::DoDataExchange(CDataExchange& dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_RESULTS, list_);
  DDX_Control(dx, IDC_END_TIME, endTime_);
  DDX_Control(dx, IDC_START_TIME, startTime_);
  DDX_Control(dx, IDC_END_DATE, endDate_);
  DDX_Control(dx, IDC_START_DATE, startDate_);
  DDX_Control(dx, IDC_FILE_TYPE, fileType_);
  DDX_Check(dx, IDC_SELECT_ALL, selectAll_);
  DDX_Check(dx, IDC_INVERT, invert_);
  DDX_Check(dx, IDC_SELECT_NONE, selectNone_);
  DDX_Control(dx, IDC_STATUS, status_);  // attached only: it shows what it is told
}

BOOL CMainDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  status_.Show(kHintText);
  work_.SetWindow(hwnd_);

  if (HMENU systemMenu = ::GetSystemMenu(hwnd_, FALSE)) {
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX,
                               reinterpret_cast<LPWSTR>(&text), 0);
    if (length > 0) {
      std::wstring aboutText(text, static_cast<std::size_t>(length));
      ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, aboutText.c_str());
    }
  }

  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

  for (int i = 0; i < static_cast<int>(std::size(kFileTypes)); ++i) {
    fileType_.InsertString(i, Utf8ToWide(kFileTypes[i]));
  }
  fileType_.SelectString(-1, L"*");

  Moment anHourAgo = platform_.Now() - kOneHour;
  startTime_.SetTime(platform_, anHourAgo);
  startDate_.SetTime(platform_, anHourAgo);

  list_.ModifyStyle(LVS_SMALLICON, LVS_REPORT);
  list_.SetExtendedStyle(list_.GetExtendedStyle() | kListExtendedStyle);
  // The dialog grows with the DPI, the columns must grow with it.
  const int dpi = Dpi();
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    list_.InsertColumn(i, Utf8ToWide(kColumnHeadings[i]), kColumns[i].format, ScaleToDpi(kColumns[i].width, dpi));
  }
  list_.SetModel(&table_);

  ::CheckRadioButton(hwnd_, IDC_NO_LIMIT, IDC_MATCH_WINDOW, IDC_NO_LIMIT);

  EnableItem(IDC_VIEW_CURRENT, false);
  EnableItem(IDC_SAVE_SELECTED, false);
  EnableItem(IDC_SAVE_CURRENT, false);
  AttachLayout();
  return TRUE;
}

void CMainDlg::OnSearch() {
  BeginWork();
  StartSearch();
}

void CMainDlg::StartSearch() {
  UpdateData(true);
  SearchInput input;
  input.startDate = startDate_.GetTime(platform_);
  input.startTime = startTime_.GetTime(platform_);
  input.endDate = endDate_.GetTime(platform_);
  input.endTime = endTime_.GetTime(platform_);
  int selection = fileType_.GetCurSel();
  if (selection != CB_ERR) input.listSelection = fileType_.GetLBText(selection);
  input.editText = fileType_.GetWindowTextUtf8();

  // The list shows the table the last walk left empty while the walk fills
  // the other, in the order chosen for the last one; the last search's rows
  // are let go on the worker: a browser row takes several frees, and the
  // window's thread has no time for tens of thousands of them.
  std::swap(table_, pending_);
  SearchOutcome outcome = PrepareSearch(platform_, input, criteria_, table_);
  if (outcome == SearchOutcome::kWindowInverted) {
    std::swap(table_, pending_);
    EndWork();
    ui_.ShowAppMessage(kWindowInvertedText);
    return;
  }
  list_.Refresh();
  // Without the IE cache folder the browsers' caches still list; only when
  // there is nothing at all does the message say so.
  FoundCaches browsers = FindBrowserCaches(platform_, sqlCache_);
  const bool noCacheFolder = outcome == SearchOutcome::kNoCacheFolder;
  if (noCacheFolder && browsers.readable.empty()) {
    EndWork();
    ui_.ShowAppMessage(kNoCacheFolderText);
    return;
  }
  // When the walk hands its rows over, the addresses follow.
  auto notes = std::make_shared<std::string>();
  work_.Run(
      [&platform = platform_, criteria = criteria_, &table = pending_, sort = sort_, browsers = std::move(browsers),
       noCacheFolder, notes](JobControl& job) {
        table.DeleteAllItems();
        if (!noCacheFolder) ScanCache(platform, criteria, table, &job);
        const ScanFilter filter{criteria.extension, criteria.accessMode, criteria.start, criteria.end};
        BrowserScanReport report = ScanBrowserCaches(platform, browsers.readable, filter, table, &job);
        *notes = SearchNotes(noCacheFolder, report);
        if (sort && sort->column != Column::kAddress) {
          table.ApplyOrder(SortOrder(platform, table.KeysOf(sort->column), sort->column, sort->descending));
        }
      },
      SearchProgress,
      [this, notes] {
        std::swap(table_, pending_);
        list_.Refresh();
        ReadAddresses(*notes);
      });
}

// The index is read after the rows show: a large one takes seconds. A
// stop keeps the rows without addresses.
void CMainDlg::ReadAddresses(const std::string& notes) {
  if (work_.Stopped() || table_.RowCount() == 0) {
    EndSearch(notes);
    return;
  }
  // The job reads a copy of the rows (their texts are shared) and hands
  // back what the window then takes in; whatever takes long happens there.
  struct Found {
    std::vector<std::string> addresses;
    std::optional<ResultTable> sorted;
  };
  auto found = std::make_shared<Found>();
  work_.Run(
      [&platform = platform_, rows = std::make_shared<const ResultTable>(table_), sort = sort_,
       found](JobControl& job) {
        found->addresses = MatchAddresses(rows->PathsInWalkOrder(), platform.ReadUrlIndex(&job.StopFlag()));
        if (sort && sort->column == Column::kAddress && !job.StopRequested()) {
          const Column column = Column::kAddress;
          found->sorted = rows->Reordered(SortOrder(platform, {found->addresses, {}}, column, sort->descending));
          found->sorted->SetAddresses(found->addresses);
        }
      },
      AddressProgress,
      [this, found, notes] {
        if (found->sorted) {
          table_.TakeOrderFrom(std::move(*found->sorted));
        } else {
          table_.SetAddresses(std::move(found->addresses));
        }
        list_.ShowRowsAgain();
        EndSearch(notes);
      });
}

// What a search could not find or read whole stays on the status line,
// until a later search has nothing to say: then the hint comes back.
void CMainDlg::EndSearch(const std::string& notes) {
  EndWork();
  if (work_.Stopped()) return;
  std::wstring shown = Utf8ToWide(notes);
  if (shown.empty() && !searchNotes_.empty() && status_.Shown() == searchNotes_) shown = Utf8ToWide(kHintText);
  searchNotes_ = Utf8ToWide(notes);
  if (!shown.empty()) status_.Show(shown);
}

// A header sorts by its column, a second click the other way round. The
// sorted table is made on the worker from a copy of the shown one, and
// taken in only when the sort was not stopped.
void CMainDlg::OnColumnClick(NMHDR* header, LRESULT* result) {
  *result = 0;
  const auto column = static_cast<Column>(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
  if (static_cast<int>(column) < 0 || static_cast<int>(column) >= kColumnCount) return;
  const bool descending = sort_ && sort_->column == column && !sort_->descending;
  const std::optional<SortState> before = sort_;
  sort_ = SortState{column, descending};
  list_.ShowSortArrow(static_cast<int>(column), descending);
  if (table_.RowCount() < 2) return;
  BeginWork();
  auto sorted = std::make_shared<ResultTable>();
  work_.Run(
      [&platform = platform_, rows = std::make_shared<const ResultTable>(table_), column, descending,
       sorted](JobControl&) {
        *sorted = rows->Reordered(SortOrder(platform, rows->KeysOf(column), column, descending));
      },
      SortProgress,
      [this, sorted, before] {
        // A stopped sort leaves the order, and the header, as they were.
        if (work_.Stopped()) {
          sort_ = before;
          list_.ShowSortArrow(before ? static_cast<int>(before->column) : -1, before && before->descending);
        } else {
          table_.TakeOrderFrom(std::move(*sorted));
          list_.ShowRowsAgain();
        }
        EndWork();
      });
}

void CMainDlg::OnClean() {
  BeginWork();
  std::optional<std::string> folder = GetCacheFolder(platform_);
  if (!folder) {
    StartSearch();  // nothing to delete; the search follows as after any clean
    return;
  }
  // A folder that is no cache stays as it is, and is said; what is left
  // after a clean shows, also after a stopped one.
  auto refusal = std::make_shared<std::optional<std::string>>();
  work_.Run(
      [&platform = platform_, folder = *folder, refusal](JobControl& job) {
        *refusal = CleanRefusal(platform, folder);
        if (!*refusal) DeleteTree(platform, folder, &job);
      },
      CleanProgress,
      [this, refusal] {
        if (!*refusal) {
          StartSearch();
          return;
        }
        EndWork();
        ui_.ShowAppMessage(**refusal);
      });
}

void CMainDlg::OnSaveSelected() {
  if (std::optional<CopyPlan> plan = PlanSaveSelected(ui_, table_)) SaveOnWorker(std::move(*plan));
}

void CMainDlg::OnSaveCurrent() {
  if (std::optional<CopyPlan> plan = PlanSaveCurrent(ui_, table_, criteria_.extension)) {
    SaveOnWorker(std::move(*plan));
  }
}

void CMainDlg::SaveOnWorker(CopyPlan plan) {
  BeginWork();
  const std::string total = std::to_string(plan.size());
  // Written by the job, read once it has returned.
  auto report = std::make_shared<CopyReport>();
  work_.Run([&platform = platform_, plan = std::move(plan), report](JobControl& job) {
              *report = CopyFiles(platform, plan, &job);
            },
            [total](int copied) { return "正在保存… " + std::to_string(copied) + " / " + total; },
            [this, report] {
              EndWork();
              if (std::optional<std::string> failure = CopyFailureText(*report)) ui_.ShowMessage(*failure);
            });
}

void CMainDlg::EnableItem(int id, bool enable) { ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE); }

}  // namespace morlind
