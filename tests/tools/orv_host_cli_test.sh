#!/bin/sh
# orv-host's command line as a user meets it: a working info listing, and one clear line on
# stderr with a non-zero exit for each kind of bad input.
#   orv_host_cli_test.sh ORV_HOST NULL_ENTRY_LIB NO_ENTRY_LIB
set -u
host=$1 null_entry=$2 no_entry=$3
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

echo "not a library" >"$tmp/text.so"
expect_failure "missing file" "No such file" "$host" info "$tmp/absent.so"
expect_failure "not a library" "cannot load plug-in" "$host" info "$tmp/text.so"
expect_failure "a folder" "not a regular file" "$host" info "$tmp"
expect_failure "no entry point" "exports neither VSTPluginMain nor main" "$host" info "$no_entry"
expect_failure "entry point returns null" "returned no effect" "$host" info "$null_entry"
expect_failure "unknown command" "unknown command" "$host" frobnicate
expect_failure "too many arguments" "at most one argument" "$host" info a b

echo "$failures failed"
[ $failures -eq 0 ]
