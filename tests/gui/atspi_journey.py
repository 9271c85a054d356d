#!/usr/bin/python3
"""The desktop program as a screen reader or an automation tool meets it.

The demo station opens in the real program under Xvfb, and every control is found on
the accessibility bus (AT-SPI) by its role and accessible name only: each page of the
main window, each list's New dialog (cancelled), a Rotation built in its editor and
seen in the Rotations list, Save All, and Exit, which must close the program at once
since nothing is left unsaved.

    atspi_journey.py --gui SPINDLE --cli SPINDLE_CLI [--screenshots DIR]

It runs itself again inside dbus-run-session, a private session bus on which the
accessibility bus starts on demand, and kills every process it started however it ends.
"""
import argparse
import os
import select
import signal
import subprocess
import sys
import tempfile
import time

NEW_DIALOGS = {"Categories": "New Category", "Spot Groups": "New Spot Group",
               "Rotations": "New Rotation", "Schedules": "New Schedule"}
ROTATION, CATEGORY = "Journey", "Jazz"
TIMEOUT_MS = 5000


def end_group(process):
    """Ends a process and everything it started: politely, then the stragglers for good."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            break
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
    process.wait()


def start_xvfb():
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                            start_new_session=True, stderr=subprocess.DEVNULL)
    os.close(write_end)
    # The number and its newline come in two writes; closing before the second kills Xvfb.
    said = b""
    while not said.endswith(b"\n") and select.select([read_end], [], [], 15)[0]:
        chunk = os.read(read_end, 16)
        said += chunk
        if not chunk:
            break
    number = said.decode().strip()
    os.close(read_end)
    if not number:
        end_group(xvfb)
        raise SystemExit("Xvfb did not say its display")
    return xvfb, ":" + number


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gui", required=True)
    parser.add_argument("--cli")
    parser.add_argument("--screenshots")
    parser.add_argument("--station", help=argparse.SUPPRESS)  # given on the private bus
    args = parser.parse_args()
    if args.station:
        return Journey(args).run()
    if not args.cli:
        parser.error("--cli is needed to make the demo station")
    if args.screenshots:
        os.makedirs(args.screenshots, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="spindle-atspi-") as tmp:
        station = os.path.join(tmp, "station")
        subprocess.run([args.cli, "make-demo", station], check=True, timeout=30,
                       stdout=subprocess.DEVNULL)
        runtime = os.path.join(tmp, "run")
        os.mkdir(runtime, 0o700)
        xvfb, display = start_xvfb()
        inner = None
        try:
            env = dict(os.environ, DISPLAY=display, XDG_RUNTIME_DIR=runtime, QT_ACCESSIBILITY="1",
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
            command = [sys.executable, os.path.abspath(__file__), "--gui", args.gui,
                       "--station", station]
            if args.screenshots:
                command += ["--screenshots", args.screenshots]
            inner = subprocess.Popen(["dbus-run-session", "--"] + command, env=env,
                                     start_new_session=True)
            return inner.wait(timeout=60)
        finally:
            for process in (inner, xvfb):
                if process is not None:
                    end_group(process)


class Journey:
    def __init__(self, args):
        self.args = args
        self.data = os.path.join(args.station, "data")
        self.app = None

    def run(self):
        from gi.repository import Gio
        # Asking for its address starts the accessibility bus before the program looks.
        Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
            "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None, None,
            Gio.DBusCallFlags.NONE, TIMEOUT_MS, None)
        global pyatspi, Atspi, GLib
        import pyatspi
        from gi.repository import Atspi, GLib
        Atspi.set_timeout(TIMEOUT_MS, 15000)
        self.gui = subprocess.Popen([self.args.gui, "--data", self.data])
        try:
            self.walk()
        finally:
            if self.gui.poll() is None:
                self.gui.kill()
                self.gui.wait()
        return 0

    # ---- helpers: find by role and name, wait with a bound, press as a person would ----

    def windows(self):
        self.app.clear_cache()
        return [child for child in self.app if child is not None]

    def wait_for(self, what, probe, seconds=10):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.gui.poll() is not None:
                raise AssertionError(f"the program ended with {self.gui.returncode} before {what}")
            try:
                found = probe()
                if found:
                    return found
            except GLib.Error:
                pass  # the program is busy or the object went away: ask again
            time.sleep(0.1)
        open_windows = [(w.getRoleName(), w.name) for w in self.windows()] if self.app else []
        raise AssertionError(f"not seen within {seconds} s: {what}; windows: {open_windows}")

    def find(self, root, role, name, showing=True):
        def search():
            root.clear_cache()
            return pyatspi.findDescendant(root, lambda a: a.getRole() == role and a.name == name
                                          and (not showing or a.getState().contains(
                                              pyatspi.STATE_SHOWING)))
        return self.wait_for(f"{Atspi.role_get_name(role)} '{name}'", search)

    @staticmethod
    def enabled(control):
        return control.getState().contains(pyatspi.STATE_SENSITIVE)

    def window(self, role, name):
        return next((w for w in self.windows() if w.getRole() == role and w.name == name), None)

    @staticmethod
    def press(control, answers_later=False):
        """Presses a control; one that opens a modal dialog answers only when it closes."""
        action = control.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        assert "Press" in names, f"{control.getRoleName()} '{control.name}' offers {names}"
        Atspi.set_timeout(300 if answers_later else TIMEOUT_MS, 15000)
        try:
            action.doAction(names.index("Press"))
        except GLib.Error:
            if not answers_later:
                raise
        finally:
            Atspi.set_timeout(TIMEOUT_MS, 15000)

    def open_dialog(self, button, title):
        self.wait_for(f"'{button.name}' enabled", lambda: self.enabled(button))
        self.press(button, answers_later=True)
        return self.wait_for(f"the dialog '{title}'",
                             lambda: self.window(pyatspi.ROLE_DIALOG, title))

    def close_dialog(self, dialog, title, button):
        self.press(self.find(dialog, pyatspi.ROLE_PUSH_BUTTON, button))
        self.wait_for(f"'{title}' closed by {button}",
                      lambda: not self.window(pyatspi.ROLE_DIALOG, title))

    def show_page(self, main, page, role, name):
        self.press(self.find(main, pyatspi.ROLE_PAGE_TAB, page))
        self.find(main, role, name)  # showing once the page is

    def screenshot(self, name):
        if self.args.screenshots:
            subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-i",
                            os.environ["DISPLAY"], "-frames:v", "1",
                            os.path.join(self.args.screenshots, f"atspi-{name}.png")],
                           timeout=20, check=False)

    # ---- the journey ----

    def walk(self):
        desktop = pyatspi.Registry.getDesktop(0)
        self.app = self.wait_for("the program on the accessibility bus", lambda: next(
            (a for a in desktop if a is not None and a.get_process_id() == self.gui.pid), None), 20)
        main = self.wait_for("the main window after the splash", lambda: next(
            (w for w in self.windows() if w.getRole() == pyatspi.ROLE_FRAME
             and w.name.startswith("Spindle") and w.getState().contains(pyatspi.STATE_SHOWING)),
            None), 20)
        self.screenshot("main-window")
        tools = self.find(main, pyatspi.ROLE_TOOL_BAR, "Tools")
        new = self.find(tools, pyatspi.ROLE_PUSH_BUTTON, "New")

        for page, title in NEW_DIALOGS.items():
            self.show_page(main, page, pyatspi.ROLE_TREE, page)
            self.close_dialog(self.open_dialog(new, title), title, "Cancel")
        self.show_page(main, "Options", pyatspi.ROLE_PAGE_TAB, "Related Artists")

        # A Rotation of one Category: its name typed, the Category double-clicked in.
        self.show_page(main, "Rotations", pyatspi.ROLE_TREE, "Rotations")
        editor = self.open_dialog(new, "New Rotation")
        self.find(editor, pyatspi.ROLE_TEXT, "Name").queryEditableText().setTextContents(ROTATION)
        categories = self.find(editor, pyatspi.ROLE_LIST, "Categories")
        box = self.find(categories, pyatspi.ROLE_LIST_ITEM, CATEGORY).queryComponent().getExtents(
            pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1d")
        hour = self.find(editor, pyatspi.ROLE_LIST, "Rotation")
        self.wait_for(f"{CATEGORY} in the Rotation", lambda: any(
            CATEGORY in item.name for item in hour if item is not None))
        self.screenshot("rotation-editor")
        self.close_dialog(editor, "New Rotation", "OK")
        rotations = self.find(main, pyatspi.ROLE_TREE, "Rotations")
        self.find(rotations, pyatspi.ROLE_TABLE_CELL, ROTATION)
        self.screenshot("rotations")

        save_all = self.find(tools, pyatspi.ROLE_PUSH_BUTTON, "Save All")
        self.press(save_all)
        self.wait_for("'Save All' disabled after saving", lambda: not self.enabled(save_all))
        with open(os.path.join(self.data, "Rotations.dat"), encoding="utf-8") as saved:
            line = next((line for line in saved if line.startswith(ROTATION + ",")), "")
        assert CATEGORY in line, f"Rotations.dat holds no '{ROTATION}' of {CATEGORY}: {line!r}"

        # A menu's items are on the bus while it is closed; a closing program may not answer.
        self.press(self.find(main, pyatspi.ROLE_MENU_ITEM, "Exit", False), answers_later=True)
        try:
            code = self.gui.wait(timeout=15)
        except subprocess.TimeoutExpired:
            raise AssertionError("Exit left the program open; windows: "
                                 f"{[(w.getRoleName(), w.name) for w in self.windows()]}")
        assert code == 0, f"the program ended with {code}"


if __name__ == "__main__":
    sys.exit(main())
