#!/usr/bin/env bash
# The Debian package as an administrator meets it: builds it (scripts/package.sh), installs
# it with dpkg and apt-get, runs the main job's direct-debit fee run with the installed
# batch program on a demo of its own, checks the menu entry and the manual pages, and
# removes the package again. Run as root (or with sudo); leaves nothing installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
deb=$("$root/scripts/package.sh" "${1:-"$root/build-package"}")
work=$(mktemp -d)
cleanup() {
  $sudo dpkg -r qvl32-sepa >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# dpkg refuses a package whose dependencies are missing; apt-get brings them and finishes.
$sudo dpkg -i "$deb" || true
flock /tmp/apt.lock $sudo env DEBIAN_FRONTEND=noninteractive apt-get -f install -y --no-install-recommends
# (Each output is read whole before it is searched: grep -q would end the pipe early.)
[ "$(dpkg-query -W -f='${Status}' qvl32-sepa)" = "install ok installed" ]

batch=/usr/bin/qvl32-sepa-batch
test -x /usr/bin/qvl32-sepa
desktop-file-validate /usr/share/applications/de.qvl32.beitragseinzug.desktop
test -f /usr/share/icons/hicolor/scalable/apps/qvl32-sepa.svg
appstreamcli validate --no-net --pedantic /usr/share/metainfo/de.qvl32.beitragseinzug.metainfo.xml >/dev/null
for page in qvl32-sepa qvl32-sepa-batch; do
  grep -q '^\.SH OPTIONEN' <<<"$(zcat "/usr/share/man/de/man1/$page.1.gz")"
done
grep -q '^### Prüfung vor dem Lauf' <<<"$("$batch" help pruefung-vor-dem-lauf)"

# The main job's fee run, by the installed program on a demo made by it.
QVL_BATCH="$batch" QVL_DEMO_BASE="$work" "$root/scripts/make-demo.sh" >/dev/null
(cd "$work" && QVL32_PROGRAM_DIR="$work/demo" "$batch" --set 'chkBeitrag(0)=1' --set 'chkBeitrag(1)=1' \
  --set chkRechnung=1 --yes run)
ls "$work"/demo/export/*.xml >/dev/null
xmllint --noout "$work"/demo/export/*.xml

$sudo dpkg -r qvl32-sepa
if [ -e "$batch" ]; then
  echo "dpkg -r hat $batch nicht entfernt" >&2
  exit 1
fi
echo "Paket geprüft: $deb"
