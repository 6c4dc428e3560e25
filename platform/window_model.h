#pragma once
// The backend-neutral state of native windows. The framework owns it and applies the
// platform's rules (change and kill-focus notifications, click after focus change,
// Enter and Esc); a backend mirrors it on screen and feeds the operator's actions back in.

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
  // Hosted control.
  std::unique_ptr<HostedControl> hosted;
  // Backend data.
  void* view = nullptr;

  void Changed(Change what);
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

// The operator's actions, with the platform's rules. Both backends route input through
// these, so the system code sees the same order of notifications everywhere.
namespace user {
// Clicks a push button: the focus moves to it first; if that showed a box or the focus did
// not stay on it, the click is dropped. False when the click did not reach the button.
bool Click(DialogWindow& dlg, int id);
// Moves the keyboard focus (raising the kill-focus notification of the edit it leaves).
void Focus(DialogWindow& dlg, int id);
// Replaces the text of an edit as the operator would by typing it over (one change).
void SetText(DialogWindow& dlg, int id, const std::string& text);
// Types text at the end of an edit, one change notification per character.
void Type(DialogWindow& dlg, int id, const std::string& text);
void SelectComboItem(DialogWindow& dlg, int id, int index);
void SetPickerTime(DialogWindow& dlg, int id, std::int64_t time);
enum class Key { Enter, Escape };
void PressKey(DialogWindow& dlg, Key key);
void SystemCommand(DialogWindow& dlg, UINT command);
void Close(DialogWindow& dlg);
void Paint(DialogWindow& dlg);

// A pointer press as a backend sees it: the control gains the focus, then reports its click.
// A box shown by that focus change drops the click that caused it, as on the original platform.
class PressRouter {
 public:
  void FocusIn(DialogWindow& dlg, NativeWindow& wnd);
  void Clicked(DialogWindow& dlg, NativeWindow& wnd);
  // Forgets a dropped click of |dlg|'s controls; called when its view goes.
  void Forget(const DialogWindow& dlg);

 private:
  const NativeWindow* m_dropClick = nullptr;
};
}  // namespace user

// Serial number of message boxes shown so far; lets the click rule see a box.
unsigned AfxBoxSerial();
// Clicks that reached their button's handler through user::Click so far.
unsigned AfxClickSerial();
