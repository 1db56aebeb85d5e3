# Sourced by the group's tests: fails (through the caller's `fail`) unless every process id given has
# ended. A process the container's init has yet to reap is a zombie: gone in every other respect.
expect_processes_gone() {
  local pid state
  for pid in "$@"; do
    for _ in $(seq 50); do
      state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null || true)
      [[ -z $state || $state == Z ]] && break
      sleep 0.1
    done
    [[ -z $state || $state == Z ]] || fail "process $pid is still running after stop"
  done
}
