# The two commands of the README. Both install what is missing first
# (scripts/setup-debian.sh), then configure and build with CMake.
BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

# CI (CI=true in the environment) treats every compiler warning in our own code as an error, in
# every build it makes (scripts/fuzz.sh reads TOLVANE_WERROR).
ifeq ($(CI),true)
CMAKE_FLAGS += -DTOLVANE_WERROR=ON
export TOLVANE_WERROR := ON
endif

.PHONY: run test test-fast test-sanitize test-cross fuzz fuzz-smoke format-check setup setup-test build clean

setup:
	bash scripts/setup-debian.sh

# What only the tests need: MPFR, the cross compilers, Wine and QEMU.
setup-test:
	bash scripts/setup-debian.sh --test

build: setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# run opens the calculator window.
run: build
	$(BUILD_DIR)/app/tolvane

# The format check, the whole suite, the cross builds' suites and the three-way
# comparison, then a short fuzzing pass, then the whole suite again built with
# AddressSanitizer and UBSan: any sanitizer report fails the run.
test: format-check test-fast test-cross fuzz-smoke test-sanitize

# Every tracked C++ file as clang-format-14 writes it.
format-check: setup
	bash scripts/check-format.sh

test-fast: setup-test build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

test-sanitize: setup
	cmake -S . -B $(BUILD_DIR)-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTOLVANE_SANITIZE=ON -DTOLVANE_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0 \
		ctest --test-dir $(BUILD_DIR)-asan --output-on-failure -j $(JOBS)

# The Qt-free parts built for Windows x64 (run under Wine) and Linux arm64 (run under QEMU),
# their suites run there, then CROSS_LINES generated lines through this machine's, the Windows
# and the arm64 tolvane-eval in both modes: the answers must be the same bytes.
CROSS_BUILD_DIR ?= $(BUILD_DIR)-cross
CROSS_LINES ?= 100000
test-cross: setup-test build
	CROSS_BUILD_ROOT=$(abspath $(CROSS_BUILD_DIR)) bash scripts/cross-test.sh
	python3 tests/tools/cross_compare.py --lines $(CROSS_LINES) $(BUILD_DIR) \
		$(CROSS_BUILD_DIR)/mingw-w64-x86_64 $(CROSS_BUILD_DIR)/aarch64-linux-gnu

# libFuzzer targets (clang): a few seconds each in `make test`, a minute each here.
fuzz-smoke: setup
	bash scripts/fuzz.sh --seconds 5

fuzz: setup
	bash scripts/fuzz.sh --seconds 60

clean:
	rm -rf $(BUILD_DIR)
