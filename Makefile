# Vantrel: see README.md. All real work is in scripts/ and CMake.
SHELL := /bin/bash
CONFIG ?= Release

.PHONY: all build test run bench dist deps deps-build deps-dist clean format format-check

all: build

deps:
	@scripts/deps.sh

deps-build:
	@scripts/deps.sh --build-only

deps-dist:
	@scripts/deps.sh --dist

build: deps-build
	@cmake -S . -B build/x64 -G Ninja -DCMAKE_BUILD_TYPE=$(CONFIG) \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-x86_64.cmake >/dev/null
	@cmake --build build/x64
	@cmake -S . -B build/x86 -G Ninja -DCMAKE_BUILD_TYPE=$(CONFIG) \
	    -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-i686.cmake >/dev/null
	@cmake --build build/x86

test: deps format-check build
	@scripts/test.sh

# Formats every C++ source with .clang-format.
format:
	@scripts/format.sh

# Fails early on unformatted sources, once the tree has been formatted: the
# formatting commit adds the marker file .format-enforced, which turns it on.
format-check:
	@if [ -f .format-enforced ]; then scripts/format.sh --check; fi

run: deps build
	@scripts/run.sh

bench: deps build
	@scripts/bench.sh

# Installers and portable archives of both architectures in build/dist/.
dist: deps-dist build
	@scripts/dist.sh

clean:
	rm -rf build
