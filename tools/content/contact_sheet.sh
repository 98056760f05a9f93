#!/bin/sh
# Records the saver itself showing every default scene, as it first appears and 15 s later,
# and puts the frames side by side on one sheet; also draws a spectrogram of every ambient
# sound. Needs ImageMagick and SoX.
#   tools/content/contact_sheet.sh BUILD_DIR OUT_DIR
# BUILD_DIR holds a built vesperglen and vesperglen_content (any build type); OUT_DIR receives
# scenes.jpg and sound_<name>.png.
set -e
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tools/vesperglen_content" "$work/install"
# record FOLDER FRAMES EVERY: one bounded run of the saver with the settings in $work/user.reg.
record() {
  mkdir -p "$1"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VESPERGLEN_AUDIO_OUT="$work/audio.wav" \
    VESPERGLEN_REGISTRY="$work/user.reg" VESPERGLEN_MACHINE_REGISTRY="$work/install/registry.reg" \
    VESPERGLEN_FRAME_MS=20 VESPERGLEN_FRAMES="$2" VESPERGLEN_CAPTURE="$1" VESPERGLEN_CAPTURE_EVERY="$3" \
    "$build/vesperglen" /s
}
later_frames=750  # 15 s at 20 ms a frame
labels=""
for scene in 0 1 2 3 4 5 6 7; do
  # "settings": scene change never (6), volume 80, no day cycle, no clock, start scene, sound off.
  cat >"$work/user.reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]
"settings"=hex:06,00,00,00,50,00,00,00,00,00,00,00,0$scene,00,00,00,00,00,00,00
EOF
  # Frame 0 is presented before anything is drawn, so the first picture is frame 1.
  record "$work/first$scene" 1 1
  record "$work/later$scene" $later_frames $later_frames
  labels="$labels $work/first$scene/frame_000001.png $work/later$scene/frame_000$later_frames.png"
done
# Two scenes a row: each as it appears, then mid-scene.
# shellcheck disable=SC2086
montage $labels -tile 4x4 -geometry 400x300+3+3 -background '#202020' -quality 82 "$out/scenes.jpg"

for sound in "$work"/install/Data/Sounds/*.ogg; do
  name=$(basename "$sound" .ogg)
  sox "$sound" -n rate 22050 spectrogram -x 600 -y 257 -z 90 -t "$name" -o "$work/$name.png"
  convert "$work/$name.png" -colors 64 "$out/sound_$name.png"
done
echo "wrote $out/scenes.jpg and $out/sound_*.png"
