"""Every supported Windows that Wine can stand in for, and some it refuses.

The cells and the flows run on each are the tables below; a case is named
test_matrix_<arch>_<version>_<language>_<flow>. Each runs on a machine of
its own. A 64-bit prefix runs Kestrawn under WOW64.

Not here, because Wine cannot stand in for them: Windows 2000 under WOW64
(there was no such system), server editions acting as domain controllers
(Wine reports only workstation and server), and a user who is not an
administrator (Wine always answers that the user is one); the host tests
cover those.
"""

import time

from kestrawn_e2e import (ID_CANCEL, ID_OK, ID_ORGANIZATION, ID_OWNER, ID_QUIT, ID_RESTORE,
                          ID_STATUS, ID_YES, USER_INFO, Machine, script_bytes, strings)

ID_BOX_TEXT = 65535

# Supported cells: (prefix, Wine's version name, the system it stands for,
# the fixed pair a restoration falls back on there: None, "server", "wow64").
SUPPORTED = [
    ("win32", "win2k", "Windows 2000", None),
    ("win32", "winxp", "Windows XP", None),
    ("win32", "win2003", "Windows Server 2003", None),
    ("win32", "vista", "Windows Vista", None),
    ("win32", "win2008", "Windows Server 2008", "server"),
    ("win64", "winxp64", "Windows XP Professional x64", None),
    ("win64", "win2003", "Windows Server 2003 x64", None),
    ("win64", "vista", "Windows Vista x64", "wow64"),
    ("win64", "win2008", "Windows Server 2008 x64", "wow64"),
]

# Refused cells: older and newer systems than the program knows.
REFUSED = [
    ("win32", "nt40", "Windows NT 4.0"),
    ("win32", "win98", "Windows 98"),
    ("win32", "win7", "Windows 7"),
    ("win64", "win7", "Windows 7 x64"),
    ("win64", "win10", "Windows 10 x64"),
]

LANGUAGES = ("en", "ja")

# Names typed in the input dialog: the Japanese one has a character outside
# the Basic Multilingual Plane.
TYPED_OWNER = {"en": "Kaori Tanaka", "ja": "\u7530\u4e2d \U00020bb7\u7e54"}

MAIN_TEXTS = [(ID_RESTORE, "S_UI_RESTORE"), (ID_QUIT, "S_UI_EXIT"), (1009, "S_UI_USER"),
              (1010, "S_UI_OWNER"), (1011, "S_UI_ORGANIZATION")]
INPUT_TEXTS = [(ID_OK, "S_UI_OK"), (ID_CANCEL, "S_UI_CANCEL"), (1010, "S_UI_INPUT_MESSAGE"),
               (1011, "S_UI_INPUT_OWNER"), (1012, "S_UI_INPUT_ORGANIZATION")]


def check_texts(window, table, texts):
    assert window.caption == table["S_APP_NAME"], window
    for control, key in texts:
        assert window.text(control) == table[key], (key, window)


def wait_for_status(m, text):
    """The main dialog once its refresh shows text."""
    deadline = time.time() + 10
    main = m.main_dialog()
    while main.text(ID_STATUS) != text and time.time() < deadline:
        time.sleep(0.1)
        main = m.main_dialog()
    assert main.text(ID_STATUS) == text, main
    return main


def sound(arch, version, language, fixed):
    table = strings(language)
    with Machine(arch, version, language) as m:
        program = m.start()
        main = m.main_dialog()
        check_texts(main, table, MAIN_TEXTS)
        assert main.text(ID_STATUS) == table["S_STAT_NOERROR"], main
        assert main.control_enabled(ID_RESTORE), main
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert not m.exists("StringTable.dat") and not m.exists("Kestrawn.dat")


def repair(arch, version, language, fixed):
    """Owner lost, organization kept: the typical run."""
    table = strings(language)
    owner = TYPED_OWNER[language]
    with Machine(arch, version, language) as m:
        m.reg_delete("RegisteredOwner")
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == table["S_STAT_BAD_REGISTRY"], main
        assert main.text(ID_OWNER) == table["S_UI_BAD_VALUE"], main
        dialog, box = m.restore_by_typing(owner)
        check_texts(dialog, table, INPUT_TEXTS)
        assert (dialog.text(ID_OWNER), dialog.text(ID_ORGANIZATION)) == ("", "Test Organization")
        assert box.text(ID_BOX_TEXT) == table["S_ERR_OPERATION_SUCCEED"], box
        main = wait_for_status(m, table["S_STAT_NOERROR"])
        assert main.text(ID_OWNER) == owner, main
        assert m.user_info() == (owner, "Test Organization")
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert not m.exists("StringTable.dat") and not m.exists("Kestrawn.dat")


def both_missing(arch, version, language, fixed):
    """Nothing left to go on: the fixed pair where the system has one, else
    the input dialog with empty fields."""
    table = strings(language)
    pairs = {"server": (table["S_FIXED_VALUE1"], ""), "wow64": ("Microsoft", "Microsoft")}
    with Machine(arch, version, language, sound=False) as m:
        m.reg_delete("RegisteredOwner")
        m.reg_delete("RegisteredOrganization")
        program = m.start()
        assert m.main_dialog().text(ID_STATUS) == table["S_STAT_BAD_REGISTRY"]
        assert not m.exists("Kestrawn.dat"), "nothing worth keeping"
        m.click("main", ID_RESTORE)
        if fixed is None:
            dialog = m.dialog("input")
            assert (dialog.text(ID_OWNER), dialog.text(ID_ORGANIZATION)) == ("", ""), dialog
            m.cancel_input()
            assert m.user_info() == (None, None)
            m.click("main", ID_QUIT)
            m.answer(ID_YES)
        else:
            box = m.answer(ID_OK)
            assert box.text(ID_BOX_TEXT) == table["S_ERR_OPERATION_SUCCEED"], box
            assert not m.has_window("input"), "the fixed pair is written without asking"
            assert m.user_info() == pairs[fixed]
            m.click("main", ID_QUIT)
        assert m.finish(program) == 0


def refused(arch, version, language):
    table = strings(language)
    with Machine(arch, version, language) as m:
        program = m.start()
        box = m.answer(ID_OK)
        assert box.caption == table["S_APP_NAME"], box
        assert box.text(ID_BOX_TEXT) == table["S_ERR_UNSUPPORTED_OS"], box
        assert m.finish(program) == 0
        assert not m.has_window("main")
        assert not m.exists("StringTable.dat")


def refused_write(arch, version, language, fixed):
    """A refused write leaves a script for the view the program writes."""
    table = strings(language)
    with Machine(arch, version, language) as m:
        m.reg_delete("RegisteredOwner")
        m.driver("reg-deny-write", USER_INFO)
        program = m.start()
        m.main_dialog()
        _, box = m.restore_by_typing(TYPED_OWNER[language])
        assert box.text(ID_BOX_TEXT) == table["S_ERR_OPERATION_FAILED"], box
        assert m.finish(program) == 0
        assert m.user_info() == (None, "Test Organization")
        assert m.read("Kestrawn.reg") == script_bytes(
            TYPED_OWNER[language], "Test Organization", wow64=(arch == "win64"))


def _case(flow, *args):
    return lambda: flow(*args)


CASES = []
for arch, version, _, fixed in SUPPORTED:
    for language in LANGUAGES:
        flows = [sound, repair]
        if version in ("vista", "win2008"):
            flows.append(both_missing)  # the only systems with fixed pairs
        for flow in flows:
            name = "test_matrix_%s_%s_%s_%s" % (arch, version, language, flow.__name__)
            CASES.append((name, _case(flow, arch, version, language, fixed)))
for arch, version, _ in REFUSED:
    for language in LANGUAGES:
        name = "test_matrix_%s_%s_%s_refused" % (arch, version, language)
        CASES.append((name, _case(refused, arch, version, language)))
# The flows that differ by cell elsewhere, once each.
CASES += [
    ("test_matrix_win32_winxp_en_both_missing", _case(both_missing, "win32", "winxp", "en", None)),
    ("test_matrix_win32_winxp_en_refused_write", _case(refused_write, "win32", "winxp", "en", None)),
    ("test_matrix_win64_vista_ja_refused_write", _case(refused_write, "win64", "vista", "ja", "wow64")),
]
