#!/bin/bash
# Runs the Linux build as an XScreenSaver hack (-window-id of the root window) on Xvfb screens and
# checks the picture each present leaves there, on every path a present takes:
#   shared   24-bit screen: the frame drawn straight into the memory the X server reads
#   plain    24-bit screen with VESPERGLEN_NO_SHM=1: the frame converted and sent over the socket
#   depth16  16-bit screen: the frame converted into the screen's own pixels
#   depth30  30-bit screen: the same, ten bits a channel
#   fill     --fill on a wide screen: no bars
#   window_gone  the window it draws into is destroyed: the saver ends
# Each screenshot must show the picture (light and varied) and, where it is letterboxed, black
# bars; no shared-memory segment may outlive the runs. Pictures go to build/x11-check.
# Usage: scripts/x11_check.sh [build folder holding vesperglen and its content, default build/test]
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
check=build/x11-check
for tool in Xvfb xwininfo import convert ipcs python3; do
  command -v $tool > /dev/null || { echo "x11_check: $tool is missing (scripts/install_deps.sh ci)" >&2; exit 2; }
done
[ -x "$build/vesperglen" ] || { echo "x11_check: no $build/vesperglen" >&2; exit 2; }
mkdir -p "$check"
rm -f "$check"/*.png "$check"/*.log
segments_before=$(ipcs -m | grep -c '^0x')
passed=0
failed=0

result() {
  if [ "$1" = ok ]; then
    echo "PASS $2"
    passed=$((passed + 1))
  else
    echo "FAIL $2: $3"
    failed=$((failed + 1))
  fi
}

# mean and standard deviation of a region of a picture, 0..1
stats() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean] %[fx:standard_deviation]' info:; }

# Starts an Xvfb screen (WxHxDEPTH) on a free display: sets xvfb (its pid) and display.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3> "$check/display" 2> "$check/xvfb.log" &
  xvfb=$!
  display=""
  for _ in $(seq 50); do
    display=$(cat "$check/display" 2> /dev/null)
    [ -n "$display" ] && break
    sleep 0.1
  done
}

# run NAME SCREEN PICTURE-REGION BAR-REGION-or-none [environment...] [-- saver options...]
run() {
  local name=$1 screen=$2 picture=$3 bar=$4
  shift 4
  local environment=() options=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do environment+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  options=("$@")
  start_xvfb "$screen"
  local root
  root=$(xwininfo -root -display ":$display" | awk '/Window id/ { print $4 }')
  env DISPLAY=":$display" SDL_AUDIODRIVER=dummy VESPERGLEN_REGISTRY="$check/registry.reg" "${environment[@]}" \
    "$build/vesperglen" -window-id "$((root))" "${options[@]}" > "$check/$name.log" 2>&1 &
  local saver=$!
  sleep 3
  DISPLAY=":$display" import -window root "$check/$name.png"
  kill -TERM $saver 2> /dev/null
  wait $saver
  local code=$?
  kill $xvfb 2> /dev/null
  wait $xvfb 2> /dev/null
  read -r mean deviation <<< "$(stats "$check/$name.png" "$picture")"
  if ! awk -v m="$mean" -v d="$deviation" 'BEGIN { exit !(m > 0.15 && d > 0.05) }'; then
    result fail "$name" "the picture is missing (mean $mean, deviation $deviation)"
    return
  fi
  if [ "$bar" != none ]; then
    read -r mean deviation <<< "$(stats "$check/$name.png" "$bar")"
    if ! awk -v m="$mean" 'BEGIN { exit !(m == 0) }'; then
      result fail "$name" "the bar is not black (mean $mean)"
      return
    fi
  fi
  [ $code = 0 ] || { result fail "$name" "SIGTERM ended it with $code"; return; }
  result ok "$name"
}

# A window that the screen saver daemon destroys: the saver must end within five seconds.
window_gone() {
  start_xvfb 1024x768x24
  python3 - ":$display" > "$check/window" <<'PY' &
import ctypes, sys, time
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XMapWindow.argtypes = x.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XFlush.argtypes = [ctypes.c_void_p]
d = x.XOpenDisplay(sys.argv[1].encode())
w = x.XCreateSimpleWindow(d, x.XDefaultRootWindow(d), 0, 0, 1024, 768, 0, 0, 0)
x.XMapWindow(d, w)
x.XFlush(d)
print(w, flush=True)
time.sleep(3)
x.XDestroyWindow(d, w)
x.XFlush(d)
time.sleep(8)
PY
  local client=$!
  sleep 1
  env DISPLAY=":$display" SDL_AUDIODRIVER=dummy VESPERGLEN_REGISTRY="$check/registry.reg" \
    "$build/vesperglen" -window-id "$(cat "$check/window")" > "$check/window_gone.log" 2>&1 &
  local saver=$!
  local ended=no
  for _ in $(seq 70); do
    kill -0 $saver 2> /dev/null || { ended=yes; break; }
    sleep 0.1
  done
  kill -TERM $saver 2> /dev/null
  wait $saver
  local code=$?
  kill $client $xvfb 2> /dev/null
  wait $client $xvfb 2> /dev/null
  if [ $ended = no ]; then
    result fail window_gone "still running 5 s after its window was destroyed"
  elif [ $code != 0 ]; then
    result fail window_gone "ended with $code"
  else
    result ok window_gone
  fi
}

run shared 1920x1080x24 1440x1080+240+0 200x1080+0+0
run plain 1920x1080x24 1440x1080+240+0 200x1080+0+0 VESPERGLEN_NO_SHM=1
run depth16 800x600x16 800x600+0+0 none
run depth30 800x600x30 800x600+0+0 none
run fill 1920x1080x24 1920x1080+0+0 none -- --fill
window_gone
if [ "$(ipcs -m | grep -c '^0x')" -gt "$segments_before" ]; then
  result fail segments "shared-memory segments were left behind: $(ipcs -m | tail -n +4)"
else
  result ok segments
fi
echo "x11_check: $passed passed, $failed failed"
[ $failed = 0 ]
