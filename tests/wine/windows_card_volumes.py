#!/usr/bin/python3
"""Card discovery through the Win32 volume API, on the drives the Wine prefix maps
(wine_prefix.py): what the Windows volume source reports for each drive letter, and the cards
that `kestra-cfg.exe cards` lists and `deploy --all-cards` writes to.

Wine reports a drive of type "floppy" as removable (DRIVE_REMOVABLE), and for a FAT image
behind it the file system ("FAT32" or "FAT") and volume label from the image's boot sector, as
Windows does for a card. A drive that is only a folder it reports as "NTFS" with an empty
label, whatever the folder lies on.
"""

import json
import os
import pathlib
import shutil
import tempfile
import unittest

import wine_env
from wine_prefix import DRIVES_FOLDER

DRIVES = [
    # root, what the prefix maps there, expected: removable, file system, volume label
    ("C:", "Wine's own system drive", "fixed", "NTFS", ""),
    ("E:", "removable, FAT32 image", "removable", "FAT32", "KESTRA32"),
    ("F:", "removable, FAT16 image", "removable", "FAT", "TRAIL16"),
    ("G:", "removable, a folder", "removable", "NTFS", ""),
    ("H:", "fixed, a folder", "fixed", "NTFS", ""),
]


class CardVolumes(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as folder:
            code, out, err = wine_env.run_windows(os.environ["VOLUME_PROBE_EXE"], [], folder)
        assert code == 0, err
        cls.reported = {}
        for line in out.decode().splitlines():
            root, *fields = line.split("\t")
            cls.reported[root] = tuple(fields)

    def test_each_drive_reports_its_type_and_volume(self):
        for root, mapped, removable, file_system, label in DRIVES:
            with self.subTest(f"{root} {mapped}"):
                self.assertEqual(self.reported.get(root), (removable, file_system, label))

    def test_floppy_letters_are_never_offered(self):
        # The prefix maps A: as a removable drive too; A and B are floppies by tradition.
        self.assertNotIn("A:", self.reported)
        self.assertNotIn("B:", self.reported)


# The cards among those drives, as `kestra-cfg cards --json` lists them: the removable FAT
# images, each with the serial its image was made with. Windows names no devices.
CARDS = [
    {"mountPath": "E:", "device": "", "volumeLabel": "KESTRA32", "serial": "2468-ACE0",
     "fileSystem": "FAT32"},
    {"mountPath": "F:", "device": "", "volumeLabel": "TRAIL16", "serial": "1357-2468",
     "fileSystem": "FAT"},
]
FACTORY = (wine_env.SOURCE_DIR / "examples/Kestra.cfg").read_bytes()


def card_folder(letter):
    """Where Wine keeps the files of a card drive."""
    return DRIVES_FOLDER / letter / "VELOMAR"


class CardsCommand(unittest.TestCase):
    maxDiff = None

    def setUp(self):
        self.folder = pathlib.Path(tempfile.mkdtemp(prefix="kestra-cfg-cards-"))

    def tearDown(self):
        shutil.rmtree(self.folder)
        for letter in "ef":
            shutil.rmtree(card_folder(letter), ignore_errors=True)

    def kestra_cfg(self, *arguments):
        return wine_env.run_windows(os.environ["KESTRA_CFG_EXE"], list(arguments), self.folder)

    def test_cards_lists_the_fat_cards_with_their_serials(self):
        card_folder("e").mkdir()
        (card_folder("e") / "Kestra.cfg").write_bytes(FACTORY[:48] + b"RIDGE 7" + FACTORY[55:])
        code, out, err = self.kestra_cfg("cards", "--json")
        self.assertEqual((code, err), (0, b""))
        expected = [dict(CARDS[0], settingsFile="E:\\VELOMAR\\Kestra.cfg", cameraLabel="RIDGE 7"),
                    dict(CARDS[1], settingsFile=None, cameraLabel=None)]
        self.assertEqual(json.loads(out), expected)

        code, out, err = self.kestra_cfg("cards")
        self.assertEqual((code, err), (0, b""))
        self.assertEqual(out.decode().splitlines(), [
            "MOUNT PATH  VOLUME LABEL  SERIAL     FS     SETTINGS",
            "E:          KESTRA32      2468-ACE0  FAT32  label \"RIDGE 7\"",
            "F:          TRAIL16       1357-2468  FAT    no file",
        ])

    def test_deploy_writes_each_card_its_label(self):
        (self.folder / "base.cfg").write_bytes(FACTORY)
        # One card by its serial, the other by its volume label, in other spellings.
        (self.folder / "map.csv").write_text("card,label\n2468ace0,STATION 1\ntrail16,STATION 2\n")
        code, out, err = self.kestra_cfg("deploy", "base.cfg", "--all-cards", "--labels",
                                         "map.csv", "--log", "log.csv")
        self.assertEqual((code, err), (0, b""))
        self.assertEqual(out.decode().splitlines(), [
            'E: (2468-ACE0): written, label "STATION 1"',
            'F: (1357-2468): written, label "STATION 2"',
            # The prefix's removable drive G: reads as NTFS: no card.
            "G: skipped: NTFS, not FAT; the cameras read FAT and FAT32 only",
            "2 of 2 cards written",
        ])
        for letter, label in (("e", b"STATION 1"), ("f", b"STATION 2")):
            written = (card_folder(letter) / "Kestra.cfg").read_bytes()
            self.assertEqual(written, FACTORY[:48] + label + FACTORY[48 + len(label):])
        rows = [line.split(",")[1:] for line in (self.folder / "log.csv").read_text().splitlines()]
        self.assertEqual([row[:3] + row[4:5] for row in rows], [
            ["serial", "mount path", "label", "result"],
            ["2468-ACE0", "E:", "STATION 1", "written"],
            ["1357-2468", "F:", "STATION 2", "written"],
        ])

    def test_station_mode_is_not_offered(self):
        """deploy --each-inserted waits for cards through UDisks2 or lsblk, which Windows has
        not: it says so as wrong usage does, and touches no card."""
        (self.folder / "base.cfg").write_bytes(FACTORY)
        code, out, err = self.kestra_cfg("deploy", "base.cfg", "--each-inserted", "--count", "1")
        self.assertEqual((code, out), (2, b""))
        self.assertEqual(err, b"kestra-cfg deploy: --each-inserted is not available on Windows\n")
        self.assertFalse(card_folder("e").exists())
        self.assertFalse(card_folder("f").exists())


class CardLock(unittest.TestCase):
    def test_one_writer_a_card_at_a_time(self):
        """A second process waits for the card another holds, and gives up after its patience;
        another card is free, and the card is free again once the first is done."""
        with tempfile.TemporaryDirectory() as folder:
            first = wine_env.start_windows(os.environ["CARD_LOCK_PROBE_EXE"], ["E:", "0"], folder)
            try:
                self.assertEqual(first.stdout.readline(), b"held\n")
                for root, answer in (("E:", b"not held\n"), ("F:", b"held\n")):
                    code, out, err = wine_env.run_windows(os.environ["CARD_LOCK_PROBE_EXE"],
                                                          [root, "200"], folder)
                    self.assertEqual((code, out, err), (0, answer, b""), root)
            finally:
                _, err = first.communicate(timeout=wine_env.TIMEOUT)
                self.assertEqual((first.returncode, err), (0, b""))
            code, out, _ = wine_env.run_windows(os.environ["CARD_LOCK_PROBE_EXE"], ["E:", "0"],
                                                folder)
            self.assertEqual((code, out), (0, b"held\n"))


if __name__ == "__main__":
    wine_env.require("VELOMAR_WINE64", "VOLUME_PROBE_EXE", "KESTRA_CFG_EXE",
                     "CARD_LOCK_PROBE_EXE")
    unittest.main()
