#!/usr/bin/env bash
# Starts the built program. Without a display it runs the program on the offscreen
# platform and saves a picture of the window instead.
#   bash tools/run.sh <builddir>
set -u
build=${1:-build}
program="$build/kestrova"
if [ ! -x "$program" ]; then
    echo "run.sh: $program is not built" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$program"
fi

# A demonstration zone, written by the project's test-zone writer.
demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo/out-store" "$demo/out-wave"
"$build/tests/kestrova-demozone" "$demo/AUDIO_TS" 2>/dev/null || exit 1

shot="$build/kestrova-screenshot.png"
echo "No display found: starting Kestrova on the offscreen platform with that zone open."
rm -f "$shot"
if QT_QPA_PLATFORM=offscreen KESTROVA_SCREENSHOT="$shot" KESTROVA_SCREENSHOT_ZONE="$demo/AUDIO_TS" \
    timeout 60 "$program" && [ -s "$shot" ]; then
    echo "The window was shown and saved as $shot."
else
    echo "run.sh: the window could not be captured" >&2
    exit 1
fi

# The main job, from the command line: the demonstration zone listed and extracted.
echo
echo "== kestrova-cli info $demo/AUDIO_TS"
"$build/kestrova-cli" info "$demo/AUDIO_TS" || exit 1
echo
echo "== kestrova-cli extract $demo/AUDIO_TS -o $demo/out-store --store all"
"$build/kestrova-cli" extract "$demo/AUDIO_TS" -o "$demo/out-store" --store all || exit 1
ls -l "$demo/out-store"
echo
echo "== kestrova-cli extract $demo/AUDIO_TS -o $demo/out-wave --convert 1/1"
"$build/kestrova-cli" extract "$demo/AUDIO_TS" -o "$demo/out-wave" --convert 1/1 || exit 1
ls -l "$demo/out-wave"
