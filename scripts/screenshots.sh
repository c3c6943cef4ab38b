#!/usr/bin/env bash
# Pictures of the main form's tabs and of both dialogs on the demo (after the main job), on
# a virtual 1366×768 laptop screen and on a 1920×1080 screen scaled to 150 %, into docs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f demo/QVL32-SEPA-Beitragseinzug.ini ] || scripts/make-demo.sh
xvfb-run -a -s "-screen 0 1366x768x24" build/qvl32-screenshots demo docs
QT_SCALE_FACTOR=1.5 xvfb-run -a -s "-screen 0 1920x1080x24" build/qvl32-screenshots demo docs -150
