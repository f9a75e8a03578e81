"""What the Wine tests share: the programs under test, running them, and reading folders back.

CTest passes everything through the environment (tests/wine/CMakeLists.txt), so that each
script also runs by hand with the same variables set.
"""

import os
import pathlib
import subprocess
import sys

SOURCE_DIR = pathlib.Path(os.environ.get("VELOMAR_SOURCE_DIR", pathlib.Path(__file__).parents[2]))
WINE64 = os.environ.get("VELOMAR_WINE64", "")
WINESERVER = os.environ.get("VELOMAR_WINESERVER", "")
MKFS_FAT = os.environ.get("VELOMAR_MKFS_FAT", "")
PREFIX = pathlib.Path(os.environ.get("WINEPREFIX", ""))

TIMEOUT = 60


def require(*names):
    """Stops the test with a clear reason when a program it needs is not there."""
    for name in names:
        value = os.environ.get(name, "")
        if not value or value.endswith("-NOTFOUND") or not os.path.exists(value):
            sys.exit(f"{name} is not set or missing ({value!r}): "
                     "scripts/install-deps.sh installs Wine and the MinGW-w64 compiler")


def wine_environment():
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    # No X server: Wine must not try to open windows, nor offer to install Mono or Gecko.
    env.pop("DISPLAY", None)
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    return env


def run_windows(program, arguments, cwd, stdin=subprocess.DEVNULL):
    """Runs a Windows program under Wine; returns (exit code, stdout bytes, stderr bytes)."""
    result = subprocess.run([WINE64, str(program), *arguments], cwd=cwd, stdin=stdin,
                            capture_output=True, env=wine_environment(), timeout=TIMEOUT)
    return result.returncode, result.stdout, result.stderr


def start_windows(program, arguments, cwd):
    """Starts a Windows program under Wine with pipes on all three streams."""
    return subprocess.Popen([WINE64, str(program), *arguments], cwd=cwd,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=wine_environment())


def folder_contents(folder):
    """Every entry under `folder` by relative path: a file's bytes, or None for a folder."""
    folder = pathlib.Path(folder)
    contents = {}
    for path in sorted(folder.rglob("*")):
        name = path.relative_to(folder).as_posix()
        contents[name] = None if path.is_dir() else path.read_bytes()
    return contents
