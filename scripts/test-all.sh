#!/usr/bin/env bash
# Builds and runs the whole test suite: sanitizer build, fuzz targets briefly, the main build
# with warnings as errors, the Windows build with its tests under Wine, the main build's tests;
# then the Debian package and the Windows installer, checked and tried by installing them.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVEX_BUILD_DIR:-$root/build}"
jobs="${KORVEX_JOBS:-2}"
fuzz_seconds="${KORVEX_FUZZ_SECONDS:-15}"

"$root/scripts/install-deps.sh"
mkdir -p "$build"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
cmake -S "$root" -B "$build/asan" -DCMAKE_BUILD_TYPE=Debug -DKORVEX_SANITIZE=ON -DKORVEX_WERROR=ON \
  -DKORVEX_BENCH=OFF > "$build/asan.configure.log" 2>&1 || { cat "$build/asan.configure.log"; exit 1; }
cmake --build "$build/asan" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  QT_QPA_PLATFORM=offscreen ctest --test-dir "$build/asan" -j "$jobs" --output-on-failure

echo "== Fuzz targets (clang, libFuzzer), ${fuzz_seconds} s each"
CXX=clang++ cmake -S "$root" -B "$build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_FUZZ=ON \
  -DKORVEX_TESTS=OFF -DKORVEX_BENCH=OFF -DKORVEX_QT=OFF -DKORVEX_WERROR=ON > "$build/fuzz.configure.log" 2>&1 \
  || { cat "$build/fuzz.configure.log"; exit 1; }
cmake --build "$build/fuzz" -j "$jobs"
for target in fuzz_replies fuzz_records fuzz_input_checks fuzz_settings fuzz_cli_arguments; do
  corpus="$build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  "$build/fuzz/tests/fuzz/$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" \
    > "$build/fuzz/$target.log" 2>&1 || { tail -50 "$build/fuzz/$target.log"; exit 1; }
  echo "$target: $(grep -E '^#[0-9]+.*(DONE|pulse)' "$build/fuzz/$target.log" | tail -1)"
done

echo "== Main build"
cmake -S "$root" -B "$build/main" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEX_WERROR=ON \
  > "$build/main.configure.log" 2>&1 || { cat "$build/main.configure.log"; exit 1; }
cmake --build "$build/main" -j "$jobs"

echo "== Windows build (mingw-w64), its tests under Wine on one virtual display"
cmake --preset windows -S "$root" -B "$build/windows" -DKORVEX_SIM="$build/main/platform/posix/korvex12-sim" \
  -DKORVEX_CLI="$build/main/korvex12-cli" \
  > "$build/windows.configure.log" 2>&1 || { cat "$build/windows.configure.log"; exit 1; }
cmake --build "$build/windows" -j "$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build/windows" -j "$jobs" --output-on-failure

echo "== Main build tests"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build/main" -j "$jobs" --output-on-failure

echo "== Packages: made, checked, installed, tried and removed"
cmake --build "$build/main" --target package > "$build/package-main.log" 2>&1 || { cat "$build/package-main.log"; exit 1; }
bash "$root/tests/packaging/check_deb.sh" "$build/main/korvex12_1.19.1128.0_amd64.deb"
cmake --build "$build/windows" --target package > "$build/package-windows.log" 2>&1 \
  || { cat "$build/package-windows.log"; exit 1; }
KORVEX_WINEPREFIX="$build/windows/wineprefix" bash "$root/tests/packaging/check_installer.sh" \
  "$build/windows/korvex12-1.19.1128.0-win64.exe" "$build/windows/korvex12-1.19.1128.0-win64.zip" \
  "$build/windows/tests/resource_tests.exe"
