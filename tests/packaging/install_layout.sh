#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file in its usual place, the desktop entry
# and the AppStream metadata valid, and the launcher starting the installed editor in a fresh
# per-user working folder that it prepares. Needs no root.
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
    bin/velomar-settings-launch
    "share/applications/$id.desktop"
    "share/metainfo/$id.metainfo.xml"
    "share/icons/hicolor/scalable/apps/$id.svg"
    share/velomar-settings/carriers.dat
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
for program in velomar-settings kestra-cfg velomar-settings-launch; do
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
# The desktop entry starts the launcher, which must be the one installed beside the editor.
grep -qx "Exec=velomar-settings-launch" "$prefix/share/applications/$id.desktop" || fail "Exec line"

# The launcher in a home of its own: it makes the working folder, copies the example carrier
# list there and starts the editor in it, which shows the sheet.
home=$tmp/home
mkdir -p "$home" "$tmp/runtime"
chmod 700 "$tmp/runtime"
run_launcher() {
    env -i PATH="/usr/bin:/bin" HOME="$home" XDG_RUNTIME_DIR="$tmp/runtime" \
        QT_QPA_PLATFORM=offscreen VELOMAR_REPORT_SHOWN=quit \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        timeout 120 "$prefix/bin/velomar-settings-launch" -rdonly
}
output=$(run_launcher) || fail "the launcher failed: $output"
echo "$output"
grep -q '^shown [0-9.]* Velomar - Professional Settings (read only)$' <<<"$output" ||
    fail "the launcher did not show the main sheet"
work=$home/.local/share/Velomar/velomar-settings
cmp "$work/carriers.dat" "$prefix/share/velomar-settings/carriers.dat" ||
    fail "the working folder has no copy of the example carrier list"
if [ -e "$prefix/share/doc/velomar-settings/$guide" ]; then
    [ "$(readlink -f "$work/$guide")" = "$(readlink -f "$prefix/share/doc/velomar-settings/$guide")" ] ||
        fail "the working folder has no link to the guide"
fi
# A read-only run writes nothing: no local copy, no carriers2.dat.
[ ! -e "$work/Kestra.cfg" ] || fail "a read-only run wrote Kestra.cfg"
[ ! -e "$work/carriers2.dat" ] || fail "a read-only run wrote carriers2.dat"

# The user's own carrier list survives the next start.
echo "My Carrier;1;1;1;0" >"$work/carriers.dat"
run_launcher >/dev/null
[ "$(cat "$work/carriers.dat")" = "My Carrier;1;1;1;0" ] || fail "the launcher replaced the user's carrier list"

# XDG_DATA_HOME moves the working folder, as it moves the editor's own data.
env -i PATH="/usr/bin:/bin" HOME="$home" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/runtime" \
    QT_QPA_PLATFORM=offscreen VELOMAR_REPORT_SHOWN=quit \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
    timeout 120 "$prefix/bin/velomar-settings-launch" -rdonly | grep -q '^shown ' ||
    fail "the launcher did not start the editor with XDG_DATA_HOME set"
[ -f "$tmp/data/Velomar/velomar-settings/carriers.dat" ] || fail "XDG_DATA_HOME was not used"

echo "install layout OK"
