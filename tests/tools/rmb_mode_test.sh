#!/usr/bin/env bash
# tolvane-eval --rmb, run as users and scripts run it: each case gives the input (arguments or
# standard input), the exact standard output, the exit status and what standard error must
# contain.
set -u
EVAL="$1"
failures=0

# shellcheck source=expect.sh
source "$(dirname "$0")/expect.sh"

expect "the sum of a bill" 0 $'壹仟陆佰捌拾元零叁角贰分\n' "" "" --rmb "1000+680.32"
expect "each argument a line, as the sheet evaluates it" 0 \
    $'壹拾万柒仟元零伍角叁分\n负叁元贰角\n壹拾陆元整\n叁元零壹分\n陆元整\n' "" "" \
    --rmb "100000+7000.53" "-3.2" "（1+15）" "3.005" "a*b@@a=2,b=3"
expect "standard input, the old result replaced" 0 $'叁元整\n伍角\n零元整\n' "" \
    $'1+2=99\r\n1/2\n1/3*0\n' --rmb
expect "exponent results by their decimal value" 0 $'贰仟伍佰万亿元整\n零元整\n' "" "" \
    --rmb "2.5*10^15" "1.5/100000"
expect "a line without a number prints the sheet's line" 1 \
    $'5+=加法表达式错误\nabc=abc\n1E15=1E15\n==\n' "" $'5+\nabc\n1E15\n==\n' --rmb
expect "the error box goes to standard error" 1 $'foo(1)=\n' \
    "出错: 表达式输入错误或者超出计算范围！！" "" --rmb "foo(1)"
expect "a fault leaves the old result, which is no amount" 1 $'1/0=7\n' \
    "Floating point division by zero" "" --rmb "1/0=7"
expect "10^16 yuan and more have no uppercase form" 1 $'10^16=1E16\n' "超出人民币大写的书写范围" "" \
    --rmb "10^16"
expect "empty lines stay empty and do not count" 0 $'\n壹元整\n' "" $'\n1\n' --rmb
expect "--engine and --rmb exclude each other" 2 "" "exclude each other" "" --engine --rmb "1"
help=$("$EVAL" --help)
if [[ $? -ne 0 || "$help" != *"--rmb"*"壹仟陆佰捌拾元零叁角贰分"* ]]; then
    echo "FAIL: --help describes --rmb"
    failures=$((failures + 1))
fi

finish
