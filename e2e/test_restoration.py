"""Restoring the user information, on the real exe under Wine."""

import codecs
import time

from kestrawn_e2e import (ID_OK, ID_ORGANIZATION, ID_OWNER, ID_QUIT, ID_RESTORE,
                          ID_STATUS, USER_INFO, Machine, backup_bytes, script_bytes, strings)

EN = strings("en")
ID_BOX_TEXT = 65535


def custom_file(owner_line, organization_line=None):
    """A custom restoration file as an administrator saves it from Notepad."""
    text = "[CUSTOM_RESTORE_INFO]\r\n" + owner_line + "\r\n"
    if organization_line is not None:
        text += organization_line + "\r\n"
    return codecs.BOM_UTF16_LE + text.encode("utf-16-le")


def test_typical_repair_run_from_start_to_end():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_BAD_REGISTRY"], main
        assert m.read("Kestrawn.dat") == backup_bytes("", "Test Organization")

        dialog, box = m.restore_by_typing("Kaori Tanaka")
        assert dialog.text(ID_OWNER) == "", dialog
        assert dialog.text(ID_ORGANIZATION) == "Test Organization", dialog
        assert dialog.focus == ID_OWNER, dialog
        assert box.text(ID_BOX_TEXT) == EN["S_ERR_OPERATION_SUCCEED"], box

        main = m.main_dialog()
        deadline = time.time() + 10
        while main.text(ID_STATUS) != EN["S_STAT_NOERROR"] and time.time() < deadline:
            main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_NOERROR"], main
        assert main.text(ID_OWNER) == "Kaori Tanaka", main
        assert m.user_info() == ("Kaori Tanaka", "Test Organization")
        assert not m.exists("Kestrawn.dat"), "the backup is deleted once the values are sound"

        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert not m.exists("StringTable.dat")
        assert not m.exists("Kestrawn.reg")


def test_valid_custom_file_is_written_without_any_dialog():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        ini = custom_file('RegisteredOwner = "  Custom Owner  "', "RegisteredOrganization=Custom Org")
        m.write("Kestrawn.ini", ini)
        program = m.start()
        m.main_dialog()
        m.click("main", ID_RESTORE)
        box = m.answer(ID_OK)
        assert box.text(ID_BOX_TEXT) == EN["S_ERR_OPERATION_SUCCEED"], box
        assert not m.has_window("input"), "a custom file is applied without asking"
        assert m.user_info() == ("  Custom Owner  ", "Custom Org")
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert m.read("Kestrawn.ini") == ini, "the custom file is never changed"


def test_invalid_custom_file_stops_with_its_message_and_writes_nothing():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        ini = custom_file("RegisteredOwner=", "RegisteredOrganization=Custom Org")
        m.write("Kestrawn.ini", ini)
        program = m.start()
        box = m.answer(ID_OK)
        assert box.text(ID_BOX_TEXT) == EN["S_ERR_FILEREAD_FAILED"], box
        assert m.finish(program) == 0
        assert not m.has_window("main")
        assert m.user_info() == (None, "Test Organization")
        assert m.read("Kestrawn.ini") == ini
        assert not m.exists("StringTable.dat")


def test_input_dialog_refuses_bad_lengths_and_returns_to_the_field():
    with Machine() as m:
        program = m.start()
        m.main_dialog()
        m.click("main", ID_RESTORE)
        dialog = m.dialog("input")
        assert (dialog.text(ID_OWNER), dialog.text(ID_ORGANIZATION)) == \
            ("Test Owner", "Test Organization"), "prefilled from the registry"

        for owner, organization, message, field in [
            ("", "Org", "S_ERR_OWN_TOSHORT", ID_OWNER),
            ("x" * 1025, "Org", "S_ERR_OWN_TOLONG", ID_OWNER),
            ("Owner", "y" * 1025, "S_ERR_ORG_TOLONG", ID_ORGANIZATION),
        ]:
            m.set_text("input", ID_OWNER, owner)
            m.set_text("input", ID_ORGANIZATION, organization)
            m.click("input", ID_OK)
            box = m.answer(ID_OK)
            assert box.text(ID_BOX_TEXT) == EN[message], (message, box)
            dialog = m.dialog("input")
            assert dialog.focus == field, (message, dialog)
            assert m.user_info() == ("Test Owner", "Test Organization"), message

        # Cancel writes nothing and shows nothing.
        m.cancel_input()
        assert not m.has_window("box")
        assert m.user_info() == ("Test Owner", "Test Organization")

        # 1024 code units, a surrogate pair among them, are accepted as typed.
        owner = "\U0001F600" + "x" * 1022
        _, box = m.restore_by_typing(owner, "")
        assert box.text(ID_BOX_TEXT) == EN["S_ERR_OPERATION_SUCCEED"]
        assert m.user_info() == (owner, "")
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0


def test_refused_write_leaves_a_script_and_ends():
    with Machine(arch="win64") as m:
        m.reg_delete("RegisteredOwner")
        m.driver("reg-deny-write", USER_INFO)
        program = m.start()
        m.main_dialog()
        _, box = m.restore_by_typing('Kaori "K" Tanaka \\ Ltd')
        assert box.text(ID_BOX_TEXT) == EN["S_ERR_OPERATION_FAILED"], box
        assert m.finish(program) == 0, "the dialog ends after a failed write"
        assert m.user_info() == (None, "Test Organization")
        assert m.read("Kestrawn.reg") == script_bytes(
            'Kaori \\"K\\" Tanaka \\\\ Ltd', "Test Organization", wow64=True)
        assert not m.exists("StringTable.dat")
