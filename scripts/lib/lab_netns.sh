# Network namespaces for the lab: sourced by scripts/lab, scripts/measure-* and the lab tests.
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

# The two-subnet lab: a client namespace with two links, each to a device namespace.
#   client  kaID 10.202.1.1/24 (default route) <-> kxID 10.202.1.2/24  device namespace A
#           kbID 10.202.2.1/24                 <-> kyID 10.202.2.2/24  device namespace B
#                                                device namespace B routes to
#                                 kzID 10.202.9.1/24 <-> kwID 10.202.9.2/24  device namespace C
# 255.255.255.255 leaves the client by link A only; link B is reached by its
# directed broadcast 10.202.2.255 or by unicast; C, behind B acting as a router,
# only by unicast (no broadcast crosses a router).
LAB2_A_SUBNET=10.202.1
LAB2_B_SUBNET=10.202.2
LAB2_C_SUBNET=10.202.9

# lab2_create ID: makes kesto-lab2-cli-ID and kesto-lab2-{a,b,c}-ID. Sets LAB2_CLI,
# LAB2_A, LAB2_B, LAB2_C and the client's link names LAB2_LINK_A, LAB2_LINK_B;
# on failure prints why to stderr, removes what it made, returns 1.
lab2_create() {
  local id=$1 err ns
  LAB2_CLI=kesto-lab2-cli-$id
  LAB2_A=kesto-lab2-a-$id
  LAB2_B=kesto-lab2-b-$id
  LAB2_C=kesto-lab2-c-$id
  LAB2_LINK_A=ka$id
  LAB2_LINK_B=kb$id
  LAB2_MADE=()
  for ns in "$LAB2_CLI" "$LAB2_A" "$LAB2_B" "$LAB2_C"; do
    if ! err=$(ip netns add "$ns" 2>&1); then
      echo "cannot create network namespace $ns: $err" >&2
      lab2_destroy
      return 1
    fi
    LAB2_MADE+=("$ns")
  done
  # Both pairs are made straight inside the namespaces: they never exist in ours.
  if ! err=$( {
      ip link add "ka$id" netns "$LAB2_CLI" type veth peer name "kx$id" netns "$LAB2_A" &&
      ip link add "kb$id" netns "$LAB2_CLI" type veth peer name "ky$id" netns "$LAB2_B" &&
      ip link add "kz$id" netns "$LAB2_B" type veth peer name "kw$id" netns "$LAB2_C" &&
      for ns in "$LAB2_CLI" "$LAB2_A" "$LAB2_B" "$LAB2_C"; do ip -n "$ns" link set lo up || exit 1; done &&
      ip -n "$LAB2_CLI" addr add "$LAB2_A_SUBNET.1/24" dev "ka$id" &&
      ip -n "$LAB2_CLI" addr add "$LAB2_B_SUBNET.1/24" dev "kb$id" &&
      ip -n "$LAB2_A" addr add "$LAB2_A_SUBNET.2/24" dev "kx$id" &&
      ip -n "$LAB2_B" addr add "$LAB2_B_SUBNET.2/24" dev "ky$id" &&
      ip -n "$LAB2_CLI" link set "ka$id" up &&
      ip -n "$LAB2_CLI" link set "kb$id" up &&
      ip -n "$LAB2_A" link set "kx$id" up &&
      ip -n "$LAB2_B" link set "ky$id" up &&
      ip -n "$LAB2_CLI" route add default dev "ka$id" &&
      ip -n "$LAB2_B" addr add "$LAB2_C_SUBNET.1/24" dev "kz$id" &&
      ip -n "$LAB2_C" addr add "$LAB2_C_SUBNET.2/24" dev "kw$id" &&
      ip -n "$LAB2_B" link set "kz$id" up &&
      ip -n "$LAB2_C" link set "kw$id" up &&
      ip netns exec "$LAB2_B" sysctl -q -w net.ipv4.ip_forward=1 &&
      ip -n "$LAB2_C" route add default via "$LAB2_C_SUBNET.1" &&
      ip -n "$LAB2_CLI" route add "$LAB2_C_SUBNET.0/24" via "$LAB2_B_SUBNET.2"
    } 2>&1); then
    echo "cannot set up the two-subnet lab network: $err" >&2
    lab2_destroy
    return 1
  fi
}

# lab2_destroy: removes the namespaces lab2_create made (and with them the veth pairs).
lab2_destroy() {
  local ns
  for ns in "${LAB2_MADE[@]}"; do ip netns del "$ns" 2>/dev/null; done
  LAB2_MADE=()
  LAB2_CLI= LAB2_A= LAB2_B= LAB2_C=
  return 0
}

# The shared-link lab: a client, a device and a third host on one link (a bridge in
# the client namespace), so a broadcast from the client reaches both others and
# either may answer for the same MAC.
#   client    kesto-lab3-cli-ID  10.203.0.1/24 on bridge kbrID (default route)
#   device    kesto-lab3-dev-ID  10.203.0.2/24
#   other     kesto-lab3-oth-ID  10.203.0.66/24
LAB3_SUBNET=10.203.0
LAB3_DEV_ADDR=$LAB3_SUBNET.2
LAB3_OTH_ADDR=$LAB3_SUBNET.66

# lab3_create ID: makes the three namespaces. Sets LAB3_CLI, LAB3_DEV and LAB3_OTH;
# on failure prints why to stderr, removes what it made, returns 1.
lab3_create() {
  local id=$1 err ns
  LAB3_CLI=kesto-lab3-cli-$id
  LAB3_DEV=kesto-lab3-dev-$id
  LAB3_OTH=kesto-lab3-oth-$id
  LAB3_MADE=()
  for ns in "$LAB3_CLI" "$LAB3_DEV" "$LAB3_OTH"; do
    if ! err=$(ip netns add "$ns" 2>&1); then
      echo "cannot create network namespace $ns: $err" >&2
      lab3_destroy
      return 1
    fi
    LAB3_MADE+=("$ns")
  done
  # The pairs are made straight inside the namespaces: they never exist in ours.
  if ! err=$( {
      ip -n "$LAB3_CLI" link add "kbr$id" type bridge &&
      ip link add "kd$id" netns "$LAB3_CLI" type veth peer name "ke$id" netns "$LAB3_DEV" &&
      ip link add "ko$id" netns "$LAB3_CLI" type veth peer name "kp$id" netns "$LAB3_OTH" &&
      for ns in "$LAB3_CLI" "$LAB3_DEV" "$LAB3_OTH"; do ip -n "$ns" link set lo up || exit 1; done &&
      ip -n "$LAB3_CLI" link set "kd$id" master "kbr$id" &&
      ip -n "$LAB3_CLI" link set "ko$id" master "kbr$id" &&
      ip -n "$LAB3_CLI" addr add "$LAB3_SUBNET.1/24" dev "kbr$id" &&
      ip -n "$LAB3_DEV" addr add "$LAB3_DEV_ADDR/24" dev "ke$id" &&
      ip -n "$LAB3_OTH" addr add "$LAB3_OTH_ADDR/24" dev "kp$id" &&
      ip -n "$LAB3_CLI" link set "kbr$id" up &&
      ip -n "$LAB3_CLI" link set "kd$id" up &&
      ip -n "$LAB3_CLI" link set "ko$id" up &&
      ip -n "$LAB3_DEV" link set "ke$id" up &&
      ip -n "$LAB3_OTH" link set "kp$id" up &&
      ip -n "$LAB3_CLI" route add default dev "kbr$id"
    } 2>&1); then
    echo "cannot set up the shared-link lab network: $err" >&2
    lab3_destroy
    return 1
  fi
}

# lab3_destroy: removes the namespaces lab3_create made (and with them the links).
lab3_destroy() {
  local ns
  for ns in "${LAB3_MADE[@]}"; do ip netns del "$ns" 2>/dev/null; done
  LAB3_MADE=()
  LAB3_CLI= LAB3_DEV= LAB3_OTH=
  return 0
}
