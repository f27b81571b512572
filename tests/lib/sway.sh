# Sourced by the shell tests that need a Wayland compositor of their own.
#   start_sway FOLDER OUTPUT_LINES
# starts sway headless (no X server in it, software rendering) with the sway configuration
# lines given (outputs), in FOLDER, which the caller removes; sets SWAY_PID and exports
# WAYLAND_DISPLAY, SWAYSOCK and XDG_RUNTIME_DIR for the clients, with DISPLAY unset so that
# nothing reaches an X server by mistake. sway refuses to run as root: as root it runs as
# nobody, in a runtime folder made for that user (0700); root's clients still reach it.
start_sway() {
  local dir=$1 conf_lines=$2
  chmod 755 "$dir"
  local run="$dir/run" home="$dir/home"
  mkdir -m 700 "$run" "$home"
  printf 'xwayland disable\n%s\n' "$conf_lines" >"$dir/sway.conf"
  chmod 644 "$dir/sway.conf"
  local as_user=()
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody:nogroup "$run" "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" XDG_CONFIG_HOME="$home/.config" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as_user[@]}" sway -c "$dir/sway.conf" >"$dir/sway.log" 2>&1 &
  SWAY_PID=$!
  unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
  export XDG_RUNTIME_DIR="$run"
  for _ in $(seq 100); do
    WAYLAND_DISPLAY=$(cd "$run" && ls wayland-* 2>/dev/null | grep -v '\.lock$' | head -n 1 || true)
    SWAYSOCK=$(ls "$run"/sway-ipc.*.sock 2>/dev/null | head -n 1 || true)
    [ -n "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] && break
    kill -0 "$SWAY_PID" 2>/dev/null || { echo "sway did not start: $(tail -n 5 "$dir/sway.log")" >&2; return 1; }
    sleep 0.1
  done
  [ -n "$WAYLAND_DISPLAY" ] && [ -n "$SWAYSOCK" ] || { echo "sway made no sockets" >&2; return 1; }
  export WAYLAND_DISPLAY SWAYSOCK
}

# The names of sway's outputs, one a line.
sway_outputs() { swaymsg -t get_outputs -p | sed -n 's/^Output \([^ ]*\) .*/\1/p'; }
