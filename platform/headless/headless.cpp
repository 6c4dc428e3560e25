#include "platform/headless/headless.h"

#include <algorithm>
#include <stdexcept>

#include "platform/exceptions.h"
#include "platform/dialog.h"
#include "platform/user_input.h"
#include "platform/wnd.h"

namespace headless {

namespace {
// Dialog base units of a 9-point face at 96 DPI: 6 x 12 pixels.
constexpr int kBaseX = 6;
constexpr int kBaseY = 12;
constexpr int kListBorder = 2;
constexpr const char* kSerialPortKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr std::int64_t kDefaultWallClock = 1796983200;  // 2026-12-11 10:00:00 UTC
}  // namespace

// One open headless line: writes travel to the port's device at the line's byte time;
// the device's bytes come back through the port's chunked delivery.
class HeadlessSystem::Line : public SerialLine {
 public:
  Line(HeadlessSystem* system, int portNumber, SerialLineListener* listener, int baud)
      : m_system(system), m_portNumber(portNumber), m_listener(listener), m_baud(baud),
        m_alive(std::make_shared<bool>(true)) {}
  ~Line() override {
    *m_alive = false;
    Port& port = m_system->PortAt(m_portNumber);
    if (port.line == this) port.line = nullptr;
  }

  bool Write(const std::uint8_t* data, std::size_t n, std::string*) override {
    Port& port = m_system->PortAt(m_portNumber);
    port.written.emplace_back(data, data + n);
    const std::int64_t start = std::max(m_system->m_nowUs, port.hostTxFreeUs);
    for (std::size_t k = 0; k < n; ++k) {
      const std::int64_t arrives = start + ByteTimeUs(static_cast<int>(k) + 1, m_baud);
      const std::uint8_t byte = data[k];
      const int portNumber = m_portNumber;
      HeadlessSystem* system = m_system;
      m_system->Schedule(arrives, [system, portNumber, byte, arrives] {
        Port& p = system->PortAt(portNumber);
        if (!p.device) return;
        system->DeviceTransmit(portNumber, p.device->OnHostByte(byte, arrives), arrives);
      });
    }
    port.hostTxFreeUs = start + ByteTimeUs(static_cast<int>(n), m_baud);
    return true;
  }

  void Deliver(const std::vector<std::uint8_t>& chunk) {
    if (*m_alive) m_listener->OnLineData(chunk.data(), chunk.size());
  }
  void HangUp() {
    if (*m_alive) m_listener->OnLineHangup();  // may destroy this line
  }
  std::shared_ptr<bool> Alive() const { return m_alive; }
  int Baud() const { return m_baud; }

 private:
  HeadlessSystem* m_system;
  int m_portNumber;
  SerialLineListener* m_listener;
  int m_baud;
  std::shared_ptr<bool> m_alive;
};

HeadlessSystem::HeadlessSystem() : m_wallBase(kDefaultWallClock) {}
HeadlessSystem::~HeadlessSystem() = default;

// ---- Clock ---------------------------------------------------------------------------------

void HeadlessSystem::Schedule(std::int64_t dueUs, std::function<void()> run) {
  m_events.emplace(std::make_pair(dueUs, m_seq++), std::move(run));
}

void HeadlessSystem::Advance(double ms) {
  const std::int64_t target = m_nowUs + static_cast<std::int64_t>(ms * 1000.0 + 0.5);
  for (;;) {
    // The earliest of the timers and the scheduled events; ties by arming order.
    const Timer* timer = nullptr;
    TimerKey timerKey{};
    for (const auto& [key, t] : m_timers) {
      if (!timer || t.dueUs < timer->dueUs || (t.dueUs == timer->dueUs && t.seq < timer->seq)) {
        timer = &t;
        timerKey = key;
      }
    }
    auto event = m_events.begin();
    const bool haveEvent = event != m_events.end() && event->first.first <= target;
    const bool haveTimer = timer && timer->dueUs <= target;
    if (!haveEvent && !haveTimer) break;
    const bool takeTimer =
        haveTimer && (!haveEvent || std::make_pair(timer->dueUs, timer->seq) < event->first);
    if (takeTimer) {
      Timer& t = m_timers[timerKey];
      m_nowUs = std::max(m_nowUs, t.dueUs);
      t.dueUs += t.intervalUs;  // repeats until stopped
      t.seq = m_seq++;
      std::function<void()> run = t.onExpiry;
      run();
    } else {
      m_nowUs = std::max(m_nowUs, event->first.first);
      std::function<void()> run = std::move(event->second);
      m_events.erase(event);
      run();
    }
  }
  m_nowUs = std::max(m_nowUs, target);
}

void HeadlessSystem::SetTimer(NativeWindow* wnd, UINT_PTR id, UINT ms, std::function<void()> onExpiry) {
  Timer& t = m_timers[{wnd, id}];
  t.intervalUs = static_cast<std::int64_t>(ms) * 1000;
  if (t.intervalUs <= 0) t.intervalUs = 1000;
  t.dueUs = m_nowUs + t.intervalUs;
  t.seq = m_seq++;
  t.onExpiry = std::move(onExpiry);
}

void HeadlessSystem::KillTimer(NativeWindow* wnd, UINT_PTR id) { m_timers.erase({wnd, id}); }

bool HeadlessSystem::TimerArmed(const NativeWindow* wnd, UINT_PTR id) const { return m_timers.count({wnd, id}) != 0; }

std::optional<std::int64_t> HeadlessSystem::NextDueUs() const {
  std::optional<std::int64_t> due;
  if (!m_events.empty()) due = m_events.begin()->first.first;
  for (const auto& [key, t] : m_timers) {
    if (!due || t.dueUs < *due) due = t.dueUs;
  }
  return due;
}

int HeadlessSystem::SystemMetric(int index) {
  return index == SM_CXICON || index == SM_CYICON ? 32 : 0;
}

// ---- Views ---------------------------------------------------------------------------------

void HeadlessSystem::CreateView(DialogWindow& dlg) {
  dlg.clientPixelWidth = dlg.unitRect.Width() * kBaseX / 4;
  dlg.clientPixelHeight = dlg.unitRect.Height() * kBaseY / 8;
  if (m_dialogClient) {
    dlg.clientPixelWidth = m_dialogClient->first;
    dlg.clientPixelHeight = m_dialogClient->second;
  }
  for (auto& c : dlg.controls) {
    c->clientWidth = c->unitRect.Width() * kBaseX / 4;
    c->clientHeight = c->unitRect.Height() * kBaseY / 8;
    if (c->kind == ControlKind::ListView) {
      c->clientWidth = m_listClientWidth.value_or(c->clientWidth - 2 * kListBorder);
      c->clientHeight -= 2 * kListBorder;
    }
  }
  m_dialogs.push_back(&dlg);
}

void HeadlessSystem::DestroyView(DialogWindow& dlg) {
  m_press.Forget(dlg);
  m_dialogs.erase(std::remove(m_dialogs.begin(), m_dialogs.end(), &dlg), m_dialogs.end());
  for (auto it = m_timers.begin(); it != m_timers.end();) {
    it = it->first.first == &dlg ? m_timers.erase(it) : std::next(it);
  }
}

void HeadlessSystem::WindowChanged(NativeWindow&, Change) {}

void HeadlessSystem::SetDialogClientSize(int width, int height) {
  m_dialogClient = std::make_pair(width, height);
  for (DialogWindow* d : m_dialogs) {
    d->clientPixelWidth = width;
    d->clientPixelHeight = height;
  }
}

void HeadlessSystem::RunModalLoop(DialogWindow& dlg) {
  if (!m_modalScripts.empty()) {
    auto script = std::move(m_modalScripts.front());
    m_modalScripts.pop_front();
    script(dlg);
  }
  if (!dlg.ended && dlg.owner) dlg.owner->EndDialog(IDCANCEL);
}

void HeadlessSystem::QueueModalScript(std::function<void(DialogWindow&)> script) {
  m_modalScripts.push_back(std::move(script));
}

// ---- Boxes and the file dialog -------------------------------------------------------------

int HeadlessSystem::MessageBox(DialogWindow*, const std::string& text, const std::string& caption, UINT type) {
  BoxRecord record{text, caption, type, m_nowUs, 0};
  const std::size_t index = m_boxes.size();
  m_boxes.push_back(record);
  int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
  ++m_openBoxes;
  if (!m_boxAnswers.empty()) {
    auto respond = std::move(m_boxAnswers.front());
    m_boxAnswers.pop_front();
    answer = respond(record);
  }
  --m_openBoxes;
  m_boxes[index].answer = answer;
  return answer;
}

void HeadlessSystem::AnswerNextBox(std::function<int(const BoxRecord&)> answer) { m_boxAnswers.push_back(std::move(answer)); }

void HeadlessSystem::AnswerNextBox(int button) {
  m_boxAnswers.push_back([button](const BoxRecord&) { return button; });
}

void HeadlessSystem::AnswerNextFileDialog(std::function<std::optional<std::string>(const FileDialogRequest&)> answer) {
  m_fileAnswers.push_back(std::move(answer));
}

bool HeadlessSystem::FileDialog(DialogWindow* owner, const FileDialogRequest& request, std::string* path) {
  m_fileDialogs.push_back(request);
  if (m_fileAnswers.empty()) return false;
  auto respond = std::move(m_fileAnswers.front());
  m_fileAnswers.pop_front();
  return CompleteFileChoice(*this, owner, request, respond(request), path);
}

// ---- Operator ------------------------------------------------------------------------------

DialogWindow& HeadlessSystem::TopOrThrow() const {
  if (m_dialogs.empty()) throw std::logic_error("no dialog is open");
  return *m_dialogs.back();
}

bool HeadlessSystem::Click(int id) {
  Press(id);
  return Release(id);
}

void HeadlessSystem::Press(int id) {
  DialogWindow& dlg = TopOrThrow();
  NativeWindow* w = dlg.Find(id);
  if (!w || !w->enabled || !w->visible) return;  // a disabled or hidden control takes no press
  m_press.Begin(*w);
  m_press.FocusIn(dlg, *w, /*byPress=*/true);
}

bool HeadlessSystem::Release(int id, bool overControl) {
  DialogWindow& dlg = TopOrThrow();
  NativeWindow* w = dlg.Find(id);
  if (!w) return false;
  if (!overControl) {
    m_press.Forget(dlg);
    return false;
  }
  return m_press.Clicked(dlg, *w);
}

bool HeadlessSystem::DropDown(int id) { return user::DropDown(TopOrThrow(), id); }
void HeadlessSystem::Type(int id, const std::string& text) { user::Type(TopOrThrow(), id, text); }
void HeadlessSystem::SetText(int id, const std::string& text) { user::SetText(TopOrThrow(), id, text); }
void HeadlessSystem::Focus(int id) {
  DialogWindow& dlg = TopOrThrow();
  if (NativeWindow* w = dlg.Find(id)) m_press.FocusIn(dlg, *w, /*byPress=*/false);
}
void HeadlessSystem::PressEnter() { user::PressKey(TopOrThrow(), user::Key::Enter); }
void HeadlessSystem::PressEscape() { user::PressKey(TopOrThrow(), user::Key::Escape); }
void HeadlessSystem::Close() { user::Close(TopOrThrow()); }
void HeadlessSystem::SystemCommand(UINT command) { user::SystemCommand(TopOrThrow(), command); }
void HeadlessSystem::Paint() { user::Paint(TopOrThrow()); }
void HeadlessSystem::SelectCombo(int id, int index) { user::SelectComboItem(TopOrThrow(), id, index); }
void HeadlessSystem::SetPicker(int id, std::int64_t time) { user::SetPickerTime(TopOrThrow(), id, time); }
void HeadlessSystem::InvalidatePicker(int id) {
  if (NativeWindow* w = Control(id)) w->timeValid = false;
}

NativeWindow* HeadlessSystem::Control(int id) const {
  NativeWindow* w = TopOrThrow().Find(id);
  if (!w) throw std::logic_error("no control " + std::to_string(id));
  return w;
}
std::string HeadlessSystem::Text(int id) const { return Control(id)->text; }
bool HeadlessSystem::Enabled(int id) const { return Control(id)->enabled; }
bool HeadlessSystem::Visible(int id) const { return Control(id)->visible; }
int HeadlessSystem::FocusId() const {
  const DialogWindow& d = TopOrThrow();
  return d.focus ? d.focus->id : 0;
}
const std::vector<std::vector<std::string>>& HeadlessSystem::Rows(int id) const { return Control(id)->rows; }

// ---- Serial ports --------------------------------------------------------------------------

HeadlessSystem::Port& HeadlessSystem::PortAt(int portNumber) { return m_ports[portNumber]; }

void HeadlessSystem::AddPort(int portNumber, ByteDevice* device) { PortAt(portNumber).device = device; }
void HeadlessSystem::SetPortInUse(int portNumber, bool inUse) { PortAt(portNumber).inUse = inUse; }

const std::vector<std::vector<std::uint8_t>>& HeadlessSystem::Written(int portNumber) { return PortAt(portNumber).written; }

bool HeadlessSystem::PortIsOpen(int portNumber) const {
  auto it = m_ports.find(portNumber);
  return it != m_ports.end() && it->second.line != nullptr;
}

std::unique_ptr<SerialLine> HeadlessSystem::Open(int portNumber, const LineSettings& settings,
                                                 SerialLineListener* listener, std::string* error) {
  auto it = m_ports.find(portNumber);
  const std::string name = "COM" + std::to_string(portNumber);
  if (it == m_ports.end()) {
    *error = name + " does not exist on this system.";
    return nullptr;
  }
  if (it->second.inUse || it->second.line) {
    *error = name + " is in use by another program.";
    return nullptr;
  }
  auto line = std::make_unique<Line>(this, portNumber, listener, settings.baud);
  it->second.line = line.get();
  return line;
}

void HeadlessSystem::DeviceTransmit(int portNumber, const std::vector<Transmission>& bursts, std::int64_t afterUs) {
  Port& port = PortAt(portNumber);
  if (!port.line || bursts.empty()) return;
  Line* line = port.line;
  const int baud = line->Baud();
  std::shared_ptr<bool> alive = line->Alive();
  std::int64_t cursor = afterUs;
  for (const Transmission& burst : bursts) {
    const std::int64_t start = std::max(cursor + burst.gapUs, port.deviceTxFreeUs);
    const int n = static_cast<int>(burst.bytes.size());
    for (int first = 0; first < n; first += m_chunkBytes) {
      const int last = std::min(n, first + m_chunkBytes);
      std::vector<std::uint8_t> chunk(burst.bytes.begin() + first, burst.bytes.begin() + last);
      Schedule(start + ByteTimeUs(last, baud), [line, alive, chunk] {
        if (*alive) line->Deliver(chunk);
      });
    }
    cursor = start + ByteTimeUs(n, baud);
    port.deviceTxFreeUs = cursor;
  }
}

void HeadlessSystem::SendFromDevice(int portNumber, std::int64_t gapUs, const std::vector<std::uint8_t>& bytes) {
  DeviceTransmit(portNumber, {Transmission{gapUs, bytes}}, m_nowUs);
}

void HeadlessSystem::HangUp(int portNumber) {
  Port& port = PortAt(portNumber);
  if (!port.line) return;
  Line* line = port.line;
  std::shared_ptr<bool> alive = line->Alive();
  Schedule(m_nowUs, [line, alive] {
    if (*alive) line->HangUp();
  });
}

// ---- Registry ------------------------------------------------------------------------------

void HeadlessSystem::SetSerialPortValues(const std::vector<std::pair<std::string, std::string>>& values) {
  m_keyPresent = true;
  m_values.clear();
  for (const auto& [name, data] : values) {
    RegistryValue v{name, std::vector<std::uint8_t>(data.begin(), data.end())};
    v.data.push_back(0);
    m_values.push_back(std::move(v));
  }
}

void HeadlessSystem::SetRawSerialPortValues(std::vector<RegistryValue> values) {
  m_keyPresent = true;
  m_values = std::move(values);
}

LONG HeadlessSystem::OpenKey(const std::string& path, std::vector<RegistryValue>* values) {
  if (!m_keyPresent || path != kSerialPortKey) return ERROR_FILE_NOT_FOUND;
  *values = m_values;
  return ERROR_SUCCESS;
}

LONG HeadlessSystem::EnumValueResult(DWORD index) {
  auto it = m_failEnum.find(index);
  return it == m_failEnum.end() ? ERROR_SUCCESS : it->second;
}

LONG HeadlessSystem::QueryValueResult(const std::string& name) {
  auto it = m_failQuery.find(name);
  return it == m_failQuery.end() ? ERROR_SUCCESS : it->second;
}

}  // namespace headless
