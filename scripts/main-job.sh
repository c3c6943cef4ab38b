#!/usr/bin/env bash
# The main job: installs what is missing, builds, creates the demo (a suite database,
# the suite's INI file and a settings file) and runs the program on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --program
TARGETS="qvl32-sepa qvl32-sepa-batch" "$root/scripts/build.sh" "$root/build"
"$root/scripts/make-demo.sh"
cd "$root"
# A direct-debit run of the membership fee and the forest-fire insurance for the selected
# association: the SEPA file, the CSV list and the reports (slip, booking list, fee
# notices) go to demo/export, the stored fees into the demo database.
build/qvl32-sepa-batch --program-dir demo --set 'chkBeitrag(0)=1' --set 'chkBeitrag(1)=1' \
  --set chkRechnung=1 --yes run
# An invoice run of the membership fee: the invoices (and the booking list) as PDF in demo/rechnungen.
mkdir -p demo/rechnungen
build/qvl32-sepa-batch --program-dir demo --set 'LaoderRe(1)=1' --set 'chkBeitrag(0)=1' \
  --reports demo/rechnungen run
echo "Gespeicherte Läufe:"
build/qvl32-sepa-batch --program-dir demo list-runs
