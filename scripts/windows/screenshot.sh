#!/usr/bin/env bash
# The desktop program for Windows started under Wine on a virtual screen (Xvfb, Qt's windows
# platform), on the demo of the main job's comparison (scripts/windows/test.sh mainjob), and a
# picture of its main window: docs/windows-hauptfenster.png.
#   scripts/windows/screenshot.sh [BUILD FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win=${1:-$root/build-win}
here=$root/scripts/windows
export WINEPREFIX=${QVL32_WINEPREFIX:-$HOME/.wine-qvl32} WINEDEBUG=${WINEDEBUG:--all}
demo=$win/hauptlauf/windows
[ -f "$demo/programm/QVL32-SEPA-Beitragseinzug.ini" ] ||
  { echo "Erst scripts/windows/test.sh mainjob: es legt die Demo in $demo an." >&2; exit 1; }
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 2
# The program folder the suite's INI file lies above, as installed.
(cd "$demo" && DISPLAY=$display "$here/wine-run.sh" "$win/programm/qvl32-sepa.exe" --program-dir programm \
   > "$win/screenshot.log" 2>&1) &
app=$!
for _ in $(seq 1 90); do
  DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q 'Beitragseinzug' && break
  sleep 2
done
sleep 8
DISPLAY=$display import -window root "$root/docs/windows-hauptfenster.png"
DISPLAY=$display xwininfo -root -tree | grep -i 'beitragseinzug' || true
DISPLAY=$display wineserver -k || true
wait "$app" || true
echo "Bild: docs/windows-hauptfenster.png"
