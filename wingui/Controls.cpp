#include "wingui/Controls.h"

#include "platform/WideText.h"

namespace morlind {

// --- combo box ---

int CComboBox::GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }

std::string CComboBox::GetLBText(int index) const {
  LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR || length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  LRESULT copied = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
  return WideToUtf8(text);
}

std::string CComboBox::GetWindowTextUtf8() const { return WideToUtf8(Text()); }

int CComboBox::InsertString(int index, const std::wstring& text) {
  return static_cast<int>(Send(CB_INSERTSTRING, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(text.c_str())));
}

int CComboBox::SelectString(int startAfter, const std::wstring& text) {
  return static_cast<int>(Send(CB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                               reinterpret_cast<LPARAM>(text.c_str())));
}

// --- date-time picker ---

std::optional<SYSTEMTIME> CDateTimeCtrl::GetTime() const {
  SYSTEMTIME time{};
  if (Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return std::nullopt;
  return time;
}

bool CDateTimeCtrl::SetTime(SYSTEMTIME time) {
  // The picker wants a consistent day of the week.
  FILETIME asFileTime{};
  if (::SystemTimeToFileTime(&time, &asFileTime)) ::FileTimeToSystemTime(&asFileTime, &time);
  return Send(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0;
}

// --- list ---

DWORD CListCtrl::GetExtendedStyle() const {
  return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

void CListCtrl::SetExtendedStyle(DWORD style) {
  Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
}

int CListCtrl::InsertColumn(int index, const std::wstring& heading, int format, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(heading.c_str());
  column.iSubItem = index;
  return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                               reinterpret_cast<LPARAM>(&column)));
}

void CListCtrl::ShowSortArrow(int column, bool descending) {
  HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
  for (int i = 0, n = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); i < n; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
    ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
}

}  // namespace morlind
