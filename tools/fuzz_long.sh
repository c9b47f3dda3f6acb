#!/bin/sh
# Long fuzz runs of the readers, one target at a time, at low priority.
# Needs the fuzz build:  CXX=clang++ cmake -S . -B build-fuzz -DVORBIX_FUZZ=ON
#                        cmake --build build-fuzz
# Usage: tools/fuzz_long.sh [SECONDS_PER_TARGET] [TARGET...]
# With RUNS=N in the environment a target also stops after N executions.
# Each target starts from its kept corpus (tests/fuzz/NAME_corpus) and grows
# a working corpus in build-fuzz/fuzz-work/NAME; inputs that fail land in
# build-fuzz/fuzz-artifacts/ and belong in the kept corpus once mended.
# The summary of each run (executions, time, coverage, findings) is appended
# to build-fuzz/fuzz-summary.txt.
set -u
cd "$(dirname "$0")/.."
seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=${*:-"archive_read textformat config archive_write replay ilbm"}
build=build-fuzz
mkdir -p $build/fuzz-artifacts
for t in $targets; do
    program=$build/tests/${t}_fuzz
    [ -x "$program" ] || { echo "no $program: build it first" >&2; exit 1; }
    work=$build/fuzz-work/$t
    mkdir -p "$work"
    log=$build/fuzz-$t.log
    start=$(date +%s)
    nice -n 19 "$program" -max_total_time="$seconds" ${RUNS:+-runs=$RUNS} -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=$build/fuzz-artifacts/$t- "$work" tests/fuzz/${t}_corpus > "$log" 2>&1
    status=$?
    end=$(date +%s)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1)
    # Crashes, failed checks, leaks, timeouts and memory; a slow unit only
    # says that an input took long on a busy machine.
    findings=$(ls $build/fuzz-artifacts/ 2>/dev/null | grep -c "^$t-\(crash\|leak\|timeout\|oom\)")
    slow=$(ls $build/fuzz-artifacts/ 2>/dev/null | grep -c "^$t-slow-unit")
    printf '%s: %s executions in %d s, %s %s, status %d, %s findings, %s slow units\n' \
        "$t" "${runs:-?}" $((end - start)) "$cov" "$ft" $status "$findings" "$slow" | tee -a $build/fuzz-summary.txt
done
