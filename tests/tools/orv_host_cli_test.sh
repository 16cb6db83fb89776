#!/bin/sh
# orv-host's command line as a user meets it: a working info listing, and one clear line on
# stderr with a non-zero exit for each kind of bad input.
#   orv_host_cli_test.sh ORV_HOST NULL_ENTRY_LIB NO_ENTRY_LIB MAKE_TEST_AUDIO VERSION
set -u
host=$1 null_entry=$2 no_entry=$3 make_audio=$4 version=$5
failures=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

expect_failure() { # name, expected stderr fragment, command...
    name=$1 fragment=$2
    shift 2
    "$@" >"$tmp/out" 2>"$tmp/err"
    rc=$?
    lines=$(wc -l <"$tmp/err")
    if [ $rc -eq 0 ] || [ "$lines" -ne 1 ] || ! grep -q -- "$fragment" "$tmp/err"; then
        echo "FAIL $name: exit $rc, stderr:"; cat "$tmp/err"; failures=$((failures + 1))
    else
        echo "ok   $name: $(cat "$tmp/err")"
    fi
}

"$host" info >"$tmp/info" 2>"$tmp/err" || { echo "FAIL info on the built plug-in"; cat "$tmp/err"; failures=$((failures + 1)); }
for want in "'OrSy'" "Orv Sympharon - string rezonator plug-in" "HasEditor\|CanReplacing ProgramChunks" '"Almost reverb"'; do
    grep -q -- "$want" "$tmp/info" || { echo "FAIL info lacks $want"; failures=$((failures + 1)); }
done

[ "$("$host" --version)" = "orv-host $version" ] || { echo "FAIL --version: $("$host" --version)"; failures=$((failures + 1)); }

# Without a plug-in beside it, orv-host falls back to the user's ~/.vst/ copy.
mkdir -p "$tmp/bin" "$tmp/home/.vst"
cp "$host" "$tmp/bin/orv-host"
if [ ! -e /usr/lib/lxvst/OrvSympharon.so ]; then
    expect_failure "no plug-in anywhere" "none found at $tmp/bin/OrvSympharon.so, " \
        env HOME="$tmp/home" "$tmp/bin/orv-host" info
fi
cp "$(dirname "$host")/OrvSympharon.so" "$tmp/home/.vst/"
HOME="$tmp/home" "$tmp/bin/orv-host" info 2>&1 | grep -qx "Plug-in      $tmp/home/.vst/OrvSympharon.so" ||
    { echo "FAIL orv-host does not fall back to ~/.vst/"; failures=$((failures + 1)); }

echo "not a library" >"$tmp/text.so"
expect_failure "missing file" "No such file" "$host" info "$tmp/absent.so"
expect_failure "not a library" "cannot load plug-in" "$host" info "$tmp/text.so"
expect_failure "a folder" "not a regular file" "$host" info "$tmp"
expect_failure "no entry point" "exports neither VSTPluginMain nor main" "$host" info "$no_entry"
expect_failure "entry point returns null" "returned no effect" "$host" info "$null_entry"
expect_failure "unknown command" "unknown command" "$host" frobnicate
expect_failure "too many arguments" "at most one argument" "$host" info a b

# render and demo
"$make_audio" "$tmp/mono.wav" 1 22050 && "$make_audio" "$tmp/stereo.wav" 2 22050 &&
    "$make_audio" "$tmp/three.wav" 3 100 || { echo "FAIL making test audio"; failures=$((failures + 1)); }
check_ok() { # name, file that must exist, command...
    name=$1 file=$2
    shift 2
    if "$@" >"$tmp/out" 2>"$tmp/err" && [ -s "$file" ]; then echo "ok   $name"; else
        echo "FAIL $name"; cat "$tmp/err"; failures=$((failures + 1)); fi
}
check_ok "render mono" "$tmp/out-mono.wav" "$host" render "$tmp/mono.wav" "$tmp/out-mono.wav" --tail 0.5
check_ok "render stereo to flac with options" "$tmp/out.flac" "$host" render "$tmp/stereo.wav" "$tmp/out.flac" \
    --program "low & dark" --set Decay=0.9 --set " Mix "=1 --block 7 --tail 0
check_ok "render by program number" "$tmp/out2.wav" "$host" render "$tmp/stereo.wav" "$tmp/out2.wav" --program 4 --block 4096
check_ok "demo" "$tmp/demo.wav" "$host" demo "$tmp/demo.wav"
# The same render gives the same file, whenever it is made: no header field holds the time of
# writing (libsndfile's PEAK chunk would).
"$host" demo "$tmp/demo-again.wav" >/dev/null 2>&1
if cmp -s "$tmp/demo.wav" "$tmp/demo-again.wav" && ! head -c 512 "$tmp/demo.wav" | grep -q PEAK; then
    echo "ok   demo file reproducible"
else
    echo "FAIL demo file reproducible"; failures=$((failures + 1))
fi
expect_failure "unreadable input" "cannot read" "$host" render "$tmp/absent.wav" "$tmp/x.wav"
expect_failure "three channels" "3 channels" "$host" render "$tmp/three.wav" "$tmp/x.wav"
expect_failure "unknown parameter" "unknown parameter 'Volume'" "$host" render "$tmp/mono.wav" "$tmp/x.wav" --set Volume=0.5
expect_failure "unknown program" "unknown program 'Nope'" "$host" render "$tmp/mono.wav" "$tmp/x.wav" --program Nope
expect_failure "program number out of range" "unknown program '6'" "$host" render "$tmp/mono.wav" "$tmp/x.wav" --program 6
expect_failure "value above 1" "from 0 to 1" "$host" render "$tmp/mono.wav" "$tmp/x.wav" --set Mix=1.5
expect_failure "value not a number" "from 0 to 1" "$host" render "$tmp/mono.wav" "$tmp/x.wav" --set Mix=nan
expect_failure "unwritable output" "cannot write" "$host" render "$tmp/mono.wav" "$tmp/no/such/dir/x.wav"
expect_failure "unknown output format" "unknown output format" "$host" render "$tmp/mono.wav" "$tmp/x.xyz"
expect_failure "bad block size" "--block" "$host" render "$tmp/mono.wav" "$tmp/x.wav" --block 0
expect_failure "missing output" "needs an input and an output" "$host" render "$tmp/mono.wav"
expect_failure "demo without output" "needs one output" "$host" demo
expect_failure "demo to standard output" "demo writes a file" "$host" demo -
check_ok "shot" "$tmp/editor.png" "$host" shot "$tmp/editor.png" --program High --set Bypass=1 --about
expect_failure "shot to another format" "PNG" "$host" shot "$tmp/editor.jpg"
expect_failure "shot of another plug-in" "--plugin is for" "$host" shot "$tmp/x.png" --plugin "$null_entry"
expect_failure "shot to an unwritable place" "cannot write" "$host" shot "$tmp/no/such/dir/x.png"
check_ok "shot at twice the scale" "$tmp/editor-2x.png" "$host" shot "$tmp/editor-2x.png" --scale 2
# A PNG's size is in its header: bytes 16..23 hold width and height, big-endian.
size_2x=$(od -An -tu1 -j16 -N8 "$tmp/editor-2x.png" | tr -s ' ' | sed 's/^ //')
if [ "$size_2x" = "0 0 2 128 0 0 2 2" ]; then echo "ok   shot at twice the scale is 640 x 514"; else
    echo "FAIL shot at twice the scale is 640 x 514 (header bytes: $size_2x)"; failures=$((failures + 1)); fi
for bad in 0.5 4 x ""; do
    expect_failure "shot at scale '$bad'" "--scale" "$host" shot "$tmp/x.png" --scale "$bad"
done
expect_failure "shot without a scale factor" "--scale needs" "$host" shot "$tmp/x.png" --scale
# Input is read for what it holds, whatever its header claims: here a FLAC header raised to
# 2^36 frames.
cp "$tmp/out.flac" "$tmp/claims.flac"
byte=$(od -An -tu1 -j21 -N1 "$tmp/claims.flac" | tr -d ' ')
printf "$(printf '\\%03o' $((byte | 15)))\377\377\377\377" |
    dd of="$tmp/claims.flac" bs=1 seek=21 conv=notrunc 2>/dev/null
check_ok "input whose header claims too much" "$tmp/claimed.wav" "$host" render "$tmp/claims.flac" "$tmp/claimed.wav" --tail 0
# Beyond full scale: an integer format clips and says so.
"$make_audio" "$tmp/loud.wav" 2 4410 4
check_ok "loud render to flac" "$tmp/loud.flac" "$host" render "$tmp/loud.wav" "$tmp/loud.flac" --set Mix=0 --tail 0
grep -q "samples beyond full scale were clipped" "$tmp/err" || { echo "FAIL no word of clipping"; failures=$((failures + 1)); }
# An output that exists keeps its permission bits; a write-protected one is refused. Checked as an
# ordinary user, since root may write anywhere.
cp "$tmp/stereo.wav" "$tmp/private.wav" && chmod 600 "$tmp/private.wav"
check_ok "render over a private file" "$tmp/private.wav" "$host" render "$tmp/mono.wav" "$tmp/private.wav" --tail 0
[ "$(stat -c %a "$tmp/private.wav")" = 600 ] || { echo "FAIL the replaced file lost its permissions"; failures=$((failures + 1)); }
as_user=
[ "$(id -u)" -eq 0 ] && as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
mkdir "$tmp/shared" && chmod 777 "$tmp/shared" && chmod 711 "$tmp"
cp "$tmp/stereo.wav" "$tmp/shared/locked.wav" && chmod 444 "$tmp/shared/locked.wav"
if $as_user "$host" --version >/dev/null 2>&1; then
    expect_failure "write-protected output" "Permission denied" \
        env XDG_CONFIG_HOME="$tmp/shared/config" $as_user "$host" render "$tmp/mono.wav" "$tmp/shared/locked.wav"
    cmp -s "$tmp/stereo.wav" "$tmp/shared/locked.wav" || { echo "FAIL a write-protected output was replaced"; failures=$((failures + 1)); }
fi
# A render into its own input replaces it with a whole file; a render stopped half-way leaves its
# target as it was and nothing else behind.
cp "$tmp/stereo.wav" "$tmp/self.wav"
check_ok "render into its input" "$tmp/self.wav" "$host" render "$tmp/self.wav" "$tmp/self.wav" --tail 0.5
"$host" render "$tmp/self.wav" "$tmp/self-again.wav" --tail 0 >/dev/null 2>&1 ||
    { echo "FAIL the rendered input is not a readable audio file"; failures=$((failures + 1)); }
cp "$tmp/stereo.wav" "$tmp/kept.wav"
"$host" render "$tmp/mono.wav" "$tmp/kept.wav" --tail 3600 >/dev/null 2>&1 &
render=$!
for _ in $(seq 100); do ls -A "$tmp" | grep -q partial && break; sleep 0.05; done
kill -TERM $render
wait $render
if cmp -s "$tmp/stereo.wav" "$tmp/kept.wav"; then echo "ok   stopped render keeps its target"; else
    echo "FAIL a stopped render changed its target"; failures=$((failures + 1)); fi
[ -e "$tmp/x.wav" ] && { echo "FAIL a failed render left x.wav behind"; failures=$((failures + 1)); }
leftovers=$(ls -A "$tmp" | grep partial || true)
[ -n "$leftovers" ] && { echo "FAIL temporary files left: $leftovers"; failures=$((failures + 1)); }

# Targets that are not regular files are refused and stay exactly what they were; nothing is
# opened, so a FIFO without a reader cannot hang the render.
checks="$(dirname "$0")/render_checks.py"
mkdir "$tmp/targets" "$tmp/targets/folder" && mkfifo "$tmp/targets/fifo"
python3 -c "import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])" "$tmp/targets/socket"
kinds="fifo:fifo folder:directory socket:socket"
if mknod "$tmp/targets/null" c 1 3 2>/dev/null; then kinds="$kinds null:character"; else
    echo "skip device-node output: mknod needs root"; fi
for pair in $kinds; do
    node="$tmp/targets/${pair%%:*}" kind=${pair#*:}
    before=$(stat -c '%F %t:%T %a' "$node")
    expect_failure "output is a $kind" "not a regular file" timeout 10 "$host" render "$tmp/mono.wav" "$node"
    [ "$(stat -c '%F %t:%T %a' "$node")" = "$before" ] || {
        echo "FAIL the $kind output changed: $(stat -c '%F %t:%T %a' "$node")"; failures=$((failures + 1)); }
    echo "$before" | grep -q "$kind" || { echo "FAIL $node is not a $kind: $before"; failures=$((failures + 1)); }
done
[ -z "$(ls -A "$tmp/targets" | grep partial)" ] || { echo "FAIL temporary files left beside the targets"; failures=$((failures + 1)); }

# Whatever stands under the temporary name beforehand is not written through: a link planted
# there (exec keeps the shell's process id, which the name holds) leaves its target alone.
echo "keep me" >"$tmp/victim"
sh -c 'ln -s "$1" "$2/.planted.wav.partial-$$" && exec "$3" render "$4" "$2/planted.wav" --tail 0' - \
    "$tmp/victim" "$tmp" "$host" "$tmp/mono.wav" 2>"$tmp/err"
if [ "$(cat "$tmp/victim")" = "keep me" ] && [ -f "$tmp/planted.wav" ] && [ ! -L "$tmp/planted.wav" ]; then
    echo "ok   a link at the temporary name is not followed"; else
    echo "FAIL a link at the temporary name was followed"; cat "$tmp/err"; failures=$((failures + 1)); fi

# Sample rates out of range, written into the WAV header (bytes 24 to 27), are refused at once.
set_rate() { # file, rate as four octal-escaped little-endian bytes
    cp "$tmp/stereo.wav" "$1" && printf "$2" | dd of="$1" bs=1 seek=24 conv=notrunc 2>/dev/null
}
set_rate "$tmp/rate-huge.wav" '\377\377\377\177'
set_rate "$tmp/rate-low.wav" '\077\037\000\000'
set_rate "$tmp/rate-none.wav" '\000\000\000\000'
set_rate "$tmp/rate-8k.wav" '\100\037\000\000'
set_rate "$tmp/rate-700k.wav" '\140\256\012\000'
started=$(date +%s%N)
expect_failure "absurd rate" "rate 2147483647 Hz in '$tmp/rate-huge.wav' is not supported (orv-host takes 8000 to 768000 Hz)" \
    "$host" render "$tmp/rate-huge.wav" "$tmp/rate.wav"
[ $(( ($(date +%s%N) - started) / 1000000 )) -lt 1000 ] || { echo "FAIL refusing an absurd rate took a second or more"; failures=$((failures + 1)); }
expect_failure "rate below 8 kHz" "rate 7999 Hz" "$host" render "$tmp/rate-low.wav" "$tmp/rate.wav"
expect_failure "no rate" "no sample rate" "$host" render "$tmp/rate-none.wav" "$tmp/rate.wav"
check_ok "rate of 8 kHz" "$tmp/rate-8k.wav.out.wav" "$host" render "$tmp/rate-8k.wav" "$tmp/rate-8k.wav.out.wav" --tail 0
expect_failure "tail beyond an hour" "--tail takes seconds from 0 to 3600" "$host" render "$tmp/mono.wav" "$tmp/rate.wav" --tail 3601
# Formats whose encoder refuses the rate fail with our words and leave no file at all.
for ext in flac ogg; do
    expect_failure "$ext refuses 700 kHz" "the $ext format does not take 2 channels at 700000 Hz" \
        "$host" render "$tmp/rate-700k.wav" "$tmp/rate.$ext"
done
expect_failure "not audio" "not an audio file orv-host can read" "$host" render "$checks" "$tmp/rate.wav"
[ -z "$(ls -A "$tmp" | grep -e '^rate\.' -e partial)" ] || { echo "FAIL refused renders left files: $(ls -A "$tmp" | grep -e '^rate\.' -e partial)"; failures=$((failures + 1)); }

# Both ends of a pipeline: what comes through a pipe equals what the files give.
"$host" render "$tmp/stereo.wav" "$tmp/file.raw" --tail 0.5 --format raw &&
    "$host" render - "$tmp/stdin.raw" --tail 0.5 <"$tmp/stereo.wav" &&
    "$host" render "$tmp/stereo.wav" - --tail 0.5 --format raw >"$tmp/stdout.raw" &&
    cmp -s "$tmp/file.raw" "$tmp/stdin.raw" && cmp -s "$tmp/file.raw" "$tmp/stdout.raw" &&
    [ "$(stat -c %s "$tmp/file.raw")" -eq $(( (22050 + 22050) * 8 )) ] &&
    echo "ok   standard input and output carry the same audio as files" ||
    { echo "FAIL pipes and files differ"; failures=$((failures + 1)); }
"$host" render "$tmp/stereo.wav" - --tail 0.5 | "$host" render - - --tail 0.5 --format raw | cat >"$tmp/chain.raw"
[ "$(stat -c %s "$tmp/chain.raw")" -eq $(( (22050 + 2 * 22050) * 8 )) ] && echo "ok   orv-host | orv-host" ||
    { echo "FAIL a chain of two renders gives $(stat -c %s "$tmp/chain.raw") bytes"; failures=$((failures + 1)); }
expect_failure "WAV onto standard output" "use --format flac, ogg, au or raw" "$host" render "$tmp/mono.wav" - --format wav

# Memory stays bounded on a long input (ten minutes of 48 kHz stereo would take 230 MB held
# whole). Sanitizers make it slow and add memory of their own: there a short run, unmeasured.
long=600 medium=300 limit=64
[ "${ORV_SANITIZED:-0}" = 1 ] && long=30 medium=20 limit=100000
python3 "$checks" sparse-wav "$tmp/long.wav" $long &&
    python3 "$checks" peak-memory $limit "$host" render "$tmp/long.wav" "$tmp/long-out.wav" --tail 0 ||
    failures=$((failures + 1))
[ "$(stat -c %s "$tmp/long-out.wav")" -ge $(( long * 48000 * 8 )) ] || { echo "FAIL the long render is short"; failures=$((failures + 1)); }
rm -f "$tmp/long-out.wav"

# Progress: on a terminal a line with elapsed time and speed, redrawn at most ten times a second,
# ending with a newline; nothing with --quiet, nothing on a pipe (the renders above wrote nothing
# to a non-terminal stderr), and no audio onto a terminal.
python3 "$checks" sparse-wav "$tmp/medium.wav" $medium &&
    python3 "$checks" terminal progress "$host" render "$tmp/medium.wav" "$tmp/medium-out.wav" &&
    python3 "$checks" terminal quiet "$host" render "$tmp/mono.wav" "$tmp/quiet.wav" --quiet &&
    python3 "$checks" terminal refused "$host" render "$tmp/mono.wav" - ||
    failures=$((failures + 1))
"$host" render "$tmp/medium.wav" "$tmp/medium-out.wav" 2>"$tmp/err" && [ ! -s "$tmp/err" ] ||
    { echo "FAIL a render with stderr on a file wrote: $(cat "$tmp/err")"; failures=$((failures + 1)); }
rm -f "$tmp/medium-out.wav" "$tmp/long.wav" "$tmp/medium.wav"

echo "$failures failed"
[ $failures -eq 0 ]
