#!/usr/bin/env bash
# Figures of the real window under load (docs/performance.md), run by hand:
#   tests/app/window_load.sh BUILD_DIR loopback N [SECONDS]   window on loopback against kesto-sim --count N
#   tests/app/window_load.sh BUILD_DIR shared [SECONDS]       1000 MACs sharing one IP
#   tests/app/window_load.sh BUILD_DIR sweep [SECONDS]        (root) the window in a test namespace,
#       50 real devices and a Targets range over the link's own unused /24, the list sorted by IP
#       address in a maximised window; then kesto watch the same.
#       With KESTO_CHECK=1 it exits 1 unless no real device was removed and the settings were applied.
# Everything goes to 127.0.0.1 or stays inside namespaces this script makes and removes.
set -uo pipefail
build=$1 mode=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/lib/wait_for.sh
. "$here/../../scripts/lib/wait_for.sh"
load=$build/tests/app/app_window_load sim=$build/tools/kesto-sim kesto=$build/tools/kesto
work=$(mktemp -d /tmp/kesto-window-load.XXXXXX)
sim_pid=
cleanup() {
  stop_sim
  [ "$mode" = sweep ] && lab_destroy
  rm -rf "$work"
}
stop_sim() { [ -n "$sim_pid" ] && kill -- "-$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; sim_pid=; }
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen
# The window's remembered size, columns and order stay with this run, not the user's.
export XDG_CONFIG_HOME=$work/config
export XDG_STATE_HOME=$work/state

stamp() { python3 -u -c 'import sys, time
for line in sys.stdin: print("%.3f %s" % (time.monotonic(), line), end="", flush=True)'; }
start_sim() {  # command...; its lines stamped with the time they arrived
  # A fresh log: the previous simulator's "listening on" line, read before the new
  # one has emptied the file, would pass for this one's.
  rm -f "$work/sim.log"
  # Its own process group, so that stopping it stops the simulator and the stamper together.
  setsid bash -c "$(declare -f stamp); \"\$@\" 2>&1 | stamp" _ "$@" >"$work/sim.log" &
  sim_pid=$!
  wait_for "$work/sim.log" 'listening on' 10 || { echo "kesto-sim did not start"; cat "$work/sim.log"; exit 1; }
}
# The requests' arrival intervals at the simulator: count, smallest, largest, and how many in 1000-1100 ms.
intervals() {
  awk '/discover from/ { if (t) { d = ($1 - t) * 1000; n++; if (!mn || d < mn) mn = d; if (d > mx) mx = d;
         if (d >= 1000 && d <= 1100) ok++ } t = $1 }
       END { printf "requests at the simulator: %d intervals, %.0f-%.0f ms, %d within 1000-1100 ms\n", n, mn, mx, ok }' \
    "$work/sim.log"
}
rcvbuf_errors() { awk '/^Udp:/ { if (!h) { for (i = 1; i <= NF; i++) if ($i == "RcvbufErrors") c = i; h = 1 } else print $c }' /proc/net/snmp; }

case $mode in
  loopback)
    n=$3 secs=${4:-60} port=$((20000 + RANDOM % 20000))
    start_sim "$sim" --count "$n" --bind 127.0.0.1 --port "$port" --per-source-rate 0
    before=$(rcvbuf_errors)
    "$load" --target "127.0.0.1:$port" --seconds "$secs"
    echo "Udp RcvbufErrors (whole machine) +$(( $(rcvbuf_errors) - before ))"
    ;;
  shared)
    secs=${3:-60} port=$((20000 + RANDOM % 20000))
    python3 - "$work/shared.json" <<'PY'
import json, sys
json.dump([{"name": "dev %d" % i, "mac": "02-00-00-00-%02X-%02X" % (i >> 8, i & 255), "ip": "127.0.0.50",
            "netmask": "255.0.0.0", "gateway": "127.0.0.1", "dns": "127.0.0.1", "port": 10001,
            "version": "1.0", "type": 5, "protocol": "RS485", "baud": 9600} for i in range(1000)],
          open(sys.argv[1], "w"))
PY
    start_sim "$sim" --from "$work/shared.json" --bind 127.0.0.1 --port "$port" --per-source-rate 0
    before=$(rcvbuf_errors)
    "$load" --target "127.0.0.1:$port" --seconds "$secs"
    echo "Udp RcvbufErrors (whole machine) +$(( $(rcvbuf_errors) - before ))"
    ;;
  sweep)
    secs=${3:-60}
    [ "$(id -u)" -eq 0 ] || { echo "SKIP: network namespaces need root"; exit 77; }
    # shellcheck source=scripts/lib/lab_netns.sh
    . "$here/../../scripts/lib/lab_netns.sh"
    lab_create "w$$" || { echo "SKIP: the test namespaces could not be made"; exit 77; }
    # A second, unused /24 on the client's own link: nobody answers address resolution there.
    ip -n "$LAB_CLI" addr add 10.201.1.1/24 dev "kcw$$"
    swept=10.201.1.0/24
    start_sim ip netns exec "$LAB_SIM" "$sim" --count 50 --port 1444
    echo "== window, Targets $swept"
    # Sorted by IP address in a maximised window, as a user with many devices would have it.
    ip netns exec "$LAB_CLI" "$load" --lab --seconds "$secs" --add-target "$swept" --set-at $((secs / 2)) \
      --sort 2 --maximise \
      | tee "$work/window.log"
    intervals
    applied=$(grep -c ' applied ' "$work/sim.log")
    echo "simulator: $applied set-configuration applied"
    stop_sim
    # The simulator may still hold its port for a moment after its group was signalled.
    for _ in $(seq 100); do
      [ -z "$(ip netns exec "$LAB_SIM" ss -Huln 'sport = :1444')" ] && break
      sleep 0.05
    done
    start_sim ip netns exec "$LAB_SIM" "$sim" --count 50 --port 1444
    echo "== kesto watch --target $swept"
    ip netns exec "$LAB_CLI" "$kesto" watch --json --duration $((secs * 1000)) --target "$swept" \
      >"$work/watch.json" 2>"$work/watch.err"
    echo "added $(grep -c '"added"' "$work/watch.json") removed $(grep -c '"removed"' "$work/watch.json")"
    sort -u "$work/watch.err" | head -3
    if [ "${KESTO_CHECK:-0}" = 1 ]; then
      grep -q '^rows 50 .* removals 0 ' "$work/window.log" || { echo "FAIL: the window lost a real device"; exit 1; }
      grep -q '^renamed rows 1$' "$work/window.log" || { echo "FAIL: the settings sent during the sweep did not show"; exit 1; }
      grep -q '^order ok$' "$work/window.log" || { echo "FAIL: the rows are not in IP address order"; exit 1; }
      grep -q '^maximised 1$' "$work/window.log" || { echo "FAIL: the window was not maximised"; exit 1; }
      [ "$applied" -ge 1 ] || { echo "FAIL: the simulator applied no set-configuration datagram"; exit 1; }
      [ "$(grep -c '"removed"' "$work/watch.json")" -eq 0 ] || { echo "FAIL: kesto watch removed a real device"; exit 1; }
      [ "$(grep -c '"added"' "$work/watch.json")" -eq 50 ] || { echo "FAIL: kesto watch did not list the 50 devices"; exit 1; }
      echo "PASS"
    fi
    ;;
  *) echo "unknown mode $mode"; exit 2 ;;
esac
