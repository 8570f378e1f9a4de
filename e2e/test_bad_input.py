"""Machines in a bad state, each on a machine of its own: what the program
makes of them on the real exe under Wine."""

import os
import subprocess

from kestrawn_e2e import (ID_ORGANIZATION, ID_OWNER, ID_QUIT, ID_RESTORE,
                          ID_STATUS, ID_YES, Machine, backup_bytes, strings)

EN = strings("en")


def test_overlong_owner_counts_as_damaged_and_is_not_backed_up():
    with Machine() as m:
        m.reg_set("RegisteredOwner", "x" * 1025)
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_BAD_REGISTRY"], main
        assert main.text(ID_OWNER) == EN["S_UI_BAD_VALUE"], main
        assert main.text(ID_ORGANIZATION) == "Test Organization", main
        assert m.read("Kestrawn.dat") == backup_bytes("", "Test Organization")
        m.driver("escape", "main")
        m.answer(ID_YES)
        assert m.finish(program) == 0
        assert m.user_info() == ("x" * 1025, "Test Organization"), "nothing written unasked"


def test_characters_outside_the_basic_plane_are_sound_and_shown_whole():
    owner, organization = "\U00020bb7\u91ce \U0001F600", "\U0001D11E Music"
    with Machine() as m:
        m.reg_set("RegisteredOwner", owner)
        m.reg_set("RegisteredOrganization", organization)
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == EN["S_STAT_NOERROR"], main
        assert (main.text(ID_OWNER), main.text(ID_ORGANIZATION)) == (owner, organization), main
        dialog, _ = m.restore_by_typing()
        assert (dialog.text(ID_OWNER), dialog.text(ID_ORGANIZATION)) == (owner, organization)
        assert m.user_info() == (owner, organization), "written back unchanged"
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0


def test_backup_path_taken_by_a_directory_is_left_alone():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        os.mkdir(m.path("Kestrawn.dat"))
        program = m.start()
        assert m.main_dialog().text(ID_STATUS) == EN["S_STAT_BAD_REGISTRY"]
        assert os.path.isdir(m.path("Kestrawn.dat"))
        assert not m.exists("Kestrawn.dat.tmp")
        # Without a backup the input dialog starts from the registry.
        dialog, _ = m.restore_by_typing("Kaori Tanaka")
        assert (dialog.text(ID_OWNER), dialog.text(ID_ORGANIZATION)) == ("", "Test Organization")
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert m.user_info() == ("Kaori Tanaka", "Test Organization")
        assert os.path.isdir(m.path("Kestrawn.dat")), "a sound verdict deletes only a file"


def test_read_only_program_folder_ends_silently():
    with Machine() as m:
        # Root ignores permission bits, so the folder is made read-only for
        # everyone by mounting it over itself read-only.
        subprocess.run(["mount", "--bind", m.app_dir, m.app_dir], check=True)
        try:
            subprocess.run(["mount", "-o", "remount,bind,ro", m.app_dir], check=True)
            program = m.start()
            assert m.finish(program) == 0
            assert not m.has_window("main") and not m.has_window("box")
            assert sorted(os.listdir(m.app_dir)) == ["Kestrawn.exe", "KestrawnDriver.exe"]
            assert m.user_info() == ("Test Owner", "Test Organization")
        finally:
            subprocess.run(["umount", "-l", m.app_dir], check=False)


def test_cancelled_input_with_quotes_and_a_line_break_writes_nothing():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        program = m.start()
        m.main_dialog()
        m.click("main", ID_RESTORE)
        m.dialog("input")
        m.set_text("input", ID_OWNER, 'a "quoted" \\ name\r\nwith a line break')
        m.cancel_input()
        assert m.user_info() == (None, "Test Organization")
        assert not m.exists("Kestrawn.reg")
        m.driver("close", "main")
        m.answer(ID_YES)
        assert m.finish(program) == 0
