#!/usr/bin/env bash
# kesto across two subnets, inside network namespaces the test makes and removes.
#   subnets.sh CASE BIN_DIR
# CASE: both | interface | unicast | duplicate | set.
# The client has two links (10.202.1.0/24 with the default route, 10.202.2.0/24);
# a kesto-sim answers on each. Device set A lives behind link A, set B behind link B,
# and set C behind B acting as a router (10.202.9.0/24), where only unicast reaches.
# A1 and B1 share 10.202.1.50.
# Exits 0 on success, 1 on failure, 77 when namespaces cannot be made (CTest: skipped).
# Every wait and every kesto run is bounded; nothing leaves the test's namespaces.
set -uo pipefail

case=$1 bin=$2
# shellcheck source=scripts/lib/lab_test.sh
. "$(dirname "$0")/../../scripts/lib/lab_test.sh"
lab_test_begin "subnets/$case" lab2 "s$$"

mac_a1=02-00-00-0A-00-01 mac_a2=02-00-00-0A-00-02
mac_b1=02-00-00-0B-00-01 mac_b2=02-00-00-0B-00-02
mac_c1=02-00-00-0C-00-01

device() {  # MAC NAME IP
  printf '{"mac":"%s","name":"%s","ip":"%s","netmask":"255.255.255.0","port":10000,"version":"1.0","type":2}' "$@"
}
echo "[$(device $mac_a1 "A one" 10.202.1.50),$(device $mac_a2 "A two" 10.202.1.51)]" >"$work/a.json"
echo "[$(device $mac_b1 "B one" 10.202.1.50),$(device $mac_b2 "B two" 192.168.77.5)]" >"$work/b.json"
echo "[$(device $mac_c1 "C one" 10.202.9.2)]" >"$work/c.json"

lab_start_sim a "$LAB2_A" 120 --from "$work/a.json"
lab_start_sim b "$LAB2_B" 120 --from "$work/b.json"
lab_start_sim c "$LAB2_C" 120 --from "$work/c.json"

# kesto ARGS...: the client's kesto, bounded in time; never run outside the namespace.
kesto() { timeout 30 ip netns exec "$LAB2_CLI" "$bin/kesto" "$@"; }

macs_of() { grep -oE '"mac": "[0-9A-F-]+"' "$1" | sed 's/.*: "//; s/"$//' | sort | tr '\n' ' '; }
sim_discovers() { grep -c '^discover from ' "$work/sim_$1.log"; }

case_both() {
  kesto list --json --wait 1200 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?: $(cat "$work/err.txt")"
  [ "$(macs_of "$work/list.json")" = "$mac_a1 $mac_a2 $mac_b1 $mac_b2 " ] ||
    fail "default list found: $(macs_of "$work/list.json")"
  grep -q "^discover from $LAB2_A_SUBNET.1:" "$work/sim_a.log" || fail "link A got no request"
  grep -q "^discover from $LAB2_B_SUBNET.1:" "$work/sim_b.log" || fail "link B got no directed broadcast"
  [ "$(sim_discovers c)" -eq 0 ] || fail "a broadcast crossed the router to C"
  # One request per probe per link: the limited broadcast's own link gets no directed copy.
  # The last probe may still be on its way to one of them: the counts must meet within 5 s.
  local a b tries=0
  while a=$(sim_discovers a) b=$(sim_discovers b); [ "$a" -ne "$b" ] && [ $tries -lt 50 ]; do
    tries=$((tries + 1))
    sleep 0.1
  done
  [ "$a" -eq "$b" ] || fail "link A got $a requests and link B $b"
  # B two is outside both client subnets.
  python3 - "$work/list.json" "$mac_b2" <<'PY' || fail "reachable marks wrong: $(cat "$work/list.json")"
import json, sys
devices = {d["mac"]: d for d in json.load(open(sys.argv[1]))}
assert devices[sys.argv[2]].get("reachable") is False
assert all("reachable" not in d for m, d in devices.items() if m != sys.argv[2])
PY
  kesto list --wait 800 >"$work/table.txt" 2>/dev/null || fail "table list exited $?"
  grep -E "^B two .*192\.168\.77\.5 .*other subnet$" "$work/table.txt" >/dev/null || fail "table: $(cat "$work/table.txt")"
  kesto open "$mac_b2" --print --wait 1500 >"$work/url.txt" 2>"$work/err.txt" || fail "open exited $?"
  [ "$(cat "$work/url.txt")" = "http://192.168.77.5/config.htm" ] || fail "open printed $(cat "$work/url.txt")"
  grep -q "outside every local subnet" "$work/err.txt" || fail "open gave no warning: $(cat "$work/err.txt")"
  kesto open "$mac_a2" --print --wait 1500 >/dev/null 2>"$work/err.txt" || fail "open A two exited $?"
  grep -v '^kesto: note: the receive buffer holds' "$work/err.txt" >/dev/null &&
    fail "open of a local device warned: $(cat "$work/err.txt")"
  return 0
}

case_interface() {
  kesto list --json --wait 1000 --interface "$LAB2_LINK_B" >"$work/list.json" 2>"$work/err.txt" ||
    fail "list --interface exited $?: $(cat "$work/err.txt")"
  [ "$(macs_of "$work/list.json")" = "$mac_b1 $mac_b2 " ] || fail "--interface B found: $(macs_of "$work/list.json")"
  [ "$(sim_discovers a)" -eq 0 ] || fail "link A was asked although only B was named"
  kesto list --json --wait 1000 --interface "$LAB2_LINK_A" >"$work/list.json" 2>/dev/null || fail "list A exited $?"
  [ "$(macs_of "$work/list.json")" = "$mac_a1 $mac_a2 " ] || fail "--interface A found: $(macs_of "$work/list.json")"
  local status
  kesto list --wait 200 --interface nosuch0 >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "an unknown interface exited $status, not 2"
  grep -q "nosuch0" "$work/err.txt" && grep -q "$LAB2_LINK_A" "$work/err.txt" && grep -q "$LAB2_LINK_B" "$work/err.txt" ||
    fail "the message does not name the interface and the usable ones: $(cat "$work/err.txt")"
  kesto list --wait 200 --interface lo >/dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "loopback as --interface exited $status, not 2"
  ip -n "$LAB2_CLI" link set "$LAB2_LINK_B" down || fail "cannot take link B down"
  kesto list --wait 200 --interface "$LAB2_LINK_B" >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "a down interface exited $status, not 2"
  return 0
}

case_unicast() {
  kesto list --json --no-broadcast --target "$LAB2_C_SUBNET.0/28" --target "$LAB2_B_SUBNET.2" \
    >"$work/list.json" 2>"$work/err.txt" || fail "unicast list exited $?: $(cat "$work/err.txt")"
  [ "$(macs_of "$work/list.json")" = "$mac_b1 $mac_b2 $mac_c1 " ] ||
    fail "unicast sweep found: $(macs_of "$work/list.json")"
  [ "$(sim_discovers a)" -eq 0 ] || fail "--no-broadcast still broadcast on link A"
  grep -q "^discover from $LAB2_B_SUBNET.1:" "$work/sim_c.log" || fail "C behind the router was not asked"
  # Broadcasts and a single target together find all three sets.
  kesto list --json --target "$LAB2_C_SUBNET.2" >"$work/list.json" 2>/dev/null || fail "mixed list exited $?"
  [ "$(macs_of "$work/list.json")" = "$mac_a1 $mac_a2 $mac_b1 $mac_b2 $mac_c1 " ] ||
    fail "broadcast plus --target found: $(macs_of "$work/list.json")"
  local status
  kesto list --no-broadcast --wait 200 >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "--no-broadcast without --target exited $status, not 2"
  kesto list --target 10.0.0.0/19 --wait 200 >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "a /19 target exited $status, not 2"
  kesto list --target 10.0.0.0/20 --target 10.0.16.0/29 --wait 200 >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] && grep -q 4096 "$work/err.txt" || fail "4100 targets exited $status: $(cat "$work/err.txt")"
  return 0
}

case_duplicate() {
  kesto list --wait 1200 >"$work/table.txt" 2>"$work/err.txt"
  local status=$?
  [ $status -eq 0 ] || fail "list with a shared IP exited $status, not 0"
  [ "$(grep -c 'duplicate IP' "$work/table.txt")" -eq 2 ] || fail "table marks: $(cat "$work/table.txt")"
  grep -E "^A one .*duplicate IP" "$work/table.txt" >/dev/null && grep -E "^B one .*duplicate IP" "$work/table.txt" >/dev/null ||
    fail "the two sharers are not the ones marked: $(cat "$work/table.txt")"
  [ "$(grep -c 'warning' "$work/err.txt")" -eq 1 ] || fail "expected one warning: $(cat "$work/err.txt")"
  grep -q "10.202.1.50" "$work/err.txt" && grep -q "$mac_a1" "$work/err.txt" && grep -q "$mac_b1" "$work/err.txt" ||
    fail "the warning does not name the address and both MACs: $(cat "$work/err.txt")"
  kesto list --json --wait 1000 >"$work/list.json" 2>/dev/null || fail "list --json exited $?"
  python3 - "$work/list.json" "$mac_a1" "$mac_b1" <<'PY' || fail "JSON duplicate marks wrong: $(cat "$work/list.json")"
import json, sys
devices = {d["mac"]: d for d in json.load(open(sys.argv[1]))}
for mac, device in devices.items():
    assert device.get("duplicate_ip", False) == (mac in sys.argv[2:]), mac
    assert "duplicate_ip" not in device or device["duplicate_ip"] is True
PY
  kesto list --csv --wait 1000 >"$work/list.csv" 2>/dev/null || fail "list --csv exited $?"
  [ "$(head -n 1 "$work/list.csv")" = $'name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip\r' ] ||
    fail "CSV header: $(head -n 1 "$work/list.csv")"
  [ "$(grep -c ',true'$'\r''$' "$work/list.csv")" -eq 2 ] || fail "CSV marks: $(cat "$work/list.csv")"
  grep -q "^A one,$mac_a1,10.202.1.50,.*,true"$'\r''$' "$work/list.csv" || fail "CSV row of A one: $(cat "$work/list.csv")"
  kesto list --csv --json --wait 200 >/dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "--csv with --json exited $status, not 2"
  return 0
}

case_set() {
  # B two lives behind the link without the default route: only the directed broadcast reaches it.
  kesto set "$mac_b2" --name "Renamed B" >"$work/out.txt" 2>"$work/err.txt" ||
    fail "set exited $?: $(cat "$work/err.txt")"
  [ "$(cat "$work/out.txt")" = "confirmed $mac_b2" ] || fail "set printed $(cat "$work/out.txt")"
  grep -q "^set $mac_b2 applied 07000000" "$work/sim_b.log" || fail "the simulator on link B got no set-configuration"
  # Link A hears it too (every broadcast way is used) and, not knowing the MAC, drops it.
  grep -q "^set $mac_b2 applied" "$work/sim_a.log" && fail "the simulator on link A applied B's settings"
  # Once by the directed broadcast and once straight to the address B answered from.
  [ "$(grep -c "^set $mac_b2 " "$work/sim_b.log")" -eq 2 ] ||
    fail "link B got the datagram $(grep -c "^set $mac_b2 " "$work/sim_b.log") times, not twice"
  # The same device over unicast only: to its sweep address and nowhere else.
  kesto set "$mac_c1" --name "Renamed C" --no-broadcast --target "$LAB2_C_SUBNET.2" >"$work/out.txt" 2>"$work/err.txt" ||
    fail "unicast set exited $?: $(cat "$work/err.txt")"
  [ "$(cat "$work/out.txt")" = "confirmed $mac_c1" ] || fail "unicast set printed $(cat "$work/out.txt")"
  grep -q "^set $mac_c1 applied " "$work/sim_c.log" || fail "C behind the router got no set-configuration"
  return 0
}

"case_$case" || fail "case failed"
echo "PASS [subnets/$case]"
