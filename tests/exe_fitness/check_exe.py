#!/usr/bin/env python3
"""Fitness of the built Kestrawn.exe for its target systems.

    check_exe.py [EXE] [--resources DIR] [--imports FILE]

Reads the file itself (no Windows tools): a 32-bit i386 GUI program that
Windows 2000 loads, importing only functions listed in imports.txt, none
newer than Windows 2000, from DLLs that Windows 2000 ships, with no bound or
delay-loaded imports; and carrying exactly the string tables, dialog
templates, manifest and version record it is meant to. Prints a short report
and every failure; exits 1 if there is any.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import expected  # noqa: E402
from pe_file import (DIR_BOUND_IMPORT, DIR_DELAY_IMPORT, RT_DIALOG, RT_MANIFEST,  # noqa: E402
                     RT_VERSION, PeError, PeFile)

ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_EXE = os.path.join(ROOT, "build", "win32", "Kestrawn.exe")
DEFAULT_RESOURCES = os.path.join(ROOT, "resources")
DEFAULT_IMPORTS = os.path.join(HERE, "imports.txt")

DS_SETFONT = 0x40


# ---------------------------------------------------------------- import list

def read_import_list(path):
    """{(dll, function): release} from imports.txt; a malformed line raises."""
    listed = {}
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            if len(words) != 3 or words[2] not in expected.WINDOWS_RELEASES:
                raise ValueError("%s:%d: want 'DLL FUNCTION RELEASE' with RELEASE one of %s"
                                 % (path, number, " ".join(expected.WINDOWS_RELEASES)))
            listed[(words[0].lower(), words[1])] = words[2]
    return listed


def _dll_key(name):
    name = name.lower()
    return name[:-4] if name.endswith(".dll") else name


# ---------------------------------------------------------------- dialog templates

class _Reader:
    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, fmt):
        size = struct.calcsize(fmt)
        if self.at + size > len(self.data):
            raise PeError("dialog template ends early")
        values = struct.unpack_from(fmt, self.data, self.at)
        self.at += size
        return values if len(values) > 1 else values[0]

    def string(self):
        end = self.at
        while True:
            if end + 2 > len(self.data):
                raise PeError("unterminated string in dialog template")
            if self.data[end:end + 2] == b"\0\0":
                break
            end += 2
        text = self.data[self.at:end].decode("utf-16-le")
        self.at = end + 2
        return text

    def string_or_ordinal(self):
        """None for an empty field, an int for an ordinal, else the string."""
        first = self.take("<H")
        if first == 0:
            return None
        if first == 0xFFFF:
            return self.take("<H")
        self.at -= 2
        return self.string()

    def align(self):
        self.at = (self.at + 3) & ~3


def parse_dialog(data):
    """A dialog template (either form) as a dict shaped like expected.DIALOGS."""
    r = _Reader(data)
    dialog = {}
    extended = r.take("<HH") == (1, 0xFFFF)
    if not extended:
        r.at = 0
    dialog["extended"] = extended
    if extended:
        dialog["help_id"], dialog["ex_style"], dialog["style"] = r.take("<III")
    else:
        dialog["help_id"] = None
        dialog["style"], dialog["ex_style"] = r.take("<II")
    count = r.take("<H")
    dialog["x"], dialog["y"], dialog["cx"], dialog["cy"] = r.take("<hhhh")
    dialog["menu"] = r.string_or_ordinal()
    dialog["window_class"] = r.string_or_ordinal()
    dialog["caption"] = r.string()
    for key in ("font_size", "font_weight", "font_italic", "font_charset", "font_face"):
        dialog[key] = None
    if dialog["style"] & DS_SETFONT:
        dialog["font_size"] = r.take("<H")
        if extended:
            dialog["font_weight"], dialog["font_italic"], dialog["font_charset"] = r.take("<HBB")
        dialog["font_face"] = r.string()
    controls = []
    for _ in range(count):
        r.align()
        control = {}
        if extended:
            control["help_id"], control["ex_style"], control["style"] = r.take("<III")
        else:
            control["help_id"] = None
            control["style"], control["ex_style"] = r.take("<II")
        control["x"], control["y"], control["cx"], control["cy"] = r.take("<hhhh")
        control["id"] = r.take("<I" if extended else "<H")
        window_class = r.string_or_ordinal()
        control["window_class"] = (expected.CLASS_ATOMS.get(window_class, window_class)
                                   if isinstance(window_class, int) else
                                   window_class.upper() if window_class else window_class)
        control["text"] = r.string_or_ordinal()
        extra = r.take("<H")
        control["extra"] = r.data[r.at:r.at + extra]
        r.at += extra
        controls.append(control)
    dialog["controls"] = controls
    if r.at < len(data.rstrip(b"\0")):
        dialog["trailing"] = len(data) - r.at
    return dialog


def _show(value):
    return "0x%08X" % value if isinstance(value, int) and value > 0xFFFF else repr(value)


def _field_matches(want, got):
    if want is expected.PLACEHOLDER:
        return isinstance(got, str) and got != ""
    if want == expected.NO_TEXT and isinstance(want, str):
        return got in (None, "")
    return want == got


def compare_dialog(ident, want, got):
    failures = []
    where = "dialog %d" % ident
    for key, value in want.items():
        if key == "controls":
            continue
        if not _field_matches(value, got.get(key)):
            failures.append("%s: %s is %s, expected %s" % (
                where, key, _show(got.get(key)),
                "some placeholder text" if value is expected.PLACEHOLDER else _show(value)))
    if "trailing" in got:
        failures.append("%s: %d bytes after the last control" % (where, got["trailing"]))
    if len(got["controls"]) != len(want["controls"]):
        failures.append("%s: %d controls, expected %d"
                        % (where, len(got["controls"]), len(want["controls"])))
    for number, (w, g) in enumerate(zip(want["controls"], got["controls"]), 1):
        for key, value in w.items():
            if not _field_matches(value, g.get(key)):
                failures.append("%s, control %d (id %s): %s is %s, expected %s" % (
                    where, number, g.get("id"), key, _show(g.get(key)),
                    "some placeholder text" if value is expected.PLACEHOLDER
                    else "no text" if value == "" else _show(value)))
    return failures


# ---------------------------------------------------------------- version record

def _version_node(data, at):
    """(key, value bytes, value type, children, end) of one VS_VERSIONINFO node."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    if length < 6 or at + length > len(data):
        raise PeError("bad version record node at %d" % at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
        if key_end >= end:
            raise PeError("unterminated key in version record")
    key = data[at + 6:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[cursor:min(cursor + value_size, end)]
    cursor = (cursor + value_size + 3) & ~3
    children = []
    while cursor < end:
        child = _version_node(data, cursor)
        children.append(child)
        cursor = (child[4] + 3) & ~3
    return key, value, kind, children, end


def parse_version(data):
    key, value, _, children, _ = _version_node(data, 0)
    if key != "VS_VERSION_INFO":
        raise PeError("version record key is %r" % key)
    fields = struct.unpack_from("<13I", value)
    if fields[0] != 0xFEEF04BD:
        raise PeError("no VS_FIXEDFILEINFO signature")

    def split(ms, ls):
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    record = {
        "fixed": {
            "file_version": split(fields[2], fields[3]),
            "product_version": split(fields[4], fields[5]),
            "flags_mask": fields[6], "flags": fields[7], "os": fields[8],
            "type": fields[9], "subtype": fields[10],
        },
        "string_blocks": {},
        "translations": [],
    }
    for child_key, _, _, grandchildren, _ in children:
        if child_key == "StringFileInfo":
            for block_key, _, _, strings, _ in grandchildren:
                record["string_blocks"][block_key] = {
                    name: text.decode("utf-16-le").split("\0", 1)[0]
                    for name, text, _, _, _ in strings}
        elif child_key == "VarFileInfo":
            for var_key, var_value, _, _, _ in grandchildren:
                if var_key == "Translation":
                    words = struct.unpack("<%dH" % (len(var_value) // 2), var_value)
                    record["translations"] += list(zip(words[0::2], words[1::2]))
    return record


def check_version(record):
    failures = []
    for key, value in expected.VERSION_FIXED.items():
        if record["fixed"][key] != value:
            failures.append("version record: %s is %s, expected %s"
                            % (key, _show(record["fixed"][key]), _show(value)))
    blocks = record["string_blocks"]
    if list(blocks) != [expected.VERSION_STRING_BLOCK]:
        failures.append("version record: string blocks %s, expected only %s"
                        % (sorted(blocks), expected.VERSION_STRING_BLOCK))
    strings = blocks.get(expected.VERSION_STRING_BLOCK, {})
    for name, value in expected.VERSION_STRINGS.items():
        if strings.get(name) != value:
            failures.append("version record: %s is %r, expected %r" % (name, strings.get(name), value))
    if record["translations"] != expected.VERSION_TRANSLATIONS:
        failures.append("version record: translations %s, expected %s" % (
            ["%04x/%04x" % t for t in record["translations"]],
            ["%04x/%04x" % t for t in expected.VERSION_TRANSLATIONS]))
    return failures


# ---------------------------------------------------------------- manifest

def check_manifest_xml(data):
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as error:
        return ["manifest: not well-formed XML (%s)" % error]

    def local(element):
        return element.tag.rsplit("}", 1)[-1]

    def children(element, name):
        return [child for child in element if local(child) == name]

    def attributes(element):
        return {name.rsplit("}", 1)[-1]: value for name, value in element.attrib.items()}

    failures = []
    identities = children(root, "assemblyIdentity")
    identity = attributes(identities[0]) if identities else {}
    for name, value in expected.MANIFEST_IDENTITY.items():
        if identity.get(name) != value:
            failures.append("manifest: assembly %s is %r, expected %r" % (name, identity.get(name), value))
    if not identity.get("name"):
        failures.append("manifest: the assembly has no name")
    descriptions = [element.text for element in children(root, "description")]
    if descriptions != [expected.MANIFEST_DESCRIPTION]:
        failures.append("manifest: description %r, expected %r" % (descriptions, expected.MANIFEST_DESCRIPTION))
    dependencies = [attributes(identity_element)
                    for dependency in children(root, "dependency")
                    for assembly in children(dependency, "dependentAssembly")
                    for identity_element in children(assembly, "assemblyIdentity")]
    if dependencies != [expected.MANIFEST_DEPENDENCY]:
        failures.append("manifest: dependencies %s, expected only %s" % (dependencies, expected.MANIFEST_DEPENDENCY))
    levels = [attributes(element) for element in root.iter() if local(element) == "requestedExecutionLevel"]
    if levels != [expected.MANIFEST_EXECUTION_LEVEL]:
        failures.append("manifest: execution level %s, expected %s" % (levels, expected.MANIFEST_EXECUTION_LEVEL))
    return failures


# ---------------------------------------------------------------- the whole file

class Report:
    def __init__(self):
        self.failures = []
        self.facts = []


def check(exe_path, resources_dir=DEFAULT_RESOURCES, imports_path=DEFAULT_IMPORTS):
    report = Report()
    fail, note = report.failures.append, report.facts.append
    with open(exe_path, "rb") as f:
        data = f.read()
    note("file: %s, %d bytes (%.1f KiB)" % (os.path.basename(exe_path), len(data), len(data) / 1024))
    try:
        pe = PeFile(data)
    except PeError as error:
        fail("not a PE file: %s" % error)
        return report

    if pe.machine != expected.MACHINE_I386:
        fail("machine is 0x%x, expected 0x%x (i386)" % (pe.machine, expected.MACHINE_I386))
    if pe.magic != expected.MAGIC_PE32:
        fail("optional header magic is 0x%x, expected 0x%x (PE32)" % (pe.magic, expected.MAGIC_PE32))
        return report
    if pe.subsystem != expected.SUBSYSTEM_GUI:
        fail("subsystem is %d, expected %d (Windows GUI)" % (pe.subsystem, expected.SUBSYSTEM_GUI))
    for what, version in (("OS version", pe.os_version), ("subsystem version", pe.subsystem_version)):
        if version > expected.NEWEST_HEADER_VERSION:
            fail("%s is %d.%d, newer than %d.%d: Windows 2000 would not load the program"
                 % ((what,) + version + expected.NEWEST_HEADER_VERSION))
    note("headers: machine 0x%x, PE32, subsystem %d, OS version %d.%d, subsystem version %d.%d"
         % ((pe.machine, pe.subsystem) + pe.os_version + pe.subsystem_version))
    note("sections: " + ", ".join("%s %d" % (name, size) for name, _, size, _, _ in pe.sections))

    try:
        _check_imports(pe, imports_path, report)
        _check_resources(pe, resources_dir, report)
    except PeError as error:
        fail("damaged file: %s" % error)
    return report


def _check_imports(pe, imports_path, report):
    fail, note = report.failures.append, report.facts.append
    listed = read_import_list(imports_path)
    newest = expected.WINDOWS_RELEASES.index(expected.OLDEST_SUPPORTED)
    for index, what in ((DIR_BOUND_IMPORT, "bound import"), (DIR_DELAY_IMPORT, "delay-load import")):
        if pe.directory(index) != (0, 0):
            fail("the file has a %s directory; every import must be an ordinary one" % what)
    imports = pe.imports()
    if not imports:
        fail("the file imports nothing")
    total = 0
    for dll, functions, stamp in imports:
        total += len(functions)
        if dll.lower() not in expected.ALLOWED_DLLS:
            fail("imports from %s, which is not among the DLLs Windows 2000 ships that the "
                 "program may use (%s)" % (dll, ", ".join(expected.ALLOWED_DLLS)))
        if stamp != 0:
            fail("the imports from %s are bound (time stamp 0x%x)" % (dll, stamp))
        for function in functions:
            release = listed.get((_dll_key(dll), function))
            if release is None:
                fail("%s!%s is not in %s: add '%s %s RELEASE' with the minimum supported "
                     "client the function reference gives (or an older release known to export it)"
                     % (dll, function, os.path.relpath(imports_path), _dll_key(dll), function))
            elif expected.WINDOWS_RELEASES.index(release) > newest:
                fail("%s!%s first appeared in Windows %s, later than Windows %s"
                     % (dll, function, release, expected.OLDEST_SUPPORTED))
    note("imports: %d functions from %d DLLs (%s)" % (
        total, len(imports), ", ".join("%s %d" % (dll, len(functions)) for dll, functions, _ in imports)))


def _one(resources, kind, name, what, report):
    """The data of the only language version of a resource, or None."""
    found = {lang: data for (k, n, lang), data in resources.items() if k == kind and n == name}
    if len(found) != 1:
        report.failures.append("%s: %d language versions, expected exactly one" % (what, len(found)))
        return None, None
    return next(iter(found.items()))


def _check_resources(pe, resources_dir, report):
    fail, note = report.failures.append, report.facts.append
    resources = pe.resources()
    note("resources: %d, %d bytes" % (len(resources), sum(len(d) for d in resources.values())))

    for name, file_name in expected.STRING_TABLES:
        lang, data = _one(resources, "LANG", name, 'string table "LANG"/"%s"' % name, report)
        if data is None:
            continue
        with open(os.path.join(resources_dir, file_name), "rb") as f:
            wanted = f.read()
        if data != wanted:
            differs = next((i for i, (a, b) in enumerate(zip(data, wanted)) if a != b),
                           min(len(data), len(wanted)))
            fail('string table "LANG"/"%s" (%d bytes) differs from %s (%d bytes) from byte %d'
                 % (name, len(data), file_name, len(wanted), differs))
        else:
            note('string table "LANG"/"%s": %d bytes, language 0x%04x, equal to %s'
                 % (name, len(data), lang, file_name))

    for ident, want in expected.DIALOGS:
        lang, data = _one(resources, RT_DIALOG, ident, "dialog template %d" % ident, report)
        if data is None:
            continue
        if lang != expected.LANG_JAPANESE:
            fail("dialog template %d is stored under language 0x%04x, expected 0x%04x"
                 % (ident, lang, expected.LANG_JAPANESE))
        try:
            dialog = parse_dialog(data)
        except PeError as error:
            fail("dialog template %d: %s" % (ident, error))
            continue
        failures = compare_dialog(ident, want, dialog)
        report.failures += failures
        if not failures:
            note("dialog template %d: %s form, %d controls, as expected" % (
                ident, "extended" if dialog["extended"] else "plain", len(dialog["controls"])))

    _, data = _one(resources, RT_MANIFEST, expected.MANIFEST_ID, "manifest %d" % expected.MANIFEST_ID, report)
    if data is not None:
        with open(os.path.join(resources_dir, expected.MANIFEST_FILE), "rb") as f:
            wanted = f.read()
        if data != wanted:
            fail("manifest %d differs from %s" % (expected.MANIFEST_ID, expected.MANIFEST_FILE))
        report.failures += check_manifest_xml(data)
        note("manifest: %d bytes" % len(data))

    _, data = _one(resources, RT_VERSION, 1, "version record 1", report)
    if data is not None:
        try:
            failures = check_version(parse_version(data))
        except (PeError, struct.error) as error:
            failures = ["version record: %s" % error]
        report.failures += failures
        if not failures:
            note("version record: %d bytes, as expected" % len(data))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exe", nargs="?", default=DEFAULT_EXE)
    parser.add_argument("--resources", default=DEFAULT_RESOURCES)
    parser.add_argument("--imports", default=DEFAULT_IMPORTS)
    args = parser.parse_args()
    report = check(args.exe, args.resources, args.imports)
    for fact in report.facts:
        print("  " + fact)
    for failure in report.failures:
        print("FAIL " + failure)
    print("%s: %s" % (os.path.relpath(args.exe), "%d failures" % len(report.failures)
                      if report.failures else "fit for Windows 2000 and later"))
    return 1 if report.failures else 0


if __name__ == "__main__":
    sys.exit(main())
