#!/bin/bash
# Records the sound of short runs of both builds with MP3 and with module music as "musicname"
# (ambient sounds off) and checks each recording with sox: heard (RMS), still heard in its last
# two seconds (the music loops) and not clipped (peaks below full scale). Broken music files
# (noise behind an ID3 tag; an MP3 with damaged frames; a module whose tempo is 0) must leave the
# run going to its end, the first one silent. The Windows build runs under wine64 on an Xvfb
# screen; the Linux one is the host build of build/win64.
# Recordings and logs go to build/win64/music_check. Builds first unless VG_SKIP_BUILD=1.
#   VG_MUSIC_FRAMES  presented frames of each MP3 run (default 100, 100 ms each); the module runs
#                    are 600 frames, past the module's return from its last order at 50 s
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/win64
check=$build/music_check
package=$build/package/Vesperglen
mp3_frames=${VG_MUSIC_FRAMES:-100}
module_frames=600
use_frames() {
  frames=$1
  seconds=$((frames / 10))
}
key='HKLM\software\quarvix\screensavers\Vesperglen'
# 30 s scenes, volume 80, clock shown, music on, ambient sounds off.
settings_hex=0000000050000000000100000000000001000000
mp3=$root/tests/sound/data/chord.mp3

if [ "${VG_SKIP_BUILD:-0}" != 1 ]; then
  scripts/build_windows.sh win64 || exit 1
  cmake --build "$build/host" -j"${VG_JOBS:-2}" --target vesperglen || exit 1
fi
for tool in wine Xvfb sox python3; do
  command -v $tool > /dev/null || { echo "wine_music_check: $tool is missing (scripts/install_deps.sh ci)" >&2; exit 2; }
done

mkdir -p "$check"
rm -f "$check"/*.wav "$check"/*.log
export WINEPREFIX=$check/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset VESPERGLEN_FRAME_MS VESPERGLEN_FRAMES VESPERGLEN_CAPTURE VESPERGLEN_CAPTURE_EVERY VESPERGLEN_AUDIO_OUT

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

# sox's figure named $2 ("RMS     amplitude", "Maximum amplitude", ...) for file $1, from second
# $3 on for $4 seconds.
sox_figure() {
  sox "$1" -n trim "$3" "$4" stat 2>&1 | awk -F: -v name="$2" '$1 ~ "^" name {gsub(/ /, "", $2); print $2}'
}

# Judges recording $2 under the name $1.
judge() {
  local name=$1 wav=$2 rms tail max min
  if [ ! -s "$wav" ]; then
    echo "FAIL $name: no recording (see ${wav%.wav}.log)"
    failed=$((failed + 1))
    return
  fi
  rms=$(sox_figure "$wav" "RMS     amplitude" 0 "$seconds")
  tail=$(sox_figure "$wav" "RMS     amplitude" $((seconds - 2)) 2)
  max=$(sox_figure "$wav" "Maximum amplitude" 0 "$seconds")
  min=$(sox_figure "$wav" "Minimum amplitude" 0 "$seconds")
  local figures="RMS $rms, last 2 s RMS $tail, max $max, min $min"
  if awk -v r="$rms" -v t="$tail" -v hi="$max" -v lo="$min" \
       'BEGIN { exit !(r > 0.01 && t > 0.01 && hi < 0.99 && lo > -0.99) }'; then
    echo "PASS $name: $figures"
    passed=$((passed + 1))
  else
    echo "FAIL $name: $figures"
    failed=$((failed + 1))
  fi
}

# A run that ended early (a crash) records less than its virtual time.
judge_broken() {
  local name=$1 wav=$2 silent=$3 length rms
  length=$(soxi -D "$wav" 2> /dev/null)
  rms=$(sox_figure "$wav" "RMS     amplitude" 0 "$seconds")
  if awk -v l="${length:-0}" -v s="$seconds" -v r="${rms:-1}" -v quiet="$silent" \
       'BEGIN { exit !(l >= s - 0.2 && (!quiet || r == 0)) }'; then
    echo "PASS $name: ran its ${length} s, RMS $rms"
    passed=$((passed + 1))
  else
    echo "FAIL $name: recorded ${length:-nothing} s of $seconds, RMS $rms (see ${wav%.wav}.log)"
    failed=$((failed + 1))
  fi
}

record_windows() {
  local music=$1 wav=$2
  wine reg add "$key" /f /v settings /t REG_BINARY /d $settings_hex > /dev/null 2>&1
  wine reg add "$key" /f /v musicname /t REG_SZ /d "$music" > /dev/null 2>&1
  (cd "$build" && VESPERGLEN_FRAME_MS=100 VESPERGLEN_FRAMES=$frames \
     VESPERGLEN_AUDIO_OUT="$(wine winepath -w "$wav" | tr -d '\r')" \
     timeout 300 wine Vesperglen.scr /s) > "${wav%.wav}.log" 2>&1
}

record_linux() {
  local music=$1 wav=$2 hex
  hex=$(sed 's/../&,/g; s/,$//' <<< "$settings_hex")
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n"settings"=hex:%s\n"musicname"="%s"\n' \
    "$hex" "$music" > "$check/user.reg"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VESPERGLEN_MACHINE_REGISTRY="$check/machine.reg" \
    VESPERGLEN_REGISTRY="$check/user.reg" VESPERGLEN_FRAME_MS=100 VESPERGLEN_FRAMES=$frames \
    VESPERGLEN_AUDIO_OUT="$wav" timeout 300 "$build/host/vesperglen" /s > "${wav%.wav}.log" 2>&1
}

[ -d "$WINEPREFIX" ] || wineboot -i > "$check/wineboot.log" 2>&1
(cd "$package" && wine cmd /c install.bat) > "$check/install.log" 2>&1
"$build/host/tools/vesperglen_content" --registry "$check/machine.reg" "$package" > /dev/null

use_frames "$mp3_frames"
record_windows "$(wine winepath -w "$mp3" | tr -d '\r')" "$check/windows_mp3.wav"
judge "windows mp3" "$check/windows_mp3.wav"
record_linux "$mp3" "$check/linux_mp3.wav"
judge "linux mp3" "$check/linux_mp3.wav"
use_frames "$module_frames"
record_windows music.xm "$check/windows_xm.wav"
judge "windows xm" "$check/windows_xm.wav"
record_linux music.xm "$check/linux_xm.wav"
judge "linux xm" "$check/linux_xm.wav"
use_frames "$mp3_frames"

python3 - "$mp3" "$check" <<'PY'
import sys
mp3, out = sys.argv[1], sys.argv[2]
noise = bytes((i * 7919 + i // 13) % 251 for i in range(20000))
open(out + "/noise.mp3", "wb").write(b"ID3" + noise)
damaged = bytearray(open(mp3, "rb").read())
for i in range(600, len(damaged) - 40, 97):
    damaged[i:i + 40] = noise[i % 1000:i % 1000 + 40]
open(out + "/damaged.mp3", "wb").write(bytes(damaged))
PY
for broken in noise damaged; do
  silent=0
  [ $broken = noise ] && silent=1
  record_windows "$(wine winepath -w "$check/$broken.mp3" | tr -d '\r')" "$check/windows_$broken.wav"
  judge_broken "windows $broken mp3" "$check/windows_$broken.wav" $silent
  record_linux "$check/$broken.mp3" "$check/linux_$broken.wav"
  judge_broken "linux $broken mp3" "$check/linux_$broken.wav" $silent
done

# A broken module (a tempo of 0), named as the saver names module music.
use_frames "$mp3_frames"
tempo_zero=$check/tempo_zero.xm
cp "$root/tests/fuzz/seeds/module/digibooster_tempo_zero.dgm" "$tempo_zero"
record_windows "$(wine winepath -w "$tempo_zero" | tr -d '\r')" "$check/windows_tempo_zero.wav"
judge_broken "windows tempo 0 module" "$check/windows_tempo_zero.wav" 0
record_linux "$tempo_zero" "$check/linux_tempo_zero.wav"
judge_broken "linux tempo 0 module" "$check/linux_tempo_zero.wav" 0

echo "wine_music_check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
