#!/bin/sh
# Presentation benchmark: the CPU the saver and the X server spend together while the saver draws
# into an Xvfb screen, at 800x600 and at 1920x1080, for one or more builds in one run. Prints
# figures, judges nothing.
set -eu

usage() {
  cat <<'TEXT'
Usage: bench/present_bench.sh [--seconds N] [--display :N] [--label NAME=BUILD_DIR]... [BUILD_DIR]

For each build (a build folder holding vesperglen and its content) and each screen size, starts
Xvfb, runs the saver for a warm-up of 3 s and then N seconds (default 10), and reads utime+stime
of the saver and of the X server from /proc/<pid>/stat. Runs:
  window    vesperglen -window-id <root>   (the XScreenSaver way)
  fill      the same with --fill          (builds that know it)
  sized     the same with VESPERGLEN_SIZE=800x600 (presentation alone, rendering as at 800x600)
  sdl       vesperglen /s                  (its own full-screen window)
  preview   vesperglen /p <root>           (the still preview)
CPU is in percent of one core; "total" is saver + X server.

  --seconds N       measuring time per run
  --display :N      the X display number to use (default :93)
  --label NAME=DIR  a build to measure, named NAME (repeatable); a bare DIR is named "new"
TEXT
}

seconds=10
display=:93
builds=""
while [ $# -gt 0 ]; do
  case "$1" in
    --help|-h) usage; exit 0 ;;
    --seconds) seconds=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --label) builds="$builds $2"; shift 2 ;;
    *) builds="$builds new=$1"; shift ;;
  esac
done
[ -n "$builds" ] || builds="new=build/rel"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
root_window() {
  python3 -c 'import ctypes, sys
x = ctypes.CDLL("libX11.so.6"); x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]; x.XDefaultRootWindow.restype = ctypes.c_ulong
d = x.XOpenDisplay(sys.argv[1].encode()); print(x.XDefaultRootWindow(d) if d else 0)' "$display"
}

work=$(mktemp -d)
xpid=""
spid=""
trap 'kill $spid $xpid 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM PIPE
hz=$(getconf CLK_TCK)

printf '%-6s %-9s %-9s %8s %8s %8s\n' build run screen saver xserver total
for size in 800x600 1920x1080; do
  Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xpid=$!
  sleep 1
  root=$(root_window)
  for entry in $builds; do
    name=${entry%%=*}
    dir=${entry#*=}
    for run in window fill sized sdl preview; do
      set -- -window-id "$root"
      extra=""
      case $run in
        fill) grep -aq -- --fill "$dir/vesperglen" || continue; set -- -window-id "$root" --fill ;;
        sized) grep -aq VESPERGLEN_SIZE "$dir/vesperglen" || continue; extra=VESPERGLEN_SIZE=800x600 ;;
        sdl) set -- /s ;;
        preview) set -- /p "$root" ;;
      esac
      env DISPLAY="$display" SDL_AUDIODRIVER=dummy VESPERGLEN_REGISTRY="$work/registry.reg" $extra \
        "$dir/vesperglen" "$@" >/dev/null 2>&1 &
      spid=$!
      sleep 3
      s0=$(ticks $spid); x0=$(ticks $xpid)
      sleep "$seconds"
      s1=$(ticks $spid); x1=$(ticks $xpid)
      kill -TERM $spid 2>/dev/null || true
      wait $spid 2>/dev/null || true
      awk -v n="$name" -v r="$run" -v z="$size" -v s=$((s1 - s0)) -v x=$((x1 - x0)) -v t="$seconds" -v hz="$hz" \
        'BEGIN { printf "%-6s %-9s %-9s %7.1f%% %7.1f%% %7.1f%%\n", n, r, z, 100*s/hz/t, 100*x/hz/t, 100*(s+x)/hz/t }'
    done
  done
  kill $xpid 2>/dev/null || true
  wait $xpid 2>/dev/null || true
done
exit 0
