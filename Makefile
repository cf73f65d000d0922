# Two commands for a new machine: `make demo` and `make check`.
# Both install what is missing (Debian packages), then build.
SHELL := /bin/bash
BUILD := build
NATIVE := build-native
JOBS ?= 2

.PHONY: all deps build native check demo bench fuzz soak clean dist

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

# A long survey against both simulators (SOAK_MINUTES, default 120), then
# a full position store; samples, plot and report in build/soak. Not part of check.
soak: deps
	@$(MAKE) --no-print-directory build
	tools/soak

# libFuzzer targets (tests/fuzz), each for FUZZ_SECONDS, seeded with the real
# inputs this checkout holds (tools/fuzz-seeds); not part of check.
FUZZ_SECONDS ?= 60
FUZZ := build-fuzz
fuzz:
	@tools/install-deps --fuzz
	@mkdir -p $(FUZZ)
	@set -e; for src in tests/fuzz/fuzz_*.cpp; do \
	    name=$$(basename $$src .cpp); \
	    deps=$$(sed -n 's|^// Sources: *||p' $$src); \
	    clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -Isrc $$src \
	        $$(for d in $$deps; do echo src/$$d; done) -o $(FUZZ)/$$name; \
	    tools/fuzz-seeds $$name $(FUZZ)/corpus-$$name; \
	    echo "fuzz: $$name for $(FUZZ_SECONDS) s"; \
	    $(FUZZ)/$$name -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        $(FUZZ)/corpus-$$name 2>&1 | grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' ; \
	done

# The Windows package for a field computer: the two programs and a
# README.txt with CR LF line ends, in dist/qor-<version>-win64.zip.
VERSION := $(shell sed -n 's/.*version\[\] = "V \([0-9.]*\).*/\1/p' src/app/main_window.cpp)
DIST_ZIP := dist/qor-$(VERSION)-win64.zip
dist: deps
	@$(MAKE) --no-print-directory build
	@rm -rf dist/stage $(DIST_ZIP) && mkdir -p dist/stage
	cp $(BUILD)/qor.exe $(BUILD)/qor-export.exe dist/stage/
	sed 's/$$/\r/' tools/dist/README.txt > dist/stage/README.txt
	cd dist/stage && zip -q -X ../$(notdir $(DIST_ZIP)) qor.exe qor-export.exe README.txt
	@rm -rf dist/stage
	@echo "dist: $(DIST_ZIP)"

clean:
	rm -rf $(BUILD) $(NATIVE) $(FUZZ) demo-out dist
