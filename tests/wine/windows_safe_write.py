#!/usr/bin/python3
"""The safe write of kestra-cfg.exe, through Windows' own file API under Wine.

A write that cannot be completed leaves the old file whole and no temporary file behind: the
target held open by another program (the replace fails after the new bytes were written), or
marked read-only (refused before anything is written, with message 109). Names outside every
ANSI code page work and come back in messages as UTF-8.
"""

import os
import pathlib
import tempfile
import unittest

import wine_env

OLD = (wine_env.SOURCE_DIR / "fuzz/corpus/settings_reader_fuzz/tag1.cfg").read_bytes()
FACTORY = (wine_env.SOURCE_DIR / "examples/Kestra.cfg").read_bytes()
SAVE_ERROR = "Error saving configuration file.\n"

CASES = [
    # name, target, what is in the way, expected exit code, expected standard error
    ("held open by another program", "Kestra.cfg", "held", 1,
     "Access to Kestra.cfg was denied.\n"),
    ("held open, non-ASCII names", "Ördner €/Kämera ß.cfg", "held", 1,
     "Access to Ördner €/Kämera ß.cfg was denied.\n"),
    ("read-only attribute", "Kestra.cfg", "read-only", 1, SAVE_ERROR),
    ("read-only attribute, non-ASCII names", "Ördner €/Kämera ß.cfg", "read-only", 1, SAVE_ERROR),
    ("nothing in the way, non-ASCII names", "Ördner €/Kämera ß.cfg", None, 0, ""),
]


class SafeWrite(unittest.TestCase):
    maxDiff = None

    def factory_while(self, target, obstacle):
        """Runs `kestra-cfg factory TARGET` with `obstacle` in the way of the write."""
        if obstacle == "read-only":
            code, _, err = wine_env.run_windows("attrib", ["+R", target.replace("/", "\\")],
                                                self.folder)
            self.assertEqual((code, err), (0, b""), "attrib +R")
        holder = None
        if obstacle == "held":
            holder = wine_env.start_windows(os.environ["HOLD_OPEN_EXE"], [target], self.folder)
        try:
            if holder:
                self.assertEqual(holder.stdout.readline(), b"held\n")
            return wine_env.run_windows(os.environ["KESTRA_CFG_EXE"], ["factory", target],
                                        self.folder)
        finally:
            if holder:
                _, err = holder.communicate(timeout=wine_env.TIMEOUT)
                self.assertEqual((holder.returncode, err), (0, b""), "the program holding it")

    def test_write_keeps_or_replaces_the_whole_file(self):
        for name, target, obstacle, exit_code, message in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                self.folder = pathlib.Path(folder)
                path = self.folder / target
                path.parent.mkdir(parents=True, exist_ok=True)
                path.write_bytes(OLD)
                code, out, err = self.factory_while(target, obstacle)
                self.assertEqual(err.decode(), message)
                self.assertEqual(code, exit_code)
                self.assertEqual(out, b"")
                self.assertEqual(path.read_bytes(), OLD if exit_code else FACTORY)
                # the temporary file is gone, failed or not
                self.assertEqual([p.name for p in path.parent.iterdir()], [path.name])


if __name__ == "__main__":
    wine_env.require("VELOMAR_WINE64", "KESTRA_CFG_EXE", "HOLD_OPEN_EXE")
    unittest.main()
