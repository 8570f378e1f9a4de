#!/usr/bin/env bash
# Runs every fuzz target for FUZZ_SECONDS seconds (60 unless set), one after
# the other, starting from the checked-in seeds in fuzz/corpus/<target>/ and
# growing a working corpus in build/fuzz/corpus/<target>/ (the seeds stay as
# they are). Stops at the first target that finds a failing input; libFuzzer
# leaves it in build/fuzz/findings/. Prints each target's executions and
# coverage.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
targets="fuzz_profile_reader fuzz_side_files fuzz_expand_line_breaks fuzz_manual_script"
mkdir -p build/fuzz/findings
for target in $targets; do
    work="build/fuzz/corpus/$target"
    log="build/fuzz/$target.log"
    mkdir -p "$work"
    if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix=build/fuzz/findings/ "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz: $target failed; the input is in build/fuzz/findings/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
    cov=$(sed -E 's/.*cov: ([0-9]+).*/\1/' <<<"$done_line")
    ft=$(sed -E 's/.*ft: ([0-9]+).*/\1/' <<<"$done_line")
    printf 'fuzz: %-24s %8s runs in %ss, cov %s, ft %s\n' "$target" "$runs" "$seconds" "$cov" "$ft"
done
