# Two commands for a new machine: `make demo` and `make check`.
# Both install what is missing (Debian packages), then build.
SHELL := /bin/bash
BUILD := build
NATIVE := build-native
JOBS ?= 2

.PHONY: all deps build native check demo bench clean

all: build

deps:
	@tools/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(NATIVE)/CMakeCache.txt:
	cmake -S tests/native -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo

native: $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)

build: $(BUILD)/CMakeCache.txt native
	cmake --build $(BUILD) -j $(JOBS)
	@$(MAKE) --no-print-directory -C tools

check: deps
	@$(MAKE) --no-print-directory build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: deps
	@$(MAKE) --no-print-directory build
	tools/demo

bench: deps
	@$(MAKE) --no-print-directory build
	tools/bench

clean:
	rm -rf $(BUILD) $(NATIVE) demo-out
