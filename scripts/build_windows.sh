#!/bin/sh
# Builds the Windows saver with mingw-w64: Vesperglen.scr and the zipped package with its
# installation folder and install script.
# Usage: scripts/build_windows.sh [win32|win64|all]   (default all)
#   win32  the release build, a 32-bit GUI program: build/win32/Vesperglen-win32.zip
#   win64  the 64-bit build that wine64 runs for scripts/wine_check.sh: build/win64
#   VG_JOBS  parallel jobs (default 2)
set -e
cd "$(dirname "$0")/.."
scripts/install_deps.sh ci
which=${1:-all}
scripts/fetch_xmp.sh
build() {
  arch=$1
  triple=$2
  cmake -S . -B "build/$arch" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="cmake/toolchain-$triple.cmake" -DVG_XMP_SOURCE="$PWD/build/sources/libxmp"
  cmake --build "build/$arch" -j"${VG_JOBS:-2}"
}
case "$which" in
  win32) build win32 i686-w64-mingw32 ;;
  win64) build win64 x86_64-w64-mingw32 ;;
  all)
    build win32 i686-w64-mingw32
    build win64 x86_64-w64-mingw32
    ;;
  *)
    echo "usage: scripts/build_windows.sh [win32|win64|all]" >&2
    exit 2
    ;;
esac
