#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix (created on first use, which
# takes a few seconds). KORVEX_WINEPREFIX overrides the prefix; Wine's own chatter is muted.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${KORVEX_WINEPREFIX:-${WINEPREFIX:-$PWD/wineprefix}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
"$here/wine-prefix.sh" "$WINEPREFIX"
# A window needs a display; without one, run on a virtual one.
if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
