#!/usr/bin/env bash
# Checks the Debian package as Debian checks packages (lintian, desktop-file-validate,
# appstreamcli) and tries it as a new user would: installed with apt-get, its programs run,
# its window started as the desktop entry starts it and found by name on the accessibility
# bus, then purged with nothing of it left.
#   check_deb.sh PACKAGE.deb
set -euo pipefail
deb="$(realpath "$1")"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
echo "-- lintian"
lintian --info --fail-on error,warning "$deb" 2>&1 | grep -v "running with root privileges" || true
lintian --fail-on error,warning "$deb" > /dev/null 2>&1 || fail "lintian reports errors or warnings"
dpkg-deb -x "$deb" "$work/root"
echo "-- desktop-file-validate"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop || fail "desktop-file-validate"
echo "-- appstreamcli validate"
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

if dpkg -s korvex12 > /dev/null 2>&1; then
  echo "korvex12 is already installed on this machine: the install test leaves it alone"
  exit 0
fi
echo "-- installing"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb" > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install"; }
dpkg -L korvex12 > "$work/files"
korvex12-sim --help | grep "^usage: korvex12-sim" > /dev/null || fail "korvex12-sim --help"
[[ "$(korvex12-cli --version)" == "korvex12-cli 1.19.1128.0" ]] || fail "korvex12-cli --version"
man -w korvex12 korvex12-cli korvex12-sim > /dev/null || fail "a manual page is missing"
entry=/usr/share/applications/org.korvex12.Korvex12.desktop
command="$(sed -n 's/^Exec=//p' "$entry" | sed 's/ *%[a-zA-Z]//g')"
echo "-- the desktop entry starts: $command"
cat > "$work/window.sh" <<SCRIPT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "\$XDG_RUNTIME_DIR"
$command &
app=\$!
status=1
for _ in \$(seq 100); do
  if xdotool search --name '^Korvex-12\$' > /dev/null 2>&1; then status=0; break; fi
  sleep 0.1
done
[[ \$status == 0 ]] && echo "a window titled Korvex-12 is on the display"
[[ \$status == 0 ]] && { /usr/bin/python3 "$here/window_names.py" || status=1; }
kill \$app 2> /dev/null
wait \$app 2> /dev/null
exit \$status
SCRIPT
status=0
xvfb-run -a dbus-run-session -- bash "$work/window.sh" > "$work/window.log" 2>&1 || status=$?
grep -v "dbus-daemon\|SpiRegistry\|X connection\|QStandardPaths" "$work/window.log" || true
[[ $status == 0 ]] || fail "the window did not appear, or lacks a control's name"
echo "-- purging"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -q korvex12 > "$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get purge"; }
left=0
while read -r f; do
  if [[ -f "$f" || -L "$f" ]]; then echo "left behind: $f" >&2; left=1; fi
done < "$work/files"
[[ $left == 0 ]] || fail "files of the package are left after purge"
echo "installed, tried and purged: nothing of it is left"
