#!/usr/bin/env bash
# Tries the Windows installer under Wine as an operator's machine would take it: a silent
# install into a folder of its own, the installed program's version resource read back, the
# Start-menu shortcut and the uninstall entry found, then a silent uninstall that leaves
# nothing; and checks the portable zip beside it.
#   check_installer.sh INSTALLER.exe PORTABLE.zip RESOURCE_TESTS.exe
set -euo pipefail
installer="$(realpath "$1")" zip="$(realpath "$2")" resources="$(realpath "$3")"
if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEPREFIX="${KORVEX_WINEPREFIX:?the Wine prefix}" WINEDEBUG=-all
"$here/scripts/wine-prefix.sh" "$WINEPREFIX"
work="$(mktemp -d)"
target="$work/Korvex-12"
winpath() { local p="${1//\//\\}"; echo "Z:$p"; }
# A run that failed half-way uninstalls what it installed, so that the next starts clean.
cleanup() {
  if [[ -f "$target/Uninstall.exe" ]]; then
    wine "$(winpath "$target/Uninstall.exe")" /S || true
    wineserver -w || true
    for _ in $(seq 100); do [[ -e "$target" ]] || break; sleep 0.1; done
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvex-12'

echo "== $(basename "$installer"): $(stat -c %s "$installer") bytes; $(basename "$zip"): $(stat -c %s "$zip") bytes"
unzip -l "$zip" | grep "bin/korvex12.exe$" > /dev/null || fail "the zip holds no bin/korvex12.exe"
unzip -l "$zip" | grep "bin/korvex12-cli.exe$" > /dev/null || fail "the zip holds no bin/korvex12-cli.exe"

echo "-- installing silently into $target"
wine "$installer" /S "/D=$(winpath "$target")"
wineserver -w
[[ -f "$target/bin/korvex12.exe" && -f "$target/bin/korvex12-cli.exe" ]] || fail "the programs were not installed"
wine "$resources" "$(winpath "$target/bin/korvex12.exe")" > "$work/resources.log" 2>&1 \
  || { cat "$work/resources.log"; fail "the installed program's resources"; }
echo "the installed korvex12.exe carries version 1.19.1128.0 and its resources"
shortcut="$(find "$WINEPREFIX/drive_c" -path "*Start Menu/Programs/Korvex-12/Korvex-12.lnk" -print -quit)"
[[ -n "$shortcut" ]] || fail "no Start-menu shortcut"
echo "Start-menu shortcut: ${shortcut#"$WINEPREFIX/"}"
entry="$(wine reg query "$key" 2>/dev/null | tr -d '\r')"
for value in "DisplayName    REG_SZ    Korvex-12" "DisplayVersion    REG_SZ    1.19.1128.0" \
             "Publisher    REG_SZ    The Korvex-12 developers"; do
  grep -q "$value" <<< "$entry" || fail "the uninstall entry lacks '$value'"
done
echo "uninstall entry: name, version and publisher"

echo "-- uninstalling silently"
wine "$(winpath "$target/Uninstall.exe")" /S
wineserver -w
for _ in $(seq 100); do [[ -e "$target" ]] || break; sleep 0.1; done  # it finishes from a copy of itself
[[ ! -e "$target" ]] || fail "the folder is left: $(find "$target")"
[[ ! -e "$shortcut" ]] || fail "the shortcut is left"
wine reg query "$key" > /dev/null 2>&1 && fail "the uninstall entry is left"
echo "uninstalled: folder, shortcut and entry are gone"
