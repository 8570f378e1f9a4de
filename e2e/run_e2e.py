#!/usr/bin/env python3
"""Runs the end-to-end tests: every function named test_* in e2e/test_*.py,
plus the generated cases a module lists in its CASES, each on a Machine of its
own (see kestrawn_e2e.py).

    python3 e2e/run_e2e.py [-k SUBSTRING]... [-j JOBS] [--list]

Tests run JOBS at a time (default 2); each has its own prefix and display, so
they do not meet. Prints one line per test and "N passed, N failed" at the end;
the exit code is 1 when any test failed.
"""

import argparse
import concurrent.futures
import glob
import importlib
import os
import sys
import time
import traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kestrawn_e2e  # noqa: E402


def collect():
    tests = []
    for path in sorted(glob.glob(os.path.join(HERE, "test_*.py"))):
        name = os.path.splitext(os.path.basename(path))[0]
        module = importlib.import_module(name)
        for attribute in sorted(vars(module)):
            value = getattr(module, attribute)
            if attribute.startswith("test_") and callable(value):
                tests.append(("%s.%s" % (name, attribute), value))
        for case_name, function in getattr(module, "CASES", []):
            tests.append(("%s.%s" % (name, case_name), function))
    return tests


def run_one(test):
    name, function = test
    start = time.time()
    try:
        function()
        return name, None, time.time() - start
    except Exception:  # a failed assertion or a broken machine: both fail the test
        return name, traceback.format_exc(), time.time() - start


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("-k", action="append", default=[], help="run tests whose name contains this")
    parser.add_argument("-j", type=int, default=2, help="tests run at once")
    parser.add_argument("--list", action="store_true")
    options = parser.parse_args()

    tests = [t for t in collect() if not options.k or any(k in t[0] for k in options.k)]
    if options.list:
        for name, _ in tests:
            print(name)
        return 0
    for path in (kestrawn_e2e.EXE, kestrawn_e2e.DRIVER):
        if not os.path.exists(path):
            print("missing %s: build the win32 preset first" % path)
            return 1

    # Make the cached base prefixes before tests run side by side.
    for arch in ("win32", "win64"):
        kestrawn_e2e.base_prefix(arch)

    passed, failed = 0, []
    start = time.time()
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.j)) as pool:
        for name, error, seconds in pool.map(run_one, tests):
            if error is None:
                passed += 1
                print("ok    %-60s %5.1f s" % (name, seconds), flush=True)
            else:
                failed.append(name)
                print("FAIL  %-60s %5.1f s\n%s" % (name, seconds, error), flush=True)
    print("%d passed, %d failed (%.0f s)" % (passed, len(failed), time.time() - start))
    for name in failed:
        print("  failed: " + name)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
