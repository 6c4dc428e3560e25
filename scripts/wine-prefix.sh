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
# Programs run in a virtual desktop: Wine draws the window frames itself, so that windows have
# their captions and activate as on Windows, with or without a window manager.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -k || true
wineserver -w
touch "$prefix/.korvex-ready"
