#!/usr/bin/env bash
# A third host answering for a device's MAC, inside network namespaces the test makes
# and removes.
#   senders.sh CASE BIN_DIR [HELPER_DIR]
# CASE: list | set | set_spoofed | open | hijack | crowded. HELPER_DIR holds the
# impostor (tests/lab/impostor.cpp), which answers from several ports of its own.
# The client, the device (10.203.0.2) and another host (10.203.0.66) share one link;
# both others run kesto-sim with the same record, as a host answering for the device
# would.
# Exits 0 on success, 1 on failure, 77 when namespaces cannot be made (CTest: skipped).
# Every wait and every kesto run is bounded; nothing leaves the test's namespaces.
set -uo pipefail

case=$1 bin=$2 helpers=${3:-$2}
# shellcheck source=scripts/lib/lab_test.sh
. "$(dirname "$0")/../../scripts/lib/lab_test.sh"
lab_test_begin "senders/$case" lab3 "p$$"

mac=02-00-00-0E-00-01
device_at=$LAB3_DEV_ADDR:1444 other_at=$LAB3_OTH_ADDR:1444
echo "[{\"mac\":\"$mac\",\"name\":\"Real one\",\"ip\":\"$LAB3_DEV_ADDR\",\"netmask\":\"255.255.255.0\",\"type\":2}]" \
  >"$work/device.json"

start_sim() {  # NAME NAMESPACE ARGS...
  local name=$1 ns=$2
  shift 2
  lab_start_sim "$name" "$ns" 120 --from "$work/device.json" "$@"
}

# kesto ARGS...: the client's kesto, bounded in time; never run outside the namespace.
kesto() { timeout 30 ip netns exec "$LAB3_CLI" "$bin/kesto" "$@"; }
sets_seen() { grep -c "^set $mac $1" "$work/sim_$2.log"; }

case_list() {
  start_sim device "$LAB3_DEV"
  kesto list --json --wait 1200 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?"
  grep -q '"several_senders"' "$work/list.json" && fail "one device alone was marked: $(cat "$work/list.json")"
  grep -q "\"$device_at\"" "$work/list.json" || fail "the device's address is not listed: $(cat "$work/list.json")"
  grep -q 'several addresses' "$work/err.txt" && fail "a warning for one device: $(cat "$work/err.txt")"

  start_sim other "$LAB3_OTH"
  kesto list --json --wait 1200 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?"
  [ "$(grep -c '"mac"' "$work/list.json")" -eq 1 ] || fail "one MAC, one entry: $(cat "$work/list.json")"
  grep -q '"several_senders": true' "$work/list.json" || fail "not marked: $(cat "$work/list.json")"
  grep -q "\"$device_at\"" "$work/list.json" && grep -q "\"$other_at\"" "$work/list.json" ||
    fail "both senders are not listed: $(cat "$work/list.json")"
  grep "kesto: warning: $mac answers from several addresses: " "$work/err.txt" | grep -q "$device_at" &&
    grep "kesto: warning: $mac answers from several addresses: " "$work/err.txt" | grep -q "$other_at" ||
    fail "no warning naming both: $(cat "$work/err.txt")"
  kesto list --wait 1200 >"$work/table.txt" 2>/dev/null || fail "list exited $?"
  grep -q "^Name .*Note$" "$work/table.txt" && grep -q "answers from several addresses$" "$work/table.txt" ||
    fail "the table's note is missing: $(cat "$work/table.txt")"
  kesto watch --json --duration 1500 >"$work/watch.out" 2>"$work/watch.err" || fail "watch exited $?"
  grep -q '"several_senders":true' "$work/watch.out" || fail "watch shows no mark: $(cat "$work/watch.out")"
  grep -q "kesto watch: warning: $mac answers from several addresses" "$work/watch.err" ||
    fail "watch gave no warning: $(cat "$work/watch.err")"
}

case_set() {
  # Both apply what they get: each got it twice, by broadcast and directly, and both confirm.
  start_sim device "$LAB3_DEV"
  start_sim other "$LAB3_OTH"
  # The name as typed (UTF-8) is stored as Latin-1 and listed back as typed.
  kesto set "$mac" --name "Café" --wait 2000 >"$work/out.txt" 2>"$work/err.txt" || fail "set exited $?"
  [ "$(cat "$work/out.txt")" = "confirmed $mac" ] || fail "set printed $(cat "$work/out.txt")"
  grep -q "kesto set: warning: $mac answers from several addresses" "$work/err.txt" || fail "no warning"
  [ "$(sets_seen applied device)" -eq 2 ] || fail "the device got $(sets_seen applied device) datagrams, not 2"
  [ "$(sets_seen applied other)" -eq 2 ] || fail "the other host got $(sets_seen applied other) datagrams, not 2"
  grep -q "^set $mac applied .*436166e9000000" "$work/sim_device.log" || fail "the name's bytes are not Latin-1"
  kesto list --json --wait 1200 >"$work/list.json" 2>/dev/null || fail "list exited $?"
  grep -q '"name": "Caf\\u00e9"' "$work/list.json" || fail "the name does not list as typed: $(cat "$work/list.json")"
}

case_set_spoofed() {
  # The device never applies; the other host does and answers with the new name. Its
  # answers alone must not confirm: exit 3, naming who did and did not.
  start_sim device "$LAB3_DEV" --ignore-set
  start_sim other "$LAB3_OTH"
  kesto set "$mac" --name "Renamed" --wait 1500 >"$work/out.txt" 2>"$work/err.txt"
  local rc=$?
  [ "$rc" -eq 3 ] || fail "set exited $rc, not 3: $(cat "$work/out.txt")"
  [ -s "$work/out.txt" ] && fail "set printed $(cat "$work/out.txt")"
  grep -q "but $device_at did not answer with the new values .*(confirmed by $other_at only)" "$work/err.txt" ||
    fail "the message does not name the addresses: $(cat "$work/err.txt")"
  [ "$(sets_seen ignored device)" -eq 2 ] || fail "the device got $(sets_seen ignored device) datagrams, not 2"
}

case_open() {
  start_sim device "$LAB3_DEV"
  start_sim other "$LAB3_OTH"
  kesto open "$mac" --print >"$work/out.txt" 2>"$work/err.txt" || fail "open exited $?"
  [ "$(cat "$work/out.txt")" = "http://$LAB3_DEV_ADDR/config.htm" ] || fail "open printed $(cat "$work/out.txt")"
  grep -q "kesto open: warning: $mac answers from several addresses" "$work/err.txt" &&
    grep -q "$device_at" "$work/err.txt" && grep -q "$other_at" "$work/err.txt" ||
    fail "no warning naming both: $(cat "$work/err.txt")"
}

# start_impostor PORTS: the other host answers for the MAC from PORTS source ports and takes its settings.
start_impostor() {
  ip netns exec "$LAB3_OTH" "$helpers/impostor" --mac "$mac" --ip "$LAB3_DEV_ADDR" --ports "$1" --seconds 120 \
    >"$work/sim_impostor.log" 2>&1 &
  pids+=("$!")
  wait_for "$work/sim_impostor.log" 'listening' 5 || fail "the impostor did not start"
}

case_hijack() {
  # Twelve ports fill every place the finder keeps for the MAC; the device, which ignores
  # the settings, is one address too many. No answer may confirm: exit 3, saying why.
  start_device_then_impostor 12
  kesto set "$mac" --name "Hijacked" --wait 1500 >"$work/out.txt" 2>"$work/err.txt"
  local rc=$?
  [ "$rc" -eq 3 ] || fail "set exited $rc, not 3: $(cat "$work/out.txt")"
  [ -s "$work/out.txt" ] && fail "set printed $(cat "$work/out.txt")"
  grep -q "more addresses answer for it than can be followed" "$work/err.txt" ||
    fail "the message does not say why: $(cat "$work/err.txt")"
  grep -q "^set $mac taken" "$work/sim_impostor.log" || fail "the impostor was not sent the settings"
  [ "$(sets_seen ignored device)" -ge 1 ] || fail "the device was not sent the settings"
}

case_crowded() {
  # Seven ports and the device fill the eight places exactly: nothing is left out, the
  # device is sent to directly and must confirm, and does not.
  start_device_then_impostor 7
  kesto set "$mac" --name "Hijacked" --wait 1500 >"$work/out.txt" 2>"$work/err.txt"
  local rc=$?
  [ "$rc" -eq 3 ] || fail "set exited $rc, not 3: $(cat "$work/out.txt")"
  grep -q "but $device_at did not answer with the new values" "$work/err.txt" ||
    fail "the message does not name the device: $(cat "$work/err.txt")"
  grep -q "can be followed" "$work/err.txt" && fail "eight addresses are not too many: $(cat "$work/err.txt")"
  [ "$(sets_seen ignored device)" -eq 2 ] || fail "the device got $(sets_seen ignored device) datagrams, not 2"
}

start_device_then_impostor() {
  start_sim device "$LAB3_DEV" --ignore-set
  start_impostor "$1"
}

case "$case" in
  list | set | set_spoofed | open | hijack | crowded) "case_$case" ;;
  *) fail "unknown case $case" ;;
esac
echo "PASS [senders/$case]"
