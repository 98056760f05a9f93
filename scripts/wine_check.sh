#!/bin/bash
# Runs the 64-bit Windows build under wine64 on an 800x600x24 Xvfb screen and checks it against
# the Linux build:
#   install   the package's install.bat writes "dir", "name", "musicname", "settingsex"
#   frames    a recorded full-screen run over a scene change matches the Linux run of the same
#             virtual clock (and so the same random seed), the clock excepted, which shows wall time
#   clock     the Windows frames show the clock
#   dialog    /c shows the settings dialog on Wine's controls; a click and OK store the setting
#   keypress  a key ends /s, and the run writes the settings back
# Pictures, frames and logs go to build/win64/check. Builds first unless VG_SKIP_BUILD=1.
#   VG_CHECK_FRAMES  presented frames of the recorded runs (default 400, 100 ms each)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
check=$build/check
package=$build/package/Vesperglen
frames=${VG_CHECK_FRAMES:-400}
key='HKLM\software\quarvix\screensavers\Vesperglen'
# The run's settings: 30 s scenes, volume 80, clock shown, music and sounds on.
settings_hex=0000000050000000000100000000000001010000

if [ "${VG_SKIP_BUILD:-0}" != 1 ]; then
  scripts/build_windows.sh win64 || exit 1
  cmake --build "$build/host" -j"${VG_JOBS:-2}" --target vesperglen || exit 1
fi
for tool in wine Xvfb xdotool convert python3; do
  command -v $tool > /dev/null || { echo "wine_check: $tool is missing (scripts/install_deps.sh ci)" >&2; exit 2; }
done

mkdir -p "$check"
rm -rf "$check"/windows "$check"/linux "$check"/*.png "$check"/*.log
export WINEPREFIX=$check/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset VESPERGLEN_FRAME_MS VESPERGLEN_FRAMES VESPERGLEN_CAPTURE VESPERGLEN_CAPTURE_EVERY

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3> "$check/display" 2> "$check/xvfb.log" &
xvfb=$!
cleanup() {
  wineserver -k 2> /dev/null
  kill "$xvfb" 2> /dev/null
}
trap cleanup EXIT
for _ in $(seq 50); do [ -s "$check/display" ] && break; sleep 0.2; done
export DISPLAY=:$(cat "$check/display")

passed=0
failed=0
pass() { echo "PASS $1"; passed=$((passed + 1)); }
fail() { echo "FAIL $1: $2"; failed=$((failed + 1)); }

reg_value() { wine reg query "$key" /v "$1" 2> /dev/null | tr -d '\r' | awk -v v="$1" '$1 == v {print $3}'; }

# Waits up to $2 seconds for process $1 to end; false when it is still running.
wait_exit() {
  for _ in $(seq $(($2 * 5))); do kill -0 "$1" 2> /dev/null || return 0; sleep 0.2; done
  return 1
}

check_install() {
  [ -d "$WINEPREFIX" ] || wineboot -i > "$check/wineboot.log" 2>&1
  wine reg delete "$key" /f > /dev/null 2>&1
  (cd "$package" && wine cmd /c install.bat) > "$check/install.log" 2>&1
  local dir settingsex
  dir=$(wine reg query "$key" /v dir 2> /dev/null | tr -d '\r' | sed -n 's/^ *dir *REG_SZ *//p')
  settingsex=$(reg_value settingsex)
  if [ "$dir" = "$(wine winepath -w "$package" 2> /dev/null | tr -d '\r')" ] &&
     [ -n "$(reg_value musicname)" ] && [ "$(reg_value name)" = Vesperglen ] &&
     [ ${#settingsex} -eq 20 ]; then
    pass "install: dir=$dir settingsex=$settingsex"
  else
    fail install "registry after install.bat: dir='$dir' (see $check/install.log)"
  fi
}

record_windows() {
  wine reg add "$key" /f /v settings /t REG_BINARY /d $settings_hex > /dev/null 2>&1
  (cd "$build" && VESPERGLEN_FRAME_MS=100 VESPERGLEN_FRAMES=$frames VESPERGLEN_CAPTURE_EVERY=20 \
     VESPERGLEN_CAPTURE="$(wine winepath -w "$check/windows" | tr -d '\r')" \
     timeout 600 wine Vesperglen.scr /s) > "$check/windows_run.log" 2>&1
}

record_linux() {
  "$build/host/tools/vesperglen_content" --registry "$check/machine.reg" "$package"
  local hex
  hex=$(sed 's/../&,/g; s/,$//' <<< "$settings_hex")
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n"settings"=hex:%s\n' \
    "$hex" > "$check/user.reg"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VESPERGLEN_MACHINE_REGISTRY="$check/machine.reg" \
    VESPERGLEN_REGISTRY="$check/user.reg" VESPERGLEN_FRAME_MS=100 VESPERGLEN_FRAMES=$frames \
    VESPERGLEN_CAPTURE="$check/linux" VESPERGLEN_CAPTURE_EVERY=20 \
    timeout 600 "$build/host/vesperglen" /s > "$check/linux_run.log" 2>&1
}

# Per-pixel difference: the largest of the three channel differences, 0..255. The clock's corner
# is left out: the two runs show different wall times in different formats. Limits, from looking
# at the pictures: matching runs stay under mean 1.6, 99th percentile 3 and a few dozen pixels
# off by more than 48 (texel ties on seams between pictures); a 25-pixel sprite missing or
# misplaced, a 10% tint error or a 2 s timing slip each break at least one of them.
compare_frames() {
  local count=0 bad=0 report=$check/frames.txt
  : > "$report"
  for windows_frame in "$check"/windows/frame_*.png; do
    local name linux_frame
    name=$(basename "$windows_frame")
    linux_frame=$check/linux/$name
    [ -f "$linux_frame" ] || { fail frames "no Linux frame $name"; return; }
    count=$((count + 1))
    convert "$windows_frame" "$linux_frame" -compose difference -composite -separate \
      -evaluate-sequence max -fill black -draw "rectangle 660,555 799,599" -depth 8 gray:- |
      python3 -c '
import sys
data = sys.stdin.buffer.read()
histogram = [data.count(bytes([i])) for i in range(256)]
n = len(data)
mean = sum(i * c for i, c in enumerate(histogram)) / n
total, p99 = 0, 255
for i, c in enumerate(histogram):
    total += c
    if total >= 0.99 * n:
        p99 = i
        break
over = sum(histogram[49:])
ok = mean <= 2.5 and p99 <= 6 and over <= 150
print("%s mean %.2f p99 %d over48 %d %s" % (sys.argv[1], mean, p99, over, "ok" if ok else "BAD"))
' "$name" >> "$report"
  done
  cat "$report"
  bad=$(grep -c 'BAD$' "$report")
  if [ "$count" -lt 15 ]; then
    fail frames "only $count frames captured (see $check/windows_run.log)"
  elif [ "$bad" -gt 0 ]; then
    fail frames "$bad of $count frames differ beyond the limits"
  else
    pass "frames: $count frames, $(awk '{m += $3; if ($5 > p) p = $5} END {printf "mean %.2f, worst p99 %d", m / NR, p}' "$report")"
  fi
}

# Glyph pixels: near-white in every channel, which the scenery in the clock's corner never is.
check_clock() {
  local frame=$check/windows/frame_$(printf %06d $((frames / 2 / 20 * 20))).png lit
  lit=$(convert "$frame" -crop 140x45+660+555 +repage -separate -evaluate-sequence min \
    -threshold 85% -format '%[fx:round(mean*w*h)]' info: 2> /dev/null)
  if [ "${lit:-0}" -ge 40 ]; then pass "clock: $lit glyph pixels"; else fail clock "${lit:-no} glyph pixels in $frame"; fi
}

# Positions in dialog units of dialog 107; the X window is the client area (no window manager).
click_dialog() {
  local window=$1 x=$2 y=$3 X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + x * WIDTH / 252)) $((Y + y * HEIGHT / 199)) click 1
}

find_window() {
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name "$1" 2> /dev/null | head -1 && return 0
    sleep 0.2
  done
  return 1
}

check_dialog() {
  wine reg add "$key" /f /v settings /t REG_BINARY /d $settings_hex > /dev/null 2>&1
  (cd "$build" && timeout 120 wine Vesperglen.scr /c) > "$check/dialog.log" 2>&1 &
  local pid=$! window
  window=$(find_window "Vesperglen properties") || { fail dialog "no dialog window"; return; }
  sleep 1
  import -window root "$check/dialog.png"
  click_dialog "$window" 174 84  # the box of "Show time:"
  sleep 0.5
  import -window root "$check/dialog_changed.png"
  click_dialog "$window" 223 15  # OK
  wait_exit $pid 20 || { fail dialog "OK did not close the dialog"; return; }
  local stored
  stored=$(reg_value settings)
  if [ "${stored,,}" = "${settings_hex:0:18}00${settings_hex:20}" ]; then
    pass "dialog: Show time cleared and stored ($stored)"
  else
    fail dialog "settings after OK: $stored"
  fi
}

check_keypress() {
  wine reg delete "$key" /v settings /f > /dev/null 2>&1
  (cd "$build" && timeout 120 wine Vesperglen.scr /s) > "$check/keypress.log" 2>&1 &
  local pid=$!
  find_window Vesperglen > /dev/null || { fail keypress "no saver window"; return; }
  sleep 5
  xdotool key space
  if ! wait_exit $pid 30; then
    fail keypress "the saver still runs 30 s after a key press"
    return
  fi
  local stored
  stored=$(reg_value settings)
  if [ "${stored,,}" = "$settings_hex" ]; then
    pass "keypress: ended, default settings written ($stored)"
  else
    fail keypress "settings after the run: '${stored}'"
  fi
}

summary() {
  echo "wine_check: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
check_install
# Without its installation folder every run would stop at a message box.
[ "$failed" -eq 0 ] || { summary; exit 1; }
record_windows
record_linux
compare_frames
check_clock
check_dialog
check_keypress
summary
