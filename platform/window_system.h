#pragma once
// The one interface a backend implements: native views of dialogs, modal loops, boxes, the
// file dialog, window timers and the clocks.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/afx_types.h"
#include "platform/window_model.h"

class SerialPortProvider;
class RegistrySource;

struct FileDialogRequest {
  bool openDialog = false;
  std::string defaultExtension;  // without the dot
  std::string initialName;
  DWORD flags = 0;
  std::string filter;  // "Name|pattern|...|"
};

class WindowSystem;

// What a file dialog does with a scripted answer (nullopt or empty: cancelled): a save adds
// the default extension to a name without one, and an existing file is only taken after the
// overwrite question (shown through |system|) is answered Yes. True with |path| set when a
// file was chosen.
bool CompleteFileChoice(WindowSystem& system, DialogWindow* owner, const FileDialogRequest& request,
                        std::optional<std::string> answer, std::string* path);

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Builds the native view of a dialog whose model the framework has created.
  virtual void CreateView(DialogWindow& dlg) = 0;
  virtual void DestroyView(DialogWindow& dlg) = 0;
  // Mirrors a model change on screen.
  virtual void WindowChanged(NativeWindow& wnd, Change what) = 0;
  // Runs a modal loop for |dlg| until dlg.ended.
  virtual void RunModalLoop(DialogWindow& dlg) = 0;
  // Shows a modal box (nested loop); returns the button chosen.
  virtual int MessageBox(DialogWindow* owner, const std::string& text, const std::string& caption,
                         UINT type) = 0;
  // Shows the Save As (or Open) dialog; true with |path| when the operator chose a file.
  virtual bool FileDialog(DialogWindow* owner, const FileDialogRequest& request, std::string* path) = 0;

  // Window timers: arming again restarts the interval; a timer repeats until stopped.
  virtual void SetTimer(NativeWindow* wnd, UINT_PTR id, UINT ms, std::function<void()> onExpiry) = 0;
  virtual void KillTimer(NativeWindow* wnd, UINT_PTR id) = 0;

  // Seconds since 1970 (wall clock).
  virtual std::int64_t WallClockNow() = 0;
  virtual int SystemMetric(int index) = 0;
};

// What a program runs on: the window system, the serial ports and the registry's view of them.
struct PlatformServices {
  WindowSystem* windows = nullptr;
  SerialPortProvider* serialPorts = nullptr;
  RegistrySource* registry = nullptr;
};

void AfxSetServices(const PlatformServices& services);
const PlatformServices& AfxGetServices();
WindowSystem& AfxWindows();
