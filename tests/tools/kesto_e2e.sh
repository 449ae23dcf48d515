#!/usr/bin/env bash
# End-to-end tests of the real kesto against the real kesto-sim.
#   kesto_e2e.sh loopback CASE BIN_DIR DATA_DIR   kesto --broadcast 127.0.0.1 --port N
#   kesto_e2e.sh lab CASE BIN_DIR DATA_DIR          default target, inside two test namespaces
# CASE: list | junk | watch | set | set_refused | set_unconfirmed | set_address | many | marks | unicast | apply | bound
#       | hostile | options | sim_input (loopback only) | noroute (lab only).
# Exits 0 on success, 1 on failure, 77 when the lab cannot be made (CTest: skipped).
# Every wait is bounded; nothing is sent outside loopback or the test's namespaces.
set -uo pipefail

mode=$1 case=$2 bin=$3 data=$4
work=$(mktemp -d /tmp/kesto-e2e.XXXXXX)
# What kesto logs of the settings it sends stays in the test's folder.
export XDG_STATE_HOME=$work/state
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
# shellcheck source=scripts/lib/wait_for.sh
. "$(dirname "$0")/../../scripts/lib/wait_for.sh"

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

# FILE's lines less the note about a short receive buffer, which depends on the
# machine's net.core.rmem_max rather than on the devices.
errors_in() { grep -v '^kesto: note: the receive buffer holds' "$1"; }
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
    # shellcheck source=scripts/lib/lab_netns.sh
    . "$(dirname "$0")/../../scripts/lib/lab_netns.sh"
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
  errors_in "$work/err.txt" >/dev/null && fail "list wrote to stderr: $(cat "$work/err.txt")"
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
  errors_in "$work/watch.err" >/dev/null && fail "watch wrote to stderr: $(cat "$work/watch.err")"
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
    $'--name|a\eb|control character 0x1B'
    $'--name|a\x7f|control character 0x7F'
    $'--name|a\xc2\x9bb|control character 0x9B'
  )
  local before entry option value expect status
  for entry in "${refused[@]}"; do
    IFS='|' read -r option value expect <<<"$entry"
    before=$(sim_lines)
    kesto set "$mac" "$option" "$value" >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "set $option '$value' exited $status, not 2"
    grep -q -- "$expect" "$work/err.txt" || fail "message for $option '$value' does not name it: $(cat "$work/err.txt")"
    LC_ALL=C grep -q $'[\x01-\x09\x0b-\x1f\x7f]\|\xc2[\x80-\x9f]' "$work/err.txt" && fail "the message for $option quotes a raw control character"
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
  # The simulator's default bound per source covers every device it plays: a plain list hears them all.
  start_sim --count 2000 --seed 7
  # Three probes: on a busy machine answers a starved client drops come again with the next.
  kesto list --json --wait 3500 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?: $(cat "$work/err.txt")"
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
  [ "$(errors_in "$work/err.txt")" = "kesto: warning: 10.9.8.7 is reported by more than one device: 02-00-00-00-0D-01 02-00-00-00-0D-03" ] ||
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

# Plans: the list's own CSV back as a plan, an edit of it, backup and restore, a refused plan, an ignored set.
case_apply() {
  [ "$mode" = loopback ] || fail "apply runs over loopback only"
  start_sim --from "$known"
  local status
  kesto list --csv --wait 300 >"$work/list.csv" 2>/dev/null || fail "list --csv exited $?"
  # The odd device's type 9 and protocol -3 pass: it already holds them.
  kesto apply "$work/list.csv" --wait 1000 >"$work/plan.txt" 2>"$work/err.txt" ||
    fail "the list as a plan exited $?: $(cat "$work/err.txt")"
  grep -q '^nothing to change: 3 devices already hold these settings, 0 not found$' "$work/plan.txt" ||
    fail "the list as a plan: $(cat "$work/plan.txt")"
  sed 's/^Lobby,/"Lobby, east",/; s/^Boiler Room,\(.*\),RS232,9600,/Boiler Room,\1,RS485,19200,/' "$work/list.csv" >"$work/edit.csv"
  kesto apply "$work/edit.csv" --wait 1000 >"$work/plan.txt" 2>&1
  status=$?
  [ $status -eq 10 ] || fail "a pending plan exited $status, not 10: $(cat "$work/plan.txt")"
  grep -q '^00-1A-2B-3C-4D-5E  protocol: RS232 -> RS485, baud: 9600 -> 19200$' "$work/plan.txt" &&
    grep -q '^02-00-00-00-00-01  name: "Lobby" -> "Lobby, east"$' "$work/plan.txt" || fail "plan lines: $(cat "$work/plan.txt")"
  grep -q '^set ' "$sim_log" && fail "a preview sent something"
  kesto apply "$work/edit.csv" --yes --wait 1000 >"$work/report.txt" 2>"$work/err.txt" ||
    fail "apply --yes exited $?: $(cat "$work/err.txt")"
  grep -q '^3 devices: 2 confirmed, 1 unchanged$' "$work/report.txt" || fail "report: $(cat "$work/report.txt")"
  [ "$(grep -c '^set ' "$sim_log")" -eq 2 ] || fail "expected two set datagrams: $(grep '^set ' "$sim_log")"
  # Only protocol and baud changed; every other byte went back as the device sent it.
  local expected got
  expected="07000000 0a01a8c0 00ffffff 0101a8c0 0101a8c0 001a2b3c4d5e"
  expected+=426f696c657220526f6f6d$(printf '00%.0s' $(seq 17))10270000
  expected+=4b53542d322e342e31$(printf '00%.0s' $(seq 27))"05 00 0100 004b 00000000"
  expected=${expected// /}
  got=$(logged_set 00-1A-2B-3C-4D-5E applied)
  [ "$got" = "$expected" ] || fail "apply datagram differs:
expected $expected
got      $got"
  # The JSON list is a plan too: applied unchanged it changes nothing.
  kesto list --json --wait 300 >"$work/list.json" 2>/dev/null || fail "list --json exited $?"
  kesto apply "$work/list.json" --wait 1000 >"$work/plan.txt" 2>"$work/err.txt" ||
    fail "the JSON list as a plan exited $?: $(cat "$work/err.txt")"
  grep -q '^nothing to change: 3 devices' "$work/plan.txt" || fail "the JSON list as a plan: $(cat "$work/plan.txt")"
  # --output: a link planted at the old temporary name is not followed; a file made while
  # the answers come in is not replaced without --force, and the reason is named.
  echo precious >"$work/victim"
  ln -s "$work/victim" "$work/b.json.tmp"
  kesto backup --wait 300 --output "$work/b.json" 2>/dev/null || fail "backup --output exited $?"
  [ "$(cat "$work/victim")" = precious ] || fail "backup wrote through a planted link"
  grep -q '"format": "kesto-backup"' "$work/b.json" || fail "backup --output: $(head -3 "$work/b.json")"
  rm -f "$work/b.json"
  kesto backup --wait 1500 --output "$work/b.json" 2>"$work/err.txt" &
  local backup_pid=$!
  sleep 0.3
  echo mine >"$work/b.json"
  wait "$backup_pid"
  status=$?
  [ $status -eq 2 ] || fail "backup over a file made meanwhile exited $status, not 2"
  [ "$(cat "$work/b.json")" = mine ] || fail "backup replaced a file made meanwhile"
  grep -q 'exists; give --force' "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
  kesto backup --wait 300 --output "$work/no/such/dir.json" 2>"$work/err.txt"
  grep -q 'cannot write .*: No such file or directory' "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
  # A backup restored onto the same devices changes nothing; onto changed ones it writes them back.
  kesto backup --wait 300 >"$work/backup.json" 2>/dev/null || fail "backup exited $?"
  grep -q '"format": "kesto-backup"' "$work/backup.json" || fail "backup: $(head -5 "$work/backup.json")"
  kesto restore "$work/backup.json" --yes --wait 1000 >"$work/report.txt" 2>&1 || fail "restore exited $?"
  grep -q '^nothing to change: 3 devices' "$work/report.txt" || fail "restore: $(cat "$work/report.txt")"
  kesto set 02-00-00-00-00-01 --ip 10.0.0.99 >/dev/null || fail "set exited $?"
  kesto restore "$work/backup.json" --yes --json --wait 1000 >"$work/report.json" 2>&1 || fail "restore back exited $?"
  grep -q '"result": "confirmed"' "$work/report.json" || fail "restore back: $(cat "$work/report.json")"
  # A plan that would make two devices share an address sends no settings (it asks who holds what).
  local before
  before=$(grep -c '^set ' "$sim_log")
  printf 'mac,ip,gateway\r\n02-00-00-00-00-01,10.0.0.7,\r\n00-1A-2B-3C-4D-5E,10.0.0.7,10.0.0.1\r\n' >"$work/bad.csv"
  kesto apply "$work/bad.csv" --yes >/dev/null 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "a plan giving one address twice exited $status, not 2"
  grep -q 'would give an address to more than one device' "$work/err.txt" || fail "message: $(cat "$work/err.txt")"
  [ "$(grep -c '^set ' "$sim_log")" -eq "$before" ] || fail "a refused plan sent settings"
  # A device that ignores its settings is named in the report, and the exit code says so.
  stop_sim
  start_sim --from "$known" --ignore-set
  printf 'mac,name\n02-00-00-00-00-01,Ignored\n02-00-00-00-00-77,Absent\n' >"$work/ignored.csv"
  kesto apply "$work/ignored.csv" --yes --wait 800 >"$work/report.txt" 2>&1
  status=$?
  [ $status -eq 3 ] || fail "an ignored plan exited $status, not 3: $(cat "$work/report.txt")"
  grep -qE '^02-00-00-00-00-01 +Lobby +not confirmed: 127.0.0.1:[0-9]+ did not answer with the new values$' "$work/report.txt" &&
    grep -qE '^02-00-00-00-00-77 +not found$' "$work/report.txt" || fail "report: $(cat "$work/report.txt")"
  return 0
}

# The simulator's bound per source, over real sockets: one request from kesto draws
# no more records than the budget, and the rest is logged as held back.
case_bound() {
  [ "$mode" = loopback ] || fail "bound runs over loopback only"
  start_sim --count 50 --per-source-rate 20
  grep -q 'note: 50 devices but --per-source-rate 20' "$sim_log" || fail "no note of the bound at start"
  kesto list --json --wait 500 >"$work/list.json" 2>/dev/null || fail "list exited $?"
  local listed
  listed=$(grep -c '"mac"' "$work/list.json")
  [ "$listed" -eq 20 ] || fail "one request drew $listed records, not 20"
  grep -q '^discover from 127\.0\.0\.1:[0-9]* answered 20 dropped 0 limited 30$' "$sim_log" ||
    fail "the simulator did not log the records it held back"
  return 0
}

# No control byte but the line end, and no C1 character in UTF-8 (C2 80-9F), in FILE.
no_control_bytes() {
  LC_ALL=C grep -q $'[\x01-\x09\x0b-\x1f\x7f]' "$1" && fail "$2 holds a control character: $(od -c "$1" | head)"
  LC_ALL=C grep -qP '\xc2[\x80-\x9f]' "$1" && fail "$2 holds a C1 character"
  return 0
}

# Devices answering with escape sequences, line ends, tabs, C1 bytes, Latin-1 that is
# no UTF-8, formula starts, a NUL inside and full fields without NUL: one per device.
case_hostile() {
  [ "$mode" = loopback ] || fail "hostile runs over loopback only"
  local hostile=$data/hostile_devices.json
  start_sim --from "$hostile"
  kesto list --wait 600 >"$work/table.txt" 2>"$work/err.txt" || fail "list exited $?"
  diff -u "$data/expected_hostile_table.txt" "$work/table.txt" || fail "table differs"
  [ "$(wc -l <"$work/table.txt")" -eq 11 ] || fail "a device added a line to the table"
  no_control_bytes "$work/table.txt" table
  [ -s "$work/err.txt" ] && fail "list wrote to stderr: $(cat "$work/err.txt")"

  # watch: one line of six tab-separated fields per device, none forged.
  kesto watch --duration 600 >"$work/watch.txt" || fail "watch exited $?"
  [ "$(wc -l <"$work/watch.txt")" -eq 10 ] || fail "watch printed $(wc -l <"$work/watch.txt") lines for 10 devices"
  awk -F'\t' 'NF != 6 || $1 != "added" { exit 1 }' "$work/watch.txt" || fail "a watch line has a forged field"
  # Its columns are the table's, tab-separated.
  tail -n +2 "$work/table.txt" | cut -c1-34 | sed 's/ *$//' >"$work/names.expected"
  cut -f2 "$work/watch.txt" >"$work/names.txt"
  diff -u "$work/names.expected" "$work/names.txt" || fail "watch names differ from the table's"
  # Past the separating tabs, nothing but text.
  tr -d '\t' <"$work/watch.txt" >"$work/watch.untabbed"
  no_control_bytes "$work/watch.untabbed" "watch output"
  kesto watch --json --duration 600 >"$work/watch.json" || fail "watch --json exited $?"
  LC_ALL=C grep -q $'[\x01-\x09\x0b-\x1f\x7f-\xff]' "$work/watch.json" && fail "watch --json is not plain ASCII"

  kesto list --csv --wait 300 >"$work/list.csv" || fail "list --csv exited $?"
  cmp -s "$data/expected_hostile.csv" "$work/list.csv" || fail "CSV differs: $(od -c "$work/list.csv" | head -30)"

  # JSON: plain ASCII, and it carries every byte: a simulator reading it answers the same.
  kesto list --json --wait 300 >"$work/list.json" || fail "list --json exited $?"
  LC_ALL=C grep -q $'[\x01-\x09\x0b-\x1f\x7f-\xff]' "$work/list.json" && fail "list --json is not plain ASCII"
  grep -qF '"name": "\u001b[2J\u001b]0;owned\u0007"' "$work/list.json" || fail "JSON does not escape ESC"
  grep -qF '"name": "\u009b2J \u0085"' "$work/list.json" || fail "JSON does not escape C1"
  stop_sim
  start_sim --from "$work/list.json"
  kesto list --json --wait 300 >"$work/again.json" || fail "second list --json exited $?"
  diff -u <(senders_as_placeholder <"$work/list.json") <(senders_as_placeholder <"$work/again.json") ||
    fail "the JSON form lost bytes"
  return 0
}

# Every number on the command line is decimal: leading zeros are decimal, other bases,
# signs, exponents and blanks exit 2 with a message naming the option, and nothing is sent.
case_options() {
  [ "$mode" = loopback ] || fail "options runs over loopback only"
  start_sim --from "$known"
  local port=${target[3]}
  # command | option | value (each refused)
  local refused=(
    "list|--wait|0x50" "list|--wait|1e3" "list|--wait|+5" "list|--wait| 5" "list|--wait|-1" "list|--wait|86400001"
    "list|--port|0x50" "list|--port|0b1" "list|--port|65536" "list|--port|0" "list|--port|" "list|--port|1.0"
    "watch|--duration|0x10" "watch|--age-limit|0x1000" "watch|--age-limit|1999" "watch|--port|+1444"
    "set|--wait|1e3" "set|--port|0x5a4" "open|--wait|0b11" "open|--port|5e2"
    "apply|--parallel|0x10" "apply|--parallel|+9" "apply|--parallel|0" "apply|--parallel|257" "restore|--parallel|1e1"
    "backup|--wait|0x10"
  )
  local before entry command option value status
  for entry in "${refused[@]}"; do
    IFS='|' read -r command option value <<<"$entry"
    before=$(sim_lines)
    local args=("$command")
    [ "$command" = set ] && args+=(02-00-00-00-00-01 --name x)
    [ "$command" = open ] && args+=(02-00-00-00-00-01 --print)
    [ "$command" = apply ] || [ "$command" = restore ] && args+=("$known")
    timeout 30 "${kesto_cmd[@]}" "${args[@]}" --broadcast 127.0.0.1 "$option" "$value" >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "$command $option '$value' exited $status, not 2"
    grep -q -- "$option" "$work/err.txt" || fail "message for $command $option '$value' does not name it: $(cat "$work/err.txt")"
    [ -s "$work/out.txt" ] && fail "$command $option '$value' wrote to stdout"
    [ "$(sim_lines)" -eq "$before" ] || fail "$command $option '$value' sent something"
  done
  # Leading zeros are decimal: 0PORT is PORT, 0300 is 300.
  timeout 30 "${kesto_cmd[@]}" list --broadcast 127.0.0.1 --port "00$port" --wait 0300 --json >"$work/list.json" ||
    fail "list with leading zeros exited $?"
  diff -u "$expected_list" <(senders_as_placeholder <"$work/list.json") || fail "--port 00$port did not reach the simulator"
  stop_sim

  # kesto-sim: refused values exit 2 before anything listens.
  local sim_refused=("--count|010x" "--count|0x10" "--count|65536" "--count|-1" "--port|0x50" "--port|65536"
                     "--seed|1e3" "--seed|4294967296" "--seed|-1" "--drop|nan" "--drop|inf" "--drop|1.5" "--drop|1e-1"
                     "--per-source-rate|0x10" "--per-source-rate|+9" "--per-source-rate|100000001")
  for entry in "${sim_refused[@]}"; do
    IFS='|' read -r option value <<<"$entry"
    timeout 10 "$bin/kesto-sim" --bind 127.0.0.1 "$option" "$value" >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "kesto-sim $option '$value' exited $status, not 2"
    grep -q -- "$option" "$work/err.txt" || fail "kesto-sim message for $option '$value': $(cat "$work/err.txt")"
    grep -q listening "$work/out.txt" && fail "kesto-sim $option '$value' started"
  done
  # Accepted: a leading zero is decimal, the full seed range, a plain fraction.
  start_sim --count 010 --seed 4294967295 --drop 0.0 --per-source-rate 08
  grep -q ', 10 devices$' "$sim_log" || fail "--count 010 did not make 10 devices: $(head -1 "$sim_log")"
  grep -q 'per-source-rate 8:' "$sim_log" || fail "--per-source-rate 08 was not read as 8: $(cat "$sim_log")"
  return 0
}

# Device files the simulator refuses, each with exit 2 and a reason naming the file.
case_sim_input() {
  [ "$mode" = loopback ] || fail "sim_input runs over loopback only"
  local dir=$work/files
  mkdir -p "$dir/a-directory"
  truncate -s $((16 * 1024 * 1024 + 1)) "$dir/oversize.json"
  { printf '[{"mac":'; head -c 1000000 /dev/zero | tr '\0' '['; } >"$dir/deep.json"
  printf '[{"mac":"02-00-00-00-00-01","name":{"deep":1}}]' >"$dir/nested-value.json"
  printf '[[{"mac":"02-00-00-00-00-01"}]]' >"$dir/array-in-array.json"
  awk 'BEGIN { printf "["; for (i = 0; i < 65536; i++) printf "%s{}", (i ? "," : ""); printf "]" }' >"$dir/too-many.json"
  printf '[{"mac":"02-00-00-00-00-01","port":18446744073709551615}]' >"$dir/port-wraps.json"
  printf '[{"mac":"02-00-00-00-00-01","port":2147483648}]' >"$dir/port-over.json"
  printf '[{"mac":"02-00-00-00-00-01","type":128}]' >"$dir/type-over.json"
  printf '[{"mac":"02-00-00-00-00-01","baud":65536}]' >"$dir/baud-over.json"
  printf '[{"mac":"02-00-00-00-00-01","baud":115200.0}]' >"$dir/baud-float.json"
  printf '[{"mac":"02-00-00-00-00-01","reserved1":-1}]' >"$dir/reserved-under.json"
  printf '[{"mac":"02-00-00-00-00-01","port":NaN}]' >"$dir/nan.json"
  printf '[{"mac":"02-00-00-00-00-01","port":1e400}]' >"$dir/huge-float.json"
  printf '[{"mac":"02-00-00-00-00-01","port":99999999999999999999999}]' >"$dir/huge-integer.json"
  printf '[{"mac":"02-00-00-00-00-01","port":"80"}]' >"$dir/port-text.json"
  printf '[{"mac":"02-00-00-00-00-01","port":true}]' >"$dir/port-bool.json"
  printf '[{"mac":"02-00-00-00-00-01","name":5}]' >"$dir/name-number.json"
  printf '[{"mac":1}]' >"$dir/mac-number.json"
  printf '{"mac":"02-00-00-00-00-01"}' >"$dir/not-array.json"
  printf '[{"mac":"02-00-00-00-00-01"},7]' >"$dir/device-number.json"
  # file | text the message must hold
  local refused=(
    "a-directory|is a directory"
    "oversize.json|larger than 16 MiB"
    "deep.json|nesting deeper"
    "nested-value.json|nesting deeper"
    "array-in-array.json|device 1: a device must be a JSON object"
    "too-many.json|more than 65535 devices"
    "port-wraps.json|device 1: \"port\" must be a whole number"
    "port-over.json|device 1: \"port\" must be a whole number"
    "type-over.json|\"type\" must be a whole number from -128 to 127"
    "baud-over.json|\"baud\" must be a whole number from 0 to 65535"
    "baud-float.json|\"baud\" must be a whole number"
    "reserved-under.json|\"reserved1\" must be a whole number"
    "nan.json|not valid JSON"
    "huge-float.json|not valid JSON"
    "huge-integer.json|\"port\" must be a whole number"
    "port-text.json|\"port\" must be a whole number"
    "port-bool.json|\"port\" must be a whole number"
    "name-number.json|\"name\" must be a text"
    "mac-number.json|\"mac\" must be given"
    "not-array.json|not a JSON array"
    "device-number.json|device 2: a device must be a JSON object"
  )
  local entry file expect status
  for entry in "${refused[@]}"; do
    IFS='|' read -r file expect <<<"$entry"
    timeout 20 "$bin/kesto-sim" --bind 127.0.0.1 --port 0 --from "$dir/$file" >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "--from $file exited $status, not 2: $(head -c 300 "$work/err.txt")"
    grep -qF -- "$dir/$file: " "$work/err.txt" || fail "the message for $file does not name it: $(head -c 300 "$work/err.txt")"
    grep -qF -- "$expect" "$work/err.txt" || fail "the message for $file lacks '$expect': $(head -c 300 "$work/err.txt")"
  done
  # The cap is on devices, not on the file: 65535 are read (and then refused for their missing MAC).
  awk 'BEGIN { printf "["; for (i = 0; i < 65535; i++) printf "%s{}", (i ? "," : ""); printf "]" }' >"$dir/at-cap.json"
  timeout 20 "$bin/kesto-sim" --bind 127.0.0.1 --port 0 --from "$dir/at-cap.json" >/dev/null 2>"$work/err.txt"
  grep -qF 'device 1: "mac" must be given' "$work/err.txt" || fail "65535 devices were refused: $(cat "$work/err.txt")"
  return 0
}

# The address rule on every sending path of the command line: what would leave a device
# unreachable is refused (exit 2, nothing sent) unless --force; what a device already
# holds never blocks a change of something else.
case_set_address() {
  cat >"$work/two.json" <<'JSON'
[{"mac":"02-00-00-0A-00-01","name":"A","ip":"10.0.0.5","netmask":"255.255.255.0","gateway":"10.0.0.1","type":1},
 {"mac":"02-00-00-0A-00-02","name":"B","ip":"10.0.0.6","netmask":"0.0.0.0","gateway":"192.168.9.1","type":1}]
JSON
  start_sim --from "$work/two.json"
  local a=02-00-00-0A-00-01 b=02-00-00-0A-00-02 entry option value expect status
  # option | value | text the message must hold
  local refused=(
    "--netmask|255.0.255.0|net mask 255.0.255.0 is not a valid mask"
    "--gateway|10.1.0.1|gateway 10.1.0.1 lies outside"
    "--ip|10.0.0.6|already used by B (02-00-00-0A-00-02)"
    "--ip|0.0.0.0|gateway 10.0.0.1 lies outside the device's network 0.0.0.0"
    "--ip|255.255.255.255|gateway 10.0.0.1 lies outside the device's network 255.255.255.0"
  )
  for entry in "${refused[@]}"; do
    IFS='|' read -r option value expect <<<"$entry"
    kesto set "$a" "$option" "$value" --wait 1500 >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "set $option $value exited $status, not 2"
    grep -q -- "$expect.* Nothing was sent; --force sends it anyway" "$work/err.txt" ||
      fail "set $option $value: $(cat "$work/err.txt")"
    grep -q "^set " "$sim_log" && fail "set $option $value sent something"
  done
  # B's own mask and gateway stay as they are: renaming it is no address change.
  kesto set "$b" --name Renamed --wait 1500 >"$work/out.txt" 2>"$work/err.txt" ||
    fail "renaming a device with a bad mask exited $?: $(cat "$work/err.txt")"
  [ "$(cat "$work/out.txt")" = "confirmed $b" ] || fail "rename printed $(cat "$work/out.txt")"

  printf 'mac,netmask\n%s,255.0.255.0\n' "$a" >"$work/plan.csv"
  for yes in "" --yes; do
    kesto apply "$work/plan.csv" $yes --wait 1500 >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 2 ] || fail "apply $yes of a bad mask exited $status, not 2"
    grep -q "^warning: $a: The net mask 255.0.255.0" "$work/out.txt" || fail "apply $yes: $(cat "$work/out.txt")"
    grep -q "nothing sent; --force sends them anyway" "$work/err.txt" || fail "apply $yes: $(cat "$work/err.txt")"
  done
  grep -q "^set $a" "$sim_log" && fail "a refused plan sent something"
  kesto apply "$work/plan.csv" --yes --force --wait 1500 >"$work/out.txt" 2>"$work/err.txt" ||
    fail "apply --force exited $?: $(cat "$work/err.txt")"
  grep -q "^1 device: 1 confirmed$" "$work/out.txt" || fail "apply --force: $(cat "$work/out.txt")"
  kesto set "$a" --gateway 11.0.0.1 --force --wait 1500 >"$work/out.txt" 2>"$work/err.txt" ||
    fail "set --force exited $?: $(cat "$work/err.txt")"
  grep -q "Sent anyway (--force)" "$work/err.txt" || fail "set --force gave no warning: $(cat "$work/err.txt")"

  # The report names a renamed device by its new name.
  printf 'mac,name\n%s,Alpha\n' "$a" >"$work/rename.csv"
  kesto apply "$work/rename.csv" --yes --wait 1500 >"$work/out.txt" 2>"$work/err.txt" || fail "rename exited $?"
  grep -qE "^$a +Alpha +confirmed$" "$work/out.txt" || fail "the report: $(cat "$work/out.txt")"
  # A plan whose devices do not answer: exit 4 with and without --yes.
  printf 'mac,name\n02-00-00-0A-00-77,Ghost\n' >"$work/ghost.csv"
  for yes in "" --yes; do
    kesto apply "$work/ghost.csv" $yes --wait 500 >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ $status -eq 4 ] || fail "apply $yes of a ghost exited $status, not 4"
  done
  # A backup is not a plan: apply says which command takes it.
  kesto backup --wait 500 >"$work/backup.json" 2>/dev/null || fail "backup exited $?"
  kesto apply "$work/backup.json" --wait 500 >"$work/out.txt" 2>"$work/err.txt"
  status=$?
  [ $status -eq 2 ] || fail "apply of a backup exited $status, not 2"
  grep -q "is a backup written by kesto backup, not a plan: \`kesto restore" "$work/err.txt" ||
    fail "apply of a backup: $(cat "$work/err.txt")"
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
