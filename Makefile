# Vantrel: see README.md. All real work is in scripts/ and CMake.
SHELL := /bin/bash
CONFIG ?= Release

.PHONY: all build test run bench dist deps deps-build deps-dist clean

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

test: deps build
	@scripts/test.sh

run: deps build
	@scripts/run.sh

bench: deps build
	@scripts/bench.sh

# Installers and portable archives of both architectures in build/dist/.
dist: deps-dist build
	@scripts/dist.sh

clean:
	rm -rf build
