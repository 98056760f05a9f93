#!/bin/sh
# Builds the content-reader fuzz targets with clang (libFuzzer + AddressSanitizer) and runs each
# for a number of seconds.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [build folder, default build/fuzz]
set -e
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build/fuzz}
case "$seconds" in -h|--help) sed -n 2,4p "$0"; exit 0 ;; esac

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVG_TESTS=OFF -DVG_TOOLS=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address" \
  -DCMAKE_PROJECT_Vesperglen_INCLUDE="$root/tests/fuzz/fuzz_targets.cmake" >/dev/null
cmake --build "$build" -j2 --target fuzz_level fuzz_mesh fuzz_object_list fuzz_descriptor

seeds="$build/seeds"
mkdir -p "$seeds/object_list" "$seeds/descriptor" "$seeds/level" "$seeds/mesh"
printf '[trees/]\r\nsky = sky.jpg\r\nwater=water.tga,rock=rock.cgo\r\n[/trees]\r\n[b/] five=5 [x=y\r\n' \
  >"$seeds/object_list/sample"
printf 'nummeshes=2\r\nmesh0=a.msh_s\r\ntexture0=a.tga\r\nmesh1=b.msh_s\r\ntexture1=b.tga\r\n' \
  >"$seeds/descriptor/sample"
if command -v python3 >/dev/null; then
  python3 - "$seeds" <<'PY'
import struct, sys
seeds = sys.argv[1]
level = b"\0" * 64 + struct.pack("<i", 2)
for name in (b"sky", b"rock"):
    level += name.ljust(32, b"\0") + struct.pack("<7fBi", -400, 300, 400, 0, 5, 3, 4, 1, 0)
open(seeds + "/level/sample", "wb").write(level)
positions = [(x, y, z) for z in (-1, 1) for y in (-1, 1) for x in (-1, 1)]
faces = [(0, 2, 1), (1, 2, 3), (4, 5, 6), (5, 7, 6), (0, 1, 4), (1, 5, 4)]
for smooth in (0, 1):
    mesh = b"\0\0\0" + bytes([smooth]) + struct.pack("<6f", 1, 2, 3, 0.1, 0.2, 0.3) + b"\0"
    mesh += struct.pack("<ii", len(positions), len(faces))
    mesh += b"".join(struct.pack("<3f", *p) for p in positions)
    mesh += b"".join(struct.pack("<3i", *f) for f in faces)
    mesh += b"".join(struct.pack("<2f", c & 1, c / 8) for f in faces for c in f)
    open(seeds + "/mesh/sample%d" % smooth, "wb").write(mesh)
PY
fi

# Two targets at a time: the machine has two cores.
run_target() {
  target=$1
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  "$build/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" "$seeds/$target" 2>"$build/fuzz_$target.log"
}
status=0
for pair in "level mesh" "object_list descriptor"; do
  pids=""
  for target in $pair; do
    echo "fuzz_$target: $seconds s"
    run_target "$target" &
    pids="$pids $!:$target"
  done
  for entry in $pids; do
    target=${entry#*:}
    if wait "${entry%%:*}"; then
      grep -E "stat::number_of_executed_units|Done" "$build/fuzz_$target.log" | tail -2
    else
      tail -40 "$build/fuzz_$target.log"
      status=1
    fi
  done
done
exit $status
