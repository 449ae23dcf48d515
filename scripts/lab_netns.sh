# Network namespaces for the lab: sourced by scripts/lab and the lab tests.
# Two namespaces joined by a veth pair; the addresses exist only inside them,
# so a broadcast to 255.255.255.255 from the client reaches the simulator and
# nothing else.

LAB_SUBNET=10.201.0
LAB_CLIENT_ADDR=$LAB_SUBNET.1
LAB_SIM_ADDR=$LAB_SUBNET.2

# lab_create ID: makes kesto-lab-cli-ID and kesto-lab-sim-ID. Sets LAB_CLI and
# LAB_SIM; on failure prints why to stderr, removes what it made, returns 1.
lab_create() {
  local id=$1
  LAB_CLI=kesto-lab-cli-$id
  LAB_SIM=kesto-lab-sim-$id
  local err
  if ! err=$(ip netns add "$LAB_CLI" 2>&1); then
    echo "cannot create network namespace $LAB_CLI: $err" >&2
    LAB_CLI= LAB_SIM=
    return 1
  fi
  if ! err=$(ip netns add "$LAB_SIM" 2>&1); then
    echo "cannot create network namespace $LAB_SIM: $err" >&2
    ip netns del "$LAB_CLI" 2>/dev/null
    LAB_CLI= LAB_SIM=
    return 1
  fi
  # The pair is made straight inside the namespaces: it never exists in ours.
  if ! err=$( {
      ip link add "kc$id" netns "$LAB_CLI" type veth peer name "ks$id" netns "$LAB_SIM" &&
      ip -n "$LAB_CLI" link set lo up &&
      ip -n "$LAB_SIM" link set lo up &&
      ip -n "$LAB_CLI" addr add "$LAB_CLIENT_ADDR/24" dev "kc$id" &&
      ip -n "$LAB_SIM" addr add "$LAB_SIM_ADDR/24" dev "ks$id" &&
      ip -n "$LAB_CLI" link set "kc$id" up &&
      ip -n "$LAB_SIM" link set "ks$id" up &&
      ip -n "$LAB_CLI" route add default dev "kc$id"
    } 2>&1); then
    echo "cannot set up the lab network: $err" >&2
    lab_destroy
    return 1
  fi
}

# lab_destroy: removes both namespaces (and with them the veth pair).
lab_destroy() {
  [ -n "${LAB_CLI:-}" ] && ip netns del "$LAB_CLI" 2>/dev/null
  [ -n "${LAB_SIM:-}" ] && ip netns del "$LAB_SIM" 2>/dev/null
  LAB_CLI= LAB_SIM=
  return 0
}
