#!/usr/bin/env python3
"""End-to-end runs of the real editor on a private X server, driven by the keyboard alone.

The machine has no removable card, so a fake `lsblk` first on the PATH prints a recorded
output whose cards are mounted in a temporary folder. The editor is a copy of the built
program in a folder of its own, so that its local Kestra.cfg lands there.

Run 0: no card in the reader: the no-card dialog, "Continue read-only" by keyboard, the
read-only sheet, Escape; nothing written.
Run 1: the card list appears (two cards), Enter takes the first; on the sheet one setting is
changed on every tab, OK, message 114 answered. The card file and the local copy must then
hold the factory settings changed by exactly those edits, and carriers2.dat the chosen
carrier's position.
Run 2: the same keystrokes with -rdonly: the read-only sheet appears without a card prompt,
and not one file is written or touched.
Run 3: through a fake UDisks2 on a private bus (lsblk now sees no card): the no-card dialog,
then a card that the desktop has not mounted is inserted; the dialog goes on by itself to the
card list, where the card is "(not mounted)"; Enter mounts it, the sheet opens, OK writes the
settings onto the card at its new mount point.

The runs through lsblk point the editor at a system bus that does not exist, so that the
machine's own UDisks2, if it runs one, stays out of them.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SHEET_TITLE = "Velomar - Professional Settings"
WAIT_SECONDS = 60
KEY_DELAY_MS = 60


class Failure(Exception):
    pass


class XServer:
    """A private Xvfb on a free display number, chosen by the server itself."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    self.stop()
                    raise Failure("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Desktop:
    """xdotool on the private display."""

    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display)

    def xdotool(self, *arguments, check=True):
        try:
            result = subprocess.run(["xdotool", *arguments], env=self.env, capture_output=True,
                                    text=True, timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure(f"xdotool {' '.join(arguments)} took over {WAIT_SECONDS} s") from None
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(arguments)}: {result.stderr.strip()}")
        return result.stdout

    def visible_windows(self, title_pattern):
        # A search that finds nothing exits with 1.
        out = self.xdotool("search", "--onlyvisible", "--name", title_pattern, check=False)
        return [line for line in out.split() if line]

    def wait_for_window(self, title_pattern, process, exclude=()):
        """The first visible window whose title matches, other than `exclude`."""
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            found = [w for w in self.visible_windows(title_pattern) if w not in exclude]
            if found:
                return found[0]
            if process.poll() is not None:
                raise Failure(f"the editor ended (exit {process.returncode}) before a window "
                              f"matching {title_pattern!r} appeared")
            time.sleep(0.05)
        raise Failure(f"no window matching {title_pattern!r} within {WAIT_SECONDS} s")

    def focus(self, window):
        # No window manager runs: give the window the keyboard ourselves.
        self.xdotool("windowfocus", "--sync", window)

    def keys(self, *keys):
        self.xdotool("key", "--clearmodifiers", "--delay", str(KEY_DELAY_MS), *keys)

    def type(self, text):
        self.xdotool("type", "--delay", str(KEY_DELAY_MS), text)


def edit_every_tab(desktop):
    """One setting on every tab, by keyboard. The sheet opens with the tab bar focused; Tab
    goes through the page's controls before the buttons along the bottom; in a page, Ctrl+Tab
    moves to the next tab and focuses its first control."""
    # Triggers: from the tab bar to the quickset radios, at the chosen one (Normal); the arrow
    # selects Aggressive.
    desktop.keys("Tab", "Right")
    # Time Lapse: from Off down to Minutes, into its list, from "1" down to "10".
    desktop.keys("ctrl+Tab", "Down", "Down", "Tab", *["Down"] * 6)
    # Images: the label field has the focus.
    desktop.keys("ctrl+Tab")
    desktop.type("RIDGE 7")
    # Cellular: past "Use cellular" and "Send daily status picture" to the carrier list, the
    # third carrier (three phone rows, no e-mail rows), into the first phone row.
    desktop.keys("ctrl+Tab", "Tab", "Tab", "Down", "Down", "Down", "Tab")
    desktop.type("1-555-0100")
    # Other: past the three check boxes to the start delay, down to "wait 2 days ...".
    desktop.keys("ctrl+Tab", "Tab", "Tab", "Tab", "Down", "Down")
    # OK is the default button.
    desktop.keys("Return")


def expected_settings(factory):
    """The factory settings changed by exactly the edits of edit_every_tab."""
    expected = json.loads(json.dumps(factory))
    core = expected["core"]
    # Aggressive quickset: 5 pictures as fast as possible (bit 2), stored preset 2 (bits 3-4).
    core["picturesPerTrigger"] = 5
    core["triggerFlags"] |= 0x0004
    core["optionFlags"] = (core["optionFlags"] & ~0x0018) | (2 << 3)
    # Time lapse on (bit 0), every 10 minutes (unit bits 14-15 zero).
    core["timeLapseFlags"] |= 0x0001
    core["timeLapseInterval"] = 10
    core["label"] = "RIDGE 7"
    # Start delay 2 in bits 12-15.
    core["imageFlags"] = (core["imageFlags"] & 0x0FFF) | (2 << 12)
    expected["cellular"]["phoneNumber1"] = {"text": "1-555-0100", "bcc": False, "kind": 1}
    # No date was set in this run.
    core["loadTime"] = 0
    core["loadDate"] = 0
    # The same edits by the names kestra-cfg set takes.
    expected["settings"].update({
        "quickset": "aggressive", "pictures-per-trigger": "5", "pacing": "fast",
        "time-lapse": "10 minutes", "label": "RIDGE 7", "phone-1": "1-555-0100",
        "start-delay": "2 days"})
    return expected


def show_json(kestra_cfg, path):
    result = subprocess.run([kestra_cfg, "show", "--json", path], capture_output=True, text=True,
                            timeout=WAIT_SECONDS)
    if result.returncode != 0:
        raise Failure(f"kestra-cfg show --json {path}: {result.stderr.strip()}")
    return json.loads(result.stdout)


def differences(actual, expected, where=""):
    if isinstance(expected, dict) and isinstance(actual, dict):
        out = []
        for key in sorted(set(actual) | set(expected)):
            out += differences(actual.get(key), expected.get(key), f"{where}.{key}")
        return out
    return [] if actual == expected else [f"{where}: {actual!r}, expected {expected!r}"]


def snapshot(folder):
    """Every file and folder under `folder` with its contents and modification time."""
    state = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs:
            path = os.path.join(root, name)
            state[path] = ("dir", os.stat(path).st_mtime_ns)
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                state[path] = (f.read(), os.stat(path).st_mtime_ns)
    return state


class Scene:
    """The temporary world of one test: fake lsblk, two cards, the program's folder, the
    working folder, a home."""

    def __init__(self, root, args):
        self.root = root
        self.cards = os.path.join(root, "media")
        self.card = os.path.join(self.cards, "TRAIL")
        self.other_card = os.path.join(self.cards, "0A1B-2C3D")
        self.program_folder = os.path.join(root, "program")
        self.work = os.path.join(root, "work")
        self.home = os.path.join(root, "home")
        self.logs = os.path.join(root, "logs")
        for folder in (self.card, self.other_card, self.program_folder, self.work, self.home,
                       self.logs, os.path.join(root, "bin"), os.path.join(root, "runtime")):
            os.makedirs(folder)
        os.chmod(os.path.join(root, "runtime"), 0o700)

        # The recording mounts its cards under /media/user: moved to our folder.
        with open(args.lsblk_recording, encoding="utf-8") as f:
            self.recording = f.read().replace('"/media/user/', '"' + self.cards + "/")
        self.lsblk_output = os.path.join(root, "lsblk.json")
        self.insert_cards(False)
        fake = os.path.join(root, "bin", "lsblk")
        with open(fake, "w", encoding="utf-8") as f:
            f.write(f"#!/bin/sh\nexec cat '{self.lsblk_output}'\n")
        os.chmod(fake, 0o755)

        self.system_bus = "unix:path=" + os.path.join(root, "no-system-bus")

        self.editor = os.path.join(self.program_folder, "velomar-settings")
        shutil.copy2(args.editor, self.editor)
        shutil.copy(args.carriers, os.path.join(self.work, "carriers.dat"))

    def insert_cards(self, inserted):
        """What the fake lsblk prints: the recording, or a machine without block devices."""
        with open(self.lsblk_output, "w", encoding="utf-8") as f:
            f.write(self.recording if inserted else '{"blockdevices": []}\n')

    def environment(self, display):
        env = {
            "PATH": os.path.join(self.root, "bin") + ":/usr/bin:/bin",
            "HOME": self.home,
            "XDG_RUNTIME_DIR": os.path.join(self.root, "runtime"),
            "DISPLAY": display,
            "LANG": "C.UTF-8",
            "DBUS_SYSTEM_BUS_ADDRESS": self.system_bus,
        }
        # VELOMAR_SYSFS_ROOT: the recording's sysfs, which tells its SD card from eMMC.
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "VELOMAR_SYSFS_ROOT"):
            if name in os.environ:
                env[name] = os.environ[name]
        return env

    def start(self, display, name, *arguments):
        log = open(os.path.join(self.logs, name + ".log"), "wb")
        return subprocess.Popen([self.editor, *arguments], cwd=self.work,
                                env=self.environment(display), stdout=log,
                                stderr=subprocess.STDOUT), log


def print_logs(folder):
    """Every log of a failed run on stderr, for the reader of the test's output."""
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), "rb") as f:
            print(f"--- {name}\n{f.read().decode(errors='replace')}", file=sys.stderr)


def finish(process, log, name):
    try:
        code = process.wait(WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        raise Failure(f"{name}: the editor did not end")
    finally:
        log.close()
    if code != 0:
        raise Failure(f"{name}: the editor exited with {code}")


def confirm_saved(desktop, editor, log, name):
    """Message 114, the settings are on the card: Enter closes it, and the editor ends."""
    notice = desktop.wait_for_window("^Information$", editor)
    desktop.focus(notice)
    desktop.keys("Return")
    finish(editor, log, name)


def watched_state(scene):
    """The cards, the program's folder and the working folder; the home only gains caches."""
    state = {}
    for folder in (scene.cards, scene.program_folder, scene.work):
        state.update(snapshot(folder))
    return state


def check_unchanged(scene, before, what):
    after = watched_state(scene)
    changed = sorted(path for path in set(before) | set(after) if before.get(path) != after.get(path))
    if os.path.exists(os.path.join(scene.home, ".local", "share", "Velomar")):
        changed.append(os.path.join(scene.home, ".local", "share", "Velomar"))
    if changed:
        raise Failure(f"the {what} changed:\n  " + "\n  ".join(changed))


def run_without_card(scene, desktop, display):
    before = watched_state(scene)
    editor, log = scene.start(display, "no-card")
    try:
        # The no-card dialog: Retry has the focus; Tab to "Continue read-only" and press it.
        dialog = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}$", editor)
        desktop.focus(dialog)
        desktop.keys("Tab", "space")
        sheet = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)} \\(read only\\)$", editor)
        desktop.focus(sheet)
        desktop.keys("Escape")
        finish(editor, log, "run without a card")
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()
    check_unchanged(scene, before, "run without a card")


def run_editing(scene, desktop, display, kestra_cfg):
    editor, log = scene.start(display, "editing")
    try:
        # Two cards and neither holds a settings file: the card list, first card selected.
        card_list = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}$", editor)
        desktop.focus(card_list)
        desktop.keys("Return")
        sheet = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}$", editor,
                                        exclude={card_list})
        desktop.focus(sheet)
        edit_every_tab(desktop)
        confirm_saved(desktop, editor, log, "editing run")
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()

    card_file = os.path.join(scene.card, "VELOMAR", "Kestra.cfg")
    local_file = os.path.join(scene.program_folder, "Kestra.cfg")
    for path in (card_file, local_file):
        if not os.path.isfile(path):
            raise Failure(f"not written: {path}")
        if os.path.getsize(path) != 234:
            raise Failure(f"{path} holds {os.path.getsize(path)} bytes, not 234")

    factory_file = os.path.join(scene.root, "factory.cfg")
    subprocess.run([kestra_cfg, "factory", factory_file], check=True, timeout=WAIT_SECONDS)
    expected = expected_settings(show_json(kestra_cfg, factory_file))
    for what, path in (("card file", card_file), ("local copy", local_file)):
        wrong = differences(show_json(kestra_cfg, path), expected)
        if wrong:
            raise Failure(f"the {what} differs from the expected settings:\n  " +
                          "\n  ".join(wrong))

    with open(os.path.join(scene.work, "carriers2.dat"), "rb") as f:
        last_carrier = f.read()
    if last_carrier != b"2\x00":
        raise Failure(f"carriers2.dat holds {last_carrier!r}, expected b'2\\x00'")
    if os.listdir(scene.other_card):
        raise Failure("the card that was not chosen was written to")


def run_read_only(scene, desktop, display):
    before = watched_state(scene)
    editor, log = scene.start(display, "read-only", "-rdonly")
    try:
        # No card prompt: the first window is the read-only sheet.
        first = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}", editor)
        title = desktop.xdotool("getwindowname", first).strip()
        if title != SHEET_TITLE + " (read only)":
            raise Failure(f"the first window of a read-only run is {title!r}")
        desktop.focus(first)
        # The same keystrokes; OK is disabled, so the Return at their end does nothing.
        edit_every_tab(desktop)
        desktop.keys("Escape")
        finish(editor, log, "read-only run")
    finally:
        if editor.poll() is None:
            editor.kill()
            editor.wait()
    check_unchanged(scene, before, "read-only run")


class FakeUDisks2:
    """tests/support/fake_udisks2.py: a UDisks2 on a private bus, driven line by line."""

    def __init__(self, script, tree, mount_base):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", script, "--mount-base", mount_base],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.address = self.process.stdout.readline().strip()
        if not self.address.startswith("unix:"):
            self.stop()
            raise Failure("the fake UDisks2 did not start")
        self.command("load " + tree)

    def command(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        if answer != "ok":
            raise Failure(f"fake UDisks2: {line}: {answer}")

    def stop(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            try:
                self.process.wait(WAIT_SECONDS)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def run_udisks2(scene, desktop, display, args):
    scene.insert_cards(False)
    media = os.path.join(scene.root, "udisks2-media")
    os.makedirs(media)
    udisks = FakeUDisks2(args.fake_udisks2, args.udisks2_tree, media)
    no_bus = scene.system_bus
    scene.system_bus = udisks.address
    try:
        # Of the recorded desk only what is no card: a USB hard disk and an NTFS stick.
        for device in ("mmcblk0", "sda", "sdb", "sde"):
            udisks.command("unplug " + device)
        editor, log = scene.start(display, "udisks2")
        try:
            no_card = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}$", editor)
            # The card goes in; the desktop does not mount it. No key is pressed.
            udisks.command("plug sdb")
            card_list = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}$", editor,
                                                exclude={no_card})
            desktop.focus(card_list)
            desktop.keys("Return")
            sheet = desktop.wait_for_window(f"^{re.escape(SHEET_TITLE)}$", editor,
                                            exclude={no_card, card_list})
            desktop.focus(sheet)
            desktop.keys("Return")
            confirm_saved(desktop, editor, log, "UDisks2 run")
        finally:
            if editor.poll() is None:
                editor.kill()
                editor.wait()
    finally:
        udisks.stop()
        scene.system_bus = no_bus

    card_file = os.path.join(media, "SPARE", "VELOMAR", "Kestra.cfg")
    local_file = os.path.join(scene.program_folder, "Kestra.cfg")
    if not os.path.isfile(card_file):
        raise Failure(f"not written: {card_file}")
    with open(card_file, "rb") as card, open(local_file, "rb") as local:
        if card.read() != local.read():
            raise Failure("the card mounted through UDisks2 does not hold the local settings")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--editor", required=True)
    parser.add_argument("--kestra-cfg", required=True)
    parser.add_argument("--lsblk-recording", required=True)
    parser.add_argument("--carriers", required=True)
    parser.add_argument("--fake-udisks2", required=True)
    parser.add_argument("--udisks2-tree", required=True)
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    args = parser.parse_args()

    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            print(f"FAIL: {tool} is missing; scripts/install-deps.sh installs it", file=sys.stderr)
            return 1

    root = tempfile.mkdtemp(prefix="velomar-e2e-")
    server = XServer()
    try:
        desktop = Desktop(server.display)
        scene = Scene(root, args)
        run_without_card(scene, desktop, server.display)
        print("run without a card: read-only sheet through the no-card dialog, nothing written")
        scene.insert_cards(True)
        run_editing(scene, desktop, server.display, args.kestra_cfg)
        print("editing run: card file, local copy and carriers2.dat as expected")
        run_read_only(scene, desktop, server.display)
        print("read-only run: nothing written")
        run_udisks2(scene, desktop, server.display, args)
        print("UDisks2 run: the card that came in unmounted was mounted and written")
        return 0
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        print_logs(os.path.join(root, "logs"))
        return 1
    finally:
        server.stop()
        if args.keep:
            print(f"kept {root}")
        else:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
