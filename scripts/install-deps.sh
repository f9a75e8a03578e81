#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
# Quick when everything is already there: it only asks apt when a package is missing.
set -euo pipefail

packages=(
    # toolchain
    g++ cmake ninja-build clang libclang-rt-14-dev pkg-config
    # the Windows build of kestra-cfg, and running it under Wine in its tests (mkfs.fat makes
    # the FAT images that stand for cards there)
    g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix wine64 dosfstools
    # libraries (sd-bus of libsystemd-dev talks to UDisks2 over the system D-Bus)
    qt6-base-dev libgl-dev nlohmann-json3-dev libcli11-dev libsystemd-dev
    # Qt's private headers: the accessibility tests switch Qt's accessibility on, as an assistive
    # tool on a desktop does, which only Qt's platform layer can do
    qt6-base-private-dev
    # runtime: card discovery reads lsblk where no UDisks2 answers, the GUI tests need a font
    util-linux fonts-dejavu-core
    # a fake UDisks2 for the card tests, on a private bus of their own
    dbus-daemon python3-dbusmock
    # the user guide: Markdown to HTML to PDF, and reading the PDF back in its test
    python3-markdown weasyprint poppler-utils
    # desktop integration: the bitmap icon, checks of the desktop entry and the AppStream
    # metadata, the Debian package (dpkg-shlibdeps) and Debian's own check of it
    qt6-svg-dev desktop-file-utils appstream dpkg-dev lintian
    # the manual pages: Markdown to roff (and to HTML for the Windows zip)
    pandoc
    # end-to-end tests: the editor on a private X server driven by keystrokes, and read and
    # worked as a screen reader does, over AT-SPI on a session bus of the test's own
    xvfb xdotool python3 at-spi2-core python3-pyatspi dbus-bin
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Run as root or install sudo." >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
