#pragma once
// The deterministic backend: a virtual clock in microseconds, window timers and serial
// deliveries run in time order (ties in the order they were armed), boxes recorded and
// answered by the test's operator, an in-process serial line at 9600-baud timing and an
// in-memory registry key with injectable failures.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/serial_line.h"
#include "platform/user_input.h"
#include "platform/window_system.h"

namespace headless {

struct BoxRecord {
  std::string text;
  std::string caption;
  UINT type = 0;
  std::int64_t openedAtUs = 0;
  int answer = 0;
};

// A burst of bytes a device puts on the line: it starts |gapUs| after the previous burst
// ended (the first: after the byte that completed the request).
struct Transmission {
  std::int64_t gapUs = 0;
  std::vector<std::uint8_t> bytes;
};

// The far end of a headless serial line.
class ByteDevice {
 public:
  virtual ~ByteDevice() = default;
  // A byte from the host has fully arrived at |nowUs|; returns what the device sends back.
  virtual std::vector<Transmission> OnHostByte(std::uint8_t byte, std::int64_t nowUs) = 0;
};

class HeadlessSystem : public WindowSystem, public SerialPortProvider, public RegistrySource {
 public:
  HeadlessSystem();
  ~HeadlessSystem() override;

  PlatformServices Services() { return {this, this, this}; }

  // ---- Clock ----
  // Runs everything due within |ms| in time order.
  void Advance(double ms);
  std::int64_t NowUs() const { return m_nowUs; }
  double NowMs() const { return static_cast<double>(m_nowUs) / 1000.0; }
  void SetWallClock(std::int64_t secondsSince1970) { m_wallBase = secondsSince1970 - m_nowUs / 1000000; }
  bool TimerArmed(const NativeWindow* wnd, UINT_PTR id) const;
  // When the next timer or scheduled event falls due; nothing when none is waiting.
  std::optional<std::int64_t> NextDueUs() const;

  // ---- Operator (acts on the topmost live dialog) ----
  DialogWindow* Top() const { return m_dialogs.empty() ? nullptr : m_dialogs.back(); }
  // A pointer press and its release over control |id|; true when the click reached its handler.
  bool Click(int id);
  // The two halves of a click: the press (the control takes the focus) and its release, over
  // the control or elsewhere. A press may also never be released, as when a box took it.
  void Press(int id);
  bool Release(int id, bool overControl = true);
  // Opens the drop-down list of combo box |id|.
  bool DropDown(int id);
  void Type(int id, const std::string& text);
  void SetText(int id, const std::string& text);
  // Moves the focus as the keyboard does (Tab).
  void Focus(int id);
  void PressEnter();
  void PressEscape();
  void Close();
  void SystemCommand(UINT command);
  void Paint();
  void SelectCombo(int id, int index);
  void SetPicker(int id, std::int64_t time);
  void InvalidatePicker(int id);

  NativeWindow* Control(int id) const;
  std::string Text(int id) const;
  bool Enabled(int id) const;
  bool Visible(int id) const;
  int FocusId() const;
  const std::vector<std::vector<std::string>>& Rows(int id) const;

  // ---- Boxes ----
  const std::vector<BoxRecord>& Boxes() const { return m_boxes; }
  void ClearBoxes() { m_boxes.clear(); }
  int OpenBoxes() const { return m_openBoxes; }
  // The next box is answered by |answer|, which may let time pass (Advance) before it returns
  // the button. Boxes without a queued answer are answered at once with OK (or Yes).
  void AnswerNextBox(std::function<int(const BoxRecord&)> answer);
  void AnswerNextBox(int button);
  // Runs |script| as the operator of the next modal dialog loop (the About box, a main window
  // run by DoModal); the dialog is cancelled if the script leaves it open.
  void QueueModalScript(std::function<void(DialogWindow&)> script);

  // ---- Save As dialog ----
  // The next file dialog returns |answer|'s path (nullopt: cancelled). As the native dialog
  // does, the default extension is added to a name without one, and an existing file is
  // only chosen after the overwrite box is answered Yes.
  void AnswerNextFileDialog(std::function<std::optional<std::string>(const FileDialogRequest&)> answer);
  const std::vector<FileDialogRequest>& FileDialogs() const { return m_fileDialogs; }

  // ---- Serial ports ----
  void AddPort(int portNumber, ByteDevice* device);
  void SetPortInUse(int portNumber, bool inUse);
  // Bytes from the device side of |portNumber|, starting |gapUs| from now.
  void SendFromDevice(int portNumber, std::int64_t gapUs, const std::vector<std::uint8_t>& bytes);
  void HangUp(int portNumber);
  // Received bytes reach the control in chunks of this many bytes (the last may be shorter).
  void SetChunkBytes(int bytes) { m_chunkBytes = bytes < 1 ? 1 : bytes; }
  // Every write the host made on the port, one entry per write.
  const std::vector<std::vector<std::uint8_t>>& Written(int portNumber);
  bool PortIsOpen(int portNumber) const;
  static std::int64_t ByteTimeUs(int index, int baud = 9600) {
    return (static_cast<std::int64_t>(index) * 10'000'000) / baud;
  }

  // ---- Registry ----
  void SetSerialPortValues(const std::vector<std::pair<std::string, std::string>>& values);
  void RemoveSerialPortKey() { m_keyPresent = false; }
  void SetRawSerialPortValues(std::vector<RegistryValue> values);
  void FailQueryInfo(LONG rc) { m_failInfo = rc; }
  void FailEnumValue(DWORD index, LONG rc) { m_failEnum[index] = rc; }
  void FailQueryValue(const std::string& name, LONG rc) { m_failQuery[name] = rc; }

  // ---- Layout ----
  // The list's client width to report instead of the one computed from dialog units.
  void SetListClientWidth(std::optional<int> width) { m_listClientWidth = width; }
  void SetDialogClientSize(int width, int height);

  // WindowSystem
  void CreateView(DialogWindow& dlg) override;
  void DestroyView(DialogWindow& dlg) override;
  void WindowChanged(NativeWindow& wnd, Change what) override;
  void RunModalLoop(DialogWindow& dlg) override;
  int MessageBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type) override;
  bool FileDialog(DialogWindow* owner, const FileDialogRequest& request, std::string* path) override;
  void SetTimer(NativeWindow* wnd, UINT_PTR id, UINT ms, std::function<void()> onExpiry) override;
  void KillTimer(NativeWindow* wnd, UINT_PTR id) override;
  std::int64_t WallClockNow() override { return m_wallBase + m_nowUs / 1000000; }
  int SystemMetric(int index) override;

  // SerialPortProvider
  std::unique_ptr<SerialLine> Open(int portNumber, const LineSettings& settings, SerialLineListener* listener,
                                   std::string* error) override;

  // RegistrySource
  LONG OpenKey(const std::string& path, std::vector<RegistryValue>* values) override;
  LONG QueryInfoResult() override { return m_failInfo; }
  LONG EnumValueResult(DWORD index) override;
  LONG QueryValueResult(const std::string& name) override;

 private:
  class Line;
  struct Port {
    ByteDevice* device = nullptr;
    bool inUse = false;
    Line* line = nullptr;  // the open line, if any
    std::int64_t hostTxFreeUs = 0;
    std::int64_t deviceTxFreeUs = 0;
    std::vector<std::vector<std::uint8_t>> written;
  };
  struct Timer {
    std::int64_t intervalUs = 0;
    std::int64_t dueUs = 0;
    std::uint64_t seq = 0;
    std::function<void()> onExpiry;
  };
  using TimerKey = std::pair<const NativeWindow*, UINT_PTR>;

  void Schedule(std::int64_t dueUs, std::function<void()> run);
  void DeviceTransmit(int portNumber, const std::vector<Transmission>& bursts, std::int64_t afterUs);
  Port& PortAt(int portNumber);
  DialogWindow& TopOrThrow() const;

  std::int64_t m_nowUs = 0;
  std::int64_t m_wallBase;
  std::uint64_t m_seq = 0;
  std::map<TimerKey, Timer> m_timers;
  std::map<std::pair<std::int64_t, std::uint64_t>, std::function<void()>> m_events;  // (due, seq)
  std::vector<DialogWindow*> m_dialogs;

  std::vector<BoxRecord> m_boxes;
  int m_openBoxes = 0;
  std::deque<std::function<int(const BoxRecord&)>> m_boxAnswers;
  std::deque<std::function<void(DialogWindow&)>> m_modalScripts;
  std::deque<std::function<std::optional<std::string>(const FileDialogRequest&)>> m_fileAnswers;
  std::vector<FileDialogRequest> m_fileDialogs;

  std::map<int, Port> m_ports;
  int m_chunkBytes = 8;

  bool m_keyPresent = true;
  std::vector<RegistryValue> m_values;
  LONG m_failInfo = ERROR_SUCCESS;
  std::map<DWORD, LONG> m_failEnum;
  std::map<std::string, LONG> m_failQuery;

  std::optional<int> m_listClientWidth;
  std::optional<std::pair<int, int>> m_dialogClient;
  user::PressRouter m_press;
};

}  // namespace headless
