#!/usr/bin/env bash
# Fuzzes every reader of stored bytes (host chunk, preset and bank records, record files, the
# per-user settings values) with libFuzzer under the address and undefined-behaviour sanitizers.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# SECONDS per target (default 60); TARGETs among chunk, record, recordfile, settings (default
# all). Each target starts from the seed corpus in tests/fuzz/corpus/<target>/ plus what earlier
# runs found (build-fuzz/corpus/<target>/, never committed). An input that crashes a reader or
# breaks one of its checks is kept in build-fuzz/findings/<target>/ and makes the script fail;
# replay it with build-fuzz/tests/fuzz/orv_fuzz_<target> FILE.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
((${#targets[@]})) || targets=(chunk record recordfile settings)

"$root/scripts/build.sh" fuzz "${targets[@]/#/orv_fuzz_}"

# The file and settings targets write a file or two per input: keep them in memory when possible.
if [[ -d /dev/shm && -w /dev/shm ]]; then export TMPDIR=/dev/shm; fi
symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
export ASAN_OPTIONS="detect_leaks=1:external_symbolizer_path=$symbolizer"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:external_symbolizer_path=$symbolizer"
failed=0
for target in "${targets[@]}"; do
    corpus="$root/build-fuzz/corpus/$target"
    findings="$root/build-fuzz/findings/$target"
    mkdir -p "$corpus" "$findings"
    log="$root/build-fuzz/fuzz-$target.log"
    # New inputs go to the build tree's corpus; the committed seeds are only read.
    if "$root/build-fuzz/tests/fuzz/orv_fuzz_$target" "$corpus" "$root/tests/fuzz/corpus/$target" \
        -max_total_time="$seconds" -max_len=1024 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $target: ${runs:-?} inputs in ${seconds} s, no finding"
    else
        failed=1
        echo "fuzz $target: FINDING (inputs kept in $findings):"
        grep -E "ERROR|check failed|runtime error|SUMMARY" "$log" | head -5
    fi
done
exit $failed
