#!/usr/bin/env bash
# Creates demo/: the program folder with its settings file, a demo suite database, and
# the suite's INI file where the program looks for it (beside the program folder).
# QVL_BATCH names another batch program (an installed one), QVL_DEMO_BASE another folder
# to hold demo/ and the INI file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
batch=${QVL_BATCH:-"$root/build/qvl32-sepa-batch"}
base=${QVL_DEMO_BASE:-"$root"}
demo="$base/demo"
mkdir -p "$demo/export" "$demo/fibu"
# demo-db never replaces a database: the demo's own one is removed to be made anew.
rm -f "$demo/quarvel-demo.sqlite"
"$batch" demo-db "$demo/quarvel-demo.sqlite" --owners "${DEMO_OWNERS:-250}" --seed 1 >/dev/null
# The suite's INI file: the program reads it from "<program folder>/../quarvel.Ini".
printf '[Datenbank]\r\nSQLServer=SQLite\r\nDatabaseName=demo/quarvel-demo.sqlite\r\n' > "$base/quarvel.Ini"
# The settings file is Windows-1252 with CR LF, as the program writes it.
sed -e "s|@EXPORT@|$demo/export/|" -e "s|@FIBU@|$demo/fibu|" "$root/scripts/demo-settings.ini" \
  | sed 's/$/\r/' | iconv -f UTF-8 -t WINDOWS-1252 > "$demo/QVL32-SEPA-Beitragseinzug.ini"
echo "Demo angelegt: $demo"
