# make run   : install what is missing, build, start Glimtap
# make screenshot : build, start Glimtap under Xvfb and write its window to glimtap.png
# make test  : install what is missing, build, run every test
# make bench : build and run the benchmarks (capture on an Xvfb of its own)
# SANITIZE=address,undefined (or thread) builds and tests an instrumented copy.

SANITIZE ?=
comma := ,
BUILD_DIR ?= build$(if $(SANITIZE),-$(subst $(comma),-,$(SANITIZE)))
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: deps configure build run screenshot test bench clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DGLIMTAP_SANITIZE=$(SANITIZE)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/app/glimtap

SCREENSHOT ?= glimtap.png
screenshot: build
	scripts/screenshot $(BUILD_DIR)/src/app/glimtap $(SCREENSHOT)

# libdbus, loaded by Qt, keeps a buffer to the end: not ours to free.
test: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/lsan.supp
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: build
	tests/with-xvfb $(BUILD_DIR)/bench/glimtap_bench

clean:
	rm -rf build build-*
