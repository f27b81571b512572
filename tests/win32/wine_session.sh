#!/usr/bin/env bash
# One Wine session shared by every test of a run: a private Xvfb and a fresh Wine prefix in a
# temporary folder (making a prefix takes about ten seconds, so it is made once per run).
#   wine_session.sh start STATE [win32|win64]
#                                   make them; STATE is a folder that records where they are; a
#                                   win32 prefix is 32-bit Windows (for the 32-bit build)
#   wine_session.sh stop STATE      stop the prefix's wineserver and Xvfb, delete the folder
#   wine_session.sh run STATE PROGRAM [ARGS...]   run a Windows program in the session
#   wine_session.sh env STATE       print the session's variables (for sourcing)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmd=$1
state=$2
shift 2

load() {
  [ -f "$state/prefix" ] || { echo "no Wine session in $state (the start test failed?)" >&2; exit 1; }
  WINEPREFIX=$(cat "$state/prefix")
  DISPLAY=$(cat "$state/display")
  export WINEPREFIX DISPLAY WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # A test's files stay in the session's folder, never in the real home.
  export HOME="$state/home" XDG_RUNTIME_DIR="$state/run"
}

case $cmd in
  start)
    rm -rf "$state"
    mkdir -p "$state"
    tmp=$(mktemp -d "${TMPDIR:-/tmp}/wumpets-wine.XXXXXX")
    echo "$tmp" >"$state/tmp"
    mkdir -p "$tmp/home" "$tmp/run"
    chmod 700 "$tmp/run"
    ln -s "$tmp/home" "$state/home"
    ln -s "$tmp/run" "$state/run"
    # shellcheck source=../lib/xvfb.sh
    source "$here/../lib/xvfb.sh"
    start_xvfb 1920x1080x24
    echo "$DISPLAY" >"$state/display"
    echo "$XVFB_PID" >"$state/xvfb_pid"
    echo "$tmp/prefix" >"$state/prefix"
    load
    # The prefix: wineboot, then a wineserver that stays for the whole run.
    WINEARCH=${1:-win64} wineboot -i >"$state/wineboot.log" 2>&1
    wineserver -p >/dev/null 2>&1 </dev/null || true
    echo "Wine session: prefix $WINEPREFIX on display $DISPLAY"
    ;;
  stop)
    if [ -f "$state/prefix" ]; then
      load
      wineserver -k >/dev/null 2>&1 || true
    fi
    [ -f "$state/xvfb_pid" ] && kill "$(cat "$state/xvfb_pid")" 2>/dev/null || true
    [ -f "$state/tmp" ] && rm -rf "$(cat "$state/tmp")"
    rm -rf "$state"
    ;;
  run)
    load
    exec wine "$@"
    ;;
  env)
    load
    echo "export WINEPREFIX='$WINEPREFIX' DISPLAY='$DISPLAY' WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' HOME='$HOME' XDG_RUNTIME_DIR='$XDG_RUNTIME_DIR'"
    ;;
  *)
    echo "usage: $0 start|stop|run|env STATE ..." >&2
    exit 2
    ;;
esac
