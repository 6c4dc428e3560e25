#pragma once
// The backend-neutral state of native windows. The framework owns it and applies the
// platform's rules (change and kill-focus notifications, click after focus change,
// Enter and Esc); a backend mirrors it on screen and feeds the operator's actions back in
// (platform/user_input.h).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx_types.h"
#include "platform/resources.h"

class CWnd;
class CDialog;
class HostedControl;
class WindowSystem;

struct ListColumn {
  std::string heading;
  int format = LVCFMT_LEFT;
  int width = 0;
  int subItem = 0;
};

struct MenuItem {
  UINT flags = 0;
  UINT id = 0;
  std::string text;
};

struct PaintRecord {
  int x;
  int y;
  HICON icon;
};

// What changed in a window, so that a view can refresh only that.
enum class Change : std::uint8_t { Text, Enabled, Visible, Focus, Items, Selection, Rows, Columns, Icon, Time, Iconic };

struct DialogWindow;

struct NativeWindow {
  virtual ~NativeWindow();
  int id = -1;
  ControlKind kind = ControlKind::StaticText;
  DWORD style = 0;
  CRect unitRect;  // position and size in dialog units
  std::string text;
  bool enabled = true;
  bool visible = true;
  DialogWindow* dialog = nullptr;  // the dialog that holds this control (itself for a dialog)
  CWnd* attached = nullptr;        // the CWnd object bound to this window, if any
  std::unique_ptr<CWnd> temporary;  // a plain CWnd handed out by GetDlgItem when none is bound

  // Combo box.
  std::vector<std::string> items;
  int curSel = -1;
  // List view.
  std::vector<ListColumn> columns;
  std::vector<std::vector<std::string>> rows;  // rows[i][subItem]
  DWORD listExStyle = 0;
  int clientWidth = 0;  // pixels of the list's client area, set by the backend
  int clientHeight = 0;
  // Date-time picker: the value it holds.
  std::int64_t time = 0;
  bool timeValid = true;
  // Static icon.
  HICON icon = nullptr;
  // The name assistive technology reports for a control that shows no text of its own, and
  // the control whose text names it (kept current), from the template.
  std::string accessibleName;
  int nameFrom = 0;
  // Hosted control.
  std::unique_ptr<HostedControl> hosted;
  // Backend data.
  void* view = nullptr;

  void Changed(Change what);
  // The name assistive technology reports: the text of the naming control, or the fixed name.
  std::string AccessibleName() const;
  bool IsPushButton() const { return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton; }
  // Whether the operator can reach it: enabled and visible.
  bool Operable() const { return enabled && visible; }
};

struct DialogWindow : NativeWindow {
  const DialogTemplate* dialogTemplate = nullptr;
  CDialog* owner = nullptr;
  WindowSystem* system = nullptr;
  std::vector<std::unique_ptr<NativeWindow>> controls;  // template order = tab order
  NativeWindow* focus = nullptr;
  bool ended = false;
  int result = 0;
  bool iconic = false;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  bool hasSystemMenu = true;
  std::vector<MenuItem> systemMenu;
  std::vector<PaintRecord> paintLog;  // icons drawn by the last paint
  int clientPixelWidth = 0;
  int clientPixelHeight = 0;
  std::vector<UINT_PTR> timers;  // timer ids armed on this window

  NativeWindow* Find(int controlId) const;
};

// Sends control notification |code| of |w| to the dialog that holds it.
void NotifyDialog(NativeWindow* w, WORD code);
// Moves the focus of |dlg| to |to|; the edit that loses it raises its kill-focus notification
// after the focus has moved, as the platform does. Returns the window that had it.
NativeWindow* MoveFocus(DialogWindow& dlg, NativeWindow* to);
