#!/usr/bin/env bash
# A second start of the real program hands over to the running one and ends with status 0
# before it shows anything; the first keeps running.
set -euo pipefail
kestrum=$1
work=$(mktemp -d)
trap 'kill "$first" 2>/dev/null || true; wait "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen
mkdir -p "$work/config/Kestrum"
printf '[Properties]\nDevice1=%s\n' "$work/no-such-device" > "$work/config/Kestrum/Kestrum.ini"
cd "$work"

"$kestrum" > "$work/first.log" 2>&1 &
first=$!
for _ in $(seq 100); do
  [[ -S $work/runtime/kestrum-instance ]] && break
  sleep 0.1
done
[[ -S $work/runtime/kestrum-instance ]] || { echo "first instance never listened"; cat "$work/first.log"; exit 1; }

start=$(date +%s%N)
timeout 10 "$kestrum" > "$work/second.log" 2>&1 || { echo "second start failed: $?"; exit 1; }
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
kill -0 "$first" || { echo "first instance ended"; exit 1; }
echo "second start handed over and ended with status 0 in ${elapsed_ms} ms"

# One that asked for a device says that the running one keeps its own.
timeout 10 "$kestrum" --device /dev/ttyUSB9 > /dev/null 2> "$work/third.err" || { echo "third start failed: $?"; exit 1; }
grep -q "already running; --device was not applied" "$work/third.err" || { echo "no note: $(cat "$work/third.err")"; exit 1; }
