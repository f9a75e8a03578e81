#!/usr/bin/python3
"""Card discovery through the Win32 volume API, on the drives the Wine prefix maps
(wine_prefix.py): what the Windows volume source reports for each drive letter.

Wine reports a drive of type "floppy" as removable (DRIVE_REMOVABLE), and for a FAT image
behind it the file system ("FAT32" or "FAT") and volume label from the image's boot sector, as
Windows does for a card. A drive that is only a folder it reports as "NTFS" with an empty
label, whatever the folder lies on.
"""

import os
import tempfile
import unittest

import wine_env

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


if __name__ == "__main__":
    wine_env.require("VELOMAR_WINE64", "VOLUME_PROBE_EXE")
    unittest.main()
