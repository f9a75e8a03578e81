#!/usr/bin/python3
"""kestra-cfg.exe under Wine does what the Linux kestra-cfg does.

Each row runs one command line with both programs, each in a fresh folder holding the same
files, and compares the exit codes, standard output, standard error and every byte left in the
folder. Output is the same bytes on both systems: "\\n" line ends, UTF-8 text. A command is
added to the comparison by adding its rows.

deploy writes to card folders given with --folder, so that the cards of either machine play no
part: neither build asks for its drives (the Linux build would find none: a fake lsblk on its
PATH lists no drive). The time column of deploy's log is left out of the comparison. deploy
--each-inserted waits for cards inserted into this machine's readers and is not offered on
Windows (windows_card_volumes.py), so it has no row here.
"""

import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest

import wine_env

CORPUS = wine_env.SOURCE_DIR / "fuzz/corpus/settings_reader_fuzz"
FACTORY = wine_env.SOURCE_DIR / "examples/Kestra.cfg"

NON_ASCII_FOLDER = "Ördner €"
NON_ASCII_FILE = f"{NON_ASCII_FOLDER}/Kämera ß.cfg"


def starting_files():
    """The files every run starts with: None makes a folder; a tuple (bytes, "read-only") a
    file without write permission, which Windows reads as the read-only attribute."""
    factory = FACTORY.read_bytes()
    return {
        # the three layouts, with and without the optional sections
        "tag1.cfg": (CORPUS / "tag1.cfg").read_bytes(),
        "tag2.cfg": (CORPUS / "tag2.cfg").read_bytes(),
        "tag2-dual.cfg": (CORPUS / "dual_tag2.cfg").read_bytes(),
        "tag3.cfg": factory,
        "tag3-core.cfg": (CORPUS / "core_only.cfg").read_bytes(),
        # files that must be refused
        "empty.cfg": b"",
        "short.cfg": factory[:60],
        "unknown-tag.cfg": bytes.fromhex("0400460000"),
        "folder.cfg": None,
        "read-only.cfg": ((CORPUS / "tag1.cfg").read_bytes(), "read-only"),
        # a name outside every ANSI code page
        NON_ASCII_FOLDER: None,
        NON_ASCII_FILE: (CORPUS / "tag2.cfg").read_bytes(),
        # set --from, and deploy's card folders and label map
        "values.json": '{"settings": {"label": "NORTH 3", "quickset": "aggressive"}}'.encode(),
        "card1": None,
        "card2": None,
        "card3": None,
        "card3/VELOMAR": None,
        "card3/VELOMAR/Kestra.cfg": (CORPUS / "tag1.cfg").read_bytes(),
        "map.csv": "card,label\r\ncard1,STATION 01\r\ncard2,\"NORTH, 2\"\r\ncard3,Äsche 3\r\n"
                   f"{NON_ASCII_FOLDER},Süd 4\r\n".encode(),
    }


LAYOUTS = ["tag1.cfg", "tag2.cfg", "tag2-dual.cfg", "tag3.cfg", "tag3-core.cfg", NON_ASCII_FILE]
REFUSED = ["empty.cfg", "short.cfg", "unknown-tag.cfg", "folder.cfg"]

ROWS = [
    *[(f"show {name}", ["show", name]) for name in LAYOUTS + REFUSED],
    *[(f"show --json {name}", ["show", "--json", name]) for name in LAYOUTS + REFUSED],
    *[(f"convert {name}", ["convert", name, "out.cfg"]) for name in LAYOUTS + REFUSED],
    ("convert in place", ["convert", "tag1.cfg", "tag1.cfg"]),
    ("convert to a non-ASCII name", ["convert", "tag1.cfg", f"{NON_ASCII_FOLDER}/Nëu.cfg"]),
    ("factory", ["factory", "out.cfg"]),
    ("factory over a file", ["factory", "tag1.cfg"]),
    ("factory to a non-ASCII name", ["factory", NON_ASCII_FILE]),
    # a file that is not there
    ("show a missing file", ["show", "missing.cfg"]),
    ("show a missing non-ASCII name", ["show", f"{NON_ASCII_FOLDER}/fehlt ä.cfg"]),
    ("show --json a missing file", ["show", "--json", "missing.cfg"]),
    ("convert a missing file", ["convert", "missing.cfg", "out.cfg"]),
    # targets that cannot be written
    ("factory over a read-only file", ["factory", "read-only.cfg"]),
    ("convert over a read-only file", ["convert", "tag2.cfg", "read-only.cfg"]),
    ("factory into a missing folder", ["factory", "VELOMAR/Kestra.cfg"]),
    ("factory over a folder", ["factory", "folder.cfg"]),
    # named settings
    ("set", ["set", "tag3.cfg", "label=RIDGE 7", "quickset=aggressive", "pictures-per-trigger=7"]),
    ("set a label outside ASCII", ["set", NON_ASCII_FILE, "label=Äsche"]),
    ("set --from", ["set", "tag1.cfg", "--from", "values.json"]),
    ("set, a value refused", ["set", "tag3.cfg", "label=A", "pictures-per-trigger=100"]),
    ("set, an unknown name", ["set", "tag3.cfg", "colour=red"]),
    ("diff, the same settings", ["diff", "tag3.cfg", "tag3.cfg"]),
    ("diff, other settings", ["diff", "tag1.cfg", "tag2.cfg"]),
    ("diff, a missing file", ["diff", "tag1.cfg", "missing.cfg"]),
    # deploy to card folders
    ("deploy", ["deploy", "tag3.cfg", "--folder", "card1", "--folder", "card2", "--folder",
                "card3"]),
    ("deploy with labels and a log",
     ["deploy", "tag2.cfg", "--folder", "card1", "--folder", "card2", "--folder", "card3",
      "--folder", NON_ASCII_FOLDER, "--labels", "map.csv", "--log", "log.csv"]),
    ("deploy with a switch-on time", ["deploy", "tag3.cfg", "--folder", "card1", "--date-time",
                                      "2024-02-29 18:45"]),
    ("deploy, a date refused", ["deploy", "tag3.cfg", "--folder", "card1", "--date-time",
                                "2023-02-29 18:45"]),
    ("deploy, a dry run", ["deploy", "tag3.cfg", "--folder", "card1", "--folder", "card2",
                           "--labels", "map.csv", "--dry-run"]),
    ("deploy, a folder missing", ["deploy", "tag3.cfg", "--folder", "card1", "--folder",
                                  "nowhere", "--log", "log.csv"]),
    ("deploy, JSON Lines", ["deploy", "tag3.cfg", "--folder", "card1", "--folder", "card3",
                            "--keep-labels", "--json"]),
    # a path from the root is a path, not a Windows-style option
    ("show a path from the root", ["show", "{folder}/tag1.cfg"]),
    ("convert from a path from the root", ["convert", "{folder}/tag2.cfg", "{folder}/out.cfg"]),
    ("set, a path from the root", ["set", "{folder}/tag3.cfg", "label=ROOT"]),
    # wrong usage
    ("no command", []),
    ("unknown command", ["dump", "tag1.cfg"]),
    ("show without a file", ["show"]),
    ("convert without OUT", ["convert", "tag1.cfg"]),
]


def in_folder(arguments, folder):
    """The arguments with "{folder}" standing for the run's folder, as a path from the root:
    /tmp/... on Linux, and under Wine the same folder on the drive Wine maps to /."""
    return [argument.replace("{folder}", folder.as_posix()) for argument in arguments]


def populate(folder):
    for name, content in starting_files().items():
        path = folder / name
        if content is None:
            path.mkdir()
            continue
        read_only = isinstance(content, tuple)
        path.write_bytes(content[0] if read_only else content)
        if read_only:
            path.chmod(0o444)


def as_ordinary_user():
    # Root passes every permission check on Linux, while Windows keeps a read-only file
    # read-only for administrators too: the Linux build runs as "nobody" instead.
    os.setgroups([])
    os.setgid(65534)
    os.setuid(65534)


def run_linux(program, arguments, cwd, fake_bin):
    root = os.geteuid() == 0
    # The copies of replaced card settings go to a data folder of the run's own, as they go to
    # the prefix's on Windows.
    data = cwd.parent / f"{cwd.name}-data"
    data.mkdir(exist_ok=True)
    if root:
        # The folders are the user's own, as they are on Windows.
        for path in [cwd, *cwd.rglob("*"), data]:
            os.chown(path, 65534, 65534)
    env = dict(os.environ, PATH=f"{fake_bin}:{os.environ.get('PATH', '')}",
               XDG_DATA_HOME=str(data))
    result = subprocess.run([program, *arguments], cwd=cwd, env=env,
                            capture_output=True, timeout=wine_env.TIMEOUT,
                            preexec_fn=as_ordinary_user if root else None)
    return result.returncode, result.stdout, result.stderr


def without_log_times(contents):
    """deploy's log with its first column, the time of each row, taken out."""
    log = contents.get("log.csv")
    if log is not None:
        contents["log.csv"] = b"\n".join(line.partition(b",")[2] for line in log.split(b"\n"))
    return contents


class Differential(unittest.TestCase):
    maxDiff = None

    def setUp(self):
        self.base = pathlib.Path(tempfile.mkdtemp(prefix="kestra-cfg-differential-"))
        self.base.chmod(0o755)
        # A copy that "nobody" may run, wherever the build folder is.
        self.linux_program = self.base / "kestra-cfg"
        shutil.copy(os.environ["KESTRA_CFG_LINUX"], self.linux_program)
        # A machine without drives for the Linux build.
        self.fake_bin = self.base / "bin"
        self.fake_bin.mkdir()
        lsblk = self.fake_bin / "lsblk"
        lsblk.write_text('#!/bin/sh\necho \'{"blockdevices": []}\'\n')
        lsblk.chmod(0o755)

    def tearDown(self):
        shutil.rmtree(self.base)

    def run_both(self, index, arguments):
        linux, windows = self.base / f"{index}-linux", self.base / f"{index}-windows"
        for folder in (linux, windows):
            folder.mkdir()
            populate(folder)
        linux_run = run_linux(self.linux_program, in_folder(arguments, linux), linux,
                              self.fake_bin)
        windows_run = wine_env.run_windows(os.environ["KESTRA_CFG_EXE"],
                                           in_folder(arguments, windows), windows)
        return ((linux_run, without_log_times(wine_env.folder_contents(linux))),
                (windows_run, without_log_times(wine_env.folder_contents(windows))))

    def test_every_command_gives_the_same_result(self):
        for index, (name, arguments) in enumerate(ROWS):
            with self.subTest(name):
                (linux_run, linux_files), (windows_run, windows_files) = self.run_both(
                    index, arguments)
                self.assertEqual(windows_run[0], linux_run[0], "exit code")
                self.assertEqual(windows_run[1].decode(errors="replace"),
                                 linux_run[1].decode(errors="replace"), "standard output")
                self.assertEqual(windows_run[1], linux_run[1], "standard output bytes")
                self.assertEqual(windows_run[2], linux_run[2], "standard error")
                self.assertEqual(windows_files, linux_files, "files left in the folder")


if __name__ == "__main__":
    wine_env.require("VELOMAR_WINE64", "KESTRA_CFG_EXE", "KESTRA_CFG_LINUX")
    unittest.main()
