#!/usr/bin/env bash
# Installs the Debian 12 packages the program, its tests and its demo need. Idempotent.
# scripts/install-deps.sh --program installs only what the two programs and the demo need
# (the main job); without it the test tools come too.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-odbc qt6-translations-l10n
  unixodbc-dev tdsodbc libsqlite3-dev libxml2-dev libqpdf-dev libzip-dev
  libcurl4-openssl-dev libqrencode-dev fonts-liberation
)
if [ "${1:-}" != "--program" ]; then
  packages+=(
    libgtest-dev libgmock-dev libsqliteodbc
    libxml2-utils poppler-utils xvfb xauth faketime python3 python3-sqlglot
    default-jre-headless libsaxonhe-java
    python3-aiosmtpd openssl strace zbar-tools
    lintian desktop-file-utils appstream
  )
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installiere: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
# The program's default ODBC driver for SQL Server is the one registered as "FreeTDS"
# (the package asks whether to register it; an answer of No leaves it unregistered).
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo odbcinst -i -d -f /usr/share/tdsodbc/odbcinst.ini >/dev/null
fi
