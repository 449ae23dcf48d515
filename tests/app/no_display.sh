#!/usr/bin/env bash
# kesto-manager and scripts/run without a reachable display: exit 1 and one line
# naming the command line, never Qt's abort. Loopback and unix sockets only.
# Usage: no_display.sh KESTO_MANAGER RUN_SCRIPT
set -uo pipefail
manager=$1 run=$2
work=$(mktemp -d /tmp/kesto-no-display.XXXXXX)
listener=
cleanup() {
  [ -n "$listener" ] && { kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null; }
  rm -rf "$work"
}
trap cleanup EXIT
failed=0

# A display number with no X server socket, in the file system or abstract.
free=900
while [ -e "/tmp/.X11-unix/X$free" ] || grep -q " @/tmp/.X11-unix/X$free\$" /proc/net/unix 2>/dev/null; do
  free=$((free + 1))
done

# A TCP listener on 127.0.0.1 that accepts and never answers, as a hung X server.
silent=
if command -v python3 >/dev/null; then
  python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(4)
print(s.getsockname()[1], flush=True)
conns = []
while True:
    c, _ = s.accept(); conns.append(c)' >"$work/port" &
  listener=$!
  for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
  port=$(cat "$work/port")
  [ -n "$port" ] && [ "$port" -gt 6000 ] && silent=127.0.0.1:$((port - 6000))
fi

hint='without one, `kesto list`, `kesto watch` and `kesto serve` find and follow the devices from the command line'
# PROGRAM DISPLAY WAYLAND_DISPLAY EXPECTED_PROBLEM ("-": leave the variable unset)
cases=(
  "$manager|-|-|neither DISPLAY nor WAYLAND_DISPLAY is set"
  "$manager|:$free|-|no X server answers at DISPLAY=:$free"
  "$manager|unix:$free.0|-|no X server answers at DISPLAY=unix:$free.0"
  "$manager|no-number|-|DISPLAY=no-number is not a display name"
  "$manager|-|kesto-test-none|no compositor answers at WAYLAND_DISPLAY=kesto-test-none"
  "$run|-|-|neither DISPLAY nor WAYLAND_DISPLAY is set"
  "$run|:$free|-|no X server answers at DISPLAY=:$free"
)
[ -n "$silent" ] && cases+=("$manager|$silent|-|no X server answers at DISPLAY=$silent")
[ -z "$silent" ] && echo "(python3 missing: the silent X server case is left out)"

for entry in "${cases[@]}"; do
  IFS='|' read -r program display wayland problem <<<"$entry"
  env_args=(-u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work")
  [ "$display" != - ] && env_args+=(DISPLAY="$display")
  [ "$wayland" != - ] && env_args+=(WAYLAND_DISPLAY="$wayland")
  out=$(ulimit -c 0; env "${env_args[@]}" timeout 30 "$program" 2>&1)
  rc=$?
  want="kesto-manager: no display ($problem); $hint"
  if [ $rc -eq 1 ] && [ "$out" = "$want" ]; then
    echo "PASS $(basename "$program") DISPLAY=$display WAYLAND_DISPLAY=$wayland"
  else
    echo "FAIL $(basename "$program") DISPLAY=$display WAYLAND_DISPLAY=$wayland: exit $rc, said:"
    printf '  %s\n' "$out"
    failed=1
  fi
done
# --help and --version answer without a display, exit 0.
for option in --help --version; do
  out=$(env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY timeout 30 "$manager" "$option" 2>&1)
  rc=$?
  case $option in
  --help) want='Usage: kesto-manager *kesto doctor*KESTO_TARGET*Exit status: 0*' ;;
  --version) want='kesto-manager [0-9]*' ;;
  esac
  # shellcheck disable=SC2053
  if [ $rc -eq 0 ] && [[ $out == $want ]]; then
    echo "PASS $(basename "$manager") $option"
  else
    echo "FAIL $(basename "$manager") $option: exit $rc, said:"
    printf '  %s\n' "$out"
    failed=1
  fi
done
exit $failed
