# Two commands do everything on a fresh Debian machine: `make run` and `make test`.
SHELL := /bin/bash
.DEFAULT_GOAL := run
JOBS ?= $(shell nproc)
PREFIX ?= $(HOME)/.local
FUZZ_SECONDS ?= 60

.PHONY: deps native sanitize windows build run test test-native test-sanitize test-windows test-packaging \
        fuzz fuzz-smoke bench screenshots programs dist install uninstall clean

deps:
	@scripts/install-deps.sh

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)

sanitize: deps
	cmake --preset sanitize >/dev/null
	cmake --build --preset sanitize -j $(JOBS)

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

build: native windows

run: windows
	scripts/run-tessam.sh build/windows/app/Tessam.exe

test-native: native
	ctest --preset native

test-sanitize: sanitize
	ctest --preset sanitize

test-windows: windows
	scripts/wine-session.sh ctest --preset windows

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_SECONDS)

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=10

test-packaging: dist
	scripts/wine-session.sh tests/packaging/check-dist.sh
	scripts/wine-session.sh tests/packaging/check-install.sh

test: test-native test-sanitize test-windows test-packaging fuzz-smoke
	@echo "All suites passed."

bench: native
	scripts/bench.sh

# Releases and installs need only the shipped programs, not the test suites.
programs: deps
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS) --target ppwtool
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS) --target Tessam ppwtool

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
