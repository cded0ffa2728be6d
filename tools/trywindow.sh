#!/usr/bin/env bash
# Tries the window as a user would, on a virtual display: `kestrova ZONE` on a written zone
# of PCM tracks, Select All, Ctrl+E, the dialog's Extract button, with the dialog's
# options as a returning user left them (WAV, command `flac -s -f "%filepath%"`, "Delete
# files"). Saves screenshots while it runs, then checks that the folder ends with .flac
# files only, which decode to the samples written into the zone.
#   bash tools/trywindow.sh <builddir> <workdir>
# Needs xvfb-run, xdotool and ImageMagick's import (not needed by make run or make test).
set -eu
build=$(realpath "${1:-build}")
work=$(realpath -m "${2:-/tmp/kestrova-try}")
tracks=4 seconds=120
for tool in xvfb-run xdotool import flac python3; do
    command -v $tool >/dev/null || { echo "trywindow.sh: $tool is missing" >&2; exit 1; }
done

rm -rf "$work" && mkdir -p "$work/out" "$work/home/.config/Tolvane" "$work/shots"
"$build/tests/kestrova-demozone" "$work/AUDIO_TS" $tracks $seconds
cat > "$work/home/.config/Tolvane/Kestrova.conf" <<CONF
[General]
ExtractDir=$work/out
Store=false
Convert=true
Run=2
Command="flac -s -f \"%filepath%\""
Cache=1000
Delete=2
CONF

cat > "$work/session.sh" <<'SESSION'
set -u
build=$1 work=$2
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config "$build/kestrova" "$work/AUDIO_TS/AUDIO_TS.IFO" &
pid=$!
win=$(xdotool search --sync --name ' - Kestrova 2008$' | head -1)
sleep 1
xdotool windowfocus --sync "$win" key ctrl+a
sleep 0.5
xdotool key ctrl+e
dialog=$(xdotool search --sync --name '^Extract Track/Title/Titleset$' | head -1)
sleep 0.5
xdotool windowfocus --sync "$dialog" key Return
for n in $(seq -w 1 20); do
    import -window root "$work/shots/running-$n.png"
    sleep 0.25
done
# By now the result box is up; its picture is the last one. Then the program is ended.
sleep 2
import -window root "$work/shots/result.png"
kill $pid
wait $pid || true
SESSION
xvfb-run -a -s "-screen 0 1024x640x24" bash "$work/session.sh" "$build" "$work"

echo "== $work/out"
ls -l "$work/out"
python3 - "$work/out" $tracks $seconds <<'CHECK'
# The samples of makePcmSamples (tests/testzone/pcmpacking.cpp) for 16-bit stereo, seed k.
import os, subprocess, struct, sys
out, tracks, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def samples(seed, frames):
    top, bottom = 32767, -32768
    fixed = [top, bottom, 0, -1, 1, top - 1]
    state = (seed * 2654435761 + 12345) & 0xffffffff
    for f in range(frames):
        for c in range(2):
            state = (state * 1664525 + 1013904223) & 0xffffffff
            if f < 6:
                yield fixed[(f + c) % 6]
            else:
                v = state >> 16
                yield v - 65536 if v >= 32768 else v
names = sorted(os.listdir(out))
assert all(n.endswith('.flac') for n in names), names
assert len(names) == tracks, names
for k, name in enumerate(names, 1):
    raw = subprocess.run(['flac', '-d', '-s', '-c', '--force-raw-format', '--endian=little',
                          '--sign=signed', os.path.join(out, name)], check=True,
                         stdout=subprocess.PIPE).stdout
    frames = 48000 * seconds
    expected = struct.pack('<%dh' % (2 * frames), *samples(k, frames))
    assert raw == expected, '%s: %d bytes decoded, differ from the source' % (name, len(raw))
    print('%s decodes to the %d source frames of track %d' % (name, frames, k))
CHECK
