// korvex12-cli records read of a full log against the simulator: the wall time of the whole
// program (start to exit) over the time 44000 bytes take on the wire at 9600 baud, 45.83 s.
// The 500 ms quiet gap that ends the read sets the floor at 1.011.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/posix/processes.h"

namespace {

constexpr double kWireSeconds = 44000.0 * 10.0 / 9600.0;

void BM_CliRecordsReadOverWireTime(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("korvex-cli-bench-" + std::to_string(::getpid()));
  fs::create_directories(root);
  setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
  testsupport::Simulator sim(KORVEX_SIM_PATH);
  double worst = 0;
  for (auto _ : state) {
    if (!sim.Start({"--records", "4000"})) {
      state.SkipWithError("the simulator did not start");
      break;
    }
    const auto t0 = std::chrono::steady_clock::now();
    const auto result = testsupport::RunProcess(
        {KORVEX_CLI_PATH, "--port", sim.com, "records", "read", "--output", (root / "log.txt").string()});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    sim.Stop();
    if (result.status != 0) {
      state.SkipWithError(("korvex12-cli failed: " + result.err).c_str());
      break;
    }
    state.SetIterationTime(seconds);
    worst = std::max(worst, seconds / kWireSeconds);
  }
  state.counters["worst_ratio"] = worst;
  fs::remove_all(root);
}
BENCHMARK(BM_CliRecordsReadOverWireTime)->Iterations(3)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
