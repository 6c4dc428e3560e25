# Sourced by the Wine tests: the simulator on a Linux pseudo-terminal, mapped to a COM port by
# Wine's port table. Needs WINEPREFIX; defines $work (a scratch folder), $pty, and a clean-up
# on exit that stops the simulator and removes the mapping.
#   start_simulator_on COMn SIMULATOR [SIMULATOR ARGUMENTS]...
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEDEBUG=-all
"$here/scripts/wine-prefix.sh" "${WINEPREFIX:?the Wine prefix}"
work="$(mktemp -d)"
mapped_com=""
cleanup_simulator() {
  [[ -n "${sim_pid:-}" ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  [[ -n "$mapped_com" ]] && wine reg delete 'HKLM\Software\Wine\Ports' /v "$mapped_com" /f >/dev/null 2>&1 || true
  wineserver -k || true
  rm -rf "$work"
}
trap cleanup_simulator EXIT

start_simulator_on() {
  local com="$1" sim="$2"
  shift 2
  XDG_RUNTIME_DIR="$work" "$sim" "$@" > "$work/sim.out" 2> "$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do [[ -s "$work/sim.out" ]] && break; sleep 0.05; done
  read -r _ pty < "$work/sim.out" || { cat "$work/sim.err"; exit 1; }
  echo "simulator on $pty, mapped to $com"
  # Wine reads its port table when its server starts; the device manager fills the serial-port
  # key a moment after.
  mapped_com="$com"
  wine reg add 'HKLM\Software\Wine\Ports' /v "$com" /t REG_SZ /d "$pty" /f >/dev/null
  wineserver -k || true
  wineserver -w || true
  for _ in $(seq 60); do
    wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | grep -w "$com" > /dev/null && break
    sleep 0.5
  done
}

# Wine's drive Z: is the root folder.
winpath() { local p="${1//\//\\}"; echo "Z:$p"; }
