#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format makes of it (the rules are
# .clang-format at the root); the offending lines are printed. The version is pinned, because
# another major version of clang-format lays some constructs out differently:
# scripts/setup-debian.sh installs clang-format-14 and this calls it by that name.
#   scripts/check-format.sh          check every tracked *.cpp and *.h
#   scripts/check-format.sh FILE...  check these files only
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}

files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        mapfile -d '' files < <(git ls-files -z '*.cpp' '*.h')
    else
        # A copy without git history: every source outside the build folders.
        mapfile -d '' files < <(find . -path './build*' -prune -o -path './.git' -prune -o \
            -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
    fi
fi
if ! "$format" --dry-run --Werror "${files[@]}"; then
    echo "format: the files above differ from .clang-format; run: $format -i FILE..." >&2
    exit 1
fi
echo "format: ${#files[@]} files match .clang-format"
