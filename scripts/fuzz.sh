#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   scripts/fuzz.sh                 60 s per target
#   scripts/fuzz.sh --seconds 5     a smoke pass (what `make test` runs)
#   scripts/fuzz.sh --seconds 3600 evaluate   one target for an hour
# The growing corpus lives in build-fuzz/corpus/<target>; the shipped seeds in
# tests/fuzz/seeds are read but never written. A crash leaves its input in
# build-fuzz/artifacts and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
        *) targets+=("$1"); shift ;;
    esac
done
[ ${#targets[@]} -gt 0 ] || targets=(evaluate check arguments number_text line_logic text_decoder references)

build=build-fuzz
# TOLVANE_WERROR=ON (the Makefile sets it in CI) makes a warning of clang's fail the build too.
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_FUZZ=ON \
    -DTOLVANE_WERROR="${TOLVANE_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]/%/_fuzz}"

mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus"
    log="$build/$t.log"
    echo "fuzz: $t for ${seconds}s"
    if ! "$build/tests/fuzz/${t}_fuzz" "$corpus" tests/fuzz/seeds \
            -dict=tests/fuzz/tolvane.dict -max_total_time="$seconds" -max_len=4096 \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$build/artifacts/${t}-" >"$log" 2>&1; then
        echo "fuzz: $t FAILED; see $log" >&2
        tail -n 30 "$log" >&2
        status=1
        continue
    fi
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    speed=$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}')
    files=$(find "$corpus" -type f | wc -l)
    echo "fuzz: $t ok: ${runs:-?} runs, ${speed:-?} exec/s, corpus $files files"
done
exit $status
