#!/usr/bin/env bash
# Builds the Debian package of both programs: scripts/package.sh [FOLDER]
# Installs what is missing, configures FOLDER (default build-package) with Debian's
# hardening flags, builds only what the package holds, makes the .deb with CPack, checks it
# with lintian and prints its path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-"$root/build-package"}
"$root/scripts/install-deps.sh" >&2
# The flags Debian builds its own packages with (fortified, read-only relocations); they
# count when the folder is configured the first time.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
# The package is made of the two programs alone: its install step builds nothing else.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >/dev/null
cmake --build "$dir" --parallel "${QVL_JOBS:-$(nproc)}" --target qvl32-sepa qvl32-sepa-batch qvl32-package-files >&2
rm -f "$dir"/qvl32-sepa_*.deb
(cd "$dir" && cpack -G DEB >&2)
deb=$(ls "$dir"/qvl32-sepa_*.deb)
# What lintian still says is explained in the README ("The Debian package"); an error fails.
lintian --fail-on error --suppress-tags-from-file "$root/packaging/lintian-explained" "$deb" >&2
echo "$deb"
