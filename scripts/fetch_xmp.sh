#!/bin/sh
# Unpacks libxmp, the module music library of the Windows build, from Debian's source package
# into build/sources/libxmp (once), adding deb-src entries for the machine's own Debian mirror
# when apt has none, and applies our fixes to it (scripts/libxmp/*.patch, each once). The Windows
# build compiles it in; the fuzz build fuzzes it.
set -e
cd "$(dirname "$0")/.."
apply_patches() {
  mkdir -p build/sources/libxmp/.applied
  for p in scripts/libxmp/*.patch; do
    name=$(basename "$p")
    [ -f "build/sources/libxmp/.applied/$name" ] && continue
    patch -s -p1 -d build/sources/libxmp < "$p"
    touch "build/sources/libxmp/.applied/$name"
  done
}
if [ -f build/sources/libxmp/include/xmp.h ]; then
  apply_patches
  exit 0
fi
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
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
apt-cache showsrc libxmp 2> /dev/null | grep -q '^Package: libxmp' || add_source_entries
rm -rf build/sources/unpack
mkdir -p build/sources/unpack
(cd build/sources/unpack && apt-get source -qq libxmp 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
mv build/sources/unpack/libxmp-*/ build/sources/libxmp
rm -rf build/sources/unpack
apply_patches
