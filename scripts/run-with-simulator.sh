#!/usr/bin/env bash
# Installs what is missing, builds, starts korvex12-sim on a virtual port and the Korvex-12
# window with that port in its list; the simulator stops when the window closes.
# Arguments go to the simulator (default: --records 50); see korvex12-sim --help.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${KORVEX_BUILD_DIR:-$root/build}/main"
jobs="${KORVEX_JOBS:-2}"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "There is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Run it from a desktop session, or on a virtual display:" >&2
  echo "  xvfb-run -a bash scripts/run-with-simulator.sh" >&2
  exit 1
fi

"$root/scripts/install-deps.sh"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build/configure.log" 2>&1 \
  || { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$jobs" --target korvex12 korvex12-sim

args=("$@")
((${#args[@]})) || args=(--records 50)
fifo="$(mktemp -u)"
mkfifo "$fifo"
"$build/platform/posix/korvex12-sim" "${args[@]}" > "$fifo" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -f "$fifo"' EXIT
read -r port pty < "$fifo" || { echo "The simulator did not start." >&2; exit 1; }
echo "Simulated device on $port ($pty). Choose $port in the window and press OPEN."
"$build/platform/qt/korvex12"
