#include "platform/controls.h"

#include <algorithm>

// ---- Controls ------------------------------------------------------------------------------

HICON CStatic::SetIcon(HICON icon) {
  if (!m_hWnd) return nullptr;
  HICON old = m_hWnd->icon;
  m_hWnd->icon = icon;
  m_hWnd->Changed(Change::Icon);
  return old;
}

HICON CStatic::GetIcon() const { return m_hWnd ? m_hWnd->icon : nullptr; }

int CComboBox::AddString(const char* text) {
  if (!m_hWnd) return CB_ERR;
  m_hWnd->items.emplace_back(text ? text : "");
  m_hWnd->Changed(Change::Items);
  return static_cast<int>(m_hWnd->items.size()) - 1;
}

void CComboBox::ResetContent() {
  if (!m_hWnd) return;
  m_hWnd->items.clear();
  m_hWnd->curSel = -1;
  m_hWnd->Changed(Change::Items);
}

int CComboBox::SetCurSel(int index) {
  if (!m_hWnd) return CB_ERR;
  const bool valid = index >= 0 && index < static_cast<int>(m_hWnd->items.size());
  m_hWnd->curSel = valid ? index : -1;
  m_hWnd->Changed(Change::Selection);
  return valid ? index : CB_ERR;
}

int CComboBox::GetCurSel() const { return m_hWnd ? m_hWnd->curSel : CB_ERR; }
int CComboBox::GetCount() const { return m_hWnd ? static_cast<int>(m_hWnd->items.size()) : 0; }
std::string CComboBox::GetLBText(int index) const {
  if (!m_hWnd || index < 0 || index >= static_cast<int>(m_hWnd->items.size())) return {};
  return m_hWnd->items[static_cast<std::size_t>(index)];
}

DWORD CListCtrl::GetExtendedStyle() const { return m_hWnd ? m_hWnd->listExStyle : 0; }

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  if (!m_hWnd) return 0;
  const DWORD old = m_hWnd->listExStyle;
  m_hWnd->listExStyle = style;
  m_hWnd->Changed(Change::Columns);
  return old;
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
  if (!m_hWnd) return -1;
  auto& cols = m_hWnd->columns;
  column = std::clamp(column, 0, static_cast<int>(cols.size()));
  cols.insert(cols.begin() + column, ListColumn{heading ? heading : "", format, width, subItem});
  m_hWnd->Changed(Change::Columns);
  return column;
}

int CListCtrl::InsertItem(int index, const char* text) {
  if (!m_hWnd) return -1;
  auto& rows = m_hWnd->rows;
  index = std::clamp(index, 0, static_cast<int>(rows.size()));
  std::vector<std::string> row(std::max<std::size_t>(m_hWnd->columns.size(), 1));
  row[0] = text ? text : "";
  rows.insert(rows.begin() + index, std::move(row));
  m_hWnd->Changed(Change::Rows);
  return index;
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
  if (!m_hWnd || item < 0 || item >= static_cast<int>(m_hWnd->rows.size()) || subItem < 0) return FALSE;
  auto& row = m_hWnd->rows[static_cast<std::size_t>(item)];
  if (static_cast<std::size_t>(subItem) >= row.size()) row.resize(static_cast<std::size_t>(subItem) + 1);
  row[static_cast<std::size_t>(subItem)] = text ? text : "";
  m_hWnd->Changed(Change::Rows);
  return TRUE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
  if (!m_hWnd || item < 0 || item >= static_cast<int>(m_hWnd->rows.size()) || subItem < 0) return {};
  const auto& row = m_hWnd->rows[static_cast<std::size_t>(item)];
  return static_cast<std::size_t>(subItem) < row.size() ? row[static_cast<std::size_t>(subItem)] : std::string();
}

BOOL CListCtrl::DeleteAllItems() {
  if (!m_hWnd) return FALSE;
  m_hWnd->rows.clear();
  m_hWnd->Changed(Change::Rows);
  return TRUE;
}

int CListCtrl::GetItemCount() const { return m_hWnd ? static_cast<int>(m_hWnd->rows.size()) : 0; }
int CListCtrl::GetColumnCount() const { return m_hWnd ? static_cast<int>(m_hWnd->columns.size()) : 0; }
int CListCtrl::GetColumnWidth(int column) const {
  if (!m_hWnd || column < 0 || column >= static_cast<int>(m_hWnd->columns.size())) return 0;
  return m_hWnd->columns[static_cast<std::size_t>(column)].width;
}

bool CDateTimeCtrl::GetTime(CTime* out) const {
  if (!m_hWnd || !m_hWnd->timeValid) return false;
  *out = CTime(m_hWnd->time);
  return true;
}

void CDateTimeCtrl::SetTime(const CTime& time) {
  if (!m_hWnd) return;
  m_hWnd->time = time.GetTime();
  m_hWnd->timeValid = true;
  m_hWnd->Changed(Change::Time);
}

