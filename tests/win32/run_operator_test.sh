#!/usr/bin/env bash
# Runs the operator test of korvex12.exe under Wine against the simulator on a Linux
# pseudo-terminal, which Wine's port table maps to a COM port.
#   run_operator_test.sh SIMULATOR OPERATOR_TESTS_EXE KORVEX12_EXE SCREENSHOT_PNG
set -euo pipefail
sim="$1" driver="$2" exe="$3" screenshot="$4"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEPREFIX="${KORVEX_WINEPREFIX:?the Wine prefix}" WINEDEBUG=-all
"$here/scripts/wine-prefix.sh" "$WINEPREFIX"
com=COM5
work="$(mktemp -d)"
cleanup() {
  [[ -n "${sim_pid:-}" ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  wine reg delete 'HKLM\Software\Wine\Ports' /v "$com" /f >/dev/null 2>&1 || true
  wineserver -k || true
  rm -rf "$work"
}
trap cleanup EXIT

XDG_RUNTIME_DIR="$work" "$sim" --records 50 > "$work/sim.out" 2> "$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do [[ -s "$work/sim.out" ]] && break; sleep 0.05; done
read -r _ pty < "$work/sim.out" || { cat "$work/sim.err"; exit 1; }
echo "simulator on $pty, mapped to $com"

# Wine reads its port table when its server starts.
wine reg add 'HKLM\Software\Wine\Ports' /v "$com" /t REG_SZ /d "$pty" /f >/dev/null
wineserver -k || true
wineserver -w || true

# Wine's drive Z: is the root folder. (Not winepath: the first program after the restart
# must be the one on the display, or the window station is made without one.)
winpath() { local p="${1//\//\\}"; echo "Z:$p"; }
mkdir -p "$(dirname "$screenshot")"
"$here/scripts/wine-run.sh" "$driver" "$(winpath "$exe")" "$com" "$(winpath "$screenshot")"
