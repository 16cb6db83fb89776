#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in, its LV2 bundle and orv-host, and
# shows what a host sees when it loads the plug-in.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" release orv-host OrvSympharon OrvSympharon_lv2
"$root/build/orv-host" info "$root/build/OrvSympharon.so"
"$root/build/orv-host" demo "$root/build/demo.wav"
