#!/usr/bin/env bash
# The Debian package as a user gets it: made with CPack from this build, unpacked into a
# temporary root with dpkg-deb, and the program run from there, so that a file the package
# lacks fails a check.
#   package_test.sh BUILD_DIR VERSION WINDOW_TEST X11PROBE
# Prints one line a check and ends with "N passed, N failed".
set -uo pipefail

build=$1
version=$2
window_test=$3
probe=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
pass() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAILED: $1"; failed=$((failed + 1)); }
check() { # check NAME COMMAND...
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
finish() {
    echo "$passed passed, $failed failed"
    ((failed == 0))
    exit
}

id=org.example.nocturo.Nocturo
arch=$(dpkg --print-architecture)
deb=$work/nocturo_${version}_${arch}.deb
if ! (cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    fail "cpack makes the package"
    finish
fi
check "the package is named nocturo_VERSION_ARCH.deb" test -f "$deb"
[[ -f "$deb" ]] || finish

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "the dependencies come from the linked libraries" \
    bash -c "grep -q 'libsdl2-2.0-0' <<<'$depends' && grep -q 'libc6' <<<'$depends'"
check "the package holds no maintainer scripts" \
    bash -c "! dpkg-deb -I '$deb' | grep -Eq ' (pre|post)(inst|rm) '"

root=$work/root
dpkg-deb -x "$deb" "$root"
for f in usr/bin/nocturo usr/share/nocturo/MainWindow.json \
    usr/share/nocturo/help/iPhoneApps/Nocturo/Tips_and_Tricks.html \
    usr/share/man/man1/nocturo.1.gz usr/share/doc/nocturo/copyright \
    usr/share/doc/nocturo/changelog.gz usr/share/icons/hicolor/scalable/apps/$id.svg; do
    check "installs /$f" test -s "$root/$f"
done
for size in 16 24 32 48 64 128 256 512; do
    check "installs the ${size}px icon" test -s "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
check "the menu entry is valid" desktop-file-validate "$root/usr/share/applications/$id.desktop"
check "the AppStream metadata is valid" \
    appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
check "the AppStream metadata launches the menu entry" \
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$root/usr/share/metainfo/$id.metainfo.xml"
check "the AppStream metadata and the changelog name this version first" bash -c \
    "grep -m1 '<release ' '$root/usr/share/metainfo/$id.metainfo.xml' | grep -q 'version=\"$version\"' &&
     zcat '$root/usr/share/doc/nocturo/changelog.gz' | head -n1 | grep -q '^nocturo ($version)'"

nocturo=$root/usr/bin/nocturo
check "the installed nocturo --version names the version" \
    bash -c "'$nocturo' --version | grep -q '^nocturo $version '"
help=$("$nocturo" --help)
check "the installed nocturo --help shows the usage" grep -q '^Usage: nocturo' <<<"$help"
# Every option --help lists is in the manual page.
manual=$(zcat "$root/usr/share/man/man1/nocturo.1.gz")
options=$(grep -oE -- '--[a-z-]+' <<<"$help" | sort -u)
missing=""
for o in $options; do grep -qF -- "${o//-/\\-}" <<<"$manual" || missing+=" $o"; done
check "the manual page holds every option of --help (missing:${missing:- none})" test -z "$missing"

# The installed program on the resources installed beside it: first drawn into memory, which
# reports a missing file at once, then in a window.
settings=$work/config
if XDG_CONFIG_HOME=$settings SDL_VIDEODRIVER=offscreen timeout 60 "$nocturo" --quit-after 1; then
    pass "the installed nocturo starts on its installed resources and quits by itself"
else
    fail "the installed nocturo starts on its installed resources and quits by itself"
    finish
fi
echo "-- the window test, on the installed program"
if "$window_test" "$nocturo" "$probe" "$root/usr/share/nocturo"; then
    pass "the window test passes on the installed program"
else
    fail "the window test passes on the installed program"
fi
finish
