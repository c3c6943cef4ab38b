#!/usr/bin/env bash
# The peer of the SEPA benchmark: installs the npm package "sepa" (Debian's nodejs and npm)
# into a temporary folder and times it writing the same number of debits.
# Usage: bench/peer/run-npm-sepa.sh [DEBITS]   (default 100000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command -v npm >/dev/null || { echo "npm fehlt: apt-get install nodejs npm" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm install --silent --no-audit --no-fund sepa@3.0.0 >/dev/null)
cp "$here/npm-sepa.js" "$work/"
cd "$work" && node npm-sepa.js "${1:-100000}" "$work/npm-sepa.xml"
