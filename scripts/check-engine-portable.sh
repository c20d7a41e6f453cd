#!/usr/bin/env bash
# Fails when a file of engine/ (its numeric layer included) other than engine/numeric/numeric.h
# and engine/numeric/numeric.cpp touches the hardware's floating point directly: long double and
# its literals, the C floating-point environment, inline assembly, compiler extension types, or
# the C library's transcendental functions (whose digits differ between C libraries, on doubles
# as much as on long doubles). Those belong to the Extended interface, which gives the same bits
# on every machine; the rest of the engine and of the numeric layer goes through it. Matching
# lines are printed. CTest runs this as engine_is_portable.
#   scripts/check-engine-portable.sh [ENGINE_DIR]
set -euo pipefail
engine="${1:-$(cd "$(dirname "$0")/.." && pwd)/engine}"
engine="${engine%/}"

patterns=(
    'long[[:space:]]+double'
    '[0-9]\.[0-9]*([eE][-+]?[0-9]+)?[lL]\b'          # 1.0L, 0.5e3L
    '\.[0-9]+([eE][-+]?[0-9]+)?[lL]\b'               # .5L
    '\b[0-9]+[eE][-+]?[0-9]+[lL]\b'                  # 1e300L
    '\b0[xX][0-9a-fA-F.]+[pP][-+]?[0-9]+[lL]\b'      # 0x1p63L
    '<c?fenv(\.h)?>|\bfe(test|clear|raise|get|set|hold|update)[a-z]*\('
    '\b(__)?asm(__)?\b'
    '__int128|__float128|_Float(64|128)x?\b|__float80'
    '\b(std::)?(sin|cos|tan|asin|acos|atan|atan2|sinh|cosh|tanh|asinh|acosh|atanh|exp|exp2|expm1|log|log2|log10|log1p|logb|pow|cbrt|hypot|erf|erfc|lgamma|tgamma)[lf]?[[:space:]]*\('
    '\b(std::)?(sqrt|fabs|fmod|trunc|floor|ceil|round|ldexp|frexp|modf|remainder|nearbyint|rint|lrint|llrint|lround|llround)l[[:space:]]*\('
    '\bstrtold\b|\bstrtod\b|\batof\b|\bsscanf\b|\bprintf\b'
)

files=()
exempt=0
while IFS= read -r -d '' file; do
    case "${file#"$engine"/}" in
    numeric/numeric.h | numeric/numeric.cpp) exempt=$((exempt + 1)) ;;
    *) files+=("$file") ;;
    esac
done < <(find "$engine" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

# The two exempt files must be where this script expects them: a move that left them elsewhere
# would otherwise exempt nothing and fail, or worse, a rename would silently check nothing new.
if [ "$exempt" -ne 2 ]; then
    echo "engine-portable: engine/numeric/numeric.h and numeric.cpp not found under $engine" >&2
    exit 1
fi

# Comments may name what the code avoids; only code counts. One pass: FILE:LINE:code.
joined=$(IFS='|'; echo "${patterns[*]}")
if hits=$(awk '{ sub(/\/\/.*/, ""); print FILENAME ":" FNR ":" $0 }' "${files[@]}" |
    grep -E "^[^:]*:[0-9]+:.*($joined)"); then
    echo "${hits//"$engine"\//}" >&2
    echo "engine-portable: the lines above use the hardware's floating point outside engine/numeric/numeric.*" >&2
    exit 1
fi
echo "engine-portable: ${#files[@]} files of engine/ use only the Extended interface"
