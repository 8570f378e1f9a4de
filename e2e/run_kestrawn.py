#!/usr/bin/env python3
"""`make run`: starts Kestrawn under Wine.

With a display (DISPLAY set), Kestrawn runs on it in the prefix
build/run-prefix, made on first use, until you quit it. Without one, it runs
on a virtual display of its own, a screenshot of the main dialog goes to
build/screenshots/run.png, and the program is quit.
"""

import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kestrawn_e2e as e2e  # noqa: E402


def run_on_display():
    prefix = os.path.join(e2e.ROOT, "build", "run-prefix")
    if not os.path.exists(prefix):
        shutil.copytree(e2e.base_prefix("win64"), prefix, symlinks=True)
    app = os.path.join(prefix, "drive_c", "app")
    os.makedirs(app, exist_ok=True)
    shutil.copy(e2e.EXE, os.path.join(app, "Kestrawn.exe"))
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    print("Kestrawn runs in %s (C:\\app); quit it to return." % prefix)
    return subprocess.run(["wine", "C:\\app\\Kestrawn.exe"], cwd=app, env=env).returncode


def run_headless():
    shot = os.path.join(e2e.ROOT, "build", "screenshots", "run.png")
    with e2e.Machine(desktop=True) as m:
        program = m.start()
        main = m.main_dialog()
        m.screenshot(shot, main)
        print("Status: %s" % main.text(e2e.ID_STATUS).replace("\r\n", " "))
        m.click("main", e2e.ID_QUIT)
        code = m.finish(program)
    print("Screenshot of the main dialog: %s" % os.path.relpath(shot, os.getcwd()))
    return code


if __name__ == "__main__":
    sys.exit(run_on_display() if os.environ.get("DISPLAY") else run_headless())
