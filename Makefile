# Front door to the two CMake builds and the tests. Every target installs what
# it needs first (.ci/install-deps does nothing when all is there).
.PHONY: all deps win32 host unit e2e test run clean

all: win32

deps:
	@bash .ci/install-deps

# The product: build/win32/Kestrawn.exe (and the end-to-end test driver).
win32: deps
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

# The logic on the emulated machine, with the unit tests, under ASan and UBSan.
host: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host

unit: host
	@ctest --preset host

# The real exe under Wine on a virtual display.
e2e: win32
	@python3 e2e/run_e2e.py

test: unit e2e

run: win32
	@python3 e2e/run_kestrawn.py

clean:
	rm -rf build
