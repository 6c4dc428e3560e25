#pragma once
// The controls of a dialog as the system code addresses them: buttons, edits, static icons,
// combo boxes, report lists and date-time pickers.

#include <string>

#include "platform/wnd.h"

class CButton : public CWnd {};
class CEdit : public CWnd {};
class CStatic : public CWnd {
 public:
  HICON SetIcon(HICON icon);
  HICON GetIcon() const;
};

class CComboBox : public CWnd {
 public:
  int AddString(const char* text);
  void ResetContent();
  int SetCurSel(int index);
  int GetCurSel() const;
  int GetCount() const;
  std::string GetLBText(int index) const;
};

class CListCtrl : public CWnd {
 public:
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD style);
  int InsertColumn(int column, const char* heading, int format, int width, int subItem);
  int InsertItem(int index, const char* text);
  BOOL SetItemText(int item, int subItem, const char* text);
  std::string GetItemText(int item, int subItem) const;
  BOOL DeleteAllItems();
  int GetItemCount() const;
  int GetColumnCount() const;
  int GetColumnWidth(int column) const;
};

class CDateTimeCtrl : public CWnd {
 public:
  bool GetTime(CTime* out) const;
  void SetTime(const CTime& time);
};
