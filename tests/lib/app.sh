# Sourced by the shell tests that drive the program on an X display: the program started in the
# background is APP_PID (the caller's start() sets it).
#   window NAME    waits (up to 20 s on a busy machine) for a visible window of exactly that
#                  name and prints its id (nothing when none came)
#   ended          waits up to 5 s for the program to end; true when it did
#   stop           ends the program if it still runs
window() {
  local id=""
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}
ended() {
  for _ in $(seq 50); do
    kill -0 "$APP_PID" 2>/dev/null || { wait "$APP_PID" 2>/dev/null; APP_PID=""; return 0; }
    sleep 0.1
  done
  return 1
}
stop() { [ -n "$APP_PID" ] && { kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; }; }
