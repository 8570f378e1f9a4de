#!/usr/bin/env python3
"""The fitness check must notice a broken program: each case damages a copy of
the built Kestrawn.exe (or its import list) in one way and expects the check
to name that fault. The unchanged file must pass, or the cases prove nothing.

    test_check_exe.py [EXE]
"""

import os
import shutil
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import check_exe  # noqa: E402
from pe_file import RT_DIALOG, PeError, PeFile  # noqa: E402

EXE = check_exe.DEFAULT_EXE
DRIVER = os.path.join(os.path.dirname(EXE), "KestrawnDriver.exe")


def _pe_offset(data):
    return struct.unpack_from("<I", data, 0x3C)[0]


def _put(data, offset, fmt, *values):
    struct.pack_into(fmt, data, offset, *values)


def _replace_once(data, old, new, start=0, end=None):
    assert len(old) == len(new)
    at = bytes(data).find(old, start, end)
    assert at >= 0, "%r not found in the file" % old
    data[at:at + len(old)] = new


def _template_range(data, ident):
    """Where the bytes of dialog template IDENT lie in the file."""
    template = next(d for (kind, name, _), d in PeFile(bytes(data)).resources().items()
                    if kind == RT_DIALOG and name == ident)
    at = bytes(data).find(template)
    return at, at + len(template)


def machine_amd64(data):
    _put(data, _pe_offset(data) + 4, "<H", 0x8664)


def console_subsystem(data):
    _put(data, _pe_offset(data) + 24 + 68, "<H", 3)


def os_version_vista(data):
    _put(data, _pe_offset(data) + 24 + 40, "<H", 6)


def subsystem_version_xp(data):
    _put(data, _pe_offset(data) + 24 + 50, "<H", 1)
    _put(data, _pe_offset(data) + 24 + 48, "<H", 5)


def delay_import_directory(data):
    _put(data, _pe_offset(data) + 24 + 96 + 8 * 13, "<II", 0x1000, 32)


def bound_imports(data):
    pe = PeFile(bytes(data))
    descriptor = pe.offset(pe.directory(1)[0])
    _put(data, descriptor + 4, "<I", 0xFFFFFFFF)


def dll_newer_than_2000(data):
    _replace_once(data, b"USER32.dll\0", b"DWMAPI.dll\0")


def unlisted_function(data):
    _replace_once(data, b"Sleep\0", b"Sleeq\0")


def english_table_byte(data):
    with open(os.path.join(check_exe.DEFAULT_RESOURCES, "en.lang"), "rb") as f:
        table = f.read()
    at = bytes(data).find(table)
    data[at + 100] ^= 0x01


def main_dialog_height(data):
    start, _ = _template_range(data, 102)
    _put(data, start + 24, "<h", 151)


def main_status_text_id(data):
    start, end = _template_range(data, 102)
    _replace_once(data, struct.pack("<I", 1014), struct.pack("<I", 1015), start, end)


def input_owner_read_only(data):
    start, end = _template_range(data, 106)
    _replace_once(data, struct.pack("<I", 0x50810080), struct.pack("<I", 0x50810880), start, end)


def input_dialog_font(data):
    start, end = _template_range(data, 106)
    _replace_once(data, "MS Shell Dlg".encode("utf-16-le"), "MS Shell Dlx".encode("utf-16-le"), start, end)


def input_dialog_language(data):
    # Template 106's language entry in the resource directory: id 0x0411 and
    # the offset of a leaf that points at the template's bytes.
    pe = PeFile(bytes(data))
    root = pe.offset(pe.directory(2)[0])
    start, _ = _template_range(data, 106)
    for at in range(root, len(data) - 8, 2):
        language, leaf = struct.unpack_from("<II", data, at)
        if language == 0x0411 and leaf < 0x80000000 and root + leaf + 4 <= len(data):
            data_rva = struct.unpack_from("<I", data, root + leaf)[0]
            try:
                points_at_template = pe.offset(data_rva) == start
            except PeError:
                continue
            if points_at_template:
                _put(data, at, "<I", 0x0409)
                return
    raise AssertionError("the language entry of template 106 was not found")


def manifest_execution_level(data):
    _replace_once(data, b'level="requireAdministrator"', b'level="highestAvailable"    ')


def version_string(data):
    _replace_once(data, "1, 0, 0, 0".encode("utf-16-le"), "1, 0, 0, 9".encode("utf-16-le"))


def version_file_type(data):
    at = bytes(data).find(struct.pack("<I", 0xFEEF04BD))
    _put(data, at + 4 * 9, "<I", 2)  # VFT_DLL


CASES = [
    # (damage, words the check must report)
    (machine_amd64, "machine is 0x8664"),
    (console_subsystem, "subsystem is 3"),
    (os_version_vista, "OS version is 6.0"),
    (subsystem_version_xp, "subsystem version is 5.1"),
    (delay_import_directory, "delay-load import"),
    (bound_imports, "are bound"),
    (dll_newer_than_2000, "imports from DWMAPI.dll"),
    (unlisted_function, "KERNEL32.dll!Sleeq is not in"),
    (english_table_byte, 'string table "LANG"/"EN" (2707 bytes) differs from en.lang (2707 bytes) from byte 100'),
    (main_dialog_height, "dialog 102: cy is 151, expected 150"),
    (main_status_text_id, "dialog 102, control 8 (id 1015): id is 1015, expected 1014"),
    (input_owner_read_only, "dialog 106, control 4 (id 1001): style is 0x50810880, expected 0x50810080"),
    (input_dialog_font, "dialog 106: font_face is 'MS Shell Dlx'"),
    (input_dialog_language, "dialog template 106 is stored under language 0x0409"),
    (manifest_execution_level, "manifest: execution level"),
    (version_string, "version record: FileVersion is '1, 0, 0, 9'"),
    (version_file_type, "version record: type is 2, expected 1"),
]


class FitnessCheckTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="kestrawn-fitness-")
        with open(EXE, "rb") as f:
            self.original = f.read()

    def tearDown(self):
        shutil.rmtree(self.scratch)

    def failures_of(self, data, imports=check_exe.DEFAULT_IMPORTS):
        path = os.path.join(self.scratch, "Kestrawn.exe")
        with open(path, "wb") as f:
            f.write(data)
        return check_exe.check(path, imports_path=imports).failures

    def test_the_built_program_passes(self):
        self.assertEqual(self.failures_of(self.original), [])

    def test_each_damage_is_reported(self):
        for damage, words in CASES:
            with self.subTest(damage.__name__):
                data = bytearray(self.original)
                damage(data)
                self.assertNotEqual(bytes(data), self.original)
                failures = self.failures_of(bytes(data))
                self.assertTrue(any(words in failure for failure in failures),
                                "expected %r among %s" % (words, failures))

    def test_an_import_newer_than_windows_2000_is_reported(self):
        listed = os.path.join(self.scratch, "imports.txt")
        with open(check_exe.DEFAULT_IMPORTS) as f:
            text = f.read()
        with open(listed, "w") as f:
            f.write(text.replace("user32 SetFocus NT4", "user32 SetFocus XP"))
        self.assertEqual(self.failures_of(self.original, listed),
                         ["USER32.dll!SetFocus first appeared in Windows XP, later than Windows 2000"])

    def test_a_program_without_resources_is_reported(self):
        with open(DRIVER, "rb") as f:
            failures = self.failures_of(f.read())
        for words in ('"LANG"/"EN"', '"LANG"/"JA"', "dialog template 102", "dialog template 106",
                      "manifest 1", "version record 1", "subsystem is 3"):
            self.assertTrue(any(words in failure for failure in failures), words)


if __name__ == "__main__":
    if len(sys.argv) > 1 and not sys.argv[1].startswith("-"):
        EXE = os.path.abspath(sys.argv.pop(1))
        DRIVER = os.path.join(os.path.dirname(EXE), "KestrawnDriver.exe")
    unittest.main(verbosity=1)
