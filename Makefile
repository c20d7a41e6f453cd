# The two commands of the README. Both install what is missing first
# (scripts/setup-debian.sh), then configure and build with CMake.
BUILD_DIR ?= build
PACKAGE_DIR ?= build-package
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

# CI (CI=true in the environment) treats every compiler warning in our own code as an error, in
# every build it makes (scripts/fuzz.sh reads TOLVANE_WERROR).
ifeq ($(CI),true)
CMAKE_FLAGS += -DTOLVANE_WERROR=ON
export TOLVANE_WERROR := ON
endif

.PHONY: run test test-fast test-sanitize test-cross fuzz fuzz-smoke format-check setup setup-cross build clean package test-package
.PHONY: package-windows test-windows

setup:
	bash scripts/setup-debian.sh run test

# The cross compilers, Wine and QEMU: only the cross builds' proof needs them.
setup-cross:
	bash scripts/setup-debian.sh cross

build: setup
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTOLVANE_BUILD_TESTS=ON -DTOLVANE_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# run opens the calculator window. It installs only what the calculator needs and builds only
# the program, so a person who wants the calculator never waits for the test tools.
run:
	bash scripts/setup-debian.sh run
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tolvane
	$(BUILD_DIR)/app/tolvane

# The format check, the whole suite, the cross builds' suites and the three-way
# comparison, then a short fuzzing pass, then the whole suite again built with
# AddressSanitizer and UBSan: any sanitizer report fails the run.
test: format-check test-fast test-cross fuzz-smoke test-sanitize

# Every tracked C++ file as clang-format-14 writes it.
format-check: setup
	bash scripts/check-format.sh

test-fast: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The sanitizers' run-time options are set by CTest itself (tests/sanitizer/environment.cmake).
test-sanitize: setup
	cmake -S . -B $(BUILD_DIR)-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTOLVANE_SANITIZE=ON -DTOLVANE_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)-asan -j $(JOBS)
	ctest --test-dir $(BUILD_DIR)-asan --output-on-failure -j $(JOBS)

# The Qt-free parts built for Windows x64 (run under Wine) and Linux arm64 (run under QEMU),
# their suites run there, then CROSS_LINES generated lines through this machine's, the Windows
# and the arm64 tolvane-eval in both modes: the answers must be the same bytes.
CROSS_BUILD_DIR ?= $(BUILD_DIR)-cross
CROSS_LINES ?= 300000
test-cross: setup-cross build
	CROSS_BUILD_ROOT=$(abspath $(CROSS_BUILD_DIR)) bash scripts/cross-test.sh
	python3 tests/tools/cross_compare.py --lines $(CROSS_LINES) $(BUILD_DIR) \
		$(CROSS_BUILD_DIR)/mingw-w64-x86_64 $(CROSS_BUILD_DIR)/aarch64-linux-gnu

# libFuzzer targets (clang): a few seconds each in `make test`, a minute each here.
fuzz-smoke: setup
	bash scripts/fuzz.sh --seconds 5

fuzz: setup
	bash scripts/fuzz.sh --seconds 60

# The Debian package, tolvane_<version>_amd64.deb in $(PACKAGE_DIR)/ (packaging/build-deb.sh).
package:
	bash scripts/setup-debian.sh run package
	bash packaging/build-deb.sh $(PACKAGE_DIR) $(JOBS)

# Installs the package into a fresh Debian 12 root, sees its window, runs tolvane-eval, removes
# it and checks that nothing of it is left (packaging/test-package.sh). CI runs it after `make test`.
test-package: package
	bash scripts/setup-debian.sh package-test
	bash packaging/test-package.sh $(PACKAGE_DIR)/tolvane_*_amd64.deb

# Windows x64: tolvane.exe (one file, Qt linked in statically) and tolvane-eval.exe, built with
# MinGW-w64 against a Qt for Windows that scripts/build-qt-windows.sh builds once from Debian's
# source and keeps in ~/.cache/tolvane; then tolvane-<version>-win64-setup.exe (NSIS) and
# tolvane-<version>-win64.zip (portable) in $(WINDOWS_PACKAGE_DIR)/.
WINDOWS_BUILD_DIR ?= $(BUILD_DIR)-windows
WINDOWS_PACKAGE_DIR ?= $(BUILD_DIR)-windows-package
package-windows:
	bash scripts/setup-debian.sh windows
	JOBS=$(JOBS) bash scripts/build-windows.sh $(WINDOWS_BUILD_DIR)
	bash packaging/windows/build-packages.sh $(WINDOWS_BUILD_DIR) $(WINDOWS_PACKAGE_DIR)

# The Windows proof under Wine (scripts/test-windows.sh): the window suites, tolvane-eval.exe in a
# console, tolvane.exe end to end on Xvfb, the installer and the zip. CI runs it after `make test`.
test-windows: package-windows
	bash scripts/setup-debian.sh windows-test
	JOBS=$(JOBS) bash scripts/test-windows.sh $(WINDOWS_BUILD_DIR) $(WINDOWS_PACKAGE_DIR)

clean:
	rm -rf $(BUILD_DIR) $(PACKAGE_DIR) $(WINDOWS_BUILD_DIR) $(WINDOWS_PACKAGE_DIR)
