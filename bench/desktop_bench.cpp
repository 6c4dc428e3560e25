// Budgets of the desktop program (Qt backend, offscreen): the quiet gap as the program sees it
// over a pseudo-terminal, the window shown, 4000 rows filled and drawn, idle CPU, memory.

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
#include <chrono>
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

}  // namespace

int main(int argc, char** argv) {
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
