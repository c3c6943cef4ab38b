# Building for Windows (x86_64) on Debian with the mingw-w64 compilers (POSIX threads) and
# the prefix of scripts/windows/toolchain.sh:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=scripts/windows/mingw-w64.cmake
# The prefix is QVL32_MINGW_PREFIX (cache or environment), else /opt/qvl32-mingw/prefix.
# Tests and build-time tools of the program run under Wine (scripts/windows/wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QVL32_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QVL32_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVL32_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${QVL32_MINGW_HOST}-windres)
set(CMAKE_AR /usr/bin/${QVL32_MINGW_HOST}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${QVL32_MINGW_HOST}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP /usr/bin/${QVL32_MINGW_HOST}-strip CACHE FILEPATH "")

if(NOT QVL32_MINGW_PREFIX)
  if(DEFINED ENV{QVL32_MINGW_PREFIX})
    set(QVL32_MINGW_PREFIX "$ENV{QVL32_MINGW_PREFIX}")
  else()
    set(QVL32_MINGW_PREFIX /opt/qvl32-mingw/prefix)
  endif()
endif()
set(QVL32_MINGW_PREFIX "${QVL32_MINGW_PREFIX}" CACHE PATH "The mingw-w64 prefix of the program's libraries")
# try_compile projects see the toolchain file again, without the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QVL32_MINGW_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${QVL32_MINGW_HOST} ${QVL32_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
list(APPEND CMAKE_PREFIX_PATH "${QVL32_MINGW_PREFIX}")

# Qt's host tools (moc, rcc, uic) of the same version: Debian's qt6-base-dev-tools.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")

# pkg-config sees only the Windows prefix.
set(ENV{PKG_CONFIG_LIBDIR} "${QVL32_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")

# Debian's rcc compresses resources with zstd, which the prefix's Qt cannot read back.
set(CMAKE_AUTORCC_OPTIONS --no-zstd)
