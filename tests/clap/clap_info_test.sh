#!/bin/sh
# clap-info (a CLAP inspection tool from ../shared/tools) loads the built plug-in as a host does
# and reports its descriptor and extensions as JSON; they must be what we declare.
#   clap_info_test.sh TOOL PLUGIN.clap VERSION
# Exits 77 (skipped) when the tool is not there: a clone without ../shared has none.
tool="$1" plugin="$2" version="$3"
if [ ! -x "$tool" ]; then
    echo "SKIP: $tool not found"
    exit 77
fi
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
timeout 120 "$tool" "$plugin" >"$out" || { echo "FAIL: $tool could not load $plugin"; exit 1; }
exec /usr/bin/python3 - "$out" "$version" <<'PY'
import json, sys
report = json.load(open(sys.argv[1]))
version = sys.argv[2]
faults = []
def expect(what, got, want):
    if got != want:
        faults.append("%s: %r, expected %r" % (what, got, want))
expect("clap version", report.get("clap-version"), "1.2.10")
expect("plug-in count", report.get("plugin_count"), 1)
plugin = report["plugins"][0]
d = plugin["descriptor"]
expect("id", d.get("id"), "com.orvatone.orv-sympharon")
expect("name", d.get("name"), "Orv Sympharon")
expect("vendor", d.get("vendor"), "www.orvatone.com")
expect("version", d.get("version"), version)
for feature in ("audio-effect", "stereo", "reverb"):
    if feature not in d.get("features", []):
        faults.append("feature %s missing" % feature)
ext = plugin["extensions"]
for name in ("clap.audio-ports", "clap.params", "clap.state", "clap.latency", "clap.tail",
             "clap.gui", "clap.timer-support", "clap.posix-fd-support", "clap.render"):
    if not ext.get(name, {}).get("implemented"):
        faults.append("%s not implemented" % name)
ports = ext["clap.audio-ports"]
for side in ("input", "output"):
    expect(side + " port count", ports.get(side + "-port-count"), 1)
    p = ports[side + "-ports"][0]
    expect(side + " channels", p.get("channel-count"), 2)
    expect(side + " port type", p.get("port-type"), "stereo")
    if "CLAP_AUDIO_PORT_IS_MAIN" not in p.get("flags", {}).get("fields", []):
        faults.append(side + " port not main")
params = ext["clap.params"]
expect("parameter count", params.get("param-count"), 8)
names = [p.get("name") for p in params.get("param-info", [])]
expect("parameter names", names,
       ["Output", "Mix", "Decay", "Damp", "Transpose", "Tune", "Detune", "Bypass"])
for p in params.get("param-info", []):
    if "auto" not in p.get("flags", []):
        faults.append("%s not automatable" % p.get("name"))
    stepped = "stepped" in p.get("flags", [])
    if stepped != (p.get("name") in ("Transpose", "Bypass")):
        faults.append("%s stepped: %s" % (p.get("name"), stepped))
expect("state bytes", ext["clap.state"].get("bytes-written"), 368)
expect("latency", ext["clap.latency"].get("latency"), 0)
expect("gui api", ext["clap.gui"].get("api_supported"), ["x11"])
for fault in faults:
    print("FAIL:", fault)
print("%d fault(s)" % len(faults))
sys.exit(1 if faults else 0)
PY
