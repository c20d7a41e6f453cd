#!/usr/bin/env bash
# tolvane-eval reads standard input as the window opens a file: the window's own encoding
# fixtures (tests/encodings, one sheet in every encoding) give the answers the UTF-8 sheet gives,
# a byte-order mark is no text, and GB18030 is read line by line as the lines arrive.
set -u
EVAL="$1"
FIXTURES="$2"
failures=0

# shellcheck source=expect.sh
source "$(dirname "$0")/expect.sh"

# run FILE: stdout, stderr and status of tolvane-eval reading FILE, one text.
run() {
    local err_file out status
    err_file=$(mktemp)
    out=$("$EVAL" <"$1" 2>"$err_file")
    status=$?
    printf '%s\n--- stderr\n%s\n--- status %s' "$out" "$(cat "$err_file")" "$status"
    rm -f "$err_file"
}

sheet=$(run "$FIXTURES/sheet.txt")
want_sheet=$'房租 3500*12=乘法表达式错误\n（1+2）*3=9\n合计：sum(3500,1200,800)=\n𠀀+1=加法表达式错误\n1+2=3'
if [[ "$sheet" != "$want_sheet"$'\n--- stderr\n出错: '*$'\n--- status 1' ]]; then
    echo "FAIL: the UTF-8 sheet: $(printf '%q' "$sheet")"
    failures=$((failures + 1))
fi
for fixture in "$FIXTURES"/*.txt; do
    got=$(run "$fixture")
    if [[ "$got" != "$sheet" ]]; then
        echo "FAIL: $(basename "$fixture") is answered unlike the UTF-8 sheet:"
        echo "  got  $(printf '%q' "$got")"
        echo "  want $(printf '%q' "$sheet")"
        failures=$((failures + 1))
    fi
done

expect "a UTF-8 mark is no text" 0 $'1+2=3\n' "" $'\xEF\xBB\xBF1+2'
expect "GBK from Chinese Windows, CR LF" 1 $'房租=房租\n合计 3500*12=乘法表达式错误\n' "" \
    $'\xB7\xBF\xD7\xE2=3500\r\n\xBA\xCF\xBC\xC6 3500*12\r\n'
expect "GB18030 mixed with UTF-8, line by line" 1 $'你=你\n你=你\n' "" $'\xC4\xE3=1\n\xE4\xBD\xA0=1\n'
expect "arguments stay as they are" 1 $'\xEF\xBB\xBF1+2=加法表达式错误\n' "" "" $'\xEF\xBB\xBF1+2'

# A GB18030 line is answered before the next is sent: the first line decides GB18030 for the
# second, 元 alone, whose two bytes would be UTF-8 too.
coproc EVAL_PROC { "$EVAL" 2>/dev/null; }
eval_pid=$EVAL_PROC_PID
exec {to_eval}>&"${EVAL_PROC[1]}" {from_eval}<&"${EVAL_PROC[0]}"
exec {EVAL_PROC[1]}>&- {EVAL_PROC[0]}<&-
printf '\xBA\xCF\xBC\xC6 6*7\n' >&"$to_eval"
IFS= read -r -t 20 first <&"$from_eval"
printf '6*7 \xD4\xAA\n' >&"$to_eval"
IFS= read -r -t 20 second <&"$from_eval"
exec {to_eval}>&-
wait "$eval_pid"
exec {from_eval}<&-
if [[ "$first" != "合计 6*7=乘法表达式错误" || "$second" != "6*7 元=乘法表达式错误" ]]; then
    echo "FAIL: GB18030 answered line by line: got $(printf '%q' "$first"), $(printf '%q' "$second")"
    failures=$((failures + 1))
fi

finish
