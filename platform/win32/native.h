#pragma once
// The Win32 API as the backend needs it, behind standard types only. The files that include
// <windows.h> (native_*.cpp) see nothing of the framework layer, whose names (DWORD, HICON,
// MessageBox, the WM_ constants) the Windows headers define differently; the framework's side
// (win32_*.cpp, file_system.cpp) sees only this header.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace win32native {

// ---- Dialogs -------------------------------------------------------------------------------

enum class ControlClass : std::uint8_t { None, Button, Edit, ComboBox, ListView, Static, DateTimePicker };

struct ControlSpec {
  int id = -1;
  ControlClass cls = ControlClass::None;  // None: no window (a control without a face)
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::string text;  // UTF-8
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogSpec {
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  int pointSize = 9;
  std::string face;
  int weight = 0;
  bool italic = false;
  int charset = 1;
  std::vector<ControlSpec> controls;
};

struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

struct ListColumnSpec {
  std::string heading;
  int format = 0;
  int width = 0;
  int subItem = 0;
};

struct MenuEntry {
  bool separator = false;
  unsigned id = 0;
  std::string text;
};

// What the operator does in a dialog; control indexes are those of DialogSpec::controls.
class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // A press (pointer button or Space key) begins on the control, before any focus change.
  virtual void PressBegan(int index) = 0;
  // The control gains the focus, from a press on it or otherwise.
  virtual void FocusIn(int index, bool byPress) = 0;
  // Whether the control's press is dropped (its focus change showed a box).
  virtual bool PressDropped(int index) = 0;
  virtual void Clicked(int index) = 0;
  // A combo box's list is about to drop down.
  virtual void DroppedDown(int index) = 0;
  virtual void EditChanged(int index, const std::string& text) = 0;
  virtual void ComboSelected(int index, int item) = 0;
  virtual void PickerChanged(int index, const LocalTime& value) = 0;
  virtual void Key(bool enter) = 0;             // Enter or Esc
  virtual void SystemCommand(unsigned command) = 0;  // close box, minimise, restore, menu items
  // The text of a report list's cell, read when the list draws it (nullptr: empty).
  virtual const std::string* CellText(int index, int row, int subItem) = 0;
};

using IconHandle = void*;
// An opaque icon from |width| x |height| RGB pixels, row by row from the top.
IconHandle CreateIconFromRgb(int width, int height, const std::uint8_t* rgb);
void DestroyIconHandle(IconHandle icon);

class DialogView {
 public:
  // Creates the dialog from an in-memory template, hidden; nullptr with |error| on failure.
  static std::unique_ptr<DialogView> Create(const DialogSpec& spec, DialogEvents* events, DialogView* owner,
                                            std::string* error);
  virtual ~DialogView() = default;

  virtual void SetCaption(const std::string& text) = 0;
  virtual void SetText(int index, const std::string& text) = 0;
  virtual void SetEnabled(int index, bool enabled) = 0;
  virtual void SetVisible(int index, bool visible) = 0;
  virtual void SetFocus(int index) = 0;
  virtual void SetComboItems(int index, const std::vector<std::string>& items, int selection) = 0;
  virtual void SetComboSelection(int index, int selection) = 0;
  virtual void SetListColumns(int index, const std::vector<ListColumnSpec>& columns) = 0;
  virtual void SetListRowCount(int index, int rows) = 0;
  virtual void SetListExtendedStyle(int index, std::uint32_t exStyle) = 0;
  virtual void SetPickerTime(int index, const LocalTime& value) = 0;
  virtual void SetStaticIcon(int index, IconHandle icon) = 0;
  virtual void SetWindowIcons(IconHandle big, IconHandle small) = 0;
  virtual void SetSystemMenuExtras(const std::vector<MenuEntry>& entries) = 0;
  virtual void SetMinimised(bool minimised) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void EnableInput(bool enabled) = 0;
  virtual void ClientSize(int* width, int* height) const = 0;
  // The list's area for rows (below its header) or a control's client area, in pixels.
  virtual void ControlClientSize(int index, int* width, int* height) const = 0;
  virtual void* Handle() const = 0;  // the HWND
  virtual void* ControlHandle(int index) const = 0;
};

// Makes the calling thread the user-interface thread: windows, timers and the arrivals of
// serial lines belong to it. Called once, before any of them is made.
void AttachUiThread();

// Runs the thread's messages, with the dialogs' keyboard handling, until |done| holds.
void RunLoopUntil(const std::function<bool()>& done);
// Runs the thread's messages for |ms| milliseconds.
void PumpFor(int ms);
// Runs the thread's messages until std::chrono::steady_clock reaches |steadyUs| (its
// microseconds since its epoch), or until |stop| holds after one of them.
void PumpUntil(std::int64_t steadyUs, const std::function<bool()>& stop);

// Window timers on the user-interface thread: starting an armed key restarts its interval.
void StartTimer(std::uintptr_t key, unsigned ms, std::function<void()> onExpiry);
void StopTimer(std::uintptr_t key);

// Runs |task| on the user-interface thread; callable from any thread.
void PostToUiThread(std::function<void()> task);

// A message box; returns the button (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7). When an answerer is
// set, it names the button and how long the box stays open (ms) before it is pressed.
using BoxAnswerer = std::function<std::pair<int, int>(const std::string& text, const std::string& caption, unsigned type)>;
void SetBoxAnswerer(BoxAnswerer answerer);
int ShowMessageBox(DialogView* owner, const std::string& text, const std::string& caption, unsigned type);

// The Save As (or Open) dialog; false when cancelled. |filter| is "Name|pattern|...|".
bool ShowFileDialog(DialogView* owner, bool open, const std::string& filter, const std::string& defaultExtension,
                    const std::string& initialName, std::uint32_t flags, std::string* path);

int SystemMetric(int index);

// ---- Operator input, for tests that drive real windows ----
// Presses a push button as a mouse click does (the button takes the focus first).
void ClickButton(void* hwnd);
// The two halves of a mouse click on a control: the left button goes down, and up.
void PressMouse(void* hwnd);
void ReleaseMouse(void* hwnd);
// Clicks into an edit and types |text| into it, one character at a time.
void TypeInto(void* hwnd, const std::string& text);
// Presses Enter or Esc in the window that has the keyboard focus (else in |fallback|).
void PressKeyInFocus(bool enter, void* fallback);

// Saves what the screen shows of the window |hwnd| as a 24-bit PNG.
bool SaveWindowPicture(void* hwnd, const std::string& pngPath);

// ---- Files ---------------------------------------------------------------------------------

struct OpenMode {
  bool read = false;
  bool write = false;
  bool create = false;
  bool truncate = false;
  bool exclusive = false;  // no other program may read or write it while open
  bool createNew = false;  // fails with EEXIST when the file exists
  bool hidden = false;     // a new file gets the hidden attribute
};
// Opens |utf8Path| as a buffered binary stream; nullptr with |*error| set to an errno value.
std::FILE* OpenFileStream(const std::string& utf8Path, const OpenMode& mode, int* error);
// Replaces |target| by |source|; an existing target's attributes and access lists stay with
// the replacement. errno value or 0.
int ReplaceFileWith(const std::string& source, const std::string& target);
// Cuts an open stream to |length| bytes; errno value or 0.
int SetStreamLength(std::FILE* stream, std::uint64_t length);
// The file a path names once links are followed; the path itself when it names none.
std::string FinalFilePath(const std::string& utf8Path);
// The number of names the file has; 0 when there is none.
unsigned FileLinkCount(const std::string& utf8Path);

// ---- Registry ------------------------------------------------------------------------------

// The values of HKEY_LOCAL_MACHINE\|path|: 0 (ERROR_SUCCESS) or the system's error code.
long ReadMachineKey(const std::string& path, std::vector<std::pair<std::string, std::vector<std::uint8_t>>>* values);

// ---- Serial lines --------------------------------------------------------------------------

struct CommSettings {
  int baud = 9600;
  char parity = 'n';
  int dataBits = 8;
  int stopBits = 1;
};

// An open byte stream whose arrivals are delivered on the user-interface thread.
class ByteStream {
 public:
  virtual ~ByteStream() = default;  // stops the reader and closes the handle
  virtual bool Write(const std::uint8_t* data, std::size_t n, std::string* error) = 0;
};

struct StreamCallbacks {
  std::function<void(const std::uint8_t*, std::size_t)> onData;
  std::function<void()> onHangup;  // called once; the stream may be destroyed inside it
};

// The operator's message for a port that CreateFile refused with |systemError|: the same
// words as on other systems for the same cause.
std::string ComOpenError(const std::string& name, unsigned long systemError);

// Opens \\.\COMn with the settings; nullptr with an operator's message in |error|.
std::unique_ptr<ByteStream> OpenComPort(int portNumber, const CommSettings& settings, StreamCallbacks callbacks,
                                        std::string* error);

// A pair of joined pipe ends in this process, for tests of the line without a port: bytes
// written to |peer| arrive on the returned stream.
std::unique_ptr<ByteStream> OpenLoopback(StreamCallbacks callbacks, std::unique_ptr<ByteStream>* peer,
                                         std::string* error);

}  // namespace win32native
