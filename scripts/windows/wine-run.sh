#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: wine-run.sh PROGRAM.exe [ARGUMENTS…]
# Its exit code is the program's; its standard output comes with LF line ends.
# The program finds the prefix's DLLs through WINEPATH; Wine's own prefix (QVL32_WINEPREFIX,
# default ~/.wine-qvl32) is made on first use, without Mono and Gecko.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=${QVL32_MINGW_PREFIX:-/opt/qvl32-mingw/prefix}
export WINEPREFIX=${QVL32_WINEPREFIX:-${WINEPREFIX:-$HOME/.wine-qvl32}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEPATH="Z:${prefix//\//\\}\\bin${WINEPATH:+;$WINEPATH}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1; wineserver -w'
fi
# A Windows program ends its lines with CR LF; those reading its output here (ctest's list
# of the tests, the comparisons) expect LF.
set +e
wine "$@" | tr -d '\r'
exit "${PIPESTATUS[0]}"
