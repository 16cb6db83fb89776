#!/bin/sh
# Ardour meets the built LV2 bundle through its own discovery (LV2_PATH): a session with the
# plug-in on a track, a parameter set, saved; the program store it saved edited (program 3
# current and renamed) as if a user had done that in the editor; the session loaded again in a
# new process and saved after one more change. The second save must still hold the edited
# store, so Ardour handed the saved state back to the plug-in.
#   ardour_session_test.sh ARDOUR_LUA BUNDLE
set -u
lua=$1 bundle=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/lv2"
ln -s "$bundle" "$tmp/lv2/OrvSympharon.lv2"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" LV2_PATH="$tmp/lv2:/usr/lib/lv2"
uri=https://www.orvatone.com/lv2/OrvSympharon
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

cat >"$tmp/create.lua" <<LUA
io.stdout:setvbuf("no")
AudioEngine:set_backend("None (Dummy)", "", "")
create_session("$tmp/session", "session", 48000)
local tracks = Session:new_audio_track(2, 2, nil, 1, "T", ARDOUR.PresentationInfo.max_order,
                                       ARDOUR.TrackMode.Normal, true)
local p = ARDOUR.LuaAPI.new_plugin(Session, "$uri", ARDOUR.PluginType.LV2, "")
if p:isnil() then print("no plugin") return end
tracks:front():add_processor_by_index(p, 0, nil, true)
ARDOUR.LuaAPI.set_processor_param(p, 2, 80)
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
    ARDOUR.LuaAPI.set_processor_param(p, 1, 40)
  end
end
ARDOUR.LuaAPI.usleep(300000)
Session:save_state("", false, false, false, false, false)
close_session()
print("reloaded")
LUA

timeout 120 "$lua" "$tmp/create.lua" >"$tmp/create.out" 2>&1
grep -q '^created' "$tmp/create.out" || { cat "$tmp/create.out"; fail "session with the plug-in not created"; }
first=$(ls "$tmp"/session/plugins/*/state*/state.ttl 2>/dev/null | head -n 1)
[ -n "$first" ] || fail "no LV2 state saved"

# The saved program store: Decay 80 % reached program 0; then program 3 made current and renamed.
/usr/bin/python3 - "$first" <<'PY' || fail "saved state not as expected"
import base64, re, struct, sys
path = sys.argv[1]
text = open(path).read()
m = re.search(r'#programStore>\s*"""(.*?)"""', text, re.S)
store = bytearray(base64.b64decode(m.group(1)))
assert len(store) == 368, len(store)
assert struct.unpack_from('<f', store, 32 + 24 + 8)[0] == struct.unpack('<f', struct.pack('<f', 0.8))[0]
struct.pack_into('<i', store, 12, 3)
store[32 + 56 * 3:32 + 56 * 4 - 32] = b'Kept name'.ljust(24, b'\0')
open(path, 'w').write(text[:m.start(1)] + base64.b64encode(bytes(store)).decode() + text[m.end(1):])
PY

timeout 120 "$lua" "$tmp/reload.lua" >"$tmp/reload.out" 2>&1
grep -q '^loaded Orv Sympharon' "$tmp/reload.out" || { cat "$tmp/reload.out"; fail "plug-in not loaded with the session"; }
last=$(ls -t "$tmp"/session/plugins/*/state*/state.ttl 2>/dev/null | head -n 1)
[ "$last" != "$first" ] || fail "no new state saved after the change"
/usr/bin/python3 - "$last" <<'PY' || fail "restored state lost"
import base64, re, struct, sys
text = open(sys.argv[1]).read()
store = base64.b64decode(re.search(r'#programStore>\s*"""(.*?)"""', text, re.S).group(1))
assert struct.unpack_from('<i', store, 12)[0] == 3, "current program"
assert store[32 + 56 * 3:32 + 56 * 3 + 9] == b'Kept name', "program name"
mix = struct.unpack('<f', struct.pack('<f', 0.4))[0]
assert all(struct.unpack_from('<f', store, 32 + 56 * p + 24 + 4)[0] == mix for p in range(6)), "mix"
PY
echo "$failures failed"
[ $failures -eq 0 ]
