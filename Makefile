# Two commands do everything on a fresh Debian machine: `make run` and `make test`.
SHELL := /bin/bash
.DEFAULT_GOAL := run
JOBS ?= $(shell nproc)
PREFIX ?= $(HOME)/.local
FUZZ_SECONDS ?= 60

.PHONY: deps native release sanitize windows windows32 build configs run test test-native test-release \
        test-sanitize test-windows test-windows32 test-packaging fuzz fuzz-smoke bench screenshots programs dist \
        install uninstall clean

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

# The optimised build the releases ship; its own tests run too, since -O3
# raises warnings and exposes faults the other builds do not.
release: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

sanitize: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

# The 32-bit Windows build, for 32-bit Windows 7 and later (and every 64-bit one).
windows32: deps
	cmake --preset windows32 >/dev/null
	cmake --build --preset windows32 -j $(JOBS)

build: native windows windows32

# Every CMake build type must build with warnings as errors, not only the
# presets' ones. Slow: four full native builds.
CONFIGS := Debug Release RelWithDebInfo MinSizeRel
configs: deps
	for config in $(CONFIGS); do \
	  cmake -S . -B build/config-$$config -G Ninja -DCMAKE_BUILD_TYPE=$$config -DTESSAM_BUILD_BENCH=ON >/dev/null && \
	  cmake --build build/config-$$config -j $(JOBS) || exit 1; \
	done

run: windows
	scripts/run-tessam.sh build/windows/app/Tessam.exe

test-native: native
	ctest --preset native

test-release: release
	ctest --preset release

test-sanitize: sanitize
	ctest --preset sanitize

test-windows: windows
	scripts/wine-session.sh ctest --preset windows

# Under 32-bit Wine in a 32-bit prefix of its own, as on 32-bit Windows.
test-windows32: windows32
	TESSAM_WINEARCH=win32 scripts/wine-session.sh ctest --preset windows32

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_SECONDS)

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=10

test-packaging: dist
	scripts/wine-session.sh tests/packaging/check-dist.sh
	scripts/wine-session.sh tests/packaging/check-install.sh
	tests/packaging/check-debs.sh
	tests/packaging/check-reproducible.sh

test: test-native test-release test-sanitize test-windows test-windows32 test-packaging fuzz-smoke
	@echo "All suites passed."

bench: native
	scripts/bench.sh

# Releases and installs need only the shipped programs, optimised, not the
# test suites.
programs: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS) --target ppwtool
	for preset in windows windows32; do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset -j $(JOBS) --target Tessam ppwtool || exit 1; \
	done

dist: programs
	scripts/dist.sh

install: programs
	scripts/install.sh "$(PREFIX)"

uninstall:
	scripts/uninstall.sh "$(PREFIX)"

screenshots: windows
	scripts/screenshots.sh build/windows

clean:
	rm -rf build
