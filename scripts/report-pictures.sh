#!/usr/bin/env bash
# Pictures of the printed reports into docs/, at 60 dpi: the demo run's booking list and
# accompanying slip, and the demo association's fee notice — an ordinary one and one with
# the hardest real data (both of its pages). Needs the build (and makes the demo if missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
[ -f demo/QVL32-SEPA-Beitragseinzug.ini ] || scripts/make-demo.sh
work=$(mktemp -d /tmp/qvl32-reports.XXXXXX)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
build/qvl32-sepa-batch --program-dir demo --set 'chkBeitrag(0)=1' --set 'chkBeitrag(1)=1' \
  --set chkRechnung=1 --yes --reports "$work" run >/dev/null 2>&1
build/qvl32-report-pictures "$work" >/dev/null
page() { pdftoppm -r 60 -png -singlefile -f "$2" -l "$2" "$work/$1.pdf" "docs/$3"; echo "docs/$3.png"; }
page Beitrag 1 report-einzelbuchungen
page Begleitzettel 1 report-begleitzettel
page rechnung-normal 1 report-rechnung
page rechnung-grenzfall 1 report-rechnung-grenzfall-1
page rechnung-grenzfall 2 report-rechnung-grenzfall-2
