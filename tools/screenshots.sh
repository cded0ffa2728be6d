#!/usr/bin/env bash
# The README's pictures of the window, taken by the real window on Qt's offscreen platform
# at its default 800 x 600: a written zone of twelve stereo PCM tracks of 40 s open, the
# extraction dialog, a FLAC extraction of them all under way and the box that ends it.
#   bash tools/screenshots.sh <builddir> <outdir>
set -eu
build=${1:-build}
out=${2:-docs}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tests/kestrova-demozone" "$work/AUDIO_TS" 12 40 >/dev/null
mkdir -p "$out"
QT_QPA_PLATFORM=offscreen timeout 120 "$build/tests/kestrova-screenshots" "$work/AUDIO_TS" "$out"
ls -l "$out"/window.png "$out"/extract-dialog.png "$out"/window-running.png "$out"/end-box.png
