# Sourced by the end-to-end scripts.
# wait_for FILE PATTERN SECONDS: true as soon as FILE holds a line matching the
# extended regular expression PATTERN, false once SECONDS have passed.
wait_for() {
  # Only a failure waits it out, so it stretches threefold for busy machines and sanitizer builds.
  local deadline=$((SECONDS + 3 * $3))
  while [ $SECONDS -le "$deadline" ]; do
    grep -qE "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
