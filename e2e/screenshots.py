#!/usr/bin/env python3
"""`make screenshots`: PNGs of the main dialog on a sound, a damaged and an
affected machine, and of the input dialog, in English and Japanese, under
build/screenshots/ (main-sound-en.png, ..., input-ja.png)."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import kestrawn_e2e as e2e  # noqa: E402

SETUP_KEY = e2e.UNINSTALL + "\\{A4D2917E-58C3-4B06-B7E1-0F62C93D4A18}"
CONFIG_KEY = e2e.UNINSTALL + "\\{6E31A5C2-0B7D-4F48-9A16-3D27C8E4B950}"
OUT = os.path.join(e2e.ROOT, "build", "screenshots")


def shoot(language, state):
    with e2e.Machine(language=language, desktop=True) as m:
        if state == "damaged":
            m.reg_delete("RegisteredOwner")
        if state == "affected":
            m.reg_set("DisplayVersion", "3.1a", key=CONFIG_KEY)
            m.reg_set("DisplayVersion", "3.0a", key=SETUP_KEY)
        program = m.start()
        main = m.main_dialog()
        names = []
        path = os.path.join(OUT, "main-%s-%s.png" % (state, language))
        m.screenshot(path, main)
        names.append(path)
        if state == "damaged":
            m.click("main", e2e.ID_RESTORE)
            dialog = m.dialog("input")
            path = os.path.join(OUT, "input-%s.png" % language)
            m.screenshot(path, dialog)
            names.append(path)
        program.kill()
        return names


def main():
    for language in ("en", "ja"):
        for state in ("sound", "damaged", "affected"):
            for path in shoot(language, state):
                print(os.path.relpath(path, os.getcwd()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
