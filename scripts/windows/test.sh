#!/usr/bin/env bash
# The Windows build, tested under Wine on Debian:
#   scripts/windows/test.sh [STEPS…]      steps: build units mainjob installer (default: all)
#  build     both programs, the unit tests and the installer (scripts/windows/build.sh)
#  units     the unit tests through ctest, each under Wine (CMAKE_CROSSCOMPILING_EMULATOR)
#  mainjob   the main job on the demo under Wine and on Linux: the bank file, the CSV list and
#            the accounting files equal (times masked), the PDFs' text equal
#  installer the installer installed and uninstalled silently (/S)
# Needs the prefix of scripts/windows/toolchain.sh and the Linux build in build/ (for the
# comparison). Prints how long each step took.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win=${QVL32_WIN_BUILD:-$root/build-win}
linux=${QVL32_LINUX_BUILD:-$root/build}
here=$root/scripts/windows
export QVL32_WINEPREFIX=${QVL32_WINEPREFIX:-$HOME/.wine-qvl32}
export WINEPREFIX=$QVL32_WINEPREFIX WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(build units mainjob installer)
failed=0

timed() { # timed NAME COMMAND…
  local t0=$SECONDS rc=0
  echo "=== $1"
  "${@:2}" || rc=$?
  echo "=== $1: $((SECONDS - t0)) s$([ $rc -eq 0 ] || echo ", FEHLGESCHLAGEN ($rc)")"
  [ $rc -eq 0 ] || failed=1
}

# Wine's own prefix, with the fonts the reports are set in: Liberation Sans and Mono, the
# metric twins of Arial and Courier New, as fontconfig gives them on Linux.
wine_ready() {
  "$here/wine-run.sh" cmd /c exit 0 >/dev/null
  cp -f /usr/share/fonts/truetype/liberation/Liberation{Sans,Mono}-*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

step_build() {
  # The unit tests only when they are to run: they double the build.
  if [[ " ${steps[*]} " == *" units "* ]]; then
    "$here/build.sh" "$win" qvl32-tests installer
  else
    "$here/build.sh" "$win" installer
  fi
}

# The tests that need what only Linux has, by name (ctest's regular expressions), with the reason.
linux_only=(
  # strace at each system call, SIGKILL at each instant, a file-size limit (setrlimit)
  'Faults\.' 'Instants\.' 'RunOrNothing\.' '^Batch\.InvoiceRunWritesTheInvoicesIntoTheReportsFolder$'
  # the tests' SMTP server is Debian's python3 with aiosmtpd
  '^MailSending\.' '^MailRun\.(ARefusalBeforeAKill|ARepeatedOrDeletedRun|BatchRefusedMail|BatchSendKilled|MailsOfARunTheDatabaseNoLongerHolds)'
  # the tests' TDS endpoint and SQL Browser are Debian's python3; FreeTDS and unixODBC's odbc.ini
  '^SqlServerForms\.' '^SqlServerLogin\.' '^OdbcDataSource\.'
  # python3 on the sources, the same as on Linux
  '^SqlServerStatementsParse$' '^LayerCheck'
  # Debian's poppler tools (pdftotext, pdffonts, pdfdetach) read the PDFs; the main job's step
  # compares the Windows PDFs' text with Linux's
  '^ReportTest\.PdfShows' '^PdfPageSplit\.' '^Invoices\.' '^InvoiceParams\.TickedFees' '^CsvList\.FileAndBookingList'
  '^Begleitzettel\.' '^EInvoiceFiles\.' '^MailLetters\.EachOwnerGets' '^HandbookTest\.PdfHolds' '^BatchSafety\.AnIbanWithWrongCheckDigits'
  # the single-instance wake-up through a local socket does not arrive under Wine
  '^SingleInstanceTest\.'
)

step_units() {
  wine_ready
  local exclude; exclude=$(IFS='|'; echo "${linux_only[*]}")
  # The longest test takes some ten seconds under Wine: two minutes each and ten for the
  # whole step keep a hang from eating CI's time.
  timeout 600 ctest --test-dir "$win" -j2 --timeout 120 --output-on-failure -E "$exclude" ||
    { echo "Unit-Tests unter Wine fehlgeschlagen oder nach zehn Minuten abgebrochen." >&2; return 1; }
}

# One side of the comparison: the suite's folder with its INI file and database, the program
# folder with the demo's settings (relative folders, so that both sides write the same).
demo_side() { # demo_side FOLDER
  local d=$1
  rm -rf "$d"; mkdir -p "$d/programm/export" "$d/programm/fibu" "$d/programm/rechnungen"
  cp "$work/quarvel-demo.sqlite" "$d/quarvel-demo.sqlite"
  printf '[Datenbank]\r\nSQLServer=SQLite\r\nDatabaseName=quarvel-demo.sqlite\r\n' > "$d/quarvel.Ini"
  sed -e 's|@EXPORT@|export\\|' -e 's|@FIBU@|fibu|' "$root/scripts/demo-settings.ini" \
    | sed 's/$/\r/' | iconv -f UTF-8 -t WINDOWS-1252 > "$d/programm/QVL32-SEPA-Beitragseinzug.ini"
}

main_job() { # main_job FOLDER BATCH… : the runs of scripts/main-job.sh at a fixed time
  local d=$1; shift
  (cd "$d" &&
    "$@" --program-dir programm --now 2026-12-06T10:00:00 --set 'chkBeitrag(0)=1' --set 'chkBeitrag(1)=1' \
      --set chkRechnung=1 --yes run &&
    "$@" --program-dir programm --now 2026-12-06T10:05:00 --set 'LaoderRe(1)=1' --set 'chkBeitrag(0)=1' \
      --reports programm/rechnungen run &&
    "$@" --program-dir programm list-runs) > "$d.out" 2>&1
}

# What may differ: the bank file's creation stamp (the system's time, where --now does not
# reach) and the random part that makes its message id unique, and in the program's
# messages and log the folders' paths and separators.
masked() { # masked FILE
  case "$1" in
    *.pdf) pdftotext -layout "$1" - ;;
    *.out|*.txt|*.log) tr '\\' / < "$1" | sed -E -e "s#(Z:)?$work/(linux|windows)#<ordner>#g" ;;
    *) cat "$1" ;;
  esac | sed -E -e 's#<CreDtTm>[^<]*</CreDtTm>#<CreDtTm/>#g' -e 's#-[0-9a-f]{8}</(MsgId|PmtInfId)>#-…</\1>#g' \
                -e 's/\r$//'
}

step_mainjob() {
  [ -x "$linux/qvl32-sepa-batch" ] || { echo "Kein Linux-Build in $linux (scripts/build.sh)." >&2; return 1; }
  wine_ready
  work=$win/hauptlauf
  rm -rf "$work"; mkdir -p "$work"
  "$linux/qvl32-sepa-batch" demo-db "$work/quarvel-demo.sqlite" --owners 250 --seed 1 >/dev/null
  demo_side "$work/linux"
  demo_side "$work/windows"
  main_job "$work/linux" "$linux/qvl32-sepa-batch" || { cat "$work/linux.out"; return 1; }
  main_job "$work/windows" "$here/wine-run.sh" "$win/programm/qvl32-sepa-batch.exe" ||
    { cat "$work/windows.out"; return 1; }
  local rc=0 files
  files=$(cd "$work/linux/programm" && find export fibu rechnungen LogDatei.txt -type f | sort)
  if [ "$files" != "$(cd "$work/windows/programm" && find export fibu rechnungen LogDatei.txt -type f | sort)" ]; then
    echo "Die Läufe haben verschiedene Dateien geschrieben:"
    diff <(echo "$files") <(cd "$work/windows/programm" && find export fibu rechnungen LogDatei.txt -type f | sort) || true
    rc=1
  fi
  local f n=0
  while IFS= read -r f; do
    [ -f "$work/windows/programm/$f" ] || continue
    if ! diff -u <(masked "$work/linux/programm/$f") <(masked "$work/windows/programm/$f") > "$work/diff.txt"; then
      echo "Verschieden: $f"; head -n 40 "$work/diff.txt"; rc=1
    fi
    n=$((n + 1))
  done <<< "$files"
  if ! diff -u <(masked "$work/linux.out") <(masked "$work/windows.out"); then
    echo "Die Ausgaben der Läufe sind verschieden."; rc=1
  fi
  echo "$n Dateien verglichen (Bankdatei, CSV-Liste, Fibu-Dateien gleich; PDFs nach ihrem Text)."
  return $rc
}

step_installer() {
  wine_ready
  local setup; setup=$(ls "$win"/QVL32-SEPA-Setup-*.exe | head -n1)
  # The suite's folder: the installer finds it by its quarvel.Ini and installs into "SEPA".
  local suite="$WINEPREFIX/drive_c/Quarvel"
  # An earlier installation of this Wine prefix goes first (its registry entry would be kept).
  if [ -f "$suite/SEPA/uninstall.exe" ]; then
    "$here/wine-run.sh" 'C:\Quarvel\SEPA\uninstall.exe' /S; wineserver -w
  fi
  rm -rf "$suite"; mkdir -p "$suite"
  printf '[Datenbank]\r\nSQLServer=SQLite\r\nDatabaseName=quarvel-demo.sqlite\r\n' > "$suite/quarvel.Ini"
  "$here/wine-run.sh" "$setup" /S
  local dir="$suite/SEPA" rc=0
  for f in qvl32-sepa.exe qvl32-sepa-batch.exe Qt6Core.dll platforms/qwindows.dll sqldrivers/qsqlodbc.dll \
           translations/qtbase_de.qm uninstall.exe; do
    [ -f "$dir/$f" ] || { echo "Nicht installiert: $f"; rc=1; }
  done
  ls "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/QVL32 SEPA/"*.lnk >/dev/null 2>&1 ||
    { echo "Kein Eintrag im Startmenü."; rc=1; }
  "$here/wine-run.sh" "$dir/qvl32-sepa-batch.exe" --version | grep -q '^qvl32-sepa-batch ' ||
    { echo "Das installierte Programm startet nicht."; rc=1; }
  # The settings file and the outputs stay when the program goes.
  printf 'Firma=Test\r\n' > "$dir/QVL32-SEPA-Beitragseinzug.ini"
  mkdir -p "$dir/export"; echo x > "$dir/export/Dtaus0.xml"
  # The uninstaller copies itself away and goes on there; Wine's server ends with it.
  "$here/wine-run.sh" 'C:\Quarvel\SEPA\uninstall.exe' /S
  wineserver -w
  for f in qvl32-sepa.exe qvl32-sepa-batch.exe Qt6Core.dll uninstall.exe; do
    [ ! -e "$dir/$f" ] || { echo "Nicht entfernt: $f"; rc=1; }
  done
  [ -f "$dir/QVL32-SEPA-Beitragseinzug.ini" ] && [ -f "$dir/export/Dtaus0.xml" ] ||
    { echo "Die Deinstallation hat die Einstellungen oder die Ausgaben gelöscht."; rc=1; }
  # A second installation never replaces the settings file.
  "$here/wine-run.sh" "$setup" /S
  grep -q 'Firma=Test' "$dir/QVL32-SEPA-Beitragseinzug.ini" ||
    { echo "Die Installation hat die Einstellungsdatei überschrieben."; rc=1; }
  [ $rc -eq 0 ] && echo "Installiert, gestartet und deinstalliert: $(basename "$setup")"
  return $rc
}

for s in "${steps[@]}"; do
  timed "$s" "step_$s"
done
exit $failed
