#!/usr/bin/env bash
# kesto apply, backup and restore over 200 simulated devices, inside network
# namespaces the test makes and removes.
#   bulk.sh CASE BIN_DIR
# CASE: apply | assign | restore | faults.
# Uses the two-subnet lab: simulator A answers on the client's link with the
# default route, simulator B on the second link (reached by its directed broadcast).
# Prints the wall time of each apply run. Exits 0 on success, 1 on failure,
# 77 when namespaces cannot be made (CTest: skipped). Every wait and every kesto
# run is bounded; nothing leaves the test's namespaces.
set -uo pipefail
exec 3>&1  # the timings reach the log whatever the timed command's output goes to

case=$1 bin=$2
# shellcheck source=scripts/lib/lab_test.sh
. "$(dirname "$0")/../../scripts/lib/lab_test.sh"
lab_test_begin "bulk/$case" lab2 "b$$"

# devices FILE PREFIX COUNT: COUNT devices with MACs 02-00-00-PREFIX-00-01.., as kesto-sim --from reads them.
devices() {
  python3 - "$@" <<'PY'
import json, sys
path, prefix, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
json.dump([{"mac": "02-00-00-%s-%02X-%02X" % (prefix, i >> 8, i & 255), "name": "Dev %s %d" % (prefix, i),
            "ip": "10.50.%d.%d" % (i >> 8, i & 255), "netmask": "255.255.0.0", "port": 10000, "version": "1.0",
            "type": 2, "baud": 9600} for i in range(1, count + 1)], open(path, "w"))
PY
}

# One client asks for hundreds of records a second here, so the per-source bound is lifted.
start_sim() {  # NAME NAMESPACE ARGS...
  local name=$1 ns=$2
  shift 2
  lab_start_sim "$name" "$ns" 150 --per-source-rate 0 "$@"
}

kesto() { timeout 60 ip netns exec "$LAB2_CLI" "$bin/kesto" "$@"; }

# timed LABEL COMMAND...: runs it, prints its wall time, keeps its status in $status.
timed() {
  local label=$1 start end
  shift
  start=$(date +%s%N)
  "$@"
  status=$?
  end=$(date +%s%N)
  echo "bulk/$case: $label took $(((end - start) / 1000000)) ms (exit $status)" >&3
}

# MACs named by set-configuration datagrams a simulator applied or ignored (not the unknown ones).
set_macs() { sed -n 's/^set \([0-9A-F-]*\) \(applied\|ignored\) .*/\1/p' "$work/sim_$1.log" | sort -u; }

case_apply() {
  devices "$work/a.json" 0A 200
  devices "$work/b.json" 0B 5
  start_sim a "$LAB2_A" --from "$work/a.json"
  start_sim b "$LAB2_B" --from "$work/b.json"
  kesto list --csv --wait 1500 >"$work/list.csv" 2>/dev/null || fail "list exited $?"
  [ "$(grep -c '^Dev 0A' "$work/list.csv")" -eq 200 ] || fail "listed $(grep -c '^Dev 0A' "$work/list.csv") of 200"
  # A plan of the 200 A devices, renamed, in the list's own columns.
  { head -n 1 "$work/list.csv"; grep '^Dev 0A' "$work/list.csv" | sed 's/^Dev 0A/Renamed/'; } >"$work/plan.csv"
  timed "apply of 200 rows" kesto apply "$work/plan.csv" --yes --json >"$work/report.json" 2>"$work/err.txt"
  [ "$status" -eq 0 ] || fail "apply exited $status: $(cat "$work/err.txt")"
  [ "$(grep -c '"result": "confirmed"' "$work/report.json")" -eq 200 ] || fail "not 200 confirmed: $(head -c 600 "$work/report.json")"
  grep -o '"mac": "[0-9A-F-]*"' "$work/report.json" | sed 's/.*"\(.*\)"/\1/' | sort >"$work/planned"
  set_macs a >"$work/set_a"
  cmp -s "$work/planned" "$work/set_a" || fail "set datagrams applied differ from the plan: $(diff "$work/planned" "$work/set_a" | head)"
  [ -z "$(set_macs b)" ] || fail "a device outside the plan got settings: $(set_macs b | head -3)"
  # Applied again: nothing left to do, nothing sent.
  local before
  before=$(grep -c '^set ' "$work/sim_a.log")
  kesto apply "$work/plan.csv" >"$work/plan.txt" 2>&1 || fail "second preview exited $?: $(tail -3 "$work/plan.txt")"
  grep -q '^nothing to change: 200 devices' "$work/plan.txt" || fail "second preview: $(tail -2 "$work/plan.txt")"
  [ "$(grep -c '^set ' "$work/sim_a.log")" -eq "$before" ] || fail "a preview sent something"
}

case_assign() {
  devices "$work/a.json" 0A 200
  devices "$work/b.json" 0B 2
  # B's devices are not matched; B one holds 10.201.0.12, which must be skipped.
  sed -i 's/"ip": "10.50.0.1"/"ip": "10.201.0.12"/' "$work/b.json"
  start_sim a "$LAB2_A" --from "$work/a.json"
  start_sim b "$LAB2_B" --from "$work/b.json"
  kesto apply --assign-ip 10.201.0.10-10.201.0.250 --match "Dev 0A" --wait 1500 >"$work/plan.txt" 2>&1
  status=$?
  [ $status -eq 10 ] || fail "the preview exited $status, not 10: $(tail -3 "$work/plan.txt")"
  timed "--assign-ip over 200 devices" kesto apply --assign-ip 10.201.0.10-10.201.0.250 --match "Dev 0A" --wait 1500 \
    --yes >"$work/report.txt" 2>"$work/err.txt"
  [ "$status" -eq 0 ] || fail "assign exited $status: $(cat "$work/err.txt") $(tail -3 "$work/report.txt")"
  kesto list --json --wait 1500 >"$work/list.json" 2>/dev/null || fail "list exited $?"
  python3 - "$work/list.json" <<'PY' || fail "addresses are not consecutive and distinct"
import ipaddress, json, sys
devices = [d for d in json.load(open(sys.argv[1])) if d["name"].startswith("Dev 0A")]
assert len(devices) == 200, len(devices)
by_mac = sorted(devices, key=lambda d: d["mac"])
want = [str(ipaddress.IPv4Address("10.201.0.10") + i) for i in range(203) if i != 2][:200]
got = [d["ip"] for d in by_mac]
assert got == want, (got[:5], want[:5])
assert not any(d.get("duplicate_ip") for d in devices)
PY
}

case_restore() {
  devices "$work/a.json" 0A 200
  start_sim a "$LAB2_A" --from "$work/a.json"
  kesto backup --output "$work/backup.json" --wait 1500 2>"$work/err.txt" || fail "backup exited $?: $(cat "$work/err.txt")"
  [ "$(grep -c '"mac"' "$work/backup.json")" -eq 200 ] || fail "backup holds $(grep -c '"mac"' "$work/backup.json") devices"
  kesto backup --output "$work/backup.json" --wait 300 >/dev/null 2>&1
  status=$?
  [ $status -eq 2 ] || fail "backup over an existing file exited $status, not 2"
  timed "restore of 200 unchanged" kesto restore "$work/backup.json" --yes >"$work/report.txt" 2>"$work/err.txt"
  [ "$status" -eq 0 ] || fail "restore exited $status: $(cat "$work/err.txt")"
  grep -q '^nothing to change: 200 devices already hold these settings, 0 not found$' "$work/report.txt" ||
    fail "restore did not say nothing changes: $(grep -v '^02-' "$work/report.txt" | head)"
  grep -q '^set ' "$work/sim_a.log" && fail "restore of unchanged devices sent something"
  return 0
}

case_faults() {
  devices "$work/a.json" 0A 190
  devices "$work/b.json" 0B 10
  start_sim a "$LAB2_A" --from "$work/a.json" --drop 0.05 --seed 5
  start_sim b "$LAB2_B" --from "$work/b.json" --ignore-set
  python3 - "$work/plan.json" <<'PY'
import json, sys
rows = [{"mac": "02-00-00-0A-%02X-%02X" % (i >> 8, i & 255), "name": "New A %d" % i} for i in range(1, 191)]
rows += [{"mac": "02-00-00-0B-00-%02X" % i, "name": "New B %d" % i} for i in range(1, 11)]
rows += [{"mac": "02-00-00-0C-00-%02X" % i, "name": "Missing %d" % i} for i in range(1, 4)]
json.dump(rows, open(sys.argv[1], "w"))
PY
  timed "apply with 5 % loss, 10 ignoring, 3 missing" kesto apply "$work/plan.json" --yes --json --wait 3000 \
    >"$work/report.json" 2>"$work/err.txt"
  [ "$status" -eq 3 ] || fail "apply exited $status, not 3: $(cat "$work/err.txt")"
  python3 - "$work/report.json" <<'PY' || fail "the report names the wrong devices: $(head -c 800 "$work/report.json")"
import json, sys
report = {d["mac"]: d["result"] for d in json.load(open(sys.argv[1]))}
assert len(report) == 203, len(report)
by = lambda result: sorted(m for m, r in report.items() if r == result)
assert by("not confirmed") == ["02-00-00-0B-00-%02X" % i for i in range(1, 11)], by("not confirmed")
assert by("not found") == ["02-00-00-0C-00-%02X" % i for i in range(1, 4)], by("not found")
assert len(by("confirmed")) == 190, len(by("confirmed"))
PY
}

"case_$case" || fail "case failed"
echo "PASS [bulk/$case]"
