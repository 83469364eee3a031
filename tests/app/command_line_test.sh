#!/usr/bin/env bash
# The real program's command line without any display: mistakes give the usage on standard
# error and status 2 (never a Qt abort), and an output that cannot be written gives status 1.
set -uo pipefail
kestrum=$1
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
failed=0
expect() {  # expect STATUS TEXT-ON-STDERR COMMAND...
  local status=$1 text=$2
  shift 2
  local err
  err=$("$@" 2>&1 >/dev/null)
  local got=$?
  if [[ $got != "$status" || $err != *"$text"* ]]; then
    echo "FAIL: $* -> status $got, stderr: $(printf '%q' "$err")"
    failed=1
  fi
}
expect 2 "Usage: kestrum [options]" "$kestrum" --bogus
expect 2 "No Qt platform plugin named 'junk'" "$kestrum" -platform junk
expect 2 "Unknown option '\\x1b[31m'" "$kestrum" $'--\e[31m'
expect 1 "cannot write to standard output" sh -c '"$0" --help > /dev/full' "$kestrum"
expect 1 "cannot write to standard output" sh -c '"$0" --version >&-' "$kestrum"
expect 0 "" "$kestrum" --version
# No display, or a platform that cannot be loaded: the reason, not a Qt abort.
expect 1 "No display to show the window on" "$kestrum"
expect 1 "No Qt platform plugin named 'junk' (QT_QPA_PLATFORM" env QT_QPA_PLATFORM=junk "$kestrum"
expect 1 "kestrum --run needs none" "$kestrum" --device /dev/null
exit $failed
