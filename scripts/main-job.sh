#!/usr/bin/env bash
# The main job: installs what is missing, builds, creates the demo (a suite database,
# the suite's INI file and a settings file) and runs the program on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
"$root/scripts/make-demo.sh"
cd "$root"
build/qvl32-sepa-batch --program-dir demo dump
