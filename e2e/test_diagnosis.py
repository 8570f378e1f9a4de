"""What the main dialog tells the user, on the real exe under Wine."""

import time

from kestrawn_e2e import (ID_NO, ID_OK, ID_ORGANIZATION, ID_OWNER, ID_QUIT, ID_RESTORE,
                          ID_STATUS, ID_YES, UNINSTALL, Machine, backup_bytes, strings)

EN = strings("en")
CONFIG_KEY = UNINSTALL + "\\{6E31A5C2-0B7D-4F48-9A16-3D27C8E4B950}"
SETUP_KEY = UNINSTALL + "\\{A4D2917E-58C3-4B06-B7E1-0F62C93D4A18}"


def test_sound_machine_needs_nothing_and_quits_without_asking():
    with Machine() as m:
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_NOERROR"], main
        assert main.text(ID_OWNER) == "Test Owner", main
        assert main.text(ID_ORGANIZATION) == "Test Organization", main
        assert main.control_enabled(ID_RESTORE), main
        assert m.exists("StringTable.dat"), "the string table is extracted while running"
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert not m.exists("StringTable.dat")
        assert not m.exists("Kestrawn.dat"), "a sound machine keeps no backup"


def test_missing_owner_is_reported_backed_up_and_quit_asks_first():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_BAD_REGISTRY"], main
        assert main.text(ID_OWNER) == EN["S_UI_BAD_VALUE"], main
        assert main.text(ID_ORGANIZATION) == "Test Organization", main
        assert main.control_enabled(ID_RESTORE), main
        assert m.read("Kestrawn.dat") == backup_bytes("", "Test Organization")

        # No keeps the dialog open; Yes ends it.
        m.click("main", ID_QUIT)
        box = m.answer(ID_NO)
        assert box.text(65535) == EN["S_CONFIRM_MESSAGE"], box
        assert program.poll() is None
        assert m.main_dialog().text(ID_STATUS) == EN["S_STAT_BAD_REGISTRY"]
        m.driver("close", "main")
        m.answer(ID_YES)
        assert m.finish(program) == 0
        assert m.user_info() == (None, "Test Organization"), "quitting writes nothing"
        assert m.exists("Kestrawn.dat"), "the backup outlives the run"
        assert not m.exists("StringTable.dat")


def test_escape_ends_a_sound_run_at_once():
    with Machine() as m:
        program = m.start()
        m.main_dialog()
        m.driver("escape", "main")
        assert m.finish(program) == 0


def test_affected_utility_in_the_32_bit_view_is_listed_and_restore_disabled():
    with Machine(arch="win64") as m:
        m.reg_set("DisplayVersion", "3.0a", key=SETUP_KEY)
        # The same product key in the 64-bit view only is not Kestrawn's concern.
        m.wine_reg("add", CONFIG_KEY, "/v", "DisplayVersion", "/t", "REG_SZ", "/d", "3.1a",
                   "/f", "/reg:64")
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_BAD_INSTALL"] + "\r\n    Brasko Setup", main
        assert not main.control_enabled(ID_RESTORE), main
        assert m.read("Kestrawn.dat") == backup_bytes("Test Owner", "Test Organization")

        # A Restore command posted by another program is ignored as well.
        m.driver("post-command", "main", str(ID_RESTORE))
        time.sleep(1.5)
        assert not m.has_window("input") and not m.has_window("box")
        assert m.main_dialog().enabled
        assert m.user_info() == ("Test Owner", "Test Organization")

        # Nothing can be restored here yet, so quitting does not ask.
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0


def test_windows_7_is_refused_before_any_dialog():
    with Machine(version="win7") as m:
        program = m.start()
        box = m.answer(ID_OK)
        assert box.text(65535) == EN["S_ERR_UNSUPPORTED_OS"], box
        assert m.finish(program) == 0
        assert not m.exists("StringTable.dat")
        assert not m.exists("Kestrawn.dat")
