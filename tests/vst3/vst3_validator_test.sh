#!/bin/sh
# The format's validator on the built bundle: the standard suite, then the extensive one with a
# fresh instance per test. Each must end with "0 tests failed".
#   vst3_validator_test.sh VALIDATOR BUNDLE
# Exits 77 (skipped) when the validator is not there (a clone without the shared tools).
validator="$1"
bundle="$2"
if [ ! -x "$validator" ]; then
    echo "SKIPPED: no validator at $validator"
    exit 77
fi
status=0
for options in "" "-e -l"; do
    # shellcheck disable=SC2086
    output="$(timeout 300 "$validator" $options "$bundle" 2>&1)"
    code=$?
    last="$(printf '%s\n' "$output" | grep 'tests passed' | tail -n 1)"
    echo "validator $options: exit $code, $last"
    if [ "$code" -ne 0 ] || ! printf '%s\n' "$last" | grep -q ', 0 tests failed'; then
        printf '%s\n' "$output" | grep -B 5 -E 'Failed|Error' | head -n 80
        status=1
    fi
done
exit $status
