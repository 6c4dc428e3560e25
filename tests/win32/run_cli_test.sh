#!/usr/bin/env bash
# Runs korvex12-cli.exe under Wine against the simulator on a Linux pseudo-terminal, which
# Wine's port table maps to a COM port: the password set and read back, and a 50-record log
# saved byte for byte as the Linux program saves the same log.
#   run_cli_test.sh SIMULATOR LINUX_CLI KORVEX12_CLI_EXE
set -euo pipefail
sim="$1" native="$2" exe="$3"
export WINEPREFIX="${KORVEX_WINEPREFIX:?the Wine prefix}"
source "$(dirname "${BASH_SOURCE[0]}")/simulator_port.sh"
fail() { echo "FAILED: $*" >&2; exit 1; }
com=COM6
start_simulator_on "$com" "$sim" --records 50 --clock "2019-11-25 09:05:00" --trace

wine "$exe" ports | tr -d '\r' | grep "^$com	" > /dev/null || fail "ports does not list $com"
wine "$exe" --port "$com" password set 123456 || fail "password set exited with $?"
grep -q "^rx FF 01 01 02 03 04 05 06$" "$work/sim.out" || fail "the simulator did not receive the password frame"
[[ "$(wine "$exe" --port "\\\\.\\$com" password read)" == "123456" ]] || fail "password read"
wine "$exe" --port "$com" records read --output "$(winpath "$work/wine.txt")" || fail "records read exited with $?"
"$native" --port "$pty" records read --output "$work/linux.txt" || fail "the Linux program's records read"
[[ "$(wc -l < "$work/wine.txt")" == 51 ]] || fail "the log has $(wc -l < "$work/wine.txt") lines, not 51"
cmp "$work/wine.txt" "$work/linux.txt" || fail "the Windows and Linux programs saved different files"
set +e
wine "$exe" --port COM77 zero set 2> "$work/missing.err"
status=$?
set -e
[[ $status == 3 ]] || fail "a missing port exited with $status, not 3"
grep -q "COM77 does not exist on this system." "$work/missing.err" || fail "missing port: $(cat "$work/missing.err")"
echo "korvex12-cli.exe: password set and read, 50 records saved as on Linux, missing port refused"
