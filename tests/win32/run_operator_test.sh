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
export WINEPREFIX="${KORVEX_WINEPREFIX:?the Wine prefix}"
source "$(dirname "${BASH_SOURCE[0]}")/simulator_port.sh"
com=COM5
start_simulator_on "$com" "$sim" --records 50

mkdir -p "$(dirname "$screenshot")"
"$here/scripts/wine-run.sh" "$driver" "$(winpath "$exe")" "$com" "$(winpath "$screenshot")"
