#!/usr/bin/env bash
# tolvane-eval in engine mode, run as users and scripts run it: each case
# gives the input (arguments or standard input), the exact standard output,
# the exit status and what standard error must contain.
set -u
EVAL="$1"
failures=0

# expect NAME STATUS STDOUT STDERR-SUBSTRING STDIN ARGS...
expect() {
    local name="$1" want_status="$2" want_out="$3" want_err="$4" input="$5"
    shift 5
    local out err status
    err_file=$(mktemp)
    out=$(printf '%s' "$input" | "$EVAL" "$@" 2>"$err_file"; echo "status=$?")
    status="${out##*status=}"
    out="${out%status=*}"
    err=$(cat "$err_file")
    rm -f "$err_file"
    if [[ "$status" != "$want_status" || "$out" != "$want_out" || "$err" != *"$want_err"* ]]; then
        echo "FAIL: $name"
        echo "  status: got $status, want $want_status"
        echo "  stdout: got $(printf '%q' "$out")"
        echo "          want $(printf '%q' "$want_out")"
        echo "  stderr: got $(printf '%q' "$err"), want it to contain $(printf '%q' "$want_err")"
        failures=$((failures + 1))
    fi
}

T=$'\t'
expect "arguments, all numbers" 0 $'3\n0.999999999999999\n5.71338395644586E262\n' "" "" \
    --engine "1+2" "1/3*3" "150!"
expect "a message after a TAB" 1 "error${T}除数不能为零!;"$'\n' "" "" --engine "1/0"
expect "a numeric fault prints the bare word" 1 $'error\n' "" "" --engine "10^308*10"
expect "a leading sign is an expression" 0 $'4\n5\n' "" "" --engine "-2^2" "--5"
expect "-- ends the options" 0 $'5\n' "" "" --engine -- "--5"
expect "standard input, CR before LF dropped" 1 \
    $'3\nerror\t表达式中尾字符有误！;\n3.14159265358979\n' "" $'1+2\r\n5+\npi' --engine
expect "empty lines print error without failing" 0 $'error\n2\nerror\n' "" $'\n2\n  \n' --engine
expect "a final LF starts no line" 0 $'2\n' "" $'2\n' --engine
expect "non-ASCII text" 1 "error${T}表达式中有无效字符;"$'\n' "" "" --engine "一+1"
expect "constants reset per line" 0 $'3.14159265358979\n3.14159265358979\n' "" $'pi\npi\n' --engine
expect "unknown option" 2 "" "usage: tolvane-eval" "" --frobnicate "1+2"
help=$("$EVAL" --help)
if [[ $? -ne 0 || "$help" != "usage: tolvane-eval"*"--engine"* ]]; then
    echo "FAIL: --help prints the usage and the options on stdout, status 0"
    failures=$((failures + 1))
fi
expect "sheet mode is the default" 2 "" "sheet mode" $'1+2\n'

if ((failures > 0)); then
    echo "$failures case(s) failed"
    exit 1
fi
echo "all cases passed"
