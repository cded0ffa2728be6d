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

shot="$build/kestrova-screenshot.png"
echo "No display found: starting Kestrova on the offscreen platform."
rm -f "$shot"
if QT_QPA_PLATFORM=offscreen KESTROVA_SCREENSHOT="$shot" timeout 60 "$program" && [ -s "$shot" ]; then
    echo "The window was shown and saved as $shot."
else
    echo "run.sh: the window could not be captured" >&2
    exit 1
fi
