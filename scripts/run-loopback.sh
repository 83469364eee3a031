#!/usr/bin/env bash
# `make run`: starts Kestrum against a loopback serial device, a pseudo-terminal that sends
# every byte straight back, with a settings profile of its own inside the build folder.
#
#   scripts/run-loopback.sh <build-dir>
#
# Com Port 1 is the loopback: the script points settings key Device1 at it in
# <build-dir>/run/config/Kestrum/Kestrum.ini and leaves every other key as it was, so the
# choices made in one run are there in the next. The first run also starts on the loopback
# demo command set: a copy of resources/examples/loopback-demo.cmd as <build-dir>/run/Default.cmd,
# named by keys Filename and Directory while they are unset (a set opened later stays).
# The user's own ~/.config/Kestrum is not touched. Closing Kestrum ends the loopback.
#
# KESTRUM_BIN=<program> runs that program in Kestrum's place (to check the loopback without
# the GUI); like Kestrum it gets XDG_CONFIG_HOME, and the device path in
# KESTRUM_LOOPBACK_DEVICE.
set -euo pipefail

die() {
    echo "run-loopback: $*" >&2
    exit 1
}

[[ $# -eq 1 ]] || die "usage: $0 <build-dir>"
[[ -d $1 ]] || die "no build folder '$1': build first (make build)"
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
run_dir=$build_dir/run
demo_set=$run_dir/Default.cmd
device=$run_dir/ttyKestrum0
config_home=$run_dir/config
ini=$config_home/Kestrum/Kestrum.ini

program=${KESTRUM_BIN:-$build_dir/src/kestrum}
[[ -x $program ]] || die "no kestrum executable at $program: build first (make build)"

command -v socat >/dev/null ||
    die "socat is needed for the loopback device: run 'make deps' (or: apt-get install socat)"

# A value QSettings reads back unchanged: plain when it is a simple path, else quoted.
ini_value() {
    local value=$1
    if [[ $value =~ ^[A-Za-z0-9/._+-]+$ ]]; then
        printf '%s' "$value"
    else
        value=${value//\\/\\\\}
        value=${value//\"/\\\"}
        printf '"%s"' "$value"
    fi
}

# Sets KEY=VALUE in [Properties], keeping every other line; with a third argument "keep", a
# KEY already there stays as it is. Keys are matched without regard to case, as Kestrum's
# settings store does.
set_key() {
    local line keep=0
    line="$1=$(ini_value "$2")"
    if [[ ${3:-} == keep ]]; then keep=1; fi
    mkdir -p "$(dirname "$ini")"
    [[ -f $ini ]] || : >"$ini"
    awk -v line="$line" -v key="$(tr '[:upper:]' '[:lower:]' <<<"$1")" -v keep="$keep" '
        function put() { if (!done) { print line; done = 1 } }
        /^[ \t]*\[.*\][ \t]*$/ {
            if (inside) put()
            inside = ($0 ~ /^[ \t]*\[Properties\][ \t]*$/)
            if (inside) seen = 1
            print
            next
        }
        inside && tolower($0) ~ ("^[ \t]*" key "[ \t]*=") {
            if (keep) { print; done = 1 } else put()
            next
        }
        { print }
        END {
            if (inside) put()
            if (!seen) { if (NR > 0) print ""; print "[Properties]"; print line }
        }' "$ini" >"$ini.tmp"
    mv "$ini.tmp" "$ini"
}

# Kestrum is a GUI program: without a display it runs on a virtual one.
launcher=()
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]] &&
    [[ ${QT_QPA_PLATFORM:-} != offscreen && ${QT_QPA_PLATFORM:-} != minimal ]]; then
    command -v xvfb-run >/dev/null ||
        die "no display (neither DISPLAY nor WAYLAND_DISPLAY is set) and xvfb-run is not installed: run from a desktop session, or install xvfb and use 'xvfb-run make run'"
    echo "run-loopback: no display (neither DISPLAY nor WAYLAND_DISPLAY is set);" \
        "running under 'xvfb-run -a' on a virtual display you cannot see. Stop with Ctrl+C." >&2
    launcher=(xvfb-run -a)
fi

mkdir -p "$run_dir"
set_key Device1 "$device"
[[ -f $demo_set ]] || cp "$source_dir/resources/examples/loopback-demo.cmd" "$demo_set"
set_key Filename "$demo_set" keep
set_key Directory "$demo_set" keep

socat_pid=
# shellcheck disable=SC2317 # run by the EXIT trap
cleanup() {
    if [[ -n $socat_pid ]]; then
        kill "$socat_pid" 2>/dev/null || true
        wait "$socat_pid" 2>/dev/null || true
    fi
    rm -f "$device"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# A link left by a run that was killed would make the wait below succeed too early.
rm -f "$device"
# The pseudo-terminal's other end is `cat`: every byte written to the device comes back
# unchanged (rawer: no line-end translation, no flow control, no signals; echo=0: the
# terminal itself echoes nothing, or each byte would come back twice).
socat PTY,link="$device",rawer,echo=0 EXEC:cat 2>"$run_dir/socat.log" &
socat_pid=$!

for _ in $(seq 50); do
    [[ -e $device ]] && break
    kill -0 "$socat_pid" 2>/dev/null || die "socat ended at once: $(cat "$run_dir/socat.log")"
    sleep 0.1
done
[[ -e $device ]] || die "the loopback device $device did not appear within 5 s"

echo "run-loopback: loopback device $device is Com Port 1 (Device1);" \
    "settings in $ini" >&2

status=0
XDG_CONFIG_HOME=$config_home KESTRUM_LOOPBACK_DEVICE=$device \
    "${launcher[@]}" "$program" || status=$?
exit "$status"
