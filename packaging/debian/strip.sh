#!/bin/sh
# The strip that `make package` gives CPack (CMAKE_STRIP): what Debian's own packaging does to a
# program, dropping the symbols and the compiler's .comment and .note sections as well.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
