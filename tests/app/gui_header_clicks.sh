#!/usr/bin/env bash
# End-to-end header sorting with a real mouse: the window on an Xvfb display with
# openbox, in one test network namespace against kesto-sim --count 30 in another;
# xdotool clicks the IP Address header three times and the window checks the order.
# Usage: gui_header_clicks.sh GUI_TEST_BIN KESTO_SIM_BIN
# Exits 0 on success, 1 on failure, 77 when the namespaces or the X tools are missing.
set -uo pipefail
gui=$1 sim=$2
work=$(mktemp -d /tmp/kesto-gui-header.XXXXXX)
sim_pid= x_pid= wm_pid=

# shellcheck source=scripts/lib/lab_netns.sh
. "$(dirname "$0")/../../scripts/lib/lab_netns.sh"
cleanup() {
  for pid in $wm_pid $x_pid $sim_pid; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  lab_destroy
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: network namespaces need root"
  exit 77
fi
for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if ! lab_create "h$$"; then
  echo "SKIP: the test namespaces could not be made"
  exit 77
fi

# A display number of this run's own.
display=$((200 + $$ % 500))
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
ip netns exec "$LAB_CLI" Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/x.log" 2>&1 &
x_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/x.log"; exit 1; }
ip netns exec "$LAB_CLI" env DISPLAY=":$display" openbox >"$work/wm.log" 2>&1 &
wm_pid=$!

ip netns exec "$LAB_SIM" "$sim" --count 30 --port 1444 >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q 'listening on' "$work/sim.log" && break; sleep 0.05; done
grep -q 'listening on' "$work/sim.log" || { echo "FAIL: kesto-sim did not start"; cat "$work/sim.log"; exit 1; }

# Under the sanitizers: the X keyboard library hands strndup a name without its NUL,
# which strict string checks call an overflow, and the X and D-Bus libraries keep
# buffers for the process's life, which the leak check reports; neither is ours.
asan=${ASAN_OPTIONS:+$ASAN_OPTIONS:strict_string_checks=0}
lsan="suppressions=$(cd "$(dirname "$0")" && pwd)/x11-lsan.supp"
ip netns exec "$LAB_CLI" env ${asan:+ASAN_OPTIONS=$asan} LSAN_OPTIONS="$lsan" QT_QPA_PLATFORM=xcb DISPLAY=":$display" XDG_CONFIG_HOME="$work/config" \
  "$gui" --header-clicks >"$work/gui.log" 2>&1
rc=$?
cat "$work/gui.log"
exit $rc
