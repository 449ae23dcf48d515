#!/usr/bin/env bash
# End-to-end test of the desktop program: the real main window in one test
# network namespace, kesto-sim in another, real broadcasts between them only.
# Usage: gui_e2e.sh GUI_TEST_BIN KESTO_SIM_BIN
# Exits 0 on success, 1 on failure, 77 when the namespaces cannot be made.
set -uo pipefail
gui=$1 sim=$2
work=$(mktemp -d /tmp/kesto-gui-e2e.XXXXXX)
sim_pid=

# shellcheck source=scripts/lib/lab_netns.sh
. "$(dirname "$0")/../../scripts/lib/lab_netns.sh"
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  lab_destroy
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: network namespaces need root"
  exit 77
fi
if ! lab_create "g$$"; then
  echo "SKIP: the test namespaces could not be made"
  exit 77
fi

ip netns exec "$LAB_SIM" "$sim" --count 3 --port 1444 >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q 'listening on' "$work/sim.log" && break; sleep 0.05; done
grep -q 'listening on' "$work/sim.log" || { echo "FAIL: kesto-sim did not start"; cat "$work/sim.log"; exit 1; }

ip netns exec "$LAB_CLI" env QT_QPA_PLATFORM=offscreen "$gui" "$sim_pid" >"$work/gui.log" 2>&1
rc=$?
cat "$work/gui.log"
if [ $rc -ne 0 ]; then
  echo "--- simulator log:"; tail -n 20 "$work/sim.log"
  exit 1
fi
sent=$(sed -n 's/^set-config \([0-9a-f]*\)$/\1/p' "$work/gui.log")
if ! grep -q "applied $sent\$" "$work/sim.log"; then
  echo "FAIL: the simulator did not apply the datagram the window sent"
  tail -n 20 "$work/sim.log"
  exit 1
fi
echo "simulator applied the set-configuration datagram byte for byte"
wait "$sim_pid" 2>/dev/null
sim_pid=
exit 0
