#!/usr/bin/env bash
# The test command: installs what is missing, builds, runs every test; then builds a
# second time with AddressSanitizer and UndefinedBehaviorSanitizer and runs them again.
# scripts/test.sh --quick skips the sanitizer build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen

"$root/scripts/build.sh" "$root/build" -DQVL_BUILD_TESTS=ON
ctest --test-dir "$root/build" --output-on-failure --parallel "$(nproc)"

if [ "${1:-}" != "--quick" ]; then
  BUILD_TYPE=Debug "$root/scripts/build.sh" "$root/build-sanitize" -DQVL_SANITIZE=ON -DQVL_BUILD_TESTS=ON
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel "$(nproc)"
fi
