#!/usr/bin/python3
"""The Wine prefix that the Windows tests share (CTest fixture "wine").

    wine_prefix.py          make the prefix (once), map the card drives, start its Wine server
    wine_prefix.py --stop   end the prefix's Wine server

Making a prefix takes Wine a while, so it is kept in the build folder and made only once; the
drives are mapped afresh on every run. The Wine server then stays up for the tests, so that each
program starts in a fraction of a second instead of bringing Wine's services up again.
"""

import shutil
import subprocess
import sys

import wine_env

# The drives the card tests look at. Wine takes a drive's type from the registry ("floppy" is a
# removable drive). It reads the volume behind a letter from its device link ("e::"), here a FAT
# image made by mkfs.fat, when that image lies inside the drive's own folder: Wine finds the
# volume of a path by walking up to the folder of a drive letter.
CARD_DRIVES = [
    # letter, Wine drive type, FAT image as (FAT bits, volume label, serial) or None
    ("a", "floppy", None),
    ("e", "floppy", (32, "KESTRA32", "2468ACE0")),
    ("f", "floppy", (16, "TRAIL16", "13572468")),
    ("g", "floppy", None),
    ("h", "hd", None),
]
IMAGE_KIB = {32: 40000, 16: 20000}  # big enough for mkfs.fat to make that FAT type

DRIVES_FOLDER = wine_env.PREFIX.parent / "drives"
REGISTRY_STAMP = wine_env.PREFIX / "velomar-drives.reg"


def quiet(command):
    """Runs a setup step with its output in a log file: Wine's background services inherit
    the streams of the program that started them and would hold a pipe open."""
    with open(wine_env.PREFIX.parent / "wine-prefix.log", "ab") as log:
        return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                              env=wine_env.wine_environment(), timeout=300).returncode


def stop_server():
    quiet([wine_env.WINESERVER, "-k"])
    quiet([wine_env.WINESERVER, "-w"])


def map_card_drives():
    shutil.rmtree(DRIVES_FOLDER, ignore_errors=True)
    dosdevices = wine_env.PREFIX / "dosdevices"
    for letter, _, image in CARD_DRIVES:
        folder = DRIVES_FOLDER / letter
        folder.mkdir(parents=True)
        for link, target in ((f"{letter}:", folder), (f"{letter}::", folder / "card.img")):
            (dosdevices / link).unlink(missing_ok=True)
            if link.endswith("::") and image is None:
                continue
            (dosdevices / link).symlink_to(target)
        if image:
            bits, label, serial = image
            subprocess.run([wine_env.MKFS_FAT, "-C", "-F", str(bits), "-n", label, "-i", serial,
                            str(folder / "card.img"), str(IMAGE_KIB[bits])],
                           check=True, stdout=subprocess.DEVNULL)


def register_drive_types():
    lines = ["REGEDIT4", "", r"[HKEY_LOCAL_MACHINE\Software\Wine\Drives]"]
    lines += [f'"{letter}:"="{kind}"' for letter, kind, _ in CARD_DRIVES]
    text = "\r\n".join(lines) + "\r\n"
    if REGISTRY_STAMP.exists() and REGISTRY_STAMP.read_text() == text:
        return
    REGISTRY_STAMP.write_text(text)
    if quiet([wine_env.WINE64, "reg", "import", str(REGISTRY_STAMP)]) != 0:
        REGISTRY_STAMP.unlink()
        sys.exit("Wine refused the drive types: see wine-prefix.log")
    # The server writes the registry out when it ends.
    quiet([wine_env.WINESERVER, "-w"])


def main():
    wine_env.require("VELOMAR_WINE64", "VELOMAR_WINESERVER", "VELOMAR_MKFS_FAT")
    if "--stop" in sys.argv[1:]:
        stop_server()
        return
    stop_server()
    if not (wine_env.PREFIX / "system.reg").exists():
        wine_env.PREFIX.parent.mkdir(parents=True, exist_ok=True)
        if quiet([wine_env.WINE64, "wineboot", "--init"]) != 0:
            sys.exit("Wine could not make its prefix: see wine-prefix.log")
        quiet([wine_env.WINESERVER, "-w"])
    map_card_drives()
    register_drive_types()
    # Wine's mount manager reads the drives when its services start: start them now, on a
    # server that waits a minute for the next program before it ends.
    quiet([wine_env.WINESERVER, "-p60"])
    if quiet([wine_env.WINE64, "cmd.exe", "/c", "exit"]) != 0:
        sys.exit("Wine does not run programs in its prefix: see wine-prefix.log")


if __name__ == "__main__":
    main()
