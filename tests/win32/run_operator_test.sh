#!/usr/bin/env bash
# Runs the operator test of korvex12.exe under Wine against the simulator on a Linux
# pseudo-terminal, which Wine's port table maps to a COM port.
#   run_operator_test.sh SIMULATOR OPERATOR_TESTS_EXE KORVEX12_EXE SCREENSHOT_PNG
set -euo pipefail
# Every Wine program here must be on the display the window is shown on.
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
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
# The device manager fills the serial-port key a moment after the server starts.
for _ in $(seq 60); do
  wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | grep -qw "$com" && break
  sleep 0.5
done

# Wine's drive Z: is the root folder.
winpath() { local p="${1//\//\\}"; echo "Z:$p"; }
mkdir -p "$(dirname "$screenshot")"
"$here/scripts/wine-run.sh" "$driver" "$(winpath "$exe")" "$com" "$(winpath "$screenshot")"
