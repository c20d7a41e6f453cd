# The case runner of the tolvane-eval shell tests, sourced by them after they set EVAL (the
# program) and failures=0.

# expect NAME STATUS STDOUT STDERR-SUBSTRING STDIN ARGS...
expect() {
    local name="$1" want_status="$2" want_out="$3" want_err="$4" input="$5"
    shift 5
    local out err status err_file
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

# Ends the test: its status says whether every case passed.
finish() {
    if ((failures > 0)); then
        echo "$failures case(s) failed"
        exit 1
    fi
    echo "all cases passed"
}
