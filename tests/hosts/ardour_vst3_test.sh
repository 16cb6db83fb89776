#!/bin/sh
# Ardour meets the built VST3 bundle: its VST3 scanner indexes the bundle (as Ardour does before
# offering a plug-in), then a session with the plug-in on a track: one of the programs loaded as a
# preset, two values set, saved, and loaded again in a new process. The reloaded plug-in must
# hold the preset's values and the two set after it, so Ardour handed the saved state back.
#   ardour_vst3_test.sh SCANNER ARDOUR_LUA BUNDLE
set -u
scanner=$1 lua=$2 bundle=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home/.vst3"
cp -r "$bundle" "$tmp/home/.vst3/OrvSympharon.vst3"
# Ardour takes a cached scan only when it is newer than the plug-in: a copy made in the same
# second as the scan would be rescanned, which a session tool does not do.
find "$tmp/home/.vst3" -exec touch -d '1 minute ago' {} +
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

LD_LIBRARY_PATH="$(dirname "$scanner")" timeout 120 "$scanner" -f -v \
    "$tmp/home/.vst3/OrvSympharon.vst3" >"$tmp/scan.out" 2>&1 || fail "scanner exit $?"
cat "$tmp/scan.out"
for want in 'uid="EA53F790AF4447839534567C888F1D6E"' 'name="Orv Sympharon"' \
    'vendor="www.orvatone.com"' 'category="Fx|Reverb|Stereo"' 'n_inputs="2"' 'n_outputs="2"' \
    'n_midi_inputs="0"'; do
    grep -q -- "$want" "$tmp/scan.out" || fail "scanner did not report $want"
done

# Values are in the units Ardour shows: percent, semitones.
cat >"$tmp/create.lua" <<LUA
io.stdout:setvbuf("no")
AudioEngine:set_backend("None (Dummy)", "", "")
create_session("$tmp/session", "session", 48000)
local tracks = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true)
local p = ARDOUR.LuaAPI.new_plugin(Session, "Orv Sympharon", ARDOUR.PluginType.VST3, "")
if p:isnil() then print("no plugin") return end
tracks:front():add_processor_by_index(p, 0, nil, true)
local plug = p:to_insert():plugin(0)
for j = 0, plug:parameter_count() - 1 do
  if plug:parameter_is_control(j) then print("parameter " .. plug:parameter_label(j)) end
end
local preset = plug:preset_by_label("Almost reverb")
if preset and plug:load_preset(preset) then print("preset loaded") end
ARDOUR.LuaAPI.set_processor_param(p, 1, 40)
ARDOUR.LuaAPI.set_processor_param(p, 3, 66)
ARDOUR.LuaAPI.usleep(300000)
Session:save_state("", false, false, false, false, false)
close_session()
print("created")
LUA
cat >"$tmp/reload.lua" <<LUA
io.stdout:setvbuf("no")
AudioEngine:set_backend("None (Dummy)", "", "")
load_session("$tmp/session", "session")
for r in Session:get_routes():iter() do
  local p = r:nth_plugin(0)
  if not p:isnil() then
    print("loaded " .. p:display_name())
    for j = 0, 7 do print(string.format("value %d %.2f", j, ARDOUR.LuaAPI.get_processor_param(p, j))) end
  end
end
close_session()
print("reloaded")
LUA

timeout 120 "$lua" "$tmp/create.lua" >"$tmp/create.out" 2>&1
cat "$tmp/create.out"
grep -q '^created' "$tmp/create.out" || fail "session with the plug-in not created"
grep -q '^preset loaded' "$tmp/create.out" || fail "program 'Almost reverb' not offered as a preset"
[ "$(grep -c '^parameter ' "$tmp/create.out")" -eq 8 ] || fail "not the eight parameters"
for name in Output Mix Decay Damp Transpose Tune Detune Bypass; do
    grep -q "^parameter $name\$" "$tmp/create.out" || fail "no parameter $name"
done

timeout 120 "$lua" "$tmp/reload.lua" >"$tmp/reload.out" 2>&1
cat "$tmp/reload.out"
grep -q '^loaded Orv Sympharon' "$tmp/reload.out" || fail "plug-in not loaded with the session"
# Output 0 dB, Mix 40 %, Decay 75 % (the preset), Damp 66 %, Transpose -24 (the preset).
for want in 'value 0 0.00' 'value 1 40.00' 'value 2 75.00' 'value 3 66.00' 'value 4 -24.00'; do
    grep -q "^$want\$" "$tmp/reload.out" || fail "reloaded session lacks '$want'"
done
echo "$failures failed"
[ $failures -eq 0 ]
