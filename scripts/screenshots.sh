#!/usr/bin/env bash
# Pictures of the main form's tabs, of both dialogs and of the check before a run on the demo (after the main job), on
# a virtual 1366×768 laptop screen, on a 1024×768 screen scaled to 125 % and on a 1920×1080
# screen scaled to 150 %, into docs/.
# The demo is copied to a neutral folder first, so the pictures show no checkout's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f demo/QVL32-SEPA-Beitragseinzug.ini ] || scripts/make-demo.sh
work=$(mktemp -d /tmp/quarvel.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r demo "$work/demo"
cp quarvel.Ini "$work/"
sed -i "s|$root/demo|$work/demo|g" "$work/demo/QVL32-SEPA-Beitragseinzug.ini"
xvfb-run -a -s "-screen 0 1366x768x24" build/qvl32-screenshots "$work/demo" docs
QT_SCALE_FACTOR=1.25 xvfb-run -a -s "-screen 0 1024x768x24" build/qvl32-screenshots "$work/demo" docs -125
QT_SCALE_FACTOR=1.5 xvfb-run -a -s "-screen 0 1920x1080x24" build/qvl32-screenshots "$work/demo" docs -150
