#!/usr/bin/env bash
# Builds both programs for Windows and puts them, with every DLL, Qt plugin and Qt's German
# translation, into one folder: scripts/windows/build.sh [BUILD FOLDER] [TARGETS…]
#   BUILD FOLDER  default build-win; the programs land in BUILD FOLDER/programm
#   TARGETS       further targets to build (qvl32-tests), and "installer":
#                 BUILD FOLDER/QVL32-SEPA-Setup-<version>.exe, made by NSIS
# Needs the prefix of scripts/windows/toolchain.sh (QVL32_MINGW_PREFIX, default
# /opt/qvl32-mingw/prefix). Uses ccache when it is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(realpath -m "${1:-$root/build-win}")
shift || true
prefix=${QVL32_MINGW_PREFIX:-/opt/qvl32-mingw/prefix}
[ -f "$prefix/lib/cmake/Qt6/Qt6Config.cmake" ] ||
  { echo "Kein Windows-Präfix in $prefix: erst scripts/windows/toolchain.sh ausführen." >&2; exit 1; }
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
fi
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/mingw-w64.cmake" -DQVL32_MINGW_PREFIX="$prefix" \
  -DQVL_CHECK_LAYERS=OFF "${launcher[@]}" >/dev/null
targets=(qvl32-sepa qvl32-sepa-batch)
installer=0
for t in "$@"; do
  if [ "$t" = installer ]; then installer=1; else targets+=("$t"); fi
done
nice -n 10 cmake --build "$dir" --parallel "${JOBS:-2}" --target "${targets[@]}"

# No thread_local object with a destructor: this runtime destroys it at its thread's end
# after freeing its memory (os/ThreadEnd.h). Such an object is what imports
# __cxa_thread_atexit.
built=("$dir"/qvl32-sepa.exe "$dir"/qvl32-sepa-batch.exe)
[[ " ${targets[*]} " == *" qvl32-tests "* ]] && built+=("$dir"/tests/qvl32-tests.exe)
for exe in "${built[@]}"; do
  if x86_64-w64-mingw32-objdump -p "$exe" | grep -q '__cxa_thread_atexit'; then
    echo "$(basename "$exe") hat ein thread_local-Objekt mit Destruktor; unter Windows stürzt das Ende seines Threads ab (os/ThreadEnd.h)." >&2
    exit 1
  fi
done

# The programs' folder: what the installer installs, and what runs under Wine.
out=$dir/programm
rm -rf "$out"
for exe in qvl32-sepa.exe qvl32-sepa-batch.exe; do
  "$prefix/bin/mingw-deploy.sh" "$dir/$exe" "$out" platforms sqldrivers tls styles imageformats
done
x86_64-w64-mingw32-strip --strip-unneeded "$out"/*.exe
# Beside the programs in the build folder too: the unit tests start the batch program there.
mkdir -p "$out/translations" "$dir/translations"
cp /usr/share/qt6/translations/qtbase_de.qm "$out/translations/"
cp /usr/share/qt6/translations/qtbase_de.qm "$dir/translations/"
echo "Windows-Programme in $out"
[ $installer -eq 1 ] || exit 0

# The installer: the program folder, a first settings file (the demo's, with the export and
# accounting folders beside the programs), and the list of files the uninstaller removes.
version=$(sed -n 's/^project(qvl32-sepa VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
sed -e 's|@EXPORT@|export\\|' -e 's|@FIBU@|fibu|' "$root/scripts/demo-settings.ini" \
  | sed 's/$/\r/' | iconv -f UTF-8 -t WINDOWS-1252 > "$dir/settings-template.ini"
(cd "$out" && find . -type f | sed 's|^\./||' | tr / '\\' | sed 's/^/Delete "$INSTDIR\\/; s/$/"/'
 cd "$out" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||' | tr / '\\' | sed 's/^/RMDir "$INSTDIR\\/; s/$/"/') \
  > "$dir/installed-files.nsh"
setup=$dir/QVL32-SEPA-Setup-$version.exe
makensis -V2 -DVERSION="$version" -DPROGRAMS="$out" -DOUTFILE="$setup" -DFILES="$dir/installed-files.nsh" \
  -DSETTINGS_TEMPLATE="$dir/settings-template.ini" "$root/scripts/windows/installer.nsi"
echo "Installationsprogramm: $setup"
