#!/usr/bin/env bash
# Kestrum as installed: from `cmake --install` into a temporary prefix, or unpacked from the
# .deb into a temporary root. Checks the file list, the command line, the desktop files, the
# manual page, and a first start by a user who may not write the program's folder.
#
#   installed_tree_test.sh --install BUILD_DIR VERSION
#   installed_tree_test.sh --deb PACKAGE.deb VERSION    (also runs lintian on the package)
set -euo pipefail

[[ $# -eq 3 ]] || { echo "usage: $0 --install BUILD_DIR VERSION | --deb PACKAGE.deb VERSION" >&2; exit 2; }
mode=$1 source=$2 version=$3
app_id=io.github.kestrum.Kestrum

work=$(mktemp -d)
pid=
cleanup() {
    if [[ -n $pid ]]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"  # the first start below runs as another user

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

case $mode in
    --install)
        prefix=$work/usr
        cmake --install "$source" --prefix "$prefix" >/dev/null
        ;;
    --deb)
        dpkg-deb -x "$source" "$work/root"
        prefix=$work/root/usr
        control=$(dpkg-deb -f "$source" Package Section Maintainer Depends)
        for field in "Package: kestrum" "Section: comm" "Maintainer: Kestrum project" \
            "libqt6serialport6"; do
            grep -qF "$field" <<<"$control" || fail "control fields lack '$field': $control"
        done
        # Errors fail; warnings and notes are shown for the reader.
        lintian --fail-on error --display-info "$source" ||
            fail "lintian reports errors"
        ;;
    *) fail "unknown mode $mode" ;;
esac
kestrum=$prefix/bin/kestrum

# The installed files, exactly.
expected="bin/kestrum
share/applications/$app_id.desktop
share/doc/kestrum/changelog.gz
share/doc/kestrum/copyright
share/icons/hicolor/128x128/apps/$app_id.png
share/icons/hicolor/256x256/apps/$app_id.png
share/icons/hicolor/48x48/apps/$app_id.png
share/icons/hicolor/64x64/apps/$app_id.png
share/icons/hicolor/scalable/apps/$app_id.svg
share/kestrum/examples/at-modem.cmd
share/kestrum/examples/lighting-dimmer.cmd
share/kestrum/examples/loopback-demo.cmd
share/kestrum/examples/modbus-rtu.cmd
share/kestrum/kestrum.hlp
share/man/man1/kestrum.1.gz
share/metainfo/$app_id.metainfo.xml"
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
[[ $actual == "$(LC_ALL=C sort <<<"$expected")" ]] ||
    fail "installed files differ:"$'\n'"$(diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual"))"

# --version and --help need no display and reach no running instance.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$work")
out=$("${no_display[@]}" "$kestrum" --version) || fail "--version ended with $?"
[[ $out == "Kestrum $version" ]] || fail "--version printed '$out'"
out=$("${no_display[@]}" "$kestrum" --help) || fail "--help ended with $?"
[[ $out == "Usage: kestrum [options]"* && $out == *--version* ]] || fail "--help printed '$out'"
status=0
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work "$kestrum" --no-such-option \
    >"$work/out" 2>"$work/err" || status=$?
[[ $status -eq 2 ]] || fail "an unknown option ended with $status, not 2"
[[ ! -s $work/out ]] || fail "an unknown option printed to standard output"
grep -q "^Usage: kestrum" "$work/err" || fail "an unknown option gave no usage: $(cat "$work/err")"

desktop-file-validate "$prefix/share/applications/$app_id.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >"$work/as" ||
    fail "appstreamcli validate: $(cat "$work/as")"

# The manual page renders, without a single warning from groff.
page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/kestrum.1.gz" \
    2>"$work/man-warnings") || fail "man -l ended with $?"
[[ ! -s $work/man-warnings ]] || fail "man warnings: $(cat "$work/man-warnings")"
for text in "kestrum - serial-port test terminal" "Kestrum $version" "dialout" \
    "~/.config/Kestrum/Kestrum.ini" "~/.local/share/Kestrum/"; do
    grep -qF -- "$text" <<<"$page" || fail "the manual page lacks '$text'"
done

# First start of a user who may not write the program's folder (as /usr/bin): the command set
# folder is ~/.local/share/Kestrum, seeded with the demo found in ../share/kestrum/examples.
# Root writes everywhere, so root runs it as nobody; anyone else has the folder made read-only.
home=$work/home
mkdir -p "$home/.config/Kestrum" "$home/runtime"
printf '[Properties]\nDevice1=%s\n' "$work/no-such-device" >"$home/.config/Kestrum/Kestrum.ini"
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    chown -R nobody "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
    chmod a-w "$prefix/bin"
fi
chmod 700 "$home/runtime"
seeded=$home/.local/share/Kestrum/Default.cmd
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$home/runtime \
    QT_QPA_PLATFORM=offscreen "${as_user[@]}" env -u XDG_DATA_HOME "$kestrum" \
    >"$work/run.log" 2>&1 &
pid=$!
for _ in $(seq 150); do
    [[ -s $seeded ]] && break
    kill -0 "$pid" 2>/dev/null || fail "kestrum ended at its first start: $(cat "$work/run.log")"
    sleep 0.1
done
cmp -s "$seeded" "$prefix/share/kestrum/examples/loopback-demo.cmd" ||
    fail "no copy of the loopback demo in $seeded: $(cat "$work/run.log")"
[[ -z $(find "$prefix" -newer "$home/.config/Kestrum/Kestrum.ini" -name '*.cmd') ]] ||
    fail "the first start wrote into the installed tree"
kill -0 "$pid" 2>/dev/null || fail "kestrum did not keep running"

echo "installed tree ($mode) passed: files, --version, --help, unknown option, desktop files, manual page, first start"
