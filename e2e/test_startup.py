"""Start-up, the string table, a second instance and files left by others,
on the real exe under Wine."""

import os

from kestrawn_e2e import (APP_WIN, ID_ORGANIZATION, ID_OWNER, ID_QUIT, ID_RESTORE,
                          ID_STATUS, Machine, backup_bytes, strings)

# Main dialog controls and the texts they show.
MAIN_TEXTS = [(ID_RESTORE, "S_UI_RESTORE"), (ID_QUIT, "S_UI_EXIT"), (1009, "S_UI_USER"),
              (1010, "S_UI_OWNER"), (1011, "S_UI_ORGANIZATION"), (ID_STATUS, "S_STAT_NOERROR")]


def check_main_texts(main, table):
    assert main.caption == table["S_APP_NAME"] == "Kestrawn", main
    for control, key in MAIN_TEXTS:
        assert main.text(control) == table[key], (key, main)


def language_case(language):
    def run():
        with Machine(language=language) as m:
            program = m.start()
            check_main_texts(m.main_dialog(), strings(language))
            m.click("main", ID_QUIT)
            assert m.finish(program) == 0
            assert not m.exists("StringTable.dat")
    return run


CASES = [("test_main_dialog_texts_in_" + language, language_case(language))
         for language in ("en", "ja")]


def test_second_instance_ends_at_once_and_leaves_the_first_alone():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        first = m.start()
        m.main_dialog()
        m.click("main", ID_RESTORE)
        m.dialog("input")
        table = m.read("StringTable.dat")
        backup = m.read("Kestrawn.dat")

        second = m.start()
        assert m.finish(second) == 0
        assert m.read("StringTable.dat") == table
        assert m.read("Kestrawn.dat") == backup
        assert first.poll() is None

        # The first goes on as if nothing happened.
        m.cancel_input()
        m.driver("close", "main")
        m.answer(6)
        assert m.finish(first) == 0
        assert not m.exists("StringTable.dat")


def test_string_table_path_taken_by_a_directory_ends_silently():
    with Machine() as m:
        os.mkdir(m.path("StringTable.dat"))
        program = m.start()
        assert m.finish(program) == 0
        assert not m.has_window("box") and not m.has_window("main")
        assert os.path.isdir(m.path("StringTable.dat"))


def test_string_table_locked_by_another_program_ends_silently():
    with Machine() as m:
        m.write("StringTable.dat", b"held by someone else")
        locker, _ = m.start_driver("lock-file", APP_WIN + "\\StringTable.dat", "60000")
        program = m.start()
        assert m.finish(program) == 0
        assert not m.has_window("box") and not m.has_window("main")
        assert m.read("StringTable.dat") == b"held by someone else"
        locker.kill()


def test_leftover_string_table_is_replaced_and_removed():
    with Machine() as m:
        m.write("StringTable.dat", b"[LOCALIZED]\r\nS_STAT_NOERROR=left by a killed run\r\n")
        program = m.start()
        check_main_texts(m.main_dialog(), strings("en"))
        m.click("main", ID_QUIT)
        assert m.finish(program) == 0
        assert not m.exists("StringTable.dat")


def test_read_only_backup_is_left_as_it_was_and_the_verdict_shows():
    with Machine() as m:
        m.reg_delete("RegisteredOwner")
        earlier = backup_bytes("Earlier Owner", "Earlier Organization")
        m.write("Kestrawn.dat", earlier)
        os.chmod(m.path("Kestrawn.dat"), 0o444)
        program = m.start()
        main = m.main_dialog()
        assert main.text(ID_STATUS) == strings("en")["S_STAT_BAD_REGISTRY"], main
        assert main.text(ID_OWNER) == strings("en")["S_UI_BAD_VALUE"], main
        assert main.text(ID_ORGANIZATION) == "Test Organization", main
        assert m.read("Kestrawn.dat") == earlier
        assert not m.exists("Kestrawn.dat.tmp")

        # The earlier backup still prefills the input dialog.
        m.click("main", ID_RESTORE)
        dialog = m.dialog("input")
        assert dialog.text(ID_OWNER) == "Earlier Owner", dialog
        m.cancel_input()
        m.driver("close", "main")
        m.answer(6)
        assert m.finish(program) == 0
