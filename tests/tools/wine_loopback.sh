#!/usr/bin/env bash
# The Windows kesto.exe lists the Windows kesto-sim.exe's three devices over
# 127.0.0.1, both under the cross build's emulator (Wine). The simulator also
# sends 0, 99, 101 and 1500-byte datagrams, which the finder drops.
#   wine_loopback.sh EMULATOR KESTO_EXE KESTO_SIM_EXE
# Exits 0 on success, 1 on failure. Loopback only; every run is bounded in time.
set -uo pipefail

wine=$1 kesto=$2 sim=$3
work=$(mktemp -d /tmp/kesto-wine-loopback.XXXXXX)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=scripts/lib/wait_for.sh
. "$(dirname "$0")/../../scripts/lib/wait_for.sh"

fail() {
  echo "FAIL: $*"
  sed 's/^/  [kesto-sim] /' "$work/sim.log" | tr -d '\r' | head -10
  exit 1
}

timeout 90 "$wine" "$sim" --bind 127.0.0.1 --port 0 --count 3 --junk >"$work/sim.log" 2>&1 &
sim_pid=$!
wait_for "$work/sim.log" 'listening on 127\.0\.0\.1:[0-9]+' 60 || fail "kesto-sim.exe did not start"
port=$(grep -oE 'listening on 127\.0\.0\.1:[0-9]+' "$work/sim.log" | grep -oE '[0-9]+$')
timeout 60 "$wine" "$kesto" list --broadcast 127.0.0.1 --port "$port" --wait 1500 >"$work/list.txt" 2>&1
rc=$?
tr -d '\r' <"$work/list.txt" | sed 's/^/  [kesto list] /' | head -10
[ $rc -eq 0 ] || fail "kesto.exe list exited $rc"
listed=$(grep -c -E '([0-9A-F]{2}-){5}[0-9A-F]{2}' "$work/list.txt")
[ "$listed" -eq 3 ] || fail "$listed devices listed, not the simulator's 3"
echo "PASS"
