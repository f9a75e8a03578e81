#!/usr/bin/env bash
# Builds the Debian package with CPack, checks its contents and dependencies and has lintian
# check it, installs it, starts the installed editor read-only on the offscreen platform from a
# folder of its own, and removes the package.
# Installing needs root (CI runs as root on a throwaway machine); elsewhere, and where a
# velomar-settings package is installed already, the test is skipped (exit 77), so that it never
# touches more of a machine than installing and removing its own package.
# deb_package.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "installing the package needs root"
for tool in dpkg dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/install-deps.sh installs it)"
done
status=$(dpkg-query -W -f='${db:Status-Status}' velomar-settings 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    skip "a velomar-settings package is on this machine ($status); the test would replace it"
fi

tmp=$(mktemp -d)
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then
        dpkg --purge velomar-settings >/dev/null 2>&1 || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

"$cpack" -G DEB -B "$tmp/out" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log"; fail "cpack"; }
debs=("$tmp"/out/velomar-settings_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single velomar-settings_*.deb"
deb=${debs[0]}
echo "built $(basename "$deb")"

# The files, each in its usual place.
dpkg-deb --contents "$deb" | sed -n 's#^.* \./#/#p' >"$tmp/contents"
id=com.velomar.Settings
guide="Professional Settings User Guide.pdf"
expected=(
    /usr/bin/velomar-settings
    /usr/bin/kestra-cfg
    "/usr/share/applications/$id.desktop"
    "/usr/share/metainfo/$id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$id.svg"
    /usr/share/velomar-settings/carriers.dat
    /usr/share/man/man1/velomar-settings.1.gz
    /usr/share/man/man1/kestra-cfg.1.gz
    /usr/share/doc/velomar-settings/copyright
    /usr/share/doc/velomar-settings/changelog.gz
    /usr/share/lintian/overrides/velomar-settings
    /usr/share/bash-completion/completions/kestra-cfg
)
[ -e "$build/packaging/256x256/$id.png" ] && expected+=("/usr/share/icons/hicolor/256x256/apps/$id.png")
[ -e "$build/doc/$guide" ] && expected+=("/usr/share/doc/velomar-settings/$guide")
for file in "${expected[@]}"; do
    grep -qxF "$file" "$tmp/contents" || { cat "$tmp/contents"; fail "not in the package: $file"; }
done
if grep -v '^/usr/' "$tmp/contents" | grep -v '^/$' | grep -q .; then
    cat "$tmp/contents"
    fail "the package puts files outside /usr"
fi

# The control fields; the library dependencies come from dpkg-shlibdeps.
[ "$(dpkg-deb -f "$deb" Package)" = velomar-settings ] || fail "package name"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb -f "$deb" Description)" ] || fail "no description"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for dependency in libc6 libqt6widgets6 libqt6gui6 libqt6core6; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency"
done

# Debian's own checker: no error and no warning, except those the package overrides with its
# reason (packaging/debian/lintian-overrides), and no override that has nothing left to match.
lintian --display-info --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 ||
    { cat "$tmp/lintian.log"; fail "lintian"; }
cat "$tmp/lintian.log"
if grep -q 'unused-override' "$tmp/lintian.log"; then
    fail "lintian-overrides holds a line that matches nothing now: remove it"
fi

installed=1
dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -i"; }
[ "$(dpkg-query -W -f='${Status}' velomar-settings)" = "install ok installed" ] ||
    fail "the package is not installed after dpkg -i"
if ldd /usr/bin/velomar-settings | grep -q 'not found'; then
    ldd /usr/bin/velomar-settings
    fail "the installed editor misses libraries"
fi

# The installed editor, started from a folder of the user's, shows its sheet. It works in the
# user's data folder, which it fills from the install; read-only, it writes nothing else.
mkdir -p "$tmp/home" "$tmp/work" "$tmp/runtime"
chmod 700 "$tmp/runtime"
output=$(cd "$tmp/work" && env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/runtime" \
    QT_QPA_PLATFORM=offscreen VELOMAR_REPORT_SHOWN=quit timeout 120 /usr/bin/velomar-settings -rdonly) ||
    fail "the installed editor failed: $output"
echo "$output"
grep -q '^shown [0-9.]* Velomar - Professional Settings (read only)$' <<<"$output" ||
    fail "the installed editor did not show its main sheet"
[ -z "$(ls -A "$tmp/work")" ] || fail "a read-only run wrote into the folder it was started from"
[ ! -e /usr/bin/Kestra.cfg ] || fail "a read-only run wrote /usr/bin/Kestra.cfg"
data=$tmp/home/.local/share/Velomar/velomar-settings
cmp "$data/carriers.dat" /usr/share/velomar-settings/carriers.dat ||
    fail "the data folder has no copy of the example carrier list"
if [ -e "/usr/share/doc/velomar-settings/$guide" ]; then
    [ "$(readlink "$data/$guide")" = "/usr/share/doc/velomar-settings/$guide" ] ||
        fail "the data folder has no link to the installed guide"
fi
# Minimal images tell dpkg to leave out manual pages (path-exclude); elsewhere man finds it.
if [ -e /usr/share/man/man1/velomar-settings.1.gz ]; then
    [ "$(man -w velomar-settings)" = /usr/share/man/man1/velomar-settings.1.gz ] ||
        fail "man does not find the editor's page"
fi

/usr/bin/kestra-cfg factory "$tmp/Kestra.cfg" || fail "the installed kestra-cfg failed"
[ "$(stat -c %s "$tmp/Kestra.cfg")" = 234 ] || fail "kestra-cfg factory wrote no 234-byte file"

dpkg -r velomar-settings >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -r"; }
dpkg --purge velomar-settings >/dev/null 2>&1
installed=0
for file in "${expected[@]}"; do
    [ ! -e "$file" ] || fail "left behind after removal: $file"
done
echo "deb package OK"
