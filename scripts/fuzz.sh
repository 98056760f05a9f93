#!/bin/sh
# Builds the fuzz targets, one per reader of outside bytes, with clang (libFuzzer with Address and
# UndefinedBehaviorSanitizer) and runs each from its seeds in tests/fuzz/seeds, two at a time.
# The Windows build's module reader (libxmp, scripts/fetch_xmp.sh) is one of them: fuzz_xmp.
# Usage: scripts/fuzz.sh [seconds per target, default 60 | --long] [build folder, default build/fuzz]
#   --long runs each target until 10 million inputs instead (FUZZ_MAX_SECONDS, when set, stops
#   each one after that many seconds even so).
# A memory bomb is a finding: a run stops at 2048 MB resident or a single 512 MB allocation.
set -e
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build/fuzz}
case "$seconds" in -h|--help) sed -n 2,8p "$0"; exit 0 ;; esac
if [ "$seconds" = --long ]; then
  limit="-runs=10000000${FUZZ_MAX_SECONDS:+ -max_total_time=$FUZZ_MAX_SECONDS}"
else
  limit="-max_total_time=$seconds"
fi
targets="picture stb_jpeg texture font key_value registry preview wav ogg module xmp mp3
  level mesh object_list descriptor"
"$root/scripts/fetch_xmp.sh"

# Undefined behaviour stops a run, except the kinds tests/fuzz/ubsan_suppressions.txt may excuse.
recover="-fno-sanitize-recover=undefined -fsanitize-recover=shift-exponent,float-cast-overflow,signed-integer-overflow"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/fuzz/ubsan_suppressions.txt"
# configure FOLDER SANITIZERS [CMAKE ARGUMENTS...]
configure() {
  folder=$1
  sanitizers=$2
  shift 2
  CC=clang CXX=clang++ cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVG_TESTS=OFF -DVG_TOOLS=OFF "$@" \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,$sanitizers $recover" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,$sanitizers $recover" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$sanitizers" \
    -DCMAKE_PROJECT_Vesperglen_INCLUDE="$root/tests/fuzz/fuzz_targets.cmake" >/dev/null
}
configure "$build" address,undefined -DVG_XMP_SOURCE="$root/build/sources/libxmp"
cmake --build "$build" -j2 --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
# The Linux module reader is the system's libopenmpt, which no sanitizer sees into; AddressSanitizer
# only maps and unmaps the 1.7 MB it allocates for every module, three quarters of the run's time.
# Long runs take it without: ten times the inputs, the same coverage.
module_build=$build
if [ "$seconds" = --long ]; then
  module_build=$build-plain
  configure "$module_build" undefined
  cmake --build "$module_build" -j2 --target fuzz_module
fi

# Seeds: real files checked in, and for the binary content readers files written here.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
cp -r "$root/tests/fuzz/seeds/." "$seeds/"
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
  quiet=""
  length=65536
  program="$build/fuzz_$target"
  [ "$target" = module ] && program="$module_build/fuzz_module"
  # Both module readers start from the same module files.
  seed_dir="$seeds/$target"
  [ "$target" = xmp ] && seed_dir="$seeds/module"
  # A settings file is under a kilobyte; longer ones only repeat lines, and each query reads
  # the whole file again.
  [ "$target" = registry ] && quiet="-close_fd_mask=2" && length=8192
  nice "$program" $limit -max_len=$length -rss_limit_mb=2048 -malloc_limit_mb=512 \
    -timeout=30 $quiet -artifact_prefix="$build/fuzz_$target-" -print_final_stats=1 \
    "$corpus" "$seed_dir" 2>"$build/fuzz_$target.log"
}
status=0
set -- $targets
while [ $# -gt 0 ]; do
  pair="$1 ${2:-}"
  shift $(( $# > 1 ? 2 : 1 ))
  pids=""
  for target in $pair; do
    echo "fuzz_$target: $limit"
    run_target "$target" &
    pids="$pids $!:$target"
  done
  for entry in $pids; do
    target=${entry#*:}
    if wait "${entry%%:*}"; then
      grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|Done" "$build/fuzz_$target.log" | tail -3
    else
      tail -40 "$build/fuzz_$target.log"
      status=1
    fi
  done
done
exit $status
