#!/usr/bin/env bash
# The desktop program's export against `kesto list --csv/--json` for the same
# simulated devices over loopback: the files must be the same bytes.
# Usage: export_matches_list.sh PROBE KESTO KESTO_SIM DEVICES_JSON
# Loopback only; every wait is bounded.
set -uo pipefail
probe=$1 kesto=$2 sim=$3 devices=$4
work=$(mktemp -d /tmp/kesto-export.XXXXXX)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; }
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$sim" --bind 127.0.0.1 --port 0 --from "$devices" >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do
  grep -q 'listening on' "$work/sim.log" && break
  sleep 0.05
done
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$work/sim.log")
[ -n "$port" ] || fail "kesto-sim did not start: $(cat "$work/sim.log")"

timeout 10 "$kesto" list --broadcast 127.0.0.1 --port "$port" --csv >"$work/list.csv" 2>/dev/null || fail "kesto list --csv"
timeout 10 "$kesto" list --broadcast 127.0.0.1 --port "$port" --json >"$work/list.json" 2>/dev/null || fail "kesto list --json"
timeout 10 "$probe" "$port" 1500 "$work/export.csv" "$work/export.json" || fail "export probe"

[ "$(grep -c 'duplicate_ip' "$work/list.json")" -eq 2 ] || fail "the listing should flag two devices"
cmp "$work/list.csv" "$work/export.csv" || { diff "$work/list.csv" "$work/export.csv" >&2; fail "CSV differs"; }
cmp "$work/list.json" "$work/export.json" || { diff "$work/list.json" "$work/export.json" >&2; fail "JSON differs"; }
echo "CSV and JSON exports match kesto list ($(($(wc -l <"$work/list.csv") - 1)) devices)"
