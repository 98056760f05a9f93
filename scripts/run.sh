#!/bin/sh
# Builds the saver and the default content, then runs it full screen (arguments replace /s).
# Installs the Debian packages it needs when missing. Without a display it makes a bounded,
# recorded run instead: frames go to out/frames.
set -e
cd "$(dirname "$0")/.."
scripts/install_deps.sh run
build=${VG_BUILD_DIR:-build/run}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVG_TESTS=OFF
cmake --build "$build" -j"${VG_JOBS:-2}" --target vesperglen
if cmake --build "$build" --target help | grep -q '\.\.\. content$'; then
  cmake --build "$build" -j"${VG_JOBS:-2}" --target content
else
  echo "run.sh: no content target yet; the saver will stop at its first missing file" >&2
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=${SDL_VIDEODRIVER:-dummy}
  # No display usually means no sound device either: mix the sound into a file to listen to.
  export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
  export VESPERGLEN_AUDIO_OUT=${VESPERGLEN_AUDIO_OUT:-out/audio.wav}
  export VESPERGLEN_FRAME_MS=${VESPERGLEN_FRAME_MS:-20}
  export VESPERGLEN_FRAMES=${VESPERGLEN_FRAMES:-500}
  export VESPERGLEN_CAPTURE=${VESPERGLEN_CAPTURE:-out/frames}
  export VESPERGLEN_CAPTURE_EVERY=${VESPERGLEN_CAPTURE_EVERY:-25}
  mkdir -p "$VESPERGLEN_CAPTURE"
  echo "run.sh: no display; recording $VESPERGLEN_FRAMES frames into $VESPERGLEN_CAPTURE and the sound into $VESPERGLEN_AUDIO_OUT" >&2
fi
[ $# -gt 0 ] || set -- /s
exec "$build/vesperglen" "$@"
