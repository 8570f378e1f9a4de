# Front door to the two CMake builds and the tests. Every target installs what
# it needs first (.ci/install-deps does nothing when all is there).
.PHONY: all deps win32 host unit e2e fitness bench test run clean fuzz-build fuzz fuzz-smoke lint

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

# libFuzzer targets (clang 14), each run for FUZZ_SECONDS; fuzz-smoke is the
# short run that `make test` includes. See fuzz/run.sh.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 12
fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz

fuzz: fuzz-build
	@FUZZ_SECONDS=$(FUZZ_SECONDS) bash fuzz/run.sh

fuzz-smoke: fuzz-build
	@FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS) bash fuzz/run.sh

# clang-tidy and cppcheck over the logic, from the host build's compile commands.
lint: host
	@bash .ci/lint

# The real exe under Wine on a virtual display.
e2e: win32
	@python3 e2e/run_e2e.py

# The built exe read as a file: headers, imports, resources (and that the
# check itself notices a damaged copy).
fitness: win32
	@python3 tests/exe_fitness/test_check_exe.py
	@python3 tests/exe_fitness/check_exe.py build/win32/Kestrawn.exe

# Start-up time against a bare dialog under Wine, and sizes: reports only.
bench: win32
	@python3 bench/launch_bench.py

test: unit fuzz-smoke lint fitness e2e

run: win32
	@python3 e2e/run_kestrawn.py

# The dialogs on a sound, a damaged and an affected machine, in both languages.
screenshots: win32
	@python3 e2e/screenshots.py

clean:
	rm -rf build
