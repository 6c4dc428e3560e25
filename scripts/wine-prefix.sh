#!/usr/bin/env bash
# Creates the Wine prefix $1 once. A lock keeps parallel test runs from creating it twice.
set -euo pipefail
prefix="$1"
[[ -f "$prefix/.korvex-ready" ]] && exit 0
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[[ -f "$prefix/.korvex-ready" ]] && exit 0
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot --init >/dev/null 2>&1
wineserver -w
touch "$prefix/.korvex-ready"
