// Thin wrappers of the common controls, with only the operations the
// program calls. Texts are UTF-8 on this side, wide on the controls'.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wingui/Wnd.h"

namespace morlind {

class CComboBox : public CWnd {
 public:
  // The index of the list selection, or CB_ERR.
  int GetCurSel() const;
  std::string GetLBText(int index) const;
  // The text of the edit field.
  std::string GetWindowTextUtf8() const;
  // At a fixed index: the list is not sorted by this, whatever the style.
  int InsertString(int index, const std::wstring& text);
  // Selects the first item after startAfter (-1: from the top) that begins
  // with text; its index, or CB_ERR.
  int SelectString(int startAfter, const std::wstring& text);
};

// A date-time picker read and set as its calendar fields.
class CDateTimeCtrl : public CWnd {
 public:
  // None when the picker holds no valid time.
  std::optional<SYSTEMTIME> GetTime() const;
  // The day of the week is worked out here; false when the picker refused.
  bool SetTime(SYSTEMTIME time);
};

// A report-view list: its columns, styles and the header's sort arrow.
class CListCtrl : public CWnd {
 public:
  DWORD GetExtendedStyle() const;
  void SetExtendedStyle(DWORD style);
  int InsertColumn(int index, const std::wstring& heading, int format, int width);
  // The header's arrow on column, none on the others.
  void ShowSortArrow(int column, bool descending);
};

}  // namespace morlind
