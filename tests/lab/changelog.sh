#!/usr/bin/env bash
# The change log and undo end to end, inside network namespaces the test makes
# and removes.
#   changelog.sh CASE BIN_DIR
# CASE: roundtrip | unreachable | writers | damaged.
# The log lives in the test's own state folder ($XDG_STATE_HOME below $work),
# never the user's. Exits 0 on success, 1 on failure, 77 when namespaces cannot
# be made (CTest: skipped). Every wait and every kesto run is bounded.
set -uo pipefail

case=$1 bin=$2
# shellcheck source=scripts/lib/lab_test.sh
. "$(dirname "$0")/../../scripts/lib/lab_test.sh"
lab_test_begin "changelog/$case" lab "c$$"
log=$XDG_STATE_HOME/kesto/changes.jsonl

mac=02-00-00-1F-00-01 mac2=02-00-00-1F-00-02
# device_file IP: the two devices, the first at IP.
device_file() {
  echo "[{\"mac\":\"$mac\",\"name\":\"Old name\",\"ip\":\"$1\",\"netmask\":\"255.255.255.0\",\"type\":2}," \
    "{\"mac\":\"$mac2\",\"name\":\"Second\",\"ip\":\"$LAB_SUBNET.3\",\"netmask\":\"255.255.255.0\",\"type\":2}]" \
    >"$work/devices.json"
}
kesto() { timeout 30 ip netns exec "$LAB_CLI" "$bin/kesto" "$@"; }
# Wire bytes of the set datagram as the simulator logs it: command 7, then the record's IP, low byte first.
set_with_ip_hex() { grep -c "^set $mac applied 07000000$1" "$work/sim_$2.log"; }

case_roundtrip() {
  device_file "$LAB_SIM_ADDR"
  lab_start_sim device "$LAB_SIM" 60 --from "$work/devices.json"
  kesto set "$mac" --name "New name" >"$work/out.txt" 2>"$work/err.txt" || fail "set exited $?"
  kesto undo "$mac" >"$work/preview.txt" 2>>"$work/err.txt"
  [ $? -eq 10 ] || fail "undo without --yes did not exit 10: $(cat "$work/preview.txt")"
  grep -q 'name: "New name" -> "Old name"' "$work/preview.txt" || fail "no preview: $(cat "$work/preview.txt")"
  # The set went by broadcast and directly: two datagrams, and the preview adds none.
  [ "$(grep -c "^set $mac applied" "$work/sim_device.log")" -eq 2 ] || fail "the preview sent something"
  kesto undo "$mac" --yes >"$work/out.txt" 2>>"$work/err.txt" || fail "undo exited $?: $(cat "$work/out.txt")"
  grep -q "^confirmed $mac" "$work/out.txt" || fail "undo not confirmed: $(cat "$work/out.txt")"
  kesto list --json --wait 1200 >"$work/list.json" 2>/dev/null || fail "list exited $?"
  grep -q '"name": "Old name"' "$work/list.json" || fail "the old name is not back: $(cat "$work/list.json")"
  kesto log "$mac" >"$work/log.txt" 2>"$work/err.txt" || fail "log exited $?"
  [ "$(wc -l <"$work/log.txt")" -eq 3 ] || fail "the log does not show three lines: $(cat "$work/log.txt")"
  sed -n 2p "$work/log.txt" | grep -q "kesto undo (confirmed)  name: \"New name\" -> \"Old name\"" &&
    sed -n 3p "$work/log.txt" | grep -q "kesto set (confirmed)  name: \"Old name\" -> \"New name\"" ||
    fail "the log's lines: $(cat "$work/log.txt")"
  [ "$(wc -l <"$log")" -eq 4 ] || fail "the file holds $(wc -l <"$log") lines, not a send and an outcome twice"
  kesto log --json >"$work/log.json" || fail "log --json exited $?"
  local set_id
  set_id=$(python3 -c 'import json,sys; c=json.load(open(sys.argv[1])); print(c[1]["id"] if c[0]["undo_of"]==c[1]["id"] else "")' \
    "$work/log.json") && [ -n "$set_id" ] || fail "the undo does not name the change it took back: $(cat "$work/log.json")"
  # --no-log sends without a line.
  kesto set "$mac2" --name "Quiet" --no-log >/dev/null 2>&1 || fail "set --no-log exited $?"
  [ "$(wc -l <"$log")" -eq 4 ] || fail "--no-log wrote to the log"
}

case_unreachable() {
  device_file "$LAB_SIM_ADDR"
  lab_start_sim device "$LAB_SIM" 60 --from "$work/devices.json"
  kesto set "$mac" --ip 192.0.2.77 --netmask 255.255.255.0 --wait 1500 >/dev/null 2>"$work/err.txt"
  [ "$(set_with_ip_hex 4d0200c0 device)" -ge 1 ] || fail "the new address was not sent"
  # Now the device keeps the wrong address and none of its answers reach the client.
  kill "${pids[0]}"
  wait "${pids[0]}" 2>/dev/null
  device_file 192.0.2.77
  lab_start_sim lost "$LAB_SIM" 60 --from "$work/devices.json" --drop 1
  kesto undo "$mac" --yes --wait 800 >"$work/out.txt" 2>"$work/err.txt"
  [ $? -eq 3 ] || fail "undo of an unheard device did not exit 3: $(cat "$work/out.txt" "$work/err.txt")"
  grep -q "no answer from $mac .*went by broadcast" "$work/err.txt" || fail "no word of the broadcast: $(cat "$work/err.txt")"
  grep -q "ip: 192.0.2.77 -> $LAB_SIM_ADDR" "$work/out.txt" || fail "no preview of the address: $(cat "$work/out.txt")"
  # The device got its old address back (10.201.0.2, low byte first), by broadcast.
  [ "$(set_with_ip_hex 0200c90a lost)" -ge 1 ] || fail "the old address did not reach the device"
  kesto log "$mac" >"$work/log.txt" 2>/dev/null || fail "log exited $?"
  sed -n 2p "$work/log.txt" | grep -q "kesto undo (not confirmed)  ip: 192.0.2.77 -> $LAB_SIM_ADDR" ||
    fail "the undo is not logged as not confirmed: $(cat "$work/log.txt")"
}

case_writers() {
  device_file "$LAB_SIM_ADDR"
  lab_start_sim device "$LAB_SIM" 60 --from "$work/devices.json"
  # Two programs sending at once, five changes each, every one logged as it goes.
  local i one=() two=()
  (for i in 1 2 3 4 5; do kesto set "$mac" --name "One $i" --wait 1500 >/dev/null 2>&1; done) &
  one=$!
  (for i in 1 2 3 4 5; do kesto set "$mac2" --name "Two $i" --wait 1500 >/dev/null 2>&1; done) &
  two=$!
  wait "$one" "$two"
  [ "$(wc -l <"$log")" -eq 20 ] || fail "$(wc -l <"$log") lines, not 20"
  kesto log --json >"$work/log.json" 2>"$work/err.txt" || fail "log exited $?"
  grep -q damaged "$work/err.txt" && fail "lines were interleaved: $(cat "$work/err.txt")"
  [ "$(grep -c '"by": "kesto set"' "$work/log.json")" -eq 10 ] || fail "not ten changes: $(cat "$work/log.json")"
}

case_damaged() {
  device_file "$LAB_SIM_ADDR"
  lab_start_sim device "$LAB_SIM" 60 --from "$work/devices.json"
  kesto set "$mac" --name "New name" >/dev/null 2>&1 || fail "set exited $?"
  local good
  good=$(head -n 1 "$log")
  { echo "${good:0:200}"; printf 'not json\x1b[2J\n'; cat "$log"; echo '{"event":"send"}'; } >"$work/damaged"
  cp "$work/damaged" "$log"
  kesto log >"$work/log.txt" 2>"$work/err.txt" || fail "log exited $?"
  grep -q '3 damaged line(s)' "$work/err.txt" || fail "the damage is not counted: $(cat "$work/err.txt")"
  grep -q "kesto set (confirmed)  name: \"Old name\" -> \"New name\"" "$work/log.txt" ||
    fail "the good change is lost: $(cat "$work/log.txt")"
  kesto undo --last >"$work/out.txt" 2>"$work/err.txt"
  [ $? -eq 10 ] || fail "undo --last on a damaged log: $(cat "$work/out.txt" "$work/err.txt")"
  grep -q 'name: "New name" -> "Old name"' "$work/out.txt" || fail "undo --last preview: $(cat "$work/out.txt")"
}

"case_$case"
echo "PASS [changelog/$case]"
