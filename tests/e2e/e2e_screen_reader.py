#!/usr/bin/python3
"""The real editor as a screen reader meets it, worked through AT-SPI alone.

The editor runs on a private X server with a session bus and an AT-SPI bus of this test's own
(CI has no desktop session), in a 12-hour locale. The test walks the editor's accessible tree
as a screen reader does: it takes the first card from the card list, finds the Triggers tab's
controls by their names, opens the trigger schedule, reads the 6:15 AM cell's name and state,
toggles it through its AT-SPI action, moves to it and on to 6:30 AM with the keyboard and turns
that off with Space, hearing the focus and state events a screen reader announces; then it
presses OK on the schedule and on the sheet, reads the closing message, and checks with
`kestra-cfg show --json` that the card file holds the factory settings with exactly those two
quarter hours off.

Every step has a deadline, and a watchdog ends the whole run after TOTAL_SECONDS: a hung step
fails the test instead of waiting for CTest's timeout.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from e2e_editor import (SHEET_TITLE, Desktop, Failure, Scene, XServer, differences, finish,
                        print_logs, show_json)

TOTAL_SECONDS = 150
STEP_SECONDS = 30

CARD_LIST_NAME = "Select the card to use from the list below."
SCHEDULE_TITLE = "Trigger Schedule"
SAVED_NOTICE = ("Your new settings have been saved on the removable card.  To use these settings\n"
                "you must insert this card into the camera and turn it on.")
# The factory trigger schedule with 6:15 and 6:30 AM turned off, as kestra-cfg writes it.
EXPECTED_SCHEDULE = "00:00-06:15,06:45-24:00"


class Processes:
    """Everything this test starts, each in a session of its own, so that what a process
    starts in turn (the AT-SPI bus launcher's own bus daemon) ends with it."""

    def __init__(self):
        self.started = []

    def start(self, argv, **kwargs):
        process = subprocess.Popen(argv, start_new_session=True, **kwargs)
        self.started.append(process)
        return process

    def stop_all(self):
        for process in reversed(self.started):
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except ProcessLookupError:
                continue
        deadline = time.monotonic() + 10
        for process in reversed(self.started):
            try:
                process.wait(max(0.1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()


class Watchdog:
    """Ends the run when the whole of it takes longer than it may, whatever step hangs,
    even one blocked in a D-Bus call."""

    def __init__(self, seconds, on_expiry):
        self.step = "starting"
        self.timer = threading.Timer(seconds, self.expire)
        self.timer.daemon = True
        self.on_expiry = on_expiry
        self.seconds = seconds
        self.timer.start()

    def expire(self):
        print(f"FAIL: no end after {self.seconds} s, at: {self.step}", file=sys.stderr, flush=True)
        self.on_expiry()
        os._exit(1)

    def cancel(self):
        self.timer.cancel()


def start_session_bus(processes, env, log):
    """A session bus of our own, as a desktop session would have; returns its address."""
    bus = processes.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                          env=env, stdout=subprocess.PIPE, stderr=log, text=True)
    address = bus.stdout.readline().strip()
    if not address:
        raise Failure("dbus-daemon gave no address")
    return address


def wait_until(what, condition, seconds=STEP_SECONDS, pump=None):
    deadline = time.monotonic() + seconds
    while True:
        if pump:
            pump()
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not within {seconds} s")
        time.sleep(0.05)


class ScreenReader:
    """What a screen reader does over AT-SPI: find things by role and name, read them, act on
    them, and hear the events the editor sends."""

    def __init__(self):
        # Imported here: pyatspi connects to the buses named in the environment when it loads.
        import pyatspi
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.events = []
        pyatspi.Registry.registerEventListener(
            self.hear, "object:state-changed:checked", "object:state-changed:focused", "focus:")

    def hear(self, event):
        try:
            name = event.source.name
        except Exception:  # the source may be gone already
            name = None
        self.events.append((event.type, name, event.detail1))

    def pump(self):
        while self.context.pending():
            self.context.iteration(False)

    def heard(self, event_type, name, detail=None):
        return any(t.startswith(event_type) and n == name and (detail is None or d == detail)
                   for t, n, d in self.events)

    def wait_to_hear(self, event_type, name, detail=None):
        wait_until(f"the event {event_type} from {name!r}",
                   lambda: self.heard(event_type, name, detail), pump=self.pump)

    def application(self, name):
        def find():
            desktop = self.pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == name:
                    return app
            return None
        return wait_until(f"the application {name!r} on the AT-SPI bus", find)

    def showing(self, accessible):
        return accessible.getState().contains(self.pyatspi.STATE_SHOWING)

    def window(self, app, name, containing=None):
        """A shown top-level window of `app` called `name` (holding `containing`, a
        (role, name) pair, where given)."""
        def find():
            for i in range(app.childCount):
                window = app.getChildAtIndex(i)
                if window is None or window.name != name or not self.showing(window):
                    continue
                if containing is None or self.find(window, *containing, required=False):
                    return window
            return None
        return wait_until(f"the window {name!r}", find)

    def find(self, root, role, name, required=True):
        """The first shown descendant of `root` with this role and name."""
        def matches(accessible):
            return (accessible is not None and accessible.getRole() == role and
                    accessible.name == name and self.showing(accessible))
        found = self.pyatspi.utils.findDescendant(root, matches)
        if found is None and required:
            raise Failure(f"no {role.value_nick} named {name!r} under {root.name!r}")
        return found

    def has_state(self, accessible, state):
        return accessible.getState().contains(state)

    def act(self, accessible, action_name):
        action = accessible.queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if action_name not in names:
            raise Failure(f"{accessible.name!r} offers {names}, not {action_name!r}")
        if not action.doAction(names.index(action_name)):
            raise Failure(f"{action_name} on {accessible.name!r} failed")

    def text(self, accessible):
        return accessible.queryText().getText(0, -1)


def expected_card_settings(kestra_cfg, root):
    """The factory settings with the Advanced quickset and the two quarter hours off, written
    by kestra-cfg itself."""
    path = os.path.join(root, "expected.cfg")
    for command in ([kestra_cfg, "factory", path],
                    [kestra_cfg, "set", path, "quickset=advanced",
                     f"trigger-schedule={EXPECTED_SCHEDULE}"]):
        result = subprocess.run(command, capture_output=True, text=True, timeout=STEP_SECONDS)
        if result.returncode != 0:
            raise Failure(f"{' '.join(command)}: {result.stderr.strip()}")
    return show_json(kestra_cfg, path)


def run(scene, server, processes, watchdog, args):
    logs = scene.logs
    bus_log = open(os.path.join(logs, "buses.log"), "wb")
    base = {"PATH": "/usr/bin:/bin", "HOME": scene.home,
            "XDG_RUNTIME_DIR": os.path.join(scene.root, "runtime"), "DISPLAY": server.display}
    watchdog.step = "starting the session bus"
    address = start_session_bus(processes, base, bus_log)
    base["DBUS_SESSION_BUS_ADDRESS"] = address

    watchdog.step = "starting the AT-SPI bus"
    # The session bus starts the AT-SPI bus launcher when it is first asked for the address.
    def bus_ready():
        return subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                               "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=base,
                              capture_output=True, timeout=STEP_SECONDS).returncode == 0
    wait_until("the AT-SPI bus", bus_ready)
    os.environ.update(base)

    watchdog.step = "starting the editor"
    scene.insert_cards(True)
    env = scene.environment(server.display)
    env.update(DBUS_SESSION_BUS_ADDRESS=address, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               LANG="en_US.UTF-8")
    log = open(os.path.join(logs, "editor.log"), "wb")
    editor = processes.start([scene.editor], cwd=scene.work, env=env, stdout=log,
                             stderr=subprocess.STDOUT)
    reader = ScreenReader()
    roles = reader.pyatspi
    app = reader.application("velomar-settings")

    watchdog.step = "the card list"
    cards = reader.window(app, SHEET_TITLE, containing=(roles.ROLE_LIST, CARD_LIST_NAME))
    card_list = reader.find(cards, roles.ROLE_LIST, CARD_LIST_NAME)
    if card_list.childCount < 2:
        raise Failure(f"the card list holds {card_list.childCount} entries")
    reader.act(reader.find(cards, roles.ROLE_PUSH_BUTTON, "OK"), "Press")

    watchdog.step = "the Triggers tab"
    sheet = reader.window(app, SHEET_TITLE,
                          containing=(roles.ROLE_PUSH_BUTTON, "View Schedule..."))
    # The tab list is read by its shown tab.
    reader.find(sheet, roles.ROLE_PAGE_TAB_LIST, "Triggers")
    if not reader.has_state(reader.find(sheet, roles.ROLE_RADIO_BUTTON, "Normal"),
                            roles.STATE_CHECKED):
        raise Failure("the Normal quickset is not read as chosen")
    if not reader.has_state(reader.find(sheet, roles.ROLE_CHECK_BOX,
                                        "Use the internal motion trigger"), roles.STATE_CHECKED):
        raise Failure("the internal trigger is not read as on")
    factory = show_json(args.kestra_cfg, write_factory(args.kestra_cfg, scene.root))
    pictures = reader.text(reader.find(sheet, roles.ROLE_TEXT, "When triggered take"))
    if pictures != str(factory["core"]["picturesPerTrigger"]):
        raise Failure(f"\"When triggered take\" reads {pictures!r}")
    # The schedule is the Advanced quickset's: the button waits for it.
    advanced = reader.find(sheet, roles.ROLE_RADIO_BUTTON, "Advanced")
    reader.act(advanced, "Toggle")
    wait_until("Advanced to be chosen", lambda: reader.has_state(advanced, roles.STATE_CHECKED))
    reader.act(reader.find(sheet, roles.ROLE_PUSH_BUTTON, "View Schedule..."), "Press")

    watchdog.step = "the schedule sheet"
    schedule = reader.window(app, SCHEDULE_TITLE,
                             containing=(roles.ROLE_TABLE, "Set Daily Schedule"))
    grid = reader.find(schedule, roles.ROLE_TABLE, "Set Daily Schedule")
    table = grid.queryTable()
    if (table.nRows, table.nColumns, grid.childCount) != (96, 1, 96):
        raise Failure(f"the grid reads as {table.nRows} rows, {table.nColumns} columns, "
                      f"{grid.childCount} cells")
    cell = table.getAccessibleAt(25, 0)
    if (cell.name, cell.description) != ("6:15 AM", "Camera on"):
        raise Failure(f"cell 25 reads {cell.name!r}, {cell.description!r}")
    if not reader.has_state(cell, roles.STATE_CHECKED):
        raise Failure("6:15 AM is not read as checked")

    watchdog.step = "toggling 6:15 AM through AT-SPI"
    reader.act(cell, "Toggle")
    reader.wait_to_hear("object:state-changed:checked", "6:15 AM", 0)
    if reader.has_state(cell, roles.STATE_CHECKED) or cell.description != "Camera off":
        raise Failure("6:15 AM still reads as on after its toggle")

    watchdog.step = "moving in the grid with the keyboard"
    desktop = Desktop(server.display)
    desktop.focus(desktop.wait_for_window(f"^{SCHEDULE_TITLE}$", editor))
    reader.act(cell, "SetFocus")
    reader.wait_to_hear("focus:", "6:15 AM")
    desktop.keys("Down")
    reader.wait_to_hear("focus:", "6:30 AM")
    desktop.keys("space")
    reader.wait_to_hear("object:state-changed:checked", "6:30 AM", 0)

    watchdog.step = "OK on the schedule sheet"
    reader.act(reader.find(schedule, roles.ROLE_PUSH_BUTTON, "OK"), "Press")
    wait_until("the schedule sheet to close", lambda: not reader.showing(schedule))

    watchdog.step = "OK on the settings sheet"
    reader.act(reader.find(sheet, roles.ROLE_PUSH_BUTTON, "OK"), "Press")
    notice = reader.window(app, "Information")
    if notice.getRole() != roles.ROLE_ALERT:
        raise Failure(f"the notice is a {notice.getRoleName()}, not an alert")
    reader.find(notice, roles.ROLE_LABEL, SAVED_NOTICE)
    reader.act(reader.find(notice, roles.ROLE_PUSH_BUTTON, "OK"), "Press")
    watchdog.step = "the editor's end"
    finish(editor, log, "screen reader run")

    expected = expected_card_settings(args.kestra_cfg, scene.root)
    for what, path in (("card file", os.path.join(scene.card, "VELOMAR", "Kestra.cfg")),
                       ("local copy", os.path.join(scene.program_folder, "Kestra.cfg"))):
        if not os.path.isfile(path):
            raise Failure(f"the {what} was not written: {path}")
        wrong = differences(show_json(args.kestra_cfg, path), expected)
        if wrong:
            raise Failure(f"the {what} differs from the expected settings:\n  " +
                          "\n  ".join(wrong))


def write_factory(kestra_cfg, root):
    path = os.path.join(root, "factory.cfg")
    subprocess.run([kestra_cfg, "factory", path], check=True, timeout=STEP_SECONDS)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--editor", required=True)
    parser.add_argument("--kestra-cfg", required=True)
    parser.add_argument("--lsblk-recording", required=True)
    parser.add_argument("--carriers", required=True)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()

    for tool in ("Xvfb", "xdotool", "dbus-daemon", "dbus-send",
                 "/usr/libexec/at-spi-bus-launcher"):
        if not shutil.which(tool):
            print(f"FAIL: {tool} is missing; scripts/install-deps.sh installs it", file=sys.stderr)
            return 1

    started = time.monotonic()
    root = tempfile.mkdtemp(prefix="velomar-e2e-a11y-")
    processes = Processes()

    def show_logs():
        print_logs(os.path.join(root, "logs"))

    server = None

    def give_up():
        processes.stop_all()
        if server:
            server.stop()
        show_logs()
        if not args.keep:
            shutil.rmtree(root, ignore_errors=True)

    watchdog = Watchdog(TOTAL_SECONDS, give_up)
    server = XServer()
    try:
        scene = Scene(root, args)
        run(scene, server, processes, watchdog, args)
        print("screen reader run: the grid read and worked through AT-SPI, "
              f"{EXPECTED_SCHEDULE} on the card ({time.monotonic() - started:.1f} s)")
        return 0
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        show_logs()
        return 1
    finally:
        watchdog.cancel()
        processes.stop_all()
        server.stop()
        if args.keep:
            print(f"kept {root}")
        else:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
