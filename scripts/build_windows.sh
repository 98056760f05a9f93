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
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
# Source entries for the machine's own Debian mirror, beside its binary ones, when it has none.
add_source_entries() {
  entries=/etc/apt/sources.list.d/vesperglen-deb-src
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$entries.sources" ] || awk 'BEGIN { RS = ""; ORS = "\n\n" }
      /URIs:[^\n]*debian/ && /Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
  done | $SUDO tee "$entries.sources" > /dev/null
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list | $SUDO tee "$entries.list" > /dev/null
  fi
  $SUDO apt-get update -qq
}
# libxmp, for the module music, unpacked from Debian's source package into build/sources/libxmp.
fetch_xmp() {
  [ -f build/sources/libxmp/include/xmp.h ] && return 0
  apt-cache showsrc libxmp 2> /dev/null | grep -q '^Package: libxmp' || add_source_entries
  rm -rf build/sources/unpack
  mkdir -p build/sources/unpack
  (cd build/sources/unpack && apt-get source -qq libxmp 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
  mv build/sources/unpack/libxmp-*/ build/sources/libxmp
  rm -rf build/sources/unpack
}
fetch_xmp
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
