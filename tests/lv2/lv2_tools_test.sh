#!/bin/sh
# The bundle as the LV2 command-line tools meet it: its Turtle against the LV2 schemas of
# Debian's lv2-dev (sord_validate), its ports and presets as lv2info lists them, and a noise
# burst rendered by lv2apply (one frame per run) against orv-host's render through the VST
# plug-in with the same settings: bit for bit, and ringing on after the burst.
#   lv2_tools_test.sh BUNDLE ORV_HOST
set -u
bundle=$1 orvhost=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/lv2"
ln -s "$bundle" "$tmp/lv2/OrvSympharon.lv2"
# Only the built bundle on the path, and no remembered settings of the user.
export LV2_PATH="$tmp/lv2" XDG_CONFIG_HOME="$tmp/config"
uri=https://www.orvatone.com/lv2/OrvSympharon
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

sord_validate $(dpkg -L lv2-dev | grep '\.ttl$') "$bundle"/*.ttl >"$tmp/validate" 2>&1
grep -q '^Found 0 errors' "$tmp/validate" || { cat "$tmp/validate"; fail "Turtle not valid"; }

lv2info "$uri" >"$tmp/info" 2>&1 || fail "lv2info exit"
[ "$(grep -c '#AudioPort' "$tmp/info")" -eq 4 ] || fail "lv2info: not 4 audio ports"
[ "$(grep -c '#ControlPort' "$tmp/info")" -eq 8 ] || fail "lv2info: not 8 control ports"
for symbol in output mix decay damp transpose tune detune bypass; do
    grep -q "Symbol: *$symbol\$" "$tmp/info" || fail "lv2info: no control '$symbol'"
done
for preset in Default Bright High 'Low & Dark' 'Almost reverb' Detuned; do
    grep -q "^[[:space:]]*$preset\$" "$tmp/info" || fail "lv2info: no preset '$preset'"
done

# One second of stereo noise, then one of silence (32-bit float WAV).
/usr/bin/python3 - "$tmp/burst.wav" <<'PY'
import random, struct, sys
rate, frames = 44100, 88200
random.seed(5)
data = b''.join(struct.pack('<ff', random.uniform(-0.5, 0.5), random.uniform(-0.5, 0.5))
                if i < rate else b'\0' * 8 for i in range(frames))
fmt = struct.pack('<HHIIHH', 3, 2, rate, rate * 8, 8, 32)
body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY

# The samples of a WAV file's data chunk.
cat >"$tmp/samples.py" <<'PY'
import struct
def samples(path):
    b = open(path, 'rb').read()
    at = 12
    while b[at:at + 4] != b'data':
        at += 8 + struct.unpack_from('<I', b, at + 4)[0]
    n = struct.unpack_from('<I', b, at + 4)[0]
    return b[at + 8:at + 8 + n]
PY

# Port values in user units against the same settings as normalized values.
render() { # name, lv2apply controls, orv-host settings
    lv2apply -i "$tmp/burst.wav" -o "$tmp/$1-lv2.wav" $2 "$uri" >"$tmp/$1.out" 2>&1 ||
        { cat "$tmp/$1.out"; fail "$1: lv2apply"; }
    "$orvhost" render "$tmp/burst.wav" "$tmp/$1-vst.wav" $3 --tail 0 >"$tmp/$1.out" 2>&1 ||
        { cat "$tmp/$1.out"; fail "$1: orv-host render"; }
    /usr/bin/python3 - "$tmp/$1-lv2.wav" "$tmp/$1-vst.wav" <<PY || fail "$1: renders differ"
import struct, sys
sys.path.insert(0, '$tmp')
from samples import samples
a, b = samples(sys.argv[1]), samples(sys.argv[2])
assert len(a) == len(b) == 88200 * 8, (len(a), len(b))
assert a == b, 'first difference at frame %d' % (next(i for i in range(len(a)) if a[i] != b[i]) // 8)
# The strings ring on: the last half second is far from silent.
tail = struct.unpack('<%df' % (44100), a[-44100 * 4:])
assert (sum(x * x for x in tail) / len(tail)) ** 0.5 > 1e-3, 'silent after the burst'
PY
}
render wet "-c mix 100 -c decay 80" "--set Mix=1 --set Decay=0.8"
render all "-c output 0 -c mix 40 -c decay 80 -c damp 30 -c transpose -12 -c tune 25 -c detune 50" \
    "--set Output=0.5 --set Mix=0.4 --set Decay=0.8 --set Damp=0.3 --set Transpose=0.25 --set Tune=0.625 --set Detune=0.5"

echo "$failures failed"
[ $failures -eq 0 ]
