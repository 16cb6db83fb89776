#!/bin/sh
# A real host's plug-in scanner meets the built plug-in: Ardour's VST2 scanner loads it in its
# own process, as Ardour does before offering a plug-in, and writes what it found.
#   ardour_scan_test.sh SCANNER PLUGIN
set -u
scanner=$1 plugin=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$plugin" "$tmp/OrvSympharon.so"
# The scanner's own libraries live beside it; its cache and settings go into the temporary folder.
LD_LIBRARY_PATH="$(dirname "$scanner")" HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" \
    XDG_CACHE_HOME="$tmp/cache" timeout 120 "$scanner" -f -v "$tmp/OrvSympharon.so" >"$tmp/out" 2>&1
rc=$?
cat "$tmp/out"
failures=0
[ $rc -eq 0 ] || { echo "FAIL scanner exit $rc"; failures=$((failures + 1)); }
for want in 'name="Orv Sympharon"' 'creator="www.orvatone.com"' 'category="RoomFx"' \
    'n_inputs="2"' 'n_outputs="2"' 'is_instrument="0"' 'can_process_replace="1"' 'has_editor="1"' \
    "id=\"$((0x4F725379))\""; do
    grep -q -- "$want" "$tmp/out" || { echo "FAIL scanner did not report $want"; failures=$((failures + 1)); }
done
echo "$failures failed"
[ $failures -eq 0 ]
