// Budgets of the desktop program (Qt backend; offscreen unless QT_QPA_PLATFORM says otherwise):
// the quiet gap as the program sees it over a pseudo-terminal, the window shown, 4000 rows
// filled and drawn, a record read's rows drawn after its quiet gap (first read in a fresh
// process and later ones), idle CPU, memory.

#include <benchmark/benchmark.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <thread>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "console/quillon_dlg.h"
#include "platform/headless/headless.h"
#include "platform/posix/ports.h"
#include "platform/qt/qt_window_system.h"
#include "res/resources.h"

namespace {

using Clock = std::chrono::steady_clock;
using qtbackend::QtWindowSystem;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// COM3 is the slave of a pseudo-terminal; the bench answers on the master like a device.
class Rig : public SerialPortProvider {
 public:
  Rig() {
    char name[128];
    ::openpty(&master, &keepalive, name, nullptr, nullptr);
    posix::ApplyRawSettings(keepalive, LineSettings{});
    path = name;
    ports.SetSerialPortValues({{path, "COM3"}});
    windows.SetBoxAutomation([this](const qtbackend::BoxSeen& box) {
      judged = box.askedAt;
      ++boxes;
      return std::make_pair(IDOK, 0);
    });
    windows.SetViewCreatedHook([this](DialogWindow& d) { windows.Widget(&d)->show(); });
    AfxSetResources(&res::Table());
    AfxSetServices({&windows, this, &ports});
  }
  ~Rig() override {
    dlg.reset();
    AfxSetServices({});
    ::close(master);
    ::close(keepalive);
  }
  std::unique_ptr<SerialLine> Open(int, const LineSettings& s, SerialLineListener* l, std::string* error) override {
    return posix::OpenSerialPath(path, "COM3", s, l, &windows, error);
  }
  void StartWindow() {
    dlg = std::make_unique<CQuillonDlg>();
    dlg->Create();
    (void)QTest::qWaitForWindowExposed(windows.Widget(dlg->Window()));
  }

  QtWindowSystem windows;
  headless::HeadlessSystem ports;  // the port list only
  std::unique_ptr<CQuillonDlg> dlg;
  int master = -1;
  int keepalive = -1;
  std::string path;
  Clock::time_point judged;
  int boxes = 0;
};

void BM_QuietGapOverPty(benchmark::State& state) {
  Rig rig;
  rig.StartWindow();
  rig.dlg->OnOpenClose();
  // The device echoes a password setting at once and notes when its last byte went out.
  std::vector<std::uint8_t> request;
  Clock::time_point lastByte;
  QSocketNotifier device(rig.master, QSocketNotifier::Read);
  QObject::connect(&device, &QSocketNotifier::activated, [&] {
    std::uint8_t buf[64];
    const ssize_t n = ::read(rig.master, buf, sizeof buf);
    request.insert(request.end(), buf, buf + std::max<ssize_t>(n, 0));
    if (request.size() >= 8) {
      (void)!::write(rig.master, request.data(), 8);
      lastByte = Clock::now();
      request.clear();
    }
  });
  std::vector<double> gaps;
  for (auto _ : state) {
    const int before = rig.boxes;
    rig.dlg->SetPassword();
    QtWindowSystem::WaitFor([&] { return rig.boxes > before; }, 1000);
    const double gap = Ms(rig.judged - lastByte);
    gaps.push_back(gap);
    state.SetIterationTime(gap / 1000.0);
  }
  std::sort(gaps.begin(), gaps.end());
  state.counters["median_ms"] = gaps[gaps.size() / 2];
  state.counters["p99_ms"] = gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)];
  state.counters["max_ms"] = gaps.back();
}
BENCHMARK(BM_QuietGapOverPty)->Iterations(250)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_WindowShown(benchmark::State& state) {
  for (auto _ : state) {
    Rig rig;
    const auto t0 = Clock::now();
    rig.StartWindow();
    QApplication::processEvents();
    state.SetIterationTime(Ms(Clock::now() - t0) / 1000.0);
  }
}
BENCHMARK(BM_WindowShown)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FillAndDrawFourThousandRows(benchmark::State& state) {
  Rig rig;
  rig.StartWindow();
  auto* table = static_cast<QTableView*>(rig.windows.Widget(rig.dlg->Window()->Find(1010)));
  for (auto _ : state) {
    const auto t0 = Clock::now();
    rig.dlg->LoadTestRecords();
    QApplication::processEvents();
    benchmark::DoNotOptimize(table->viewport()->grab());  // draws the visible rows
    state.SetIterationTime(Ms(Clock::now() - t0) / 1000.0);
  }
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) state.counters["rss_kB"] = std::stod(line.substr(6));
  }
}
BENCHMARK(BM_FillAndDrawFourThousandRows)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleCpuTenSeconds(benchmark::State& state) {
  Rig rig;
  rig.StartWindow();
  rig.dlg->OnOpenClose();  // an open port is watched, not polled
  for (auto _ : state) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QtWindowSystem::Wait(10000);
    getrusage(RUSAGE_SELF, &after);
    auto cpu = [](const rusage& r) {
      return (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
    };
    state.counters["cpu_ms"] = cpu(after) - cpu(before);
  }
}
BENCHMARK(BM_IdleCpuTenSeconds)->Iterations(1)->Unit(benchmark::kSecond);

// ---- Record reads drawn after the quiet gap -------------------------------------------------

// Marks when the list's viewport has finished drawing rows of records.
class PaintClock : public QObject {
 public:
  explicit PaintClock(QTableView* table) : m_table(table) { table->viewport()->installEventFilter(this); }
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (e->type() != QEvent::Paint || m_inside || m_table->model()->rowCount() <= 2) return false;
    m_inside = true;
    QCoreApplication::sendEvent(obj, e);  // the view's own painting, timed to its end
    m_inside = false;
    if (!drawn) drawn = Clock::now();
    return true;
  }
  std::optional<Clock::time_point> drawn;

 private:
  QTableView* m_table;
  bool m_inside = false;
};

// One process's record reads: the device answers each read with 4000 records at once, and the
// time from the end of the 500 ms quiet gap to the rows drawn is printed per read.
int RunRecordReads(int reads) {
  Rig rig;
  rig.windows.SetBoxAutomation([&](const qtbackend::BoxSeen&) { return std::make_pair(IDOK, 200); });
  rig.StartWindow();
  rig.dlg->OnOpenClose();
  auto* table = static_cast<QTableView*>(rig.windows.Widget(rig.dlg->Window()->Find(1010)));
  std::vector<std::uint8_t> stream(44000);
  static constexpr std::uint8_t kSample[11] = {0x00, 0x17, 0x01, 0x16, 0x13, 0x24, 0x30, 0x02, 0x00, 0x72, 0xFF};
  for (std::size_t k = 0; k < stream.size(); ++k) stream[k] = kSample[k % 11];
  for (int read = 1; read <= reads; ++read) {
    PaintClock paint(table);
    std::atomic<bool> sent{false};
    Clock::time_point lastWrite;
    // The device: the request, then the whole log as fast as the line takes it.
    std::thread device([&] {
      std::uint8_t request[2];
      std::size_t got = 0;
      while (got < 2) {
        const ssize_t n = ::read(rig.master, request + got, 2 - got);
        if (n > 0) got += static_cast<std::size_t>(n);
      }
      for (std::size_t done = 0; done < stream.size();) {
        const ssize_t n = ::write(rig.master, stream.data() + done, stream.size() - done);
        if (n > 0) done += static_cast<std::size_t>(n);
      }
      lastWrite = Clock::now();
      sent = true;
    });
    const int before = rig.boxes;
    rig.dlg->ReadRecords();
    QtWindowSystem::WaitFor([&] { return rig.boxes > before && paint.drawn; }, 5000);
    device.join();
    QtWindowSystem::Wait(300);
    const double ms = paint.drawn ? Ms(*paint.drawn - (lastWrite + std::chrono::milliseconds(500))) : -1.0;
    std::printf("read %d: rows drawn %.1f ms after the gap\n", read, ms);
    std::fflush(stdout);
  }
  return 0;
}

// The first read in a fresh process and the reads after it: each iteration starts this
// program anew to read three times.
void BM_RecordReadDrawnAfterTheGap(benchmark::State& state) {
  std::vector<double> first, later;
  for (auto _ : state) {
    const std::string command = "'" + std::string(program_invocation_name) + "' --record-reads 3";
    std::FILE* child = ::popen(command.c_str(), "r");
    char line[256];
    while (child && std::fgets(line, sizeof line, child)) {
      int read = 0;
      double ms = 0;
      if (std::sscanf(line, "read %d: rows drawn %lf", &read, &ms) == 2) (read == 1 ? first : later).push_back(ms);
    }
    if (child) ::pclose(child);
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
  };
  auto worst = [](const std::vector<double>& v) { return v.empty() ? -1.0 : *std::max_element(v.begin(), v.end()); };
  state.counters["first_median_ms"] = median(first);
  state.counters["first_max_ms"] = worst(first);
  state.counters["later_median_ms"] = median(later);
  state.counters["later_max_ms"] = worst(later);
}
BENCHMARK(BM_RecordReadDrawnAfterTheGap)->Iterations(5)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--record-reads") {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    return RunRecordReads(std::atoi(argv[2]));
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QElapsedTimer startup;
  startup.start();
  QApplication app(argc, argv);
  std::printf("QApplication constructed in %lld ms\n", static_cast<long long>(startup.elapsed()));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
