#!/usr/bin/env bash
# The Windows toolchain: a mingw-w64 (x86_64, POSIX threads) prefix of every library the
# program uses, built from Debian 12's sources, in one fixed folder (QVL32_MINGW, default
# /opt/qvl32-mingw; the prefix is $QVL32_MINGW/prefix). As root, idempotent.
#
#   scripts/windows/toolchain.sh            the prefix, then libqrencode and GoogleTest in it
#   scripts/windows/toolchain.sh packages   only the Debian packages the build and tests use
#
# The prefix takes one to two hours on two cores, so a prebuilt one is unpacked when
# ../shared/toolchains (or QVL32_TOOLCHAINS) holds the tarball with its recipe beside it;
# otherwise that recipe (build-toolchain.sh) builds it. libqrencode (Debian's source
# package) and GoogleTest (/usr/src/googletest of Debian's libgtest-dev) are small and are
# built here on top, static, so that nothing more has to be deployed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
base=${QVL32_MINGW:-/opt/qvl32-mingw}
prefix=$base/prefix
shelf=${QVL32_TOOLCHAINS:-$root/../shared/toolchains}
host=x86_64-w64-mingw32
tarball=mingw-w64-qt6.4.2-x86_64.tar.xz
nice=(nice -n 10)
jobs=${JOBS:-2}

packages() {
  local wanted=(mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64 wine fonts-wine nsis
    qt6-base-dev-tools qt6-translations-l10n libgtest-dev cmake ninja-build pkg-config
    xvfb xauth x11-utils imagemagick poppler-utils fonts-dejavu-core dpkg-dev bzip2)
  local missing=() p
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installiere: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# The prefix itself: unpacked from the shelf when its tarball is there (checked against its
# sha256), else built by the recipe into the same place.
prefix_step() {
  local mark=$base/.prefix
  if [ -f "$shelf/$tarball" ]; then
    local sum; sum=$(cut -d' ' -f1 "$shelf/$tarball.sha256")
    if [ -f "$mark" ] && [ "$(cat "$mark")" = "$sum" ] && [ -d "$prefix/lib/cmake/Qt6" ]; then
      return 0
    fi
    (cd "$shelf" && sha256sum -c --quiet "$tarball.sha256")
    echo "Entpacke $shelf/$tarball nach $base"
    rm -rf "$prefix" "$base/.extras"
    mkdir -p "$base"
    tar xJf "$shelf/$tarball" -C "$base"
    echo "$sum" > "$mark"
    return 0
  fi
  if [ -f "$mark" ] && [ -d "$prefix/lib/cmake/Qt6" ]; then
    return 0
  fi
  local recipe=$shelf/build-toolchain.sh
  [ -x "$recipe" ] || { echo "Weder $shelf/$tarball noch $recipe gibt es." >&2; exit 1; }
  echo "Baue das Präfix mit $recipe (ein bis zwei Stunden)"
  W=$base/work PREFIX=$prefix JOBS=$jobs "$recipe" deps sources toolchain zlib sqlite libjpeg \
    libxml2 libzip curl qpdf qtbase finish
  echo built > "$mark"
}

# libqrencode from Debian's source package: the orig tarball, checked against the .dsc.
qrencode_step() {
  [ -f "$prefix/lib/libqrencode.a" ] && [ -f "$prefix/lib/pkgconfig/libqrencode.pc" ] && return 0
  local work=$base/work/qrencode
  mkdir -p "$work/apt/lists/partial"
  cat > "$work/apt/src.sources" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  local apt=(-o Dir::Etc::sourcelist="$work/apt/src.sources" -o Dir::Etc::sourceparts=/dev/null
    -o Dir::State::Lists="$work/apt/lists")
  (cd "$work" && apt-get "${apt[@]}" update -qq && { apt-get "${apt[@]}" source --download-only qrencode || true; })
  local dsc orig sum
  dsc=$(ls "$work"/qrencode_*.dsc | head -n1)
  orig=$(ls "$work"/qrencode_*.orig.tar.* | head -n1)
  sum=$(sha256sum "$orig" | cut -d' ' -f1)
  grep -q "$sum $(stat -c %s "$orig") $(basename "$orig")" "$dsc" ||
    { echo "$orig passt nicht zu $dsc" >&2; exit 1; }
  rm -rf "$work/src" "$work/build"; mkdir -p "$work/src"
  tar xf "$orig" -C "$work/src" --strip-components=1
  cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/mingw-w64.cmake" \
    -DQVL32_MINGW_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DWITH_TOOLS=OFF -DWITH_TESTS=OFF -DWITHOUT_PNG=ON >/dev/null
  "${nice[@]}" cmake --build "$work/build" --parallel "$jobs"
  cmake --install "$work/build" >/dev/null
  # Relocatable like the prefix's other pkg-config files.
  sed -i -e "s|^prefix=.*|prefix=\${pcfiledir}/../..|" -e "/^prefix=/!s|$prefix|\${prefix}|g" \
    "$prefix/lib/pkgconfig/libqrencode.pc"
}

# GoogleTest of the same version as the Linux build's, static.
gtest_step() {
  [ -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ] && [ -f "$prefix/lib/libgmock.a" ] && return 0
  local work=$base/work/googletest
  rm -rf "$work"
  cmake -S /usr/src/googletest -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/mingw-w64.cmake" \
    -DQVL32_MINGW_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF >/dev/null
  "${nice[@]}" cmake --build "$work" --parallel "$jobs"
  cmake --install "$work" >/dev/null
}

case "${1:-all}" in
  packages) packages ;;
  all)
    packages
    prefix_step
    qrencode_step
    gtest_step
    echo "Windows-Präfix bereit: $prefix"
    ;;
  *) echo "Aufruf: $0 [packages]" >&2; exit 2 ;;
esac
