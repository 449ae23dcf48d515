#!/usr/bin/env bash
# End-to-end tests of the real kesto against the real kesto-sim.
#   kesto_e2e.sh loopback CASE BIN_DIR DATA_DIR   kesto --broadcast 127.0.0.1 --port N
#   kesto_e2e.sh lab CASE BIN_DIR DATA_DIR LAB_LIB  default target, inside two test namespaces
# CASE: list | junk | watch | set | set_refused | set_unconfirmed | many | marks | unicast (loopback only)
#       | noroute (lab only).
# Exits 0 on success, 1 on failure, 77 when the lab cannot be made (CTest: skipped).
# Every wait is bounded; nothing is sent outside loopback or the test's namespaces.
set -uo pipefail

mode=$1 case=$2 bin=$3 data=$4 lab_lib=${5:-}
work=$(mktemp -d /tmp/kesto-e2e.XXXXXX)
pids=()
sim_pid=
sim_log=
kesto_cmd=()
target=()

cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  declare -F lab_destroy >/dev/null && lab_destroy
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL [$mode/$case]: $*" >&2
  [ -n "$sim_log" ] && [ -f "$sim_log" ] && { echo "--- simulator log:" >&2; tail -n 20 "$sim_log" >&2; }
  exit 1
}

# wait_for FILE PATTERN SECONDS: true once FILE holds a line matching PATTERN.
# shellcheck source=../support/wait_for.sh
. "$(dirname "$0")/../support/wait_for.sh"

# start_sim ARGS...: starts kesto-sim and sets sim_pid, sim_log and the kesto target.
start_sim() {
  sim_log=$work/sim$((${#pids[@]} + 1)).log
  if [ "$mode" = lab ]; then
    ip netns exec "$LAB_SIM" "$bin/kesto-sim" --port 1444 "$@" >"$sim_log" 2>&1 &
  else
    "$bin/kesto-sim" --bind 127.0.0.1 --port 0 "$@" >"$sim_log" 2>&1 &
  fi
  sim_pid=$!
  pids+=("$sim_pid")
  wait_for "$sim_log" 'listening on' 5 || fail "kesto-sim did not start"
  if [ "$mode" = loopback ]; then
    local port
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$sim_log")
    target=(--broadcast 127.0.0.1 --port "$port")
  fi
}

stop_sim() {
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
}

# kesto COMMAND ARGS...: runs kesto against the simulator, bounded in time.
kesto() {
  local command=$1
  shift
  timeout 30 "${kesto_cmd[@]}" "$command" "${target[@]}" "$@"
}

sim_lines() { wc -l <"$sim_log"; }

# senders_as_placeholder < JSON: the "senders" addresses (the simulator's port varies) as "SENDER".
senders_as_placeholder() { sed -E 's/^( +)"[0-9]+[.][0-9]+[.][0-9]+[.][0-9]+:[0-9]+"(,?)$/\1"SENDER"\2/'; }

case $mode in
  loopback)
    kesto_cmd=("$bin/kesto")
    ;;
  lab)
    if [ "$(id -u)" -ne 0 ]; then
      echo "SKIP: the lab tests need root to create network namespaces"
      exit 77
    fi
    # shellcheck source=/dev/null
    . "$lab_lib"
    if ! lab_create "e$$" 2>"$work/lab.err"; then
      echo "SKIP: network namespaces cannot be made here: $(cat "$work/lab.err")"
      exit 77
    fi
    kesto_cmd=(ip netns exec "$LAB_CLI" "$bin/kesto")
    ;;
  *) fail "unknown mode $mode" ;;
esac

known=$data/known_devices.json
# The lab's client has one subnet (10.201.0.0/24) that none of the known devices is in,
# so its list marks them; over loopback no subnet is judged.
expected_table=$data/expected_table.txt
expected_list=$data/expected_list.json
if [ "$mode" = lab ]; then
  expected_table=$data/expected_table_lab.txt
  expected_list=$data/expected_list_lab.json
fi

case_list() {
  start_sim --from "$known"
  kesto list --wait 1200 >"$work/table.txt" 2>"$work/err.txt" || fail "list exited $?: $(cat "$work/err.txt")"
  diff -u "$expected_table" "$work/table.txt" || fail "table differs"
  # A short wait still sees every device: the first probe goes out at once.
  kesto list --json --wait 300 >"$work/list.json" 2>"$work/err.txt" || fail "list --json exited $?"
  diff -u "$expected_list" <(senders_as_placeholder <"$work/list.json") || fail "JSON differs"
  [ -s "$work/err.txt" ] && fail "list wrote to stderr: $(cat "$work/err.txt")"
  grep -q '^discover from ' "$sim_log" || fail "the simulator saw no discovery request"
  # watch in its plain form: one tab-separated line per event.
  kesto watch --duration 600 >"$work/watch.txt" || fail "watch exited $?"
  printf 'added\t%s\t%s\t%s\t%s\t%s\n' \
    "Boiler Room" 00-1A-2B-3C-4D-5E 192.168.1.10 10000 KST-2.4.1 \
    ABCDEFGHIJKLMNOPQRSTUVWXYZ01 00-1A-2B-3C-4D-5F 172.16.254.3 - 0123456789abcdefghijklmnopqrstuvwxyz \
    Lobby 02-00-00-00-00-01 10.0.0.5 - "" >"$work/watch.expected"
  diff -u "$work/watch.expected" "$work/watch.txt" || fail "watch lines differ"
  [ "$(kesto open 02:00:00:00:00:01 --print)" = "http://10.0.0.5/config.htm" ] || fail "open --print gave another address"
  kesto open 02-00-00-00-00-99 --print --wait 300 >/dev/null 2>&1
  local status=$?
  [ $status -eq 4 ] || fail "open of an unknown device exited $status, not 4"
  return 0
}

case_junk() {
  start_sim --from "$known" --junk
  kesto list --json --wait 1200 >"$work/list.json" || fail "list --json exited $?"
  diff -u "$expected_list" <(senders_as_placeholder <"$work/list.json") || fail "junk datagrams changed the list"
}

case_watch() {
  start_sim --from "$known"
  "${kesto_cmd[@]}" watch "${target[@]}" --json --duration 20000 >"$work/watch.out" 2>"$work/watch.err" &
  local watch_pid=$!
  pids+=("$watch_pid")
  for mac in 00-1A-2B-3C-4D-5E 00-1A-2B-3C-4D-5F 02-00-00-00-00-01; do
    wait_for "$work/watch.out" "^\{\"event\":\"added\",\"device\":\{[^}]*\"mac\":\"$mac\"" 5 || fail "no added event for $mac"
  done
  kesto set 00-1A-2B-3C-4D-5E --name "Renamed Boiler" >/dev/null || fail "set exited $?"
  wait_for "$work/watch.out" '^\{"event":"changed","device":\{"name":"Renamed Boiler","mac":"00-1A-2B-3C-4D-5E"' 5 ||
    fail "no changed event after the set"
  [ "$(grep -c '"event":"changed"' "$work/watch.out")" -eq 1 ] || fail "expected exactly one changed event"
  stop_sim
  for mac in 00-1A-2B-3C-4D-5E 00-1A-2B-3C-4D-5F 02-00-00-00-00-01; do
    wait_for "$work/watch.out" "^\{\"event\":\"removed\",\"device\":\{[^}]*\"mac\":\"$mac\"" 6 ||
      fail "no removed event for $mac"
  done
  kill -INT "$watch_pid"
  wait "$watch_pid"
  local status=$?
  [ $status -eq 0 ] || fail "watch exited $status after Ctrl-C"
  [ "$(grep -c '"event":"added"' "$work/watch.out")" -eq 3 ] || fail "expected three added events"
  [ -s "$work/watch.err" ] && fail "watch wrote to stderr: $(cat "$work/watch.err")"
  return 0
}

# Hex of the set-configuration datagram the simulator logged for MAC.
logged_set() { sed -n "s/^set $1 $2 //p" "$sim_log" | tail -n 1; }

case_set() {
  start_sim --from "$known"
  # Every field on the odd device: 28-byte name, port -1, type 9, protocol -3, reserved bytes set.
  kesto set 00-1a-2b-3c-4d-5f --name "New Name" --ip 192.168.7.20 --netmask 255.255.0.0 --gateway 192.168.7.1 \
    --dns 192.168.7.2 --type passthrough --protocol rs485 --baud 115200 >"$work/out.txt" 2>"$work/err.txt" ||
    fail "set exited $?: $(cat "$work/err.txt")"
  [ "$(cat "$work/out.txt")" = "confirmed 00-1A-2B-3C-4D-5F" ] || fail "unexpected output: $(cat "$work/out.txt")"
  local expected
  expected=07000000                                    # set-configuration command
  expected+="1407a8c0 0000ffff 0107a8c0 0207a8c0"      # ip, netmask, gateway, dns, low byte first
  expected=${expected// /}
  expected+=001a2b3c4d5f                               # MAC as received
  expected+=4e6577204e616d65$(printf '00%.0s' $(seq 20)) # "New Name", rest of the 28 bytes cleared
  expected+=ffffffff                                   # port -1 unchanged
  expected+=$(printf '%s' 0123456789abcdefghijklmnopqrstuvwxyz | od -An -tx1 | tr -d ' \n') # version unchanged
  expected+="05 a5 0100 00c2 deadbeef"                 # type 5, reserved1, protocol 1, 49664, reserved2
  expected=${expected// /}
  local got
  got=$(logged_set 00-1A-2B-3C-4D-5F applied)
  [ "$got" = "$expected" ] || fail "set datagram differs:
expected $expected
got      $got"

  # One field only: every other byte goes back as the device sent it.
  kesto set 00:1A:2B:3C:4D:5E --baud 19200 >/dev/null || fail "set --baud exited $?"
  expected=07000000
  expected+="0a01a8c0 00ffffff 0101a8c0 0101a8c0 001a2b3c4d5e"
  expected+=426f696c657220526f6f6d$(printf '00%.0s' $(seq 17))  # "Boiler Room"
  expected+=10270000                                             # port 10000
  expected+=4b53542d322e342e31$(printf '00%.0s' $(seq 27))      # "KST-2.4.1"
  expected+="05 00 0000 004b 00000000"                           # baud 19200 = 0x4B00
  expected=${expected// /}
  got=$(logged_set 00-1A-2B-3C-4D-5E applied)
  [ "$got" = "$expected" ] || fail "single-field set datagram differs:
expected $expected
got      $got"

  kesto list --json --wait 300 >"$work/list.json" || fail "list after set exited $?"
  grep -q '"name": "New Name"' "$work/list.json" || fail "the list does not show the new name"
  grep -q '"baud": 19200' "$work/list.json" || fail "the list does not show the new rate"
  return 0
}

case_set_refused() {
  start_sim --from "$known"
  local mac=00-1A-2B-3C-4D-5E
  # option | value | text the message must hold
  local refused=(
    "--name|ABCDEFGHIJKLMNOPQRSTUVWXYZ01|--name"
    "--ip|192.168.1|--ip"
    "--ip|192.168.1.256|--ip"
    "--netmask|255.255.255.0.0|--netmask"
    "--gateway|1.2.3.x|--gateway"
    "--dns| 1.2.3.4|--dns"
    "--type|boss|--type"
    "--protocol|rs422|--protocol"
    "--baud|2400|--baud"
    "--baud|115201|--baud"
  )
  local before entry option value expect status
  for entry in "${refused[@]}"; do
    IFS='|' read -r option value expect <<<"$entry"
    before=$(sim_lines)
    kesto set "$mac" "$option" "$value" >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "set $option '$value' exited $status, not 2"
    grep -q -- "$expect" "$work/err.txt" || fail "message for $option '$value' does not name it: $(cat "$work/err.txt")"
    [ -s "$work/out.txt" ] && fail "set $option '$value' wrote to stdout"
    [ "$(sim_lines)" -eq "$before" ] || fail "set $option '$value' sent something"
  done
  before=$(sim_lines)
  kesto set 00-1A-2B-3C-4D >/dev/null 2>"$work/err.txt" --name x
  status=$?
  [ $status -eq 2 ] || fail "malformed MAC exited $status, not 2"
  grep -q MAC "$work/err.txt" || fail "message for a malformed MAC does not name it"
  kesto set "$mac" >/dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "set without a field exited $status, not 2"
  [ "$(sim_lines)" -eq "$before" ] || fail "a refused set sent something"

  # Unknown device: it probes, but sends no set-configuration datagram.
  kesto set 02-00-00-00-00-99 --name Ghost --wait 800 >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 4 ] || fail "unknown device exited $status, not 4"
  grep -q '^discover from ' "$sim_log" || fail "no probe for the unknown device"
  grep -q '^set ' "$sim_log" && fail "a set-configuration datagram was sent for an unknown device"
  return 0
}

case_set_unconfirmed() {
  start_sim --from "$known" --ignore-set
  kesto set 02-00-00-00-00-01 --type slave --wait 1500 >/dev/null 2>"$work/err.txt"
  local status=$?
  [ $status -eq 3 ] || fail "an ignored set exited $status, not 3"
  grep -q '^set 02-00-00-00-00-01 ignored ' "$sim_log" || fail "the simulator got no set-configuration datagram"
  kesto set 02-00-00-00-00-01 --type slave --no-verify >"$work/out.txt" || fail "--no-verify exited $?"
  [ "$(cat "$work/out.txt")" = "sent 02-00-00-00-00-01" ] || fail "unexpected output: $(cat "$work/out.txt")"
  # Each set goes by broadcast and straight to the address the device answered from;
  # over loopback those are one address, so each set arrives once.
  local expected=2
  [ "$mode" = lab ] && expected=4
  [ "$(grep -c '^set 02-00-00-00-00-01 ignored ' "$sim_log")" -eq "$expected" ] ||
    fail "expected $expected set datagrams, got $(grep -c '^set 02-00-00-00-00-01 ignored ' "$sim_log")"
  return 0
}

# Thousands of devices answering one probe: none may be lost.
case_many() {
  start_sim --count 2000 --seed 7
  kesto list --json --wait 1500 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?: $(cat "$work/err.txt")"
  local count
  count=$(grep -o '"mac": "[0-9A-F-]*"' "$work/list.json" | sort -u | wc -l)
  [ "$count" -eq 2000 ] || fail "listed $count of 2000 devices"
  return 0
}

# Two devices sharing an address: marked in every form, one warning, exit 0.
case_marks() {
  printf '[%s,%s,%s]' '{"mac":"02-00-00-00-0D-01","name":"Left","ip":"10.9.8.7"}' \
    '{"mac":"02-00-00-00-0D-02","name":"Middle, \"quoted\"","ip":"10.9.8.8"}' \
    '{"mac":"02-00-00-00-0D-03","name":"Right","ip":"10.9.8.7"}' >"$work/shared.json"
  start_sim --from "$work/shared.json"
  kesto list --wait 600 >"$work/table.txt" 2>"$work/err.txt" || fail "list exited $?"
  grep -qE '^Name +MAC Address +IP Address +Port +Version +Note$' "$work/table.txt" || fail "no Note column: $(cat "$work/table.txt")"
  [ "$(grep -cE ' duplicate IP$' "$work/table.txt")" -eq 2 ] || fail "table marks: $(cat "$work/table.txt")"
  grep -E '^Middle' "$work/table.txt" | grep -q duplicate && fail "the device with its own address was marked"
  [ "$(cat "$work/err.txt")" = "kesto: warning: 10.9.8.7 is reported by more than one device: 02-00-00-00-0D-01 02-00-00-00-0D-03" ] ||
    fail "warning: $(cat "$work/err.txt")"
  kesto list --json --wait 300 >"$work/list.json" 2>/dev/null || fail "list --json exited $?"
  [ "$(grep -c '"duplicate_ip": true' "$work/list.json")" -eq 2 ] || fail "JSON marks: $(cat "$work/list.json")"
  grep -q reachable "$work/list.json" && fail "an explicit target judged subnets"
  kesto list --csv --wait 300 >"$work/list.csv" 2>/dev/null || fail "list --csv exited $?"
  printf '%s\r\n' "name,mac,ip,netmask,gateway,dns,port,version,type,type_name,protocol,baud,duplicate_ip" \
    "Left,02-00-00-00-0D-01,10.9.8.7,0.0.0.0,0.0.0.0,0.0.0.0,0,,0,,RS232,0,true" \
    '"Middle, ""quoted""",02-00-00-00-0D-02,10.9.8.8,0.0.0.0,0.0.0.0,0.0.0.0,0,,0,,RS232,0,false' \
    "Right,02-00-00-00-0D-03,10.9.8.7,0.0.0.0,0.0.0.0,0.0.0.0,0,,0,,RS232,0,true" >"$work/expected.csv"
  cmp -s "$work/expected.csv" "$work/list.csv" || fail "CSV differs: $(od -c "$work/list.csv" | head -20)"
  return 0
}

# Unicast only: the sweep's datagrams reach the simulator over real sockets.
case_unicast() {
  [ "$mode" = loopback ] || fail "unicast runs over loopback only"
  start_sim --from "$known"
  kesto list --json --no-broadcast --target 127.0.0.1 --target 127.0.0.8/30 --wait 600 >"$work/list.json" \
    2>"$work/err.txt" || fail "unicast list exited $?: $(cat "$work/err.txt")"
  diff -u "$expected_list" <(senders_as_placeholder <"$work/list.json") || fail "unicast list differs"
  grep -q '^discover from 127\.0\.0\.1:' "$sim_log" || fail "the simulator saw no request"
  kesto set 02-00-00-00-00-01 --name "By unicast" --no-broadcast --target 127.0.0.1 >"$work/out.txt" 2>"$work/err.txt" ||
    fail "unicast set exited $?: $(cat "$work/err.txt")"
  grep -q '^set 02-00-00-00-00-01 applied ' "$sim_log" || fail "no set-configuration by unicast"
  return 0
}

# A namespace with loopback only: no route for the broadcast, so the probe cannot go out.
case_noroute() {
  [ "$mode" = lab ] || fail "noroute runs in the lab only"
  local status
  ip -n "$LAB_CLI" link set "kce$$" down || fail "cannot take the veth down"
  kesto list --wait 200 >"$work/out.txt" 2>"$work/err.txt"
  status=$?
  [ $status -eq 5 ] || fail "list without a route exited $status, not 5"
  grep -q 'cannot send' "$work/err.txt" || fail "no clear message: $(cat "$work/err.txt")"
  return 0
}

"case_$case" || fail "case failed"
echo "PASS [$mode/$case]"
