#include "ui/ResultList.h"

#include <algorithm>

#include "platform/WideText.h"

namespace morlind {

namespace {
constexpr UINT kUntickedImage = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kTickedImage = INDEXTOSTATEIMAGEMASK(2);
// LVFI_SUBSTRING (Vista on): the same prefix search as LVFI_PARTIAL.
constexpr UINT kFindSubstring = 0x0004;
}  // namespace

void CResultList::SetModel(ResultTable* model) {
  model_ = model;
  // Owner-data rows keep no state image: ask the model for the check box.
  Send(LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK);
  subclass_.Install(hwnd_, [this](HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == LVM_SETITEMSTATE && model_) return OnSetItemState(w, l);
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) FollowMouse(message, w, l);
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(l)->hwndFrom == tip_ &&
        reinterpret_cast<NMHDR*>(l)->code == TTN_GETDISPINFOW) {
      ServeTip(*reinterpret_cast<NMTTDISPINFOW*>(l));
      return LRESULT{0};
    }
    return ::DefSubclassProc(hwnd, message, w, l);
  });
  CreateAddressTip();
  Refresh();
}

CResultList::~CResultList() {
  if (tip_ && ::IsWindow(tip_)) ::DestroyWindow(tip_);
}

void CResultList::CreateAddressTip() {
  if (tip_) return;
  tip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, nullptr, nullptr);
  if (!tip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  tool.lpszText = LPSTR_TEXTCALLBACKW;
  ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // Long addresses wrap instead of running off the screen.
  ::SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN) / 2);
}

// Over another row the tip starts again, to ask for that row's address;
// then the tip sees the mouse as it would on its own.
void CResultList::FollowMouse(UINT message, WPARAM w, LPARAM position) {
  if (!tip_ || !model_) return;
  if (message == WM_MOUSEMOVE) {
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    int row = static_cast<int>(::DefSubclassProc(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row != tipRow_) {
      tipRow_ = row;
      ::SendMessageW(tip_, TTM_POP, 0, 0);
    }
  }
  MSG relayed{hwnd_, message, w, position, 0, {}};
  ::SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void CResultList::ServeTip(NMTTDISPINFOW& info) {
  tipText_.clear();
  if (tipRow_ >= 0 && tipRow_ < model_->RowCount()) tipText_ = Utf8ToWide(model_->AddressOf(tipRow_));
  info.lpszText = tipText_.data();
  info.hinst = nullptr;
}

// The list would drop a state image it does not keep: the tick goes to the
// model, selection and focus to the list. Row -1 is every row.
LRESULT CResultList::OnSetItemState(WPARAM w, LPARAM l) {
  const auto* item = reinterpret_cast<const LVITEMW*>(l);
  const int row = static_cast<int>(w);
  if (!item || row < -1 || row >= model_->RowCount()) return FALSE;
  LVITEMW rest = *item;
  if ((item->stateMask & LVIS_STATEIMAGEMASK) && !ticksLocked_) {
    bool ticked = (item->state & LVIS_STATEIMAGEMASK) == kTickedImage;
    if (row == -1) {
      model_->SetAllTicks(ticked);
      ::InvalidateRect(hwnd_, nullptr, TRUE);
    } else {
      SetCheck(row, ticked);
    }
  }
  rest.stateMask &= ~LVIS_STATEIMAGEMASK;
  LRESULT result = TRUE;
  if (rest.stateMask) result = ::DefSubclassProc(hwnd_, LVM_SETITEMSTATE, w, reinterpret_cast<LPARAM>(&rest));
  FollowSelection();
  return result;
}

void CResultList::Refresh() {
  Send(LVM_DELETEALLITEMS);
  int rows = model_ ? model_->RowCount() : 0;
  Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(rows), 0);
  FollowSelection();
}

void CResultList::ShowRowsAgain() {
  const int row = model_->HighlightedRow();
  Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(model_->RowCount()), LVSICF_NOSCROLL);
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  // Only the rows that have a state: Wine goes through every row for -1.
  for (UINT flag : {LVNI_SELECTED, LVNI_FOCUSED}) {
    int old = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag));
    if (old >= 0) Send(LVM_SETITEMSTATE, static_cast<WPARAM>(old), reinterpret_cast<LPARAM>(&state));
  }
  if (row >= 0) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CResultList::SetCheck(int row, bool ticked) {
  model_->SetCheck(row, ticked);
  Send(LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
  ::UpdateWindow(hwnd_);
}

bool CResultList::OnReflectedNotify(NMHDR* header, LRESULT* result) {
  if (!model_) return false;
  switch (header->code) {
    case LVN_GETDISPINFOW:
      ServeDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
      return true;
    case LVN_ODFINDITEMW:
      *result = FindItem(*reinterpret_cast<NMLVFINDITEMW*>(header));
      return true;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
      FollowSelection();
      return false;
    case NM_CLICK: {
      // The dialog still gets the click. With full-row selection a click
      // anywhere else on the row hits all of LVHT_ONITEM, the check box's
      // bit among them: only the check box alone ticks.
      LVHITTESTINFO hit{};
      hit.pt = reinterpret_cast<NMITEMACTIVATE*>(header)->ptAction;
      int row = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (row >= 0 && (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON) Toggle(row);
      return false;
    }
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) {
        int row = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (row >= 0) Toggle(row);
      }
      return false;
    default:
      return false;
  }
}

void CResultList::ServeDisplayInfo(LVITEMW& item) const {
  // A row past the model's end (the control not yet told of a new count)
  // shows empty.
  bool inModel = item.iItem >= 0 && item.iItem < model_->RowCount();
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    std::wstring text;
    if (inModel && item.iSubItem >= 0 && item.iSubItem < kColumnCount) {
      text = Utf8ToWide(model_->GetItemText(item.iItem, static_cast<Column>(item.iSubItem)));
    }
    std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), length, item.pszText);
    item.pszText[length] = L'\0';
  }
  if (item.mask & LVIF_STATE) {
    UINT image = inModel && model_->GetCheck(item.iItem) ? kTickedImage : kUntickedImage;
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | image;
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
}

// Type-ahead asks for a name prefix from the focused row on, wrapping.
LRESULT CResultList::FindItem(const NMLVFINDITEMW& find) const {
  const LVFINDINFOW& info = find.lvfi;
  const UINT byText = LVFI_STRING | LVFI_PARTIAL | kFindSubstring;
  if (!(info.flags & byText) || !info.psz) return -1;
  NameMatch match = (info.flags & (LVFI_PARTIAL | kFindSubstring)) ? NameMatch::kPrefix : NameMatch::kWhole;
  return model_->FindName(WideToUtf8(info.psz), find.iStart, match, (info.flags & LVFI_WRAP) != 0);
}

void CResultList::Toggle(int row) {
  if (ticksLocked_ || row >= model_->RowCount()) return;
  SetCheck(row, !model_->GetCheck(row));
}

void CResultList::FollowSelection() {
  if (!model_) return;
  int row = static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  model_->SetHighlighted(row < model_->RowCount() ? row : -1);
}

}  // namespace morlind
