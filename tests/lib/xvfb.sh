# Sourced by the shell tests that need a display of their own.
#   start_xvfb WxHxD [Xvfb arguments...]
# starts Xvfb on a display number that Xvfb itself picks as free (no race with other tests
# starting at the same moment), waits until it answers, and sets DISPLAY and XVFB_PID.
# -noreset: by default the server resets when its last client leaves, and a program started
# at that moment cannot connect ("cannot open the display") - a test that ends one program and
# starts the next would fail now and then.
start_xvfb() {
  local screen=$1
  shift
  local numfile
  numfile=$(mktemp)
  Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp -noreset "$@" 9>"$numfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n=""
  for _ in $(seq 100); do
    n=$(tr -dc 0-9 <"$numfile")
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numfile"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}
