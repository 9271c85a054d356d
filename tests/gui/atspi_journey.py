#!/usr/bin/python3
"""The demo station in the real program under Xvfb, found on the accessibility bus by role and
name only: a music folder gone (told at start and before a run, which is then declined), each
page and New dialog, a Rotation built and saved, an empty Rotation warned about, Exit. It reruns
itself inside dbus-run-session. Usage: atspi_journey.py --gui SPINDLE --cli SPINDLE_CLI
--screenshots DIR"""
import contextlib, os, re, select, signal, subprocess, sys, tempfile, time
from gi.repository import GLib

NEW_DIALOGS = {"Categories": "New Category", "Spot Groups": "New Spot Group",
               "Rotations": "New Rotation", "Schedules": "New Schedule"}
ROTATION, CATEGORY, TIMEOUT_MS = "Journey", "Jazz", 5000
ARGS, APP = dict(zip(sys.argv[1::2], sys.argv[2::2])), None


def end(process):  # and its group: politely, then the stragglers for good
    for sig in (signal.SIGTERM, signal.SIGKILL):
        with contextlib.suppress(ProcessLookupError, subprocess.TimeoutExpired):
            os.killpg(process.pid, sig)
            process.wait(timeout=5)


def outer():
    os.makedirs(ARGS["--screenshots"], exist_ok=True)
    # The folder is the runtime dir too; each process started is ended however this ends.
    with tempfile.TemporaryDirectory(prefix="atspi-") as tmp, contextlib.ExitStack() as ends:
        subprocess.run([ARGS["--cli"], "make-demo", tmp + "/station"], check=True, timeout=30)
        reader, writer = os.pipe()
        ends.callback(end, subprocess.Popen(
            ["Xvfb", "-displayfd", str(writer), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"], pass_fds=(writer,), start_new_session=True, stderr=subprocess.DEVNULL))
        os.close(writer)
        # The number and its newline come in two writes; closing before the second kills Xvfb.
        said = b""
        while b"\n" not in said and select.select([reader], [], [], 15)[0]:
            said += os.read(reader, 16) or b"\n"  # or it ended
        os.close(reader)
        assert said.strip(), "Xvfb did not say its display"
        os.environ.update(DISPLAY=":" + said.decode().strip(), XDG_RUNTIME_DIR=tmp,
                          QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
                          QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        inner = subprocess.Popen(["dbus-run-session", "--", sys.executable, *sys.argv, "--station",
                                  tmp + "/station"], start_new_session=True)
        ends.callback(end, inner)
        return inner.wait(timeout=60)


def windows(role=".*", name=".*"):  # the program's, their role and name matching those
    APP.clear_cache()
    return [w for w in APP
            if w and re.fullmatch(role, w.getRoleName()) and re.fullmatch(name, w.name)]


def has(control, state):
    return control.getState().contains(state)


def wait_for(what, probe, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        assert GUI.poll() is None, f"the program ended with {GUI.returncode} before {what}"
        with contextlib.suppress(GLib.Error):  # busy, or the object went away: ask again
            if found := probe():
                return found
        time.sleep(0.1)
    seen = [(w.getRoleName(), w.name) for w in windows()] if APP else []
    raise AssertionError(f"not seen within {seconds} s: {what}; windows: {seen}")


def find(root, role, name, showing=True):
    return wait_for(f"{role} '{name}'", lambda: root.clear_cache() or pyatspi.findDescendant(
        root, lambda a: a.getRoleName() == role and a.name == name
        and (not showing or has(a, pyatspi.STATE_SHOWING))))


def press(control, answers_later=False):  # a press opening a modal dialog returns as it closes
    action = control.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    assert "Press" in names, f"{control.getRoleName()} '{control.name}' offers {names}"
    pyatspi.setTimeout(300 if answers_later else TIMEOUT_MS, 15000)
    with contextlib.suppress(GLib.Error if answers_later else ()):
        action.doAction(names.index("Press"))
    pyatspi.setTimeout(TIMEOUT_MS, 15000)


def open_dialog(title):
    wait_for("'New' enabled", lambda: has(NEW, pyatspi.STATE_SENSITIVE))
    press(NEW, answers_later=True)
    return wait_for(f"the dialog '{title}'", lambda: windows("dialog", title))[0]


def close_dialog(dialog, button):
    press(find(dialog, "push button", button))
    wait_for(f"'{dialog.name}' closed by {button}", lambda: not windows("dialog", dialog.name))


def answer(part, button):  # the message box saying `part`, answered with `button`
    def box():
        return next((w for w in windows("alert") if pyatspi.findDescendant(
            w, lambda a: a is not None and part in (a.name or ""))), None)
    found = wait_for(f"a box saying '{part}'", box, 20)
    press(find(found, "push button", button), answers_later=True)
    wait_for(f"the box saying '{part}' answered", lambda: not box())


def show_page(page, role, name):
    press(find(MAIN, "page tab", page))
    find(MAIN, role, name)  # showing once the page is


def screenshot(name):
    subprocess.run(["ffmpeg", "-loglevel", "error", "-y", "-f", "x11grab", "-i",
                    os.environ["DISPLAY"], "-frames:v", "1",
                    f"{ARGS['--screenshots']}/atspi-{name}.png"], timeout=20)


def inner():
    global GUI, APP, MAIN, NEW, pyatspi
    import pyatspi
    pyatspi.setTimeout(TIMEOUT_MS, 15000)
    # A call on it starts the accessibility bus before the program looks for it.
    (desktop := pyatspi.Registry.getDesktop(0)).get_child_count()
    data = ARGS["--station"] + "/data"
    # A share not mounted: its saved tracks stay, and nothing of it may reach a log.
    music = ARGS["--station"] + "/music/"
    os.rename(music + CATEGORY, music + CATEGORY + ".unmounted")
    GUI = subprocess.Popen([ARGS["--gui"], "--data", data])
    try:
        APP = wait_for("the program on the accessibility bus", lambda: next(
            (a for a in desktop if a and a.get_process_id() == GUI.pid), None), 20)
        answer(f'does not exist in Category "{CATEGORY}"', "OK")
        MAIN = wait_for("the main window after the splash", lambda: [
            w for w in windows("frame", "Spindle.*") if has(w, pyatspi.STATE_SHOWING)], 20)[0]
        screenshot("main-window")
        tools = find(MAIN, "tool bar", "Tools")
        NEW = find(tools, "push button", "New")
        for page, title in NEW_DIALOGS.items():
            show_page(page, "tree", page)
            close_dialog(open_dialog(title), "Cancel")
        show_page("Options", "page tab", "Related Artists")

        # A Rotation of one Category: its name typed, the Category double-clicked in.
        show_page("Rotations", "tree", "Rotations")
        editor = open_dialog("New Rotation")
        find(editor, "text", "Name").queryEditableText().setTextContents(ROTATION)
        box = find(find(editor, "list", "Categories"), "list item", CATEGORY).queryComponent(
            ).getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1d")
        hour = find(editor, "list", "Rotation")
        wait_for(f"{CATEGORY} in the Rotation", lambda: any(CATEGORY in i.name for i in hour if i))
        screenshot("rotation-editor")
        close_dialog(editor, "OK")
        find(find(MAIN, "tree", "Rotations"), "table cell", ROTATION)
        # A Rotation with nothing on the air is warned about; No keeps its editor open.
        editor = open_dialog("New Rotation")
        find(editor, "text", "Name").queryEditableText().setTextContents("Silent")
        press(find(editor, "push button", "OK"), answers_later=True)
        answer("has no item that goes on the air", "No")
        close_dialog(editor, "Cancel")
        find(find(MAIN, "tree", "Rotations"), "table cell", "Default")
        screenshot("rotations")

        save_all = find(tools, "push button", "Save All")
        press(save_all)
        wait_for("'Save All' disabled", lambda: not has(save_all, pyatspi.STATE_SENSITIVE))
        with open(data + "/Rotations.dat", encoding="utf-8") as saved:
            rows = [row for row in saved if row.startswith(ROTATION + ",")]
        assert CATEGORY in "".join(rows), f"Rotations.dat has no {ROTATION} of {CATEGORY}: {rows}"

        # The run names the folder that went away before it makes anything; No declines it.
        press(find(tools, "push button", "Create Playlist"), answers_later=True)
        answer(f'Category "{CATEGORY}": "{music + CATEGORY}" not found', "No")
        progress = wait_for("the run's window", lambda: windows("dialog", "Create Playlist"))[0]
        find(progress, "list item", "Playlist Creation Aborted.")
        press(find(progress, "push button", "OK"))
        wait_for("the run's window closed", lambda: not has(progress, pyatspi.STATE_SHOWING))

        # A menu's items are on the bus while it is closed; a closing program may not answer.
        press(find(MAIN, "menu item", "Exit", False), answers_later=True)
        with contextlib.suppress(subprocess.TimeoutExpired):
            GUI.wait(timeout=15)
        assert GUI.returncode == 0, f"after Exit, status {GUI.returncode} (None: still open)"
    finally:
        GUI.kill()  # nothing once it has ended
        GUI.wait()


sys.exit(inner() if "--station" in ARGS else outer())
