#!/usr/bin/env bash
# kesto doctor, and the hint of an empty listing, inside network namespaces the test makes and removes.
#   doctor.sh CASE BIN_DIR
# CASE: firewall | subnet | down | shared.
#   firewall: a desktop-shaped ruleset in the client namespace (input policy drop, loopback
#             and established traffic allowed) drops every answer; list is empty and says
#             why, doctor names the firewall and prints a rule; with that rule the devices
#             are listed and the doctor is content.
#   subnet:   the client's two links on one subnet: the doctor warns.
#   down:     one of the client's links down: the doctor warns and still counts the other's devices.
#   shared:   two devices on one address (the factory-default case): the doctor points to the fix.
# Exits 0 on success, 1 on failure, 77 when namespaces cannot be made (CTest: skipped).
set -uo pipefail

case=$1 bin=$2
# shellcheck source=scripts/lib/lab_test.sh
. "$(dirname "$0")/../../scripts/lib/lab_test.sh"
if [ "$case" = firewall ] || [ "$case" = shared ]; then topology=lab; else topology=lab2; fi
lab_test_begin "doctor/$case" "$topology" "d$$"
if [ "$topology" = lab ]; then cli=$LAB_CLI; else cli=$LAB2_CLI; fi

device() {  # MAC NAME IP
  printf '{"mac":"%s","name":"%s","ip":"%s","netmask":"255.255.255.0","port":10000,"version":"1.0","type":2}' "$@"
}

# kesto ARGS...: the client's kesto, bounded in time; never run outside the namespace.
kesto() { timeout 30 ip netns exec "$cli" "$bin/kesto" "$@"; }
devices_in() { grep -c '"mac"' "$1"; }

case_firewall() {
  command -v nft >/dev/null || { echo "SKIP: nft is not installed"; exit 77; }
  echo "[$(device 02-00-00-0D-00-01 one $LAB_SUBNET.11),$(device 02-00-00-0D-00-02 two $LAB_SUBNET.12),$(
    device 02-00-00-0D-00-03 three $LAB_SUBNET.13)]" >"$work/devices.json"
  lab_start_sim s "$LAB_SIM" 120 --from "$work/devices.json"
  kesto list --json --wait 1000 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?"
  [ "$(devices_in "$work/list.json")" -eq 3 ] || fail "without a firewall: $(cat "$work/list.json")"
  grep -q 'kesto doctor' "$work/err.txt" && fail "a listing with devices hinted: $(cat "$work/err.txt")"
  ip netns exec "$cli" nft -f - <<'NFT' || fail "the ruleset cannot be loaded"
table inet desk {
  chain input {
    type filter hook input priority 0; policy drop;
    iif lo accept
    ct state established,related accept
  }
}
NFT
  kesto list --json --wait 1000 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?"
  [ "$(devices_in "$work/list.json")" -eq 0 ] || fail "the firewall let answers in: $(cat "$work/list.json")"
  grep -q '^kesto: no device answered within 1000 ms; .*firewall.*run `kesto doctor`' "$work/err.txt" ||
    fail "list gave no hint: $(cat "$work/err.txt")"
  kesto watch --duration 500 >/dev/null 2>"$work/err.txt" || fail "watch exited $?"
  grep -q 'run `kesto doctor`' "$work/err.txt" || fail "watch gave no hint: $(cat "$work/err.txt")"

  # Without root the rules cannot be read: the doctor says so and what to run.
  if command -v setpriv >/dev/null; then
    timeout 30 ip netns exec "$cli" setpriv --reuid=65534 --regid=65534 --clear-groups "$bin/kesto" doctor \
      --wait 300 >"$work/doctor.txt" 2>"$work/err.txt"
    grep -q '^unknown  firewall  the firewall rules cannot be read without root' "$work/doctor.txt" &&
      grep -q 'fix: sudo kesto doctor' "$work/doctor.txt" || fail "doctor without root: $(cat "$work/doctor.txt")"
  fi
  kesto doctor --wait 800 >"$work/doctor.txt" 2>"$work/err.txt"
  local status=$?
  [ $status -eq 1 ] || fail "doctor exited $status with a dropping firewall: $(cat "$work/doctor.txt")"
  grep -q '^problem  firewall  the firewall drops .*table inet desk, chain input (policy drop)' "$work/doctor.txt" ||
    fail "doctor did not name the firewall: $(cat "$work/doctor.txt")"
  grep -q '^problem  probe     no device answered' "$work/doctor.txt" || fail "probe line: $(cat "$work/doctor.txt")"
  local rule
  rule=$(sed -n 's/^ *fix: \(nft insert rule .*\)$/\1/p' "$work/doctor.txt" | head -n 1)
  [ "$rule" = "nft insert rule inet desk input udp sport 1444 accept" ] || fail "doctor's rule: $rule"
  # shellcheck disable=SC2086  # the printed rule is run as the user would type it
  ip netns exec "$cli" $rule || fail "the printed rule does not load: $rule"

  kesto list --json --wait 1000 >"$work/list.json" 2>"$work/err.txt" || fail "list exited $?"
  [ "$(devices_in "$work/list.json")" -eq 3 ] || fail "with the rule: $(cat "$work/list.json")"
  kesto doctor --json --wait 800 >"$work/doctor.json" 2>"$work/err.txt" ||
    fail "doctor exited $? with the rule: $(cat "$work/doctor.json")"
  python3 - "$work/doctor.json" <<'PY' || fail "doctor JSON: $(cat "$work/doctor.json")"
import json, sys
report = json.load(open(sys.argv[1]))
assert report["ok"] is True
firewall = [c for c in report["checks"] if c["area"] == "firewall"]
assert firewall[0]["verdict"] == "ok", firewall
assert any(c["area"] == "probe" and c["text"].startswith("3 devices answered") for c in report["checks"])
PY
  # The doctor sent what a listing sends: requests only, no other datagram reached the device.
  grep -v -e '^discover from ' -e 'listening on' "$work/sim_s.log" && fail "the doctor sent something else"
  return 0
}

case_subnet() {
  echo "[$(device 02-00-00-0D-00-01 one $LAB2_A_SUBNET.11)]" >"$work/a.json"
  lab_start_sim a "$LAB2_A" 120 --from "$work/a.json"
  # The second link gets an address on the first one's subnet too.
  ip -n "$cli" addr del "$LAB2_B_SUBNET.1/24" dev "$LAB2_LINK_B" &&
    ip -n "$cli" addr add "$LAB2_A_SUBNET.3/24" dev "$LAB2_LINK_B" || fail "cannot readdress link B"
  kesto doctor --wait 800 >"$work/doctor.txt" 2>"$work/err.txt"
  [ $? -eq 1 ] || fail "doctor exited 0 with two links on one subnet: $(cat "$work/doctor.txt")"
  grep -q "^warning  adapter   $LAB2_LINK_A and $LAB2_LINK_B are on one subnet ($LAB2_A_SUBNET.0/24)" \
    "$work/doctor.txt" || fail "no warning: $(cat "$work/doctor.txt")"
  grep -q 'fix: .*--interface' "$work/doctor.txt" || fail "no fix: $(cat "$work/doctor.txt")"
  return 0
}

case_down() {
  echo "[$(device 02-00-00-0D-00-01 one $LAB2_A_SUBNET.11),$(device 02-00-00-0D-00-02 two $LAB2_A_SUBNET.12)]" \
    >"$work/a.json"
  lab_start_sim a "$LAB2_A" 120 --from "$work/a.json"
  ip -n "$cli" link set "$LAB2_LINK_B" down || fail "cannot take link B down"
  kesto doctor --wait 800 >"$work/doctor.txt" 2>"$work/err.txt"
  [ $? -eq 1 ] || fail "doctor exited 0 with a link down: $(cat "$work/doctor.txt")"
  grep -q "^warning  adapter   $LAB2_LINK_B $LAB2_B_SUBNET.1/24 is down" "$work/doctor.txt" ||
    fail "no warning: $(cat "$work/doctor.txt")"
  grep -q "fix: .*ip link set $LAB2_LINK_B up" "$work/doctor.txt" || fail "no fix: $(cat "$work/doctor.txt")"
  grep -q "^ok       probe     $LAB2_LINK_A $LAB2_A_SUBNET.0/24: 2 devices on its subnet" "$work/doctor.txt" ||
    fail "link A's count: $(cat "$work/doctor.txt")"
  return 0
}

case_shared() {
  echo "[$(device 02-00-00-0D-00-01 one $LAB_SUBNET.99),$(device 02-00-00-0D-00-02 two $LAB_SUBNET.99),$(
    device 02-00-00-0D-00-03 three $LAB_SUBNET.13)]" >"$work/devices.json"
  lab_start_sim s "$LAB_SIM" 120 --from "$work/devices.json"
  kesto doctor --wait 800 >"$work/doctor.txt" 2>"$work/err.txt"
  [ $? -eq 1 ] || fail "doctor exited 0 with a shared address: $(cat "$work/doctor.txt")"
  grep -q "^problem  probe     $LAB_SUBNET.99 is held by several devices (02-00-00-0D-00-01, 02-00-00-0D-00-02)" \
    "$work/doctor.txt" || fail "no shared-address line: $(cat "$work/doctor.txt")"
  grep -q 'fix: .*kesto apply --assign-ip' "$work/doctor.txt" || fail "no fix: $(cat "$work/doctor.txt")"
  grep -q 'the form for several devices' "$work/doctor.txt" || fail "no pointer to the form: $(cat "$work/doctor.txt")"
  return 0
}

"case_$case" && echo "PASS [doctor/$case]"
