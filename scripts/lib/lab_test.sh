# The set-up and tear-down the namespace lab tests share (tests/lab/*.sh): sourced
# after `set -uo pipefail`, it brings wait_for and the lab_netns.sh topologies.
#
# lab_test_begin LABEL TOPOLOGY ID: makes $work, an empty pids list and the exit
# trap (stops every process in pids, removes the namespaces and $work); then makes
# TOPOLOGY's namespaces (lab | lab2 | lab3, see lab_netns.sh) named with ID. Exits
# 77 (CTest: skipped) when not root or the namespaces cannot be made.
# fail MESSAGE: prints "FAIL [LABEL]: MESSAGE" and the tail of the simulators'
# logs ($work/sim_*.log) and of $work/err.txt, and exits 1.
# lab_start_sim NAME NAMESPACE SECONDS ARGS...: $bin/kesto-sim on port 1444 in
# NAMESPACE for at most SECONDS, its output in $work/sim_NAME.log; fails unless
# it is listening within 5 s.
lab_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/lib/wait_for.sh
. "$lab_lib_dir/wait_for.sh"
# shellcheck source=scripts/lib/lab_netns.sh
. "$lab_lib_dir/lab_netns.sh"

lab_label=
lab_topology=
pids=()

lab_test_cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  [ -n "$lab_topology" ] && "${lab_topology}_destroy"
  rm -rf "$work"
}

lab_test_begin() {
  lab_label=$1
  work=$(mktemp -d "/tmp/kesto-${1%%/*}.XXXXXX")
  # What the programs log of the settings they send stays in the test's folder.
  export XDG_STATE_HOME=$work/state
  trap lab_test_cleanup EXIT
  trap 'exit 130' INT TERM
  if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: the ${lab_label%%/*} lab needs root to create network namespaces"
    exit 77
  fi
  if ! "${2}_create" "$3" 2>"$work/lab.err"; then
    echo "SKIP: network namespaces cannot be made here: $(cat "$work/lab.err")"
    exit 77
  fi
  lab_topology=$2
}

fail() {
  echo "FAIL [$lab_label]: $*" >&2
  local log
  for log in "$work"/sim_*.log "$work"/err.txt; do
    [ -f "$log" ] && { echo "--- $(basename "$log"):" >&2; tail -n 8 "$log" >&2; }
  done
  exit 1
}

lab_start_sim() {
  local name=$1 ns=$2 seconds=$3
  shift 3
  ip netns exec "$ns" timeout "$seconds" "$bin/kesto-sim" --port 1444 "$@" >"$work/sim_$name.log" 2>&1 &
  pids+=("$!")
  wait_for "$work/sim_$name.log" 'listening on' 5 || fail "kesto-sim $name did not start"
}
