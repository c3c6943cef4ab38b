#!/usr/bin/env bash
# Configures and builds into a build folder: scripts/build.sh [FOLDER] [CMAKE OPTIONS…]
# BUILD_TYPE (default Release) chooses the configuration; TARGETS, when set, builds only
# those targets (the main job needs the two programs, not the tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build"}
shift || true
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" "$@" >/dev/null
targets=()
for t in ${TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" --parallel "${targets[@]}"
