"""The end-to-end test machine: a Wine prefix of its own, a virtual display of
its own, and Kestrawn.exe with the test driver in C:\\app.

A test makes a Machine, sets up the registry and the files it needs, starts
Kestrawn and plays the user through KestrawnDriver.exe (see its header for the
commands). Every Machine starts from a copy of a cached, freshly made prefix,
so no test depends on another.
"""

import codecs
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "win32")
CACHE = os.path.join(ROOT, "build", "e2e-cache")
EXE = os.path.join(BUILD, "Kestrawn.exe")
DRIVER = os.path.join(BUILD, "KestrawnDriver.exe")

USER_INFO = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"
UNINSTALL = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
APP_WIN = "C:\\app"

# The values a sound machine has unless a test says otherwise.
SOUND_OWNER = "Test Owner"
SOUND_ORGANIZATION = "Test Organization"

# Control and button ids of the dialogs (resources/resource.h) and of
# message boxes.
ID_OK, ID_CANCEL, ID_YES, ID_NO = 1, 2, 6, 7
ID_RESTORE, ID_QUIT = 1, 2
ID_OWNER, ID_ORGANIZATION, ID_STATUS = 1001, 1002, 1014
ID_BOX_TEXT = 65535

TIMEOUT_MS = 20000


class E2EError(AssertionError):
    pass


def _base_env():
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    for key in ("LANG", "LANGUAGE", "LC_ALL", "LC_CTYPE", "LC_MESSAGES"):
        env.pop(key, None)
    env["LC_ALL"] = "C.UTF-8"
    return env


# ---------------------------------------------------------------- displays

class Display:
    """An Xvfb server on a display number of its own choosing: with
    -displayfd the server takes the first free number under its own lock, so
    tests started side by side never share (and never stop) each other's."""

    def __init__(self):
        self.number = None
        self.process = None

    def start(self):
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                 "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            with os.fdopen(read_end, "rb") as announced:
                read_end = None
                number = announced.readline().strip()
        finally:
            for fd in (read_end, write_end):
                if fd is not None:
                    os.close(fd)
        if not number.isdigit():
            self.stop()
            raise E2EError("Xvfb did not start")
        self.number = int(number)
        return self

    @property
    def name(self):
        return ":%d" % self.number

    def stop(self):
        if self.process is not None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
            self.process = None


# ---------------------------------------------------------------- prefixes

def wine_version():
    return subprocess.run(["wine", "--version"], capture_output=True, text=True,
                          env=_base_env()).stdout.strip()


def base_prefix(arch):
    """A freshly made prefix of the given kind ("win32" or "win64"), made once
    and kept in build/e2e-cache; tests copy it."""
    tag = "%s-%s" % (arch, wine_version().replace(" ", "_"))
    path = os.path.join(CACHE, "prefix-" + tag)
    stamp = os.path.join(path, ".complete")
    if os.path.exists(stamp):
        return path
    if os.path.exists(path):
        shutil.rmtree(path)
    os.makedirs(CACHE, exist_ok=True)
    display = Display().start()
    try:
        env = _base_env()
        env.update(WINEPREFIX=path, WINEARCH=arch, DISPLAY=display.name)
        subprocess.run(["wineboot", "-i"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, check=True)
    finally:
        display.stop()
    open(stamp, "w").close()
    return path


def _copy_prefix(source, target):
    """A prefix of hard links to the base: a Windows system folder is over a
    gigabyte, and nothing a test does writes to its DLLs. The files Wine
    rewrites (the registry hives, .ini files) become copies of their own."""
    subprocess.run(["cp", "-al", source, target], check=True)
    for folder, _, names in os.walk(target):
        for name in names:
            if name.lower().endswith((".reg", ".ini", ".log", ".txt", ".dat")):
                path = os.path.join(folder, name)
                if os.path.islink(path):
                    continue
                shutil.copy2(path, path + ".copy")
                os.replace(path + ".copy", path)


# ---------------------------------------------------------------- strings

def strings(language):
    """The string table of "en" or "ja" as the program shows it: the values
    after the tab, with \\n turned into CR LF."""
    path = os.path.join(ROOT, "resources", language + ".lang")
    # Both files carry Japanese comments; the English values are plain ASCII.
    raw = open(path, "rb").read().decode("cp932")
    table = {}
    for line in raw.split("\r\n"):
        if not line.startswith("S_"):
            continue
        key, value = line.split("=", 1)
        value = value.strip(" \t")
        table[key.strip()] = value.replace("\\n", "\r\n")
    return table


def hex16(text):
    """Text as the driver takes it: UTF-16LE bytes in hex."""
    return text.encode("utf-16-le").hex()


# ---------------------------------------------------------------- machine

class Machine:
    """One emulated Windows machine for one test.

    arch: "win32" (a pure 32-bit system) or "win64" (Kestrawn under WOW64).
    version: Wine's Windows version name ("win2k", "winxp", "win2003",
    "vista", "win2008", "win7", ...). language: "en" or "ja" system locale.
    sound: start with a valid owner and organization.
    desktop: run in a Wine virtual desktop of 800x600 at the display's top
    left corner, where Wine draws the window frames itself (for screenshots:
    a bare Xvfb has no window manager to draw captions).
    """

    def __init__(self, arch="win64", version="winxp", language="en", sound=True, desktop=False):
        self.arch, self.version, self.language, self.sound = arch, version, language, sound
        self.desktop = desktop
        self.prefix = None
        self.display = None
        self.processes = []

    # -- set-up and tear-down

    def __enter__(self):
        base = base_prefix(self.arch)
        self.root = tempfile.mkdtemp(prefix="kestrawn-e2e-")
        self.prefix = os.path.join(self.root, "prefix")
        _copy_prefix(base, self.prefix)
        self.display = Display().start()
        self.app_dir = os.path.join(self.prefix, "drive_c", "app")
        os.makedirs(self.app_dir)
        shutil.copy(EXE, os.path.join(self.app_dir, "Kestrawn.exe"))
        shutil.copy(DRIVER, os.path.join(self.app_dir, "KestrawnDriver.exe"))
        subprocess.run(["wineserver", "-p"], env=self.env(), check=True)
        commands = ["reg-set", "HKCU\\Software\\Wine", "Version", hex16(self.version)]
        if self.sound:
            commands += ["reg-set", USER_INFO, "RegisteredOwner", hex16(SOUND_OWNER),
                         "reg-set", USER_INFO, "RegisteredOrganization",
                         hex16(SOUND_ORGANIZATION)]
        if self.desktop:
            commands += ["reg-set", "HKCU\\Software\\Wine\\Explorer", "Desktop", hex16("Default"),
                         "reg-set", "HKCU\\Software\\Wine\\Explorer\\Desktops", "Default",
                         hex16("800x600")]
        self.driver(*commands)
        if self.desktop:
            # The desktop is chosen when the prefix's first program starts.
            env = self.env()
            for flag in ("-k", "-w", "-p"):
                subprocess.run(["wineserver", flag], env=env, check=False)
        return self

    def __exit__(self, kind, value, traceback):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        env = self.env()
        subprocess.run(["wineserver", "-k"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for process in self.processes:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        if self.display is not None:
            self.display.stop()
        if os.environ.get("KESTRAWN_E2E_KEEP") and kind is not None:
            print("  kept %s" % self.root)
        else:
            shutil.rmtree(self.root, ignore_errors=True)
        return False

    def env(self):
        env = _base_env()
        env.update(WINEPREFIX=self.prefix, DISPLAY=self.display.name)
        if self.arch == "win32":
            env["WINEARCH"] = "win32"
        if self.language == "ja":
            env["LC_ALL"] = "ja_JP.UTF-8"
        return env

    # -- programs

    def start(self, exe="Kestrawn.exe"):
        """Starts a program from C:\\app; returns its process."""
        process = subprocess.Popen(["wine", APP_WIN + "\\" + exe], cwd=self.app_dir,
                                   env=self.env(), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def finish(self, process, timeout=30):
        """Waits for a program to end; returns its exit code."""
        try:
            return process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise E2EError("the program did not end within %d s" % timeout)

    def driver(self, *args, check=True):
        """Runs the driver; returns its JSON lines. With check, a failed
        command raises."""
        # Output goes to a file, not a pipe: Wine's own background processes,
        # started by the first program of a prefix, inherit the handle and
        # would keep a pipe open after the driver has ended.
        with tempfile.TemporaryFile() as output:
            completed = subprocess.run(["wine", APP_WIN + "\\KestrawnDriver.exe"] + list(args),
                                       cwd=self.app_dir, env=self.env(), stdout=output,
                                       stderr=subprocess.DEVNULL, timeout=120)
            output.seek(0)
            text = output.read().decode("ascii")
        lines = [json.loads(line) for line in text.splitlines() if line.startswith("{")]
        if check and (completed.returncode != 0 or any("error" in line for line in lines)):
            # What was on the screen and which programs still ran, to tell a
            # slow machine from a program that ended or hung.
            windows = self.driver("list", check=False) if args[0] != "list" else []
            programs = [(p.args[1], p.poll()) for p in self.processes]
            raise E2EError("driver %s failed: %s\n  windows: %s\n  programs (exit code): %s"
                           % (" ".join(args[:3]), lines, windows, programs))
        return lines

    def start_driver(self, *args):
        """Starts the driver in the background (for lock-file) and waits for
        its first line; returns the process and that line."""
        output = tempfile.NamedTemporaryFile(dir=self.root, delete=False)
        process = subprocess.Popen(["wine", APP_WIN + "\\KestrawnDriver.exe"] + list(args),
                                   cwd=self.app_dir, env=self.env(), stdout=output,
                                   stderr=subprocess.DEVNULL)
        self.processes.append(process)
        deadline = time.time() + TIMEOUT_MS / 1000
        while time.time() < deadline:
            with open(output.name, "rb") as f:
                first = f.readline()
            if first.endswith(b"\n"):
                line = json.loads(first.decode("ascii"))
                if "error" in line:
                    raise E2EError("driver %s failed: %s" % (args[0], line))
                return process, line
            if process.poll() is not None:
                break
            time.sleep(0.05)
        raise E2EError("driver %s printed nothing" % args[0])

    # -- the dialogs

    def main_dialog(self, timeout=TIMEOUT_MS):
        """Waits for the main dialog with its status text set; returns it."""
        return Window(self.driver("wait-text", "main", str(ID_STATUS), str(timeout))[-1])

    def dialog(self, kind, timeout=TIMEOUT_MS):
        return Window(self.driver("wait", kind, str(timeout))[-1])

    def answer(self, button, timeout=TIMEOUT_MS):
        """Waits for a message box, presses a button; returns the box."""
        return Window(self.driver("answer", str(button), str(timeout))[-1])

    def restore_by_typing(self, owner=None, organization=None):
        """Presses Restore, types what is given into the input dialog (None
        leaves a field as prefilled) and presses OK. Returns the input dialog
        as it opened and the message box that followed, answered with OK."""
        self.click("main", ID_RESTORE)
        dialog = self.dialog("input")
        if owner is not None:
            self.set_text("input", ID_OWNER, owner)
        if organization is not None:
            self.set_text("input", ID_ORGANIZATION, organization)
        self.click("input", ID_OK)
        return dialog, self.answer(ID_OK)

    def cancel_input(self):
        """Presses Cancel in the input dialog and waits until it is gone."""
        self.click("input", ID_CANCEL)
        self.gone("input")

    def click(self, kind, control):
        self.driver("click", kind, str(control))

    def gone(self, kind, timeout=TIMEOUT_MS):
        self.driver("gone", kind, str(timeout))

    def set_text(self, kind, control, text):
        self.driver("settext", kind, str(control), hex16(text))

    def has_window(self, kind):
        """Whether a window of the kind ("main", "input", "box") is open now."""
        return "error" not in self.driver("dump", kind, check=False)[-1]

    def screenshot(self, path, window=None):
        """A PNG of the screen, or of just the window (a Window) with a small
        margin when a virtual desktop places windows at screen coordinates."""
        os.makedirs(os.path.dirname(path), exist_ok=True)
        # Give the window a moment to paint after its last change.
        time.sleep(0.5)
        crop = []
        if window is not None and self.desktop:
            left, top, right, bottom = window.record["rect"]
            left, top = max(0, left - 8), max(0, top - 8)
            crop = ["-crop", "%dx%d+%d+%d" % (right + 8 - left, bottom + 8 - top, left, top),
                    "+repage"]
        subprocess.run(["import", "-display", self.display.name, "-window", "root"] + crop + [path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # -- registry (the 32-bit view, as Kestrawn sees it)

    def reg_get(self, name, key=USER_INFO):
        """The value's text without its terminating NUL, or None if absent."""
        line = self.driver("reg-get", key, name)[-1]
        if not line["exists"]:
            return None
        value = line["value"]
        return value[:-1] if value.endswith("\0") else value

    def reg_set(self, name, value, key=USER_INFO):
        self.driver("reg-set", key, name, hex16(value))

    def reg_delete(self, name, key=USER_INFO):
        self.driver("reg-delete", key, name)

    def wine_reg(self, *args):
        """Wine's reg.exe, for what the driver cannot reach (the 64-bit view)."""
        subprocess.run(["wine", "reg"] + list(args), env=self.env(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def user_info(self):
        lines = self.driver("reg-get", USER_INFO, "RegisteredOwner",
                            "reg-get", USER_INFO, "RegisteredOrganization")
        values = []
        for line in lines:
            value = line["value"] if line["exists"] else None
            if value is not None and value.endswith("\0"):
                value = value[:-1]
            values.append(value)
        return tuple(values)

    # -- files beside the exe

    def path(self, name):
        return os.path.join(self.app_dir, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def exists(self, name):
        return os.path.exists(self.path(name))


class Window:
    """A window as the driver printed it."""

    def __init__(self, record):
        self.record = record
        self.caption = record.get("caption")
        self.enabled = record.get("enabled")
        self.focus = record.get("focus")
        self.pid = record.get("pid")
        self.controls = {c["id"]: c for c in record.get("controls", [])}

    def text(self, control):
        return self.controls[control]["text"]

    def control_enabled(self, control):
        return self.controls[control]["enabled"]

    def __repr__(self):
        return json.dumps(self.record, ensure_ascii=False)


def backup_bytes(owner, organization):
    """The backup file a save writes for these values."""
    return codecs.BOM_UTF16_LE + (
        "[RESTORE_INFO]\r\nRegisteredOwner = \"%s\"\r\nRegisteredOrganization = \"%s\"\r\n"
        % (owner, organization)).encode("utf-16-le")


def script_bytes(owner, organization, wow64):
    """The manual restoration script for these values, as already escaped."""
    node = "Wow6432Node\\" if wow64 else ""
    return codecs.BOM_UTF16_LE + (
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\%sMicrosoft\\Windows NT\\CurrentVersion]\r\n"
        "\"RegisteredOwner\"=\"%s\"\r\n"
        "\"RegisteredOrganization\"=\"%s\"\r\n" % (node, owner, organization)).encode("utf-16-le")
