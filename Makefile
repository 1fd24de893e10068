# Front door: `make run` builds Morlind.exe and runs it under Wine;
# `make test` builds everything and runs every test. Both install what
# they need on a Debian 12 machine first.

SHELL := /bin/bash
JOBS ?= $(shell nproc)
WINE_ENV := scripts/wine-env.sh

.PHONY: run test deps build linux linux-asan linux-tsan windows windows-x86 \
        test-linux test-asan test-tsan test-windows wine-prefix bench clean

deps:
	@scripts/install-deps.sh

build: linux windows windows-x86

linux linux-asan linux-tsan windows windows-x86: deps
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

wine-prefix: deps
	@scripts/wine-prefix.sh

test-linux: linux
	@scripts/run-tests.sh linux

test-asan: linux-asan
	@scripts/run-tests.sh linux-asan

test-tsan: linux-tsan
	@scripts/run-tests.sh linux-tsan

# Prints the benchmark table (native and under Wine); takes a few minutes.
bench: deps wine-prefix
	@scripts/bench.sh

test-windows: windows wine-prefix
	@xvfb-run -a scripts/run-tests.sh windows

test: deps
	@rm -f build/test-counts
	@$(MAKE) --no-print-directory test-linux test-asan test-tsan test-windows windows-x86
	@scripts/check-imports.sh build/windows/Morlind.exe x86_64-w64-mingw32-objdump
	@scripts/check-imports.sh build/windows-x86/Morlind.exe i686-w64-mingw32-objdump
	@awk '{ p += $$1; f += $$2 } END { printf "all suites: %d passed, %d failed\n", p, f }' build/test-counts

# On the user's display; without TZ, which the C runtime would misread. An
# empty cache folder in the prefix first gets a few sample files.
run: windows wine-prefix
	@if [ -z "$$DISPLAY" ]; then \
	  echo "make run: no DISPLAY to show the window on."; \
	  echo "Run it from a desktop session (or ssh -X), or on a virtual display: xvfb-run -a make run"; \
	  exit 1; \
	fi
	@scripts/sample-cache.sh
	@env -u TZ scripts/wine-run.sh build/windows/Morlind.exe

# Release exe for x86_64 and i686, zipped with the README.
dist: deps
	@scripts/dist.sh

clean:
	rm -rf build
