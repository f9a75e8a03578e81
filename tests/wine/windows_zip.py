#!/usr/bin/python3
"""The zip for Windows users: what it holds, and that the program in it runs from where it was
unpacked, with nothing installed.
"""

import os
import pathlib
import subprocess
import tempfile
import unittest
import zipfile

import wine_env

FOLDER = "kestra-cfg-1.0.0-windows-x64"
CONTENTS = ["README.txt", "kestra-cfg.exe", "kestra-cfg.html"]


class WindowsZip(unittest.TestCase):
    def test_unpacked_program_writes_the_factory_file(self):
        with tempfile.TemporaryDirectory() as work:
            work = pathlib.Path(work)
            subprocess.run([os.environ["VELOMAR_CPACK"], "-G", "ZIP", "-B", str(work)],
                           cwd=os.environ["VELOMAR_BUILD_DIR"], check=True,
                           stdout=subprocess.DEVNULL, timeout=wine_env.TIMEOUT)
            with zipfile.ZipFile(work / f"{FOLDER}.zip") as archive:
                self.assertEqual(sorted(archive.namelist()),
                                 [f"{FOLDER}/{name}" for name in CONTENTS])
                archive.extractall(work / "unpacked")
            program = work / "unpacked" / FOLDER / "kestra-cfg.exe"
            code, out, err = wine_env.run_windows(program, ["factory", "Kestra.cfg"], work)
            self.assertEqual((code, out, err), (0, b"", b""))
            self.assertEqual((work / "Kestra.cfg").read_bytes(),
                             (wine_env.SOURCE_DIR / "examples/Kestra.cfg").read_bytes())


if __name__ == "__main__":
    wine_env.require("VELOMAR_WINE64", "VELOMAR_CPACK", "VELOMAR_BUILD_DIR")
    unittest.main()
