#!/usr/bin/env bash
# tolvane-eval in engine mode, run as users and scripts run it: each case
# gives the input (arguments or standard input), the exact standard output,
# the exit status and what standard error must contain.
set -u
EVAL="$1"
failures=0

# shellcheck source=expect.sh
source "$(dirname "$0")/expect.sh"

T=$'\t'
expect "arguments, all numbers" 0 $'3\n0.999999999999999\n5.71338395644586E262\n' "" "" \
    --engine "1+2" "1/3*3" "150!"
expect "a message after a TAB" 1 "error${T}除数不能为零!;"$'\n' "" "" --engine "1/0"
expect "a numeric fault prints the bare word" 1 $'error\n' "" "" --engine "10^308*10"
expect "a leading sign is an expression" 0 $'4\n5\n' "" "" --engine "-2^2" "--5"
expect "-- ends the options" 0 $'5\n' "" "" --engine -- "--5"
expect "standard input, CR before LF dropped" 1 \
    $'3\nerror\t表达式中尾字符有误！;\n3.14159265358979\n' "" $'1+2\r\n5+\npi' --engine
expect "an empty line prints error without failing" 0 $'error\n2\n' "" $'\n2\n' --engine
expect "a line of blanks is no empty line" 1 $'error\n2\n' "" $'  \n2\n' --engine
expect "a CR alone before the LF leaves an empty line" 0 $'error\n' "" $'\r\n' --engine
expect "a final LF starts no line" 0 $'2\n' "" $'2\n' --engine
expect "non-ASCII text" 1 "error${T}表达式中有无效字符;"$'\n' "" "" --engine "一+1"
expect "constants reset per line" 0 $'3.14159265358979\n3.14159265358979\n' "" $'pi\npi\n' --engine
expect "unknown option" 2 "" "usage: tolvane-eval" "" --frobnicate "1+2"
help=$("$EVAL" --help)
if [[ $? -ne 0 || "$help" != "usage: tolvane-eval"*"--engine"* ]]; then
    echo "FAIL: --help prints the usage and the options on stdout, status 0"
    failures=$((failures + 1))
fi
# Sheet mode (the default): each line as Enter leaves it on the sheet; the window's boxes go to
# standard error.
expect "sheet mode is the default" 1 \
    $'1+2=3\n5+=加法表达式错误\nabc=abc\n1+2=3\na*b@@a=2,b=3=6\n' "" \
    $'1+2\n5+\nabc\n1+2=99\na*b@@a=2,b=3\n'
expect "sheet mode, all numbers" 0 $'1 + 2=3\n2*-3=-6\n（1+2）*3=9\na+b@@a=1，b=2=3\n' "" "" \
    "1 + 2" "2*-3" "（1+2）*3" "a+b@@a=1，b=2=3"
expect "sheet mode, the error box" 1 $'foo(1)=\n' "出错: 表达式输入错误或者超出计算范围！！" "" "foo(1)"
expect "sheet mode, a division fault leaves the line" 1 $'1/0\n' \
    "Floating point division by zero" "" "1/0"
expect "sheet mode, a malformed number" 1 $'-1.2.3+1\n' \
    "'-1.2.3' is not a valid floating point value" "" -- "-1.2.3+1"
expect "sheet mode, empty lines" 0 $'\n7=7\n\n' "" $'\r\n7\r\n\n'
# A line of "=" signs (besides blanks and '#') is printed unchanged and gave no number.
for line in "=" "==" " # = " "=#="; do
    expect "sheet mode, \"$line\" alone" 1 "$line"$'\n' "" "$line"$'\n'
done
expect "sheet mode, a line of blanks" 1 $'  =  \n' "" $'  \n'

# Input is read in blocks: lines that straddle a block's end, and a line longer than a block.
many=$(printf '1+2\n%.0s' {1..30000})
expect "thousands of lines" 0 "$(printf '3\n%.0s' {1..30000})"$'\n' "" "$many" --engine
long="1$(printf '+1%.0s' {1..100000})"
expect "a line longer than a block" 0 $'100001\n' "" "$long"$'\n' --engine

# A line typed into a pipe that then waits is answered before the program waits for more: the
# second line is only sent once the first answer has come back (the read's time limit only
# keeps a broken program from hanging the test).
coproc EVAL_PROC { "$EVAL" 2>/dev/null; }
# Bash unsets the coprocess's variables once it has ended; keep its process and pipes.
eval_pid=$EVAL_PROC_PID
exec {to_eval}>&"${EVAL_PROC[1]}" {from_eval}<&"${EVAL_PROC[0]}"
exec {EVAL_PROC[1]}>&- {EVAL_PROC[0]}<&-
echo "6*7" >&"$to_eval"
IFS= read -r -t 20 first <&"$from_eval"
echo "1/0" >&"$to_eval"
IFS= read -r -t 20 second <&"$from_eval"
exec {to_eval}>&-
wait "$eval_pid"
status=$?
exec {from_eval}<&-
if [[ "$first" != "6*7=42" || "$second" != "1/0" || $status -ne 1 ]]; then
    echo "FAIL: interactive answers: got $(printf '%q' "$first"), $(printf '%q' "$second"), status $status"
    failures=$((failures + 1))
fi

finish
