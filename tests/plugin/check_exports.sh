#!/bin/sh
# Passes when the library's dynamic symbol table defines exactly VSTPluginMain and main, at the
# same address.
set -eu
symbols=$(nm -D --defined-only "$1" | awk '{print $3}' | LC_ALL=C sort | paste -sd' ' -)
addresses=$(nm -D --defined-only "$1" | awk '{print $1}' | sort -u | wc -l)
echo "exported: $symbols (at $addresses address(es))"
[ "$symbols" = "VSTPluginMain main" ] && [ "$addresses" -eq 1 ]
