#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file in its usual place, the desktop entry,
# the AppStream metadata and the manual pages valid, and the installed editor, started from
# another folder, working in a per-user data folder that it prepares itself, although the user
# could write into the prefix. Needs no root.
# install_layout.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

id=com.velomar.Settings
guide="Professional Settings User Guide.pdf"
expected=(
    bin/velomar-settings
    bin/kestra-cfg
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/velomar-settings/carriers.dat
    share/man/man1/velomar-settings.1.gz
    share/man/man1/kestra-cfg.1.gz
    share/doc/velomar-settings/copyright
    share/doc/velomar-settings/changelog.gz
    share/bash-completion/completions/kestra-cfg
)
# The bitmap icon and the guide are built only where their tools are present.
if [ -e "$build/packaging/256x256/$id.png" ]; then
    expected+=("share/icons/hicolor/256x256/apps/$id.png")
fi
if [ -e "$build/doc/$guide" ]; then
    expected+=("share/doc/velomar-settings/$guide")
fi
for file in "${expected[@]}"; do
    [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for program in velomar-settings kestra-cfg; do
    [ -x "$prefix/bin/$program" ] || fail "not executable: bin/$program"
done
if [ -e "$prefix/share/icons/hicolor/256x256/apps/$id.png" ]; then
    # PNG signature and a 256 x 256 header.
    head -c 24 "$prefix/share/icons/hicolor/256x256/apps/$id.png" | od -An -tx1 | tr -d ' \n' |
        grep -q '^89504e470d0a1a0a0000000d4948445200000100' || fail "the PNG icon is not 256 pixels wide"
fi

report=$(desktop-file-validate "$prefix/share/applications/$id.desktop") || fail "desktop entry: $report"
if grep -v ': hint: ' <<<"$report" | grep -q .; then fail "desktop entry: $report"; fi
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "AppStream metadata: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
# The desktop entry starts the editor itself, which finds its files wherever it was started.
grep -qx "Exec=velomar-settings" "$prefix/share/applications/$id.desktop" || fail "Exec line"

# Every manual page renders without a warning and gives man's index its one-line summary.
for page in "$prefix"/share/man/man*/*; do
    warnings=$(man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) || fail "man cannot show $page"
    [ -z "$warnings" ] || fail "$page: $warnings"
    lexgrog "$page" >/dev/null || fail "$page has no NAME line that man's index can read"
done

# The editor, started from a folder of the user's in a home of its own, out of a prefix the user
# owns, as `cmake --install --prefix ~/.local` makes it (root starts it as the user nobody, who
# is given the prefix). It makes the data folder, puts a copy of the example carrier list and a
# link to the guide there, works there and shows the sheet.
home=$tmp/home
start=$tmp/start
mkdir -p "$home" "$start" "$tmp/runtime"
chmod 700 "$tmp/runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chmod 755 "$tmp"
    chmod 777 "$start" # so that a file written there by mistake would show
    chown -R 65534:65534 "$home" "$tmp/runtime" "$prefix"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
run_editor() { # [VARIABLE=VALUE...]
    (cd "$start" && "${as_user[@]}" env -i PATH="/usr/bin:/bin" HOME="$home" \
        XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen VELOMAR_REPORT_SHOWN=quit \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$@" \
        timeout 120 "$prefix/bin/velomar-settings" -rdonly)
}
output=$(run_editor) || fail "the installed editor failed: $output"
echo "$output"
grep -q '^shown [0-9.]* Velomar - Professional Settings (read only)$' <<<"$output" ||
    fail "the installed editor did not show the main sheet"
data=$home/.local/share/Velomar/velomar-settings
cmp "$data/carriers.dat" "$prefix/share/velomar-settings/carriers.dat" ||
    fail "the data folder has no copy of the example carrier list"
if [ -e "$prefix/share/doc/velomar-settings/$guide" ]; then
    [ "$(readlink -f "$data/$guide")" = "$(readlink -f "$prefix/share/doc/velomar-settings/$guide")" ] ||
        fail "the data folder has no link to the guide"
fi
# A read-only run writes nothing: no local copy, no carriers2.dat, here or where it started.
[ ! -e "$data/Kestra.cfg" ] || fail "a read-only run wrote Kestra.cfg"
[ ! -e "$data/carriers2.dat" ] || fail "a read-only run wrote carriers2.dat"
[ -z "$(ls -A "$start")" ] || fail "the editor wrote into the folder it was started from"

# The user's own carrier list survives the next start.
echo "My Carrier;1;1;1;0" >"$data/carriers.dat"
run_editor >/dev/null
[ "$(cat "$data/carriers.dat")" = "My Carrier;1;1;1;0" ] || fail "the editor replaced the user's carrier list"

# XDG_DATA_HOME moves the data folder.
mkdir -p "$tmp/data"
[ "$(id -u)" -ne 0 ] || chown 65534:65534 "$tmp/data"
run_editor XDG_DATA_HOME="$tmp/data" | grep -q '^shown ' ||
    fail "the editor did not start with XDG_DATA_HOME set"
[ -f "$tmp/data/Velomar/velomar-settings/carriers.dat" ] || fail "XDG_DATA_HOME was not used"

echo "install layout OK"
