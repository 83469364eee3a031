#!/usr/bin/env bash
# `kestrum --run` end to end: a scripted device on a pseudo-terminal, served directly and
# through ser2net (RFC 2217); the verdicts, the exit status, the JUnit report as a real
# consumer reads it, two devices at once, Ctrl+C, and the mistakes that end with status 2.
set -euo pipefail
kestrum=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$work"' EXIT
# No display at all: the run must need none.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_CONFIG_HOME=$work/config
fail() { echo "FAIL: $*"; exit 1; }
cp "$here/sequence/rack.ksq" "$here/sequence/hostile.ksq" "$here/sequence/dimmer.cmd" "$work/"
cd "$work"

/usr/bin/python3 "$here/sequence/scripted_device.py" "$work/dev1" "$work/dev2" "$work/dev3" &
pids+=($!)
/usr/bin/python3 "$here/sequence/scripted_device.py" "$work/dev4" &
lost_device=$!
pids+=($lost_device)
for _ in $(seq 50); do [[ -s $work/dev3 && -s $work/dev4 ]] && break; sleep 0.1; done
dev1=$(cat "$work/dev1"); dev2=$(cat "$work/dev2"); dev3=$(cat "$work/dev3"); dev4=$(cat "$work/dev4")

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '%%YAML 1.1\n---\nconnection: &rack\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n  connector: serialdev,%s,9600n81,local\n' \
  "$port" "$dev2" > ser2net.yaml
ser2net -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" &
pids+=($!)
for _ in $(seq 50); do (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done

# One device: the verdicts on standard output, status 1 (a failure and a skipped step).
status=0
"$kestrum" --run rack.ksq --device "$dev1" --junit one.xml --capture one.log > one.out 2> one.err || status=$?
cat one.out
[[ $status == 1 ]] || fail "status $status, standard error: $(cat one.err)"
expected='[1/9] Version ... ok
[2/9] Login ... ok
[3/9] Preset 3 ... ok
[4/9] Checksummed query ... ok
[5/9] Quiet after reset #1 ... ok
[6/9] Quiet after reset #2 ... ok
[7/9] Quiet after reset #3 ... ok
[8/9] Never answered ... FAILED: expected "OK" within 400 ms, received nothing
[9/9] Attention ... skipped
7 passed, 1 failed, 1 skipped'
[[ $(sed 's/ (.* ms)$//' one.out) == "$expected" ]] || fail "unexpected step lines"
grep -q ' TX VER?^M$' one.log && grep -q ' RX V1.2^M^J$' one.log || fail "capture log: $(cat one.log)"

# The report as a CI system reads it.
/usr/bin/python3 - one.xml "Dimmer rack check @ $dev1" <<'PY'
import sys
from junitparser import JUnitXml, Failure, Skipped, Error
xml = JUnitXml.fromfile(sys.argv[1])
suites = list(xml)
assert len(suites) == 1, len(suites)
suite = suites[0]
assert suite.name == sys.argv[2], suite.name
assert (suite.tests, suite.failures, suite.errors, suite.skipped) == (9, 1, 0, 1), \
    (suite.tests, suite.failures, suite.errors, suite.skipped)
names = [case.name for case in suite]
assert names == ["Version", "Login", "Preset 3", "Checksummed query", "Quiet after reset #1",
                 "Quiet after reset #2", "Quiet after reset #3", "Never answered",
                 "Attention"], names
cases = {case.name: case for case in suite}
assert all(case.classname == "Dimmer rack check" for case in suite)
failure = [r for r in cases["Never answered"].result if isinstance(r, Failure)]
assert failure and failure[0].message == 'expected "OK" within 400 ms, received nothing', failure
assert any(isinstance(r, Skipped) for r in cases["Attention"].result)
assert "TX VER?^M" in cases["Version"].system_out, cases["Version"].system_out
assert suite.hostname and suite.timestamp
print("junitparser: 1 suite, 9 cases, 1 failure, 1 skipped")
PY

# Two devices at once, the pty directly and through ser2net: the wall time of one.
start=$(date +%s%N)
status=0
"$kestrum" --run rack.ksq --device "$dev1" --device "rfc2217://127.0.0.1:$port" --junit two.xml \
  --capture two.log > two.out 2> two.err || status=$?
both_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[[ $status == 1 ]] || fail "two devices: status $status: $(cat two.err)"
[[ $(tail -1 two.out) == "14 passed, 2 failed, 2 skipped" ]] || fail "two devices: $(cat two.out)"
[[ -s two-1.log && -s two-2.log ]] || fail "one capture per device"
/usr/bin/python3 - two.xml "$dev1" "rfc2217://127.0.0.1:$port" <<'PY'
import sys
from junitparser import JUnitXml
suites = list(JUnitXml.fromfile(sys.argv[1]))
names = ["Dimmer rack check @ " + device for device in sys.argv[2:]]
assert [s.name for s in suites] == names, [s.name for s in suites]
assert [(s.tests, s.failures, s.skipped) for s in suites] == [(9, 1, 1)] * 2
PY
one_ms=$(( $(grep -o 'time="[0-9.]*"' one.xml | head -1 | tr -dc 0-9) ))
echo "one device: ${one_ms} ms of steps; two devices at once: ${both_ms} ms wall"
(( both_ms < one_ms + 1000 )) || fail "two devices took ${both_ms} ms, one ${one_ms} ms"

# Ctrl+C: the running step errors, the rest are skipped, the report is still written.
status=0
"$kestrum" --run rack.ksq --device "$dev1" --junit stopped.xml > stopped.out 2>&1 &
run=$!
sleep 0.9
kill -INT "$run"
wait "$run" || status=$?
[[ $status == 1 ]] || fail "interrupted run: status $status"
grep -q 'ERROR: interrupted' stopped.out || fail "no interrupted step: $(cat stopped.out)"
grep -q 'errors="1"' stopped.xml || fail "no report after Ctrl+C"

# Hostile devices through ser2net: a 16 MiB flood before the expected bytes (found, memory
# bounded), half an answer and a stall, 0xFF bytes doubled on the wire.
status=0
/usr/bin/time -o hostile.rss -f '%M %e' "$kestrum" --run hostile.ksq \
  --device "rfc2217://127.0.0.1:$port" > hostile.out 2> hostile.err || status=$?
cat hostile.out
[[ $status == 1 ]] || fail "hostile: status $status: $(cat hostile.err)"
grep -q '^\[1/3\] Flood ... ok' hostile.out || fail "the flood hid the answer"
grep -q '^\[2/3\] Half and stall ... FAILED: expected "56 31 2E 32" within 300 ms, received "56 31"$' \
  hostile.out || fail "half an answer"
grep -q '^\[3/3\] Doubled FF ... ok' hostile.out || fail "doubled 0xFF"
read -r rss seconds < <(tail -1 hostile.rss)
echo "16 MiB flood through ser2net: ${seconds} s, peak RSS $((rss / 1024)) MiB"
# The bound holds for an optimised build; a sanitized one keeps shadow memory beside every byte.
[[ -n "${KESTRUM_SANITIZED:-}" ]] || (( rss < 80 * 1024 )) || fail "the flood took ${rss} KiB"

# A device lost mid-run: the step errors "device lost", the rest are skipped (on_failure stop),
# the report is written.
status=0
"$kestrum" --run rack.ksq --device "$dev4" --junit lost.xml > lost.out 2> lost.err &
run=$!
sleep 0.7
kill "$lost_device"
wait "$run" || status=$?
[[ $status == 1 ]] || fail "lost device: status $status"
grep -q 'ERROR: device lost' lost.out || fail "no lost device: $(cat lost.out)"
grep -q 'errors="1"' lost.xml || fail "no report after the loss"

# 1,000 AT/OK steps against the responder: the whole run, the first byte, the peak memory.
{ for i in $(seq 1000); do printf '[[step]]\nname = "AT %d"\nsend = "AT^M"\nexpect = "OK^M^J"\n' "$i"; done; } > many.ksq
start=$(date +%s%N)
/usr/bin/time -o many.rss -f '%M' "$kestrum" --run many.ksq --device "$dev3" --quiet > many.out 2>&1 \
  || fail "1,000 steps: $(cat many.out)"
end=$(date +%s%N)
[[ $(cat many.out) == "1000 passed, 0 failed" ]] || fail "1,000 steps: $(cat many.out)"
first_ms=$(( ($(cat "$work/dev3.first") - start) / 1000000 ))
echo "1,000 AT/OK steps: $(( (end - start) / 1000000 )) ms; first byte written ${first_ms} ms after start; peak RSS $(( $(cat many.rss) / 1024 )) MiB"
(( (end - start) / 1000000 < 6000 )) || fail "1,000 steps took too long"

# Mistakes end with status 2 and a reason on standard error, before anything is sent.
printf '[[step]]\nsend = "AT^M"\nexpcet = "OK"\n' > typo.ksq
status=0; "$kestrum" --run typo.ksq --device "$dev1" 2> typo.err || status=$?
[[ $status == 2 ]] && grep -q 'typo.ksq:3:1: unknown key "expcet"' typo.err || fail "typo: $status $(cat typo.err)"
status=0; "$kestrum" --run rack.ksq --device "$work/no-such-device" > /dev/null 2> none.err || status=$?
[[ $status == 2 ]] && grep -q 'No device could be opened' none.err || fail "no device: $status $(cat none.err)"
status=0; "$kestrum" --run rack.ksq --settings fast > /dev/null 2> settings.err || status=$?
[[ $status == 2 ]] || fail "bad --settings: $status"
echo "sequence run: verdicts, report, two devices, Ctrl+C and mistakes as expected"
