#!/usr/bin/env bash
# kesto connect against kesto-sim --serial, inside network namespaces the test makes
# and removes.
#   serial.sh CASE BIN_DIR
# CASE: pipe | bytes | busy | refused | unknown | listen | pty | terminal.
# The simulator (10.201.0.2) plays three devices whose serial lines listen there.
# Exits 0 on success, 1 on failure, 77 when namespaces cannot be made (CTest: skipped).
# Every wait and every kesto run is bounded; nothing leaves the test's namespaces.
set -uo pipefail

case=$1 bin=$2
# shellcheck source=scripts/lib/lab_test.sh
. "$(dirname "$0")/../../scripts/lib/lab_test.sh"
lab_test_begin "serial/$case" lab "s$$"

first=02-4B-53-00-00-00
kesto() { timeout 20 ip netns exec "$LAB_CLI" "$bin/kesto" "$@"; }
in_client() { timeout 20 ip netns exec "$LAB_CLI" "$@"; }
start_serial_sim() { lab_start_sim device "$LAB_SIM" 120 --count 3 --serial --serial-address "$LAB_SIM_ADDR" "$@"; }

case_pipe() {
  start_serial_sim
  printf 'hello\r\nline two\n' | kesto connect "$first" >"$work/out" 2>"$work/err.txt" || fail "connect exited $?"
  printf 'hello\r\nline two\n' | cmp -s - "$work/out" || fail "the echo came back changed: $(od -c "$work/out")"
}

case_bytes() {
  start_serial_sim
  python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(256)) * 64)' >"$work/all.bin"
  kesto connect "$first" --linger 1000 <"$work/all.bin" >"$work/back.bin" 2>"$work/err.txt" ||
    fail "connect exited $?"
  cmp "$work/all.bin" "$work/back.bin" >"$work/cmp.txt" 2>&1 || fail "bytes changed on the way: $(cat "$work/cmp.txt")"
}

case_busy() {
  start_serial_sim
  # The first client holds the line while its input stays open: until the test ends,
  # however long the second one takes to find the device.
  mkfifo "$work/hold"
  kesto connect "$first" <"$work/hold" >/dev/null 2>&1 &
  pids+=("$!")
  exec 3>"$work/hold"
  wait_for "$work/sim_device.log" "serial $first: client" 5 || fail "the first client did not reach the line"
  local rc=0
  echo x | kesto connect "$first" >"$work/out" 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 5 ] || fail "a busy port exited $rc, not 5: $(cat "$work/err.txt")"
  grep -q "busy with another client" "$work/err.txt" || fail "no word of a busy port: $(cat "$work/err.txt")"
}

case_refused() {
  # The device gives a port where nothing listens: a simulator without --serial.
  echo "[{\"mac\":\"$first\",\"name\":\"Silent\",\"ip\":\"$LAB_SIM_ADDR\",\"port\":4001}]" >"$work/device.json"
  lab_start_sim device "$LAB_SIM" 60 --from "$work/device.json"
  local rc=0
  echo x | kesto connect Silent >/dev/null 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 5 ] || fail "a refused port exited $rc, not 5: $(cat "$work/err.txt")"
  grep -q "refused the connection to $LAB_SIM_ADDR:4001" "$work/err.txt" || fail "no word of refusal: $(cat "$work/err.txt")"
  # A device without a port is refused before anything is tried.
  echo "[{\"mac\":\"$first\",\"name\":\"Portless\",\"ip\":\"$LAB_SIM_ADDR\",\"port\":0}]" >"$work/device.json"
  kill "${pids[-1]}"; wait "${pids[-1]}" 2>/dev/null
  lab_start_sim device2 "$LAB_SIM" 60 --from "$work/device.json"
  rc=0
  echo x | kesto connect "$first" >/dev/null 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 2 ] || fail "a device without a port exited $rc, not 2: $(cat "$work/err.txt")"
  grep -q "has no serial port" "$work/err.txt" || fail "no word of the missing port: $(cat "$work/err.txt")"
}

case_unknown() {
  start_serial_sim
  local rc=0
  echo x | kesto connect 02-00-00-00-00-99 --wait 800 >/dev/null 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 4 ] || fail "an unknown device exited $rc, not 4: $(cat "$work/err.txt")"
  rc=0
  echo x | kesto connect "$LAB_SIM_ADDR" >/dev/null 2>"$work/err.txt" || rc=$?
  [ "$rc" -eq 2 ] || fail "an address three devices share exited $rc, not 2: $(cat "$work/err.txt")"
  grep -q "3 devices match" "$work/err.txt" || fail "the choice is not named: $(cat "$work/err.txt")"
}

case_listen() {
  start_serial_sim
  in_client "$bin/kesto" connect "$first" --listen 127.0.0.1:0 >/dev/null 2>"$work/err.txt" &
  pids+=("$!")
  wait_for "$work/err.txt" 'is shared at' 8 || fail "not shared: $(cat "$work/err.txt")"
  local port
  port=$(sed -n 's/.* is shared at 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/err.txt")
  in_client python3 - "$port" >"$work/out" 2>&1 <<'PY' || fail "the local client failed: $(cat "$work/out")"
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5)
data = bytes(range(256))
s.sendall(data)
got = b""
while len(got) < len(data):
    part = s.recv(4096)
    if not part:
        break
    got += part
assert got == data, got
# A second client at the same time is turned away.
t = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5)
assert t.recv(10) == b""
PY
  local rc=0
  kesto connect "$first" --listen 10.201.0.1:0 >/dev/null 2>"$work/err2.txt" || rc=$?
  [ "$rc" -eq 2 ] || fail "--listen beyond loopback without --listen-any exited $rc"
}

case_pty() {
  start_serial_sim
  in_client "$bin/kesto" connect "$first" --pty "$work/ttyK" >/dev/null 2>"$work/err.txt" &
  pids+=("$!")
  wait_for "$work/err.txt" "is at $work/ttyK" 8 || fail "no pseudo-terminal: $(cat "$work/err.txt")"
  python3 - "$work/ttyK" >"$work/out" 2>&1 <<'PY' || fail "the round trip on the pseudo-terminal failed: $(cat "$work/out")"
import os, select, sys
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
data = bytes(range(256))
os.write(fd, data)
got = b""
while len(got) < len(data) and select.select([fd], [], [], 5)[0]:
    got += os.read(fd, 4096)
assert got == data, got
PY
}

case_terminal() {
  start_serial_sim
  # A terminal: keys go raw, a received control byte shows escaped, Ctrl+] ends.
  in_client python3 - "$bin/kesto" "$first" >"$work/out" 2>&1 <<'PY' || fail "the terminal session failed: $(cat "$work/out")"
import os, pty, select, sys, time
pid, fd = pty.fork()
if pid == 0:
    os.execv(sys.argv[1], [sys.argv[1], "connect", sys.argv[2]])
def read_until(text, seconds):
    got, end = b"", time.time() + seconds
    while text not in got and time.time() < end:
        if select.select([fd], [], [], 0.2)[0]:
            try:
                got += os.read(fd, 4096)
            except OSError:
                break
    return got
start = read_until(b"Ctrl+] ends", 8)
assert b"Ctrl+] ends" in start, start
os.write(fd, b"a\x1bb\n")
echo = read_until(b"a\\x1bb", 5)
assert b"a\\x1bb" in echo, echo
os.write(fd, b"\x1d")
rest = read_until(b"closed", 5)
_, status = os.waitpid(pid, 0)
assert os.WEXITSTATUS(status) == 0, status
PY
}

"case_$case"
echo "ok [serial/$case]"
