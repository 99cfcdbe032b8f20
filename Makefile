# make run   : install what is missing, build, start Glimtap; where no display is set, show it
#              at work on a private Xvfb and write its window to glimtap.png
# make screenshot : build, start Glimtap under Xvfb and write its window to glimtap.png
# make test  : install what is missing, build, run every test
# make bench : build and run the benchmarks (capture on an Xvfb, then on a headless sway, of its own,
#              with the compositor's own CPU time, then through the portal on a headless GNOME Shell)
# make fuzz  : build the libFuzzer targets with clang, run each for FUZZ_SECONDS (default 60)
# make package : build, then make the Debian package in the build folder
# make check-package : make the package, then check its contents and that its dependencies resolve
# make test-threads : the tests of the code that hands work between threads, under ThreadSanitizer
# make windows : cross-build glimtap-cli.exe and the engine tests for 64-bit Windows (mingw-w64)
# make windows-package : make glimtap-<version>-win64.zip and its installer in build-windows
# make test-windows : run the Windows tests under wine, on an Xvfb and a wine prefix of its own
# SANITIZE=address,undefined (or thread) builds and tests an instrumented copy.

SANITIZE ?=
comma := ,
BUILD_DIR ?= build$(if $(SANITIZE),-$(subst $(comma),-,$(SANITIZE)))
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps configure build run screenshot test test-threads bench fuzz package check-package windows test-windows windows-package clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DGLIMTAP_SANITIZE=$(SANITIZE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then $(BUILD_DIR)/src/app/glimtap; \
	else scripts/show-at-work $(BUILD_DIR)/src/app/glimtap $(BUILD_DIR)/src/cli/glimtap-cli $(SCREENSHOT); fi

SCREENSHOT ?= glimtap.png
screenshot: build
	scripts/screenshot $(BUILD_DIR)/src/app/glimtap $(SCREENSHOT)

# libdbus, loaded by Qt, keeps a buffer to the end: not ours to free. Programs the tests run
# (glimtap-cli with markers) must not print the suppression count on their stderr.
test: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: build
	tests/with-xvfb $(BUILD_DIR)/bench/glimtap_bench
	tests/with-sway $(BUILD_DIR)/bench/glimtap_bench --benchmark_filter='Capture|SearchPass|CompositorLoad'
	tests/with-gnome $(BUILD_DIR)/bench/glimtap_bench --benchmark_filter='Capture|SearchPass'

# Each target runs on its own copy of the seed corpus; libFuzzer's non-zero exit on a crash,
# leak or timeout fails the make. The malloc limit rejects allocations the input cannot justify.
FUZZ_SECONDS ?= 60
FUZZ_DIR := build-fuzz
FUZZ_RUNS := fuzz_data_file:data_file fuzz_bmp_decoder:bmp
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DGLIMTAP_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	for run in $(FUZZ_RUNS); do \
	  target=$${run%%:*}; corpus=$(FUZZ_DIR)/corpus-$$target; \
	  mkdir -p $$corpus && cp fuzz/corpus/$${run#*:}/* $$corpus/ && \
	  $(FUZZ_DIR)/fuzz/$$target $$corpus -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -rss_limit_mb=2048 -malloc_limit_mb=256 -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_DIR)/$$target- || exit 1; \
	done

# Only the programs and the desktop files have install rules; CPack strips the programs.
package: build
	rm -f $(BUILD_DIR)/glimtap_*.deb
	cd $(BUILD_DIR) && cpack -G DEB

check-package: package
	scripts/check-package $(BUILD_DIR)/glimtap_*.deb

# Qt is not built for ThreadSanitizer, so only these suites run under it: the worker, the
# search control and the form, the overlay markers and the alerts. Any report fails them.
TSAN_TARGETS := engine_tests search_tests on_screen_tools_tests alerts_tests ui_tests
TSAN_TESTS := SearchWorker|^search_tests$$|on_screen_tools_tests|Alerts|^ui_tests$$
test-threads: export TSAN_OPTIONS = suppressions=$(CURDIR)/tests/tsan.supp
test-threads:
	$(MAKE) configure SANITIZE=thread
	cmake --build build-thread -j $(JOBS) --target $(TSAN_TARGETS)
	ctest --test-dir build-thread --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

# Statically linked: each .exe runs alone. Only the command line and the engine build for
# Windows; the window needs Qt 6 for Windows, which the package sources do not have.
WINDOWS_DIR := build-windows
windows:
	scripts/install-deps --windows
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

test-windows:
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target windows-package
	tests/with-xvfb tests/with-wine tests/windows/cli_names $(WINDOWS_DIR)/src/cli/glimtap-cli.exe
	tests/with-xvfb tests/with-wine wine64 $(WINDOWS_DIR)/tests/windows/engine_tests.exe
	tests/with-xvfb tests/with-wine tests/windows/desktop-test $(WINDOWS_DIR)

windows-package: windows
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target windows-package

clean:
	rm -rf build build-*
