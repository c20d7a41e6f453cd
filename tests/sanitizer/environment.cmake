# The sanitizers' run-time options for every test of a TOLVANE_SANITIZE build, the only place
# they are written: CTest reads this file before it starts the tests (tests/CMakeLists.txt lists
# it), so `make test-sanitize`, `ctest --preset asan` and a plain ctest in the build folder all
# run with them. A leak, an ASan report or a UBSan finding ends the test that caused it.
set(ENV{ASAN_OPTIONS} "detect_leaks=1:abort_on_error=1:strict_string_checks=1")
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
set(ENV{LSAN_OPTIONS} "suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
