"""What Kestrawn.exe must carry: the headers, the DLLs it may use, and its
resources field by field. Kept as data; check_exe.py compares the file with it."""

MACHINE_I386 = 0x14C
MAGIC_PE32 = 0x10B
SUBSYSTEM_GUI = 2
# Windows 2000 is 5.0: a higher OS or subsystem version makes its loader refuse
# the file.
NEWEST_HEADER_VERSION = (5, 0)

# The DLLs Windows 2000 ships that the program may import from.
ALLOWED_DLLS = ("kernel32.dll", "user32.dll", "advapi32.dll", "gdi32.dll",
                "msvcrt.dll", "shell32.dll")

# The releases a function may be first found in, oldest first; the program
# must run on Windows 2000.
WINDOWS_RELEASES = ("NT3.1", "NT3.5", "NT4", "2000", "XP", "2003", "Vista", "7", "8", "8.1", "10")
OLDEST_SUPPORTED = "2000"

LANG_JAPANESE = 0x0411

# The string tables: resource type "LANG", named by language, equal byte for
# byte to the files in resources/.
STRING_TABLES = (("EN", "en.lang"), ("JA", "ja.lang"))

MANIFEST_ID = 1
MANIFEST_FILE = "Kestrawn.manifest"

# Control classes of dialog templates, stored as predefined atoms or names.
CLASS_ATOMS = {0x80: "BUTTON", 0x81: "EDIT", 0x82: "STATIC", 0x83: "LISTBOX",
               0x84: "SCROLLBAR", 0x85: "COMBOBOX"}

# A placeholder is any non-empty text (it is replaced at run time); NO_TEXT
# means the template must carry none.
PLACEHOLDER = "placeholder"
NO_TEXT = ""

_DIALOG_HEADER = {
    "extended": True,   # DLGTEMPLATEEX
    "help_id": 0,
    "style": 0x80C808C8,
    "ex_style": 0,
    "x": 0, "y": 0,
    "menu": None,
    "window_class": None,
    "caption": PLACEHOLDER,
    "font_size": 8, "font_weight": 400, "font_italic": 0, "font_charset": 1,
    "font_face": "MS Shell Dlg",
}

_CONTROL_COLUMNS = ("id", "window_class", "style", "x", "y", "cx", "cy", "text")


def _controls(rows):
    """Controls in template order; each has help id 0, no extended style and
    no creation data."""
    return [dict(zip(_CONTROL_COLUMNS, row), help_id=0, ex_style=0, extra=b"")
            for row in rows]


# Template 102, the main dialog.
MAIN_DIALOG = dict(_DIALOG_HEADER, cx=343, cy=150, controls=_controls([
    (1, "BUTTON", 0x50010001, 229, 130, 50, 14, PLACEHOLDER),
    (2, "BUTTON", 0x50010000, 286, 130, 50, 14, PLACEHOLDER),
    (1009, "BUTTON", 0x50000007, 3, 3, 336, 54, PLACEHOLDER),
    (1010, "STATIC", 0x50020000, 12, 20, 96, 14, PLACEHOLDER),
    (1001, "EDIT", 0x50810880, 111, 17, 222, 14, NO_TEXT),
    (1011, "STATIC", 0x50020000, 12, 38, 96, 14, PLACEHOLDER),
    (1002, "EDIT", 0x50810880, 111, 35, 222, 14, NO_TEXT),
    (1014, "STATIC", 0x50020000, 39, 60, 297, 60, PLACEHOLDER),
]))

# Template 106, the input dialog.
INPUT_DIALOG = dict(_DIALOG_HEADER, cx=343, cy=97, controls=_controls([
    (1009, "BUTTON", 0x50000007, 3, 20, 336, 54, PLACEHOLDER),
    (1010, "STATIC", 0x50020000, 3, 6, 282, 9, PLACEHOLDER),
    (1011, "STATIC", 0x50020000, 12, 38, 96, 15, PLACEHOLDER),
    (1001, "EDIT", 0x50810080, 102, 35, 222, 14, NO_TEXT),
    (1012, "STATIC", 0x50020000, 12, 56, 96, 15, PLACEHOLDER),
    (1002, "EDIT", 0x50810080, 102, 53, 222, 14, NO_TEXT),
    (1, "BUTTON", 0x50010001, 229, 78, 50, 14, PLACEHOLDER),
    (2, "BUTTON", 0x50010000, 286, 78, 50, 14, PLACEHOLDER),
]))

DIALOGS = ((102, MAIN_DIALOG), (106, INPUT_DIALOG))

# The version record.
VERSION_FIXED = {
    "file_version": (1, 0, 0, 0),
    "product_version": (1, 0, 0, 0),
    "flags_mask": 0x17,
    "flags": 0,
    "os": 0x00000004,    # VOS__WINDOWS32
    "type": 1,           # VFT_APP
    "subtype": 0,
}
VERSION_STRING_BLOCK = "000004b0"
VERSION_STRINGS = {
    "FileDescription": "Kestrawn",
    "FileVersion": "1, 0, 0, 0",
    "InternalName": "Kestrawn.exe",
    "OriginalFilename": "Kestrawn.exe",
    "ProductName": "Kestrawn",
    "ProductVersion": "1, 0, 0, 0",
}
VERSION_TRANSLATIONS = [(0x0000, 0x04B0)]

# What the manifest must declare, read from its XML.
MANIFEST_IDENTITY = {"version": "1.0.0.0", "processorArchitecture": "X86", "type": "win32"}
MANIFEST_DESCRIPTION = "Kestrawn"
MANIFEST_DEPENDENCY = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                       "version": "6.0.0.0", "processorArchitecture": "X86",
                       "publicKeyToken": "6595b64144ccf1df", "language": "*"}
MANIFEST_EXECUTION_LEVEL = {"level": "requireAdministrator", "uiAccess": "false"}
