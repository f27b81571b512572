#!/usr/bin/env bash
# The Windows program end to end under Wine, on the run's private Xvfb (wine_session.sh).
#   win32_e2e.sh STATE CASE SCR [HOST_BUILD_DIR | HELPER]
# CASE: frame   /s shows the scene; its first frame equals the Linux program's --render
#               picture for the same seed and size; a key ends it with exit code 0
#       moving  after 25 frames the screen still equals the Linux --render picture: each frame's
#               changed areas, shown one by one, leave nothing stale or missing on the screen
#       input   a mouse move does not end the saver, a click does (exit code 0)
#       config  /c opens the settings dialog; Apply writes the 30 keys in order
#       preview /p HWND from a small host program (HELPER: preview_host.exe) puts a child of the
#               host's client size under it; the saver ends when the host closes
#       wide_folders a portable copy in a folder named outside the ANSI code page shows the
#               scene from its data\; Apply saves into a settings folder of such a name
#       settings_owner /c:HWND from a stand-in settings window (HELPER: settings_host.exe): the
#               dialog is owned by it, centred on it, the window takes no input meanwhile and
#               takes it again when the dialog closes (which writes nothing)
#       password the 95 family (Wine's "win98" setting) with ScreenSaveUsePassword=1 and a
#               stand-in password.cpl (HELPER): a refused password keeps the saver running, an
#               accepted one ends it
#       keys    the keyboard alone: Tab to the background options, the arrows to "Flower Power",
#               Enter applies and the file holds background 2; a second run closes with Escape
#               and no settings file is made
#       error   speed=40000 brings up the error dialog with its code in the title; closing it
#               ends the program
#       error_saver speed=40000 with /s: the report comes before the saver window, which must
#               not cover the error dialog; closing the dialog ends the program
#       modes   /a 1234 ends by itself; an open settings dialog does not refuse a full-screen
#               start, a second full-screen start is refused
#       scaled  at LogPixels 192 the first frame equals the Linux --render at --scale=2: the scene
#               at half the screen's size, each pixel a 2 x 2 block
#       options --version prints the Linux program's version; a single-dash value with a slash
#               ("-message=Rock/Cool") leaves /s the saver; /c ignores options for one run and
#               saves the file's values
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=$1 case=$2 scr=$3 host=${4:-}
eval "$("$here/wine_session.sh" env "$state")"
work="$HOME/$case"
rm -rf "$work"
mkdir -p "$work/cfg"
winpath() { echo "Z:${1//\//\\}"; }
cfg=$(winpath "$work/cfg")
fail() {
  echo "FAIL ($case): $*" >&2
  import -window root "$work/failure.png" 2>/dev/null && echo "screen at failure: $work/failure.png" >&2
  exit 1
}

saver_pid=""
start() {  # start the program in the background; its exit code is collected by finish
  start_exe "$scr" "$@"
}
start_exe() {
  wine "$@" >>"$work/out.log" 2>&1 &
  saver_pid=$!
}
finish() {  # waits up to $1 seconds for the program; sets rc to its exit code or "running"
  local limit=$1
  for _ in $(seq $((limit * 10))); do
    kill -0 "$saver_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$saver_pid" 2>/dev/null; then
    kill "$saver_pid" 2>/dev/null || true
    wait "$saver_pid" 2>/dev/null || true
    rc=running
  else
    rc=0
    wait "$saver_pid" || rc=$?
  fi
  saver_pid=""
}
cleanup() { [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true; }
trap cleanup EXIT

# Waits until a visible window whose name matches appears; prints its id.
wait_window() {
  local name=$1 id=""
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Waits until the screen shows more than black (the saver's first frame).
wait_picture() {
  for _ in $(seq 300); do
    import -window root "$1" 2>/dev/null || true
    local mean
    mean=$(convert "$1" -format '%[fx:mean]' info: 2>/dev/null || echo 0)
    awk -v m="$mean" 'BEGIN { exit !(m > 0.02) }' && return 0
    sleep 0.2
  done
  return 1
}

# Holds the saver after FRAMES frames and compares the screen with the Linux program's --render
# picture of the same frame, seed and size.
same_as_linux() {  # FRAMES
  local frames=$1 diff
  [ -x "$host/zelkin-wumpets" ] || fail "no Linux program in $host to compare with"
  WUMPETS_HOLD_AFTER_FRAMES=$frames start /s --seed=5 "--config-dir=$cfg"
  wait_picture "$work/windows.png" || fail "the saver showed no picture"
  # Time for the frames (60 ms each) and for the last of them to reach the screen.
  sleep $((frames > 1 ? 3 : 1))
  import -window root "$work/windows.png"
  mkdir -p "$work/linux-cfg"
  "$host/zelkin-wumpets" --render="$work/linux.png" --frames="$frames" --size=1920x1080 --seed=5 \
    --config-dir="$work/linux-cfg" --data-dir="$host/data" >/dev/null 2>&1 || fail "Linux --render failed"
  diff=$(compare -metric AE "$work/windows.png" "$work/linux.png" null: 2>&1 || true)
  echo "pixels that differ from the Linux picture after $frames frame(s): $diff"
  [ "$diff" = "0" ] || fail "after $frames frame(s) the screen differs from the Linux --render picture in $diff pixels"
}

case $case in
  moving)
    same_as_linux 25
    ;;
  frame)
    same_as_linux 1
    # The tiled background and sprites are there: many colours, not a flat screen.
    colours=$(convert "$work/windows.png" -format '%k' info:)
    [ "$colours" -gt 50 ] || fail "only $colours colours on the screen"
    xdotool key space
    finish 20
    [ "$rc" = "0" ] || fail "a key should end the saver with exit code 0, got: $rc"
    ;;
  input)
    start /s --seed=9 "--config-dir=$cfg"
    wait_picture "$work/shot.png" || fail "the saver showed no picture"
    xdotool mousemove 300 300 sleep 0.3 mousemove 900 700 sleep 0.3 mousemove 1200 200
    finish 2
    [ "$rc" = "running" ] || fail "a mouse move ended the saver (exit $rc)"
    start /s --seed=9 "--config-dir=$cfg"
    wait_picture "$work/shot.png" || fail "the saver showed no picture the second time"
    xdotool mousemove 640 360 click 1
    finish 20
    [ "$rc" = "0" ] || fail "a click should end the saver with exit code 0, got: $rc"
    ;;
  config)
    start /c "--config-dir=$cfg"
    id=$(wait_window "Zelkin Wumpets Version 6.0") || fail "no settings dialog"
    sleep 1
    import -window root "$work/settings.png"
    # The focus starts on "&Apply Changes", the default button: Enter applies.
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" Return
    finish 20
    [ "$rc" = "0" ] || fail "Apply should end the program with exit code 0, got: $rc"
    ini="$work/cfg/vornicade.ini"
    [ -f "$ini" ] || fail "Apply wrote no settings file"
    keys=$(tr -d '\r' <"$ini" | grep '=' | cut -d= -f1 | tr '\n' ' ')
    want="firstrun wumpet1 wumpet2 wumpet3 wumpet4 wumpet5 notes1 notes2 peace hippie redrose pinkrose yellowrose whiterose discoball lavalamp conga colorchanger trailing semitransparent overlap background speed musicchoice0 musicchoice1 musicchoice2 musicchoice3 musicchoice4 musicchoice5 message "
    [ "$keys" = "$want" ] || fail "keys written: $keys"
    grep -q '^speed=60' <(tr -d '\r' <"$ini") || fail "speed is not the default 60: $(cat "$ini")"
    grep -q '^\[Zelkin Wumpets\]' <(tr -d '\r' <"$ini") || fail "no [Zelkin Wumpets] section"
    ;;
  keys)
    start /c "--config-dir=$cfg"
    id=$(wait_window "Zelkin Wumpets Version 6.0") || fail "no settings dialog"
    sleep 1
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    # From "&Apply Changes": Cancel, trails, conga, the preview, the speed bar, then the one stop
    # of the background group (the selected "Human Skulls"); Down twice is "Flower Power".
    for k in Tab Tab Tab Tab Tab Tab Down Down; do xdotool key "$k"; sleep 0.1; done
    sleep 0.5
    import -window root "$work/keys-flower-power.png"
    # Kept where the Linux dialogs' test keeps its screenshots, when asked.
    [ -n "${WUMPETS_SHOTS:-}" ] && mkdir -p "$WUMPETS_SHOTS" && cp "$work/keys-flower-power.png" "$WUMPETS_SHOTS/win32-keys-flower-power.png"
    xdotool key Return
    finish 20
    [ "$rc" = "0" ] || fail "Enter should apply and end the program with exit code 0, got: $rc"
    ini="$work/cfg/vornicade.ini"
    [ -f "$ini" ] || fail "Enter wrote no settings file"
    grep -q '^background= *2$' <(tr -d '\r' <"$ini") || fail "background after the keys: $(grep background "$ini")"
    rm -f "$ini"
    start /c "--config-dir=$cfg"
    id=$(wait_window "Zelkin Wumpets Version 6.0") || fail "no settings dialog the second time"
    sleep 1
    xdotool windowfocus --sync "$id" 2>/dev/null || true
    for k in Tab Tab Tab Tab Tab Tab Down space Escape; do xdotool key "$k"; sleep 0.1; done
    finish 20
    [ "$rc" = "0" ] || fail "Escape should end the program with exit code 0, got: $rc"
    [ ! -e "$ini" ] || fail "Escape wrote a settings file: $(cat "$ini")"
    ;;
  error)
    printf '[Zelkin Wumpets]\r\nfirstrun=1\r\nwumpet1=1\r\nspeed=40000\r\n' >"$work/cfg/vornicade.ini"
    # The settings dialog opens after the report; the error dialog stays on top of it.
    start /c "--config-dir=$cfg"
    id=$(wait_window "Error Code: ZW-") || fail "no error dialog whose title holds the code"
    title=$(xdotool getwindowname "$id")
    echo "error dialog: $title"
    [ "$title" = "Error Code: ZW- 6- Starter/X_GetData" ] || fail "the title is not the overflow's code: $title"
    # Without a window manager X stacks the window mapped last on top, whatever Windows asks.
    xdotool windowraise "$id"
    sleep 1
    import -window root "$work/error.png"
    # Closing the error dialog ends the program.
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" alt+F4
    finish 20
    [ "$rc" = "0" ] || fail "closing the error dialog should end the program with exit code 0, got: $rc"
    ;;
  error_saver)
    printf '[Zelkin Wumpets]\r\nfirstrun=1\r\nwumpet1=1\r\nspeed=40000\r\n' >"$work/cfg/vornicade.ini"
    start /s "--config-dir=$cfg"
    id=$(wait_window "Error Code: ZW-") || fail "no error dialog"
    sleep 2
    import -window root "$work/error-saver.png"
    eval "$(xdotool getwindowgeometry --shell "$id")"
    # The dialog's face is the button grey; the saver under it would show its tiles.
    face=$(convert "$work/error-saver.png" -crop "40x10+$((X + 20))+$((Y + HEIGHT - 14))" -format '%[fx:round(255*mean)]' info:)
    colours=$(convert "$work/error-saver.png" -crop "40x10+$((X + 20))+$((Y + HEIGHT - 14))" -format '%k' info:)
    echo "dialog corner: mean $face, $colours colours"
    [ "$colours" -le 2 ] && [ "$face" -ge 150 ] || fail "the error dialog is covered by the saver window (see $work/error-saver.png)"
    # Wine may have made the dialog's X window anew when it went back on top: find it again.
    id=$(wait_window "Error Code: ZW-") || fail "the error dialog went away"
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" alt+F4 2>/dev/null || true
    finish 20
    [ "$rc" = "0" ] || fail "closing the error dialog should end the program with exit code 0, got: $rc"
    ;;
  modes)
    start /a 1234 "--config-dir=$cfg"
    finish 15
    [ "$rc" = "0" ] || fail "/a 1234 should end by itself with exit code 0, got: $rc"
    start /c "--config-dir=$cfg"
    dialog_pid=$saver_pid
    wait_window "Zelkin Wumpets Version" >/dev/null || fail "no settings dialog"
    start /s --seed=2 "--config-dir=$cfg"
    first=$saver_pid
    sleep 4
    kill -0 "$first" 2>/dev/null || fail "/s was refused while a settings dialog was open"
    start /s --seed=2 "--config-dir=$cfg"
    finish 15
    [ "$rc" = "0" ] || fail "a second /s should be refused at once, got: $rc"
    saver_pid=$first
    xdotool key space
    finish 20
    [ "$rc" = "0" ] || fail "a key should end the saver with exit code 0, got: $rc"
    saver_pid=$dialog_pid
    finish 1
    ;;
  options)
    [ -x "$host/zelkin-wumpets" ] || fail "no Linux program in $host to compare with"
    version=$(wine "$scr" --version 2>/dev/null | tr -d '\r')
    [ "$version" = "$("$host/zelkin-wumpets" --version)" ] || fail "--version printed: $version"
    # Single dashes only, as a host passes them: nothing of the old "--" rule can save it.
    start /s -message=Rock/Cool -seed=3 "-config-dir=$cfg"
    wait_picture "$work/shot.png" || fail "/s -message=Rock/Cool showed no saver"
    [ -z "$(xdotool search --onlyvisible --name 'Zelkin Wumpets Version' 2>/dev/null || true)" ] ||
      fail "/s -message=Rock/Cool opened the settings dialog"
    xdotool key space
    finish 20
    [ "$rc" = "0" ] || fail "a key should end the saver with exit code 0, got: $rc"
    start /c --speed=30 --message=Groovy "--config-dir=$cfg"
    id=$(wait_window "Zelkin Wumpets Version") || fail "no settings dialog"
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" Return
    finish 20
    [ "$rc" = "0" ] || fail "Apply should end the program with exit code 0, got: $rc"
    ini=$(tr -d '\r' <"$work/cfg/vornicade.ini")
    grep -q '^speed=60$' <<<"$ini" && grep -q '^message=0$' <<<"$ini" ||
      fail "/c saved the options for one run: $ini"
    grep -q "options for one run are ignored" "$work/out.log" || fail "/c did not say it ignored the options"
    ;;
  preview)
    wine "$host" "$scr" "--config-dir=$cfg" || fail "the preview host's checks failed"
    ;;
  wide_folders)
    # Folders whose names lie outside the ANSI code page (Cyrillic under a Western one): a
    # portable copy finds its data\ beside it and shows the scene, and Apply saves into a
    # settings folder of such a name. Wine takes the names from a UTF-8 locale.
    export LANG=C.UTF-8
    portable="$work/Папка Вумпетс"
    mkdir -p "$portable" "$work/Настройки"
    cp "$scr" "$portable/"
    cp -r "$(dirname "$scr")/data" "$portable/data"
    wcfg=$(winpath "$work/Настройки/мои")
    WUMPETS_HOLD_AFTER_FRAMES=1 start_exe "$portable/$(basename "$scr")" /s --seed=5 "--config-dir=$wcfg"
    wait_picture "$work/portable.png" || fail "the portable copy in a Cyrillic folder showed no picture"
    sleep 1
    import -window root "$work/portable.png"
    colours=$(convert "$work/portable.png" -format '%k' info:)
    [ "$colours" -gt 50 ] || fail "only $colours colours: the portable copy found no pictures"
    xdotool key space
    finish 20
    [ "$rc" = "0" ] || fail "a key should end the saver with exit code 0, got: $rc"
    start_exe "$portable/$(basename "$scr")" /c "--config-dir=$wcfg"
    id=$(wait_window "Zelkin Wumpets Version 6.0") || fail "no settings dialog"
    sleep 1
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    xdotool key --window "$id" Return
    finish 20
    [ "$rc" = "0" ] || fail "Apply should end the program with exit code 0, got: $rc"
    [ -f "$work/Настройки/мои/vornicade.ini" ] || fail "Apply wrote nothing into the Cyrillic settings folder"
    grep -q "^wumpet1=" "$work/Настройки/мои/vornicade.ini" || fail "the settings file has no keys"
    ;;
  settings_owner)
    wine "$host" "$scr" "--config-dir=$cfg" || fail "the settings host's checks failed"
    [ ! -e "$cfg/vornicade.ini" ] || fail "closing the dialog wrote the settings"
    ;;
  password)
    # A copy of the program beside the stand-in module, which the program loads by name.
    mkdir -p "$work/saver"
    cp "$scr" "$work/saver/"
    cp "$host" "$work/saver/password.cpl"
    restore() {
      wine reg delete 'HKCU\Software\Wine' /v Version /f >/dev/null 2>&1 || true
      wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_SZ /d 0 /f >/dev/null 2>&1 || true
      cleanup
    }
    trap restore EXIT
    wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_SZ /d 1 /f >/dev/null 2>&1
    echo refuse >"$work/answer"
    export WUMPETS_TEST_ANSWER
    WUMPETS_TEST_ANSWER=$(winpath "$work/answer")
    start_exe "$work/saver/$(basename "$scr")" /s --seed=3 "--config-dir=$cfg" "--data-dir=$(winpath "$(dirname "$scr")/data")"
    wait_picture "$work/shot.png" || fail "the saver showed no picture"
    # A key without a character (a letter would also ask again for its key press).
    xdotool key F5
    for _ in $(seq 100); do [ -s "$work/answer.calls" ] && break; sleep 0.1; done
    [ "$(cat "$work/answer.calls" 2>/dev/null)" = "refuse" ] || fail "the password was not asked for on a key"
    sleep 1.5
    kill -0 "$saver_pid" 2>/dev/null || fail "a refused password ended the saver"
    echo accept >"$work/answer"
    xdotool mousemove 700 500 click 1
    finish 20
    [ "$rc" = "0" ] || fail "an accepted password should end the saver with exit code 0, got: $rc"
    [ "$(wc -l <"$work/answer.calls")" -eq 2 ] || fail "calls: $(cat "$work/answer.calls")"
    ;;
  scaled)
    # A desktop at 192 DPI (200%): the scene is the Linux picture at --scale=2, each of its
    # pixels a 2 x 2 block of one colour.
    [ -x "$host/zelkin-wumpets" ] || fail "no Linux program in $host to compare with"
    restore() {
      wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
      cleanup
    }
    trap restore EXIT
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
    WUMPETS_HOLD_AFTER_FRAMES=1 start /s --seed=5 "--config-dir=$cfg"
    wait_picture "$work/windows.png" || fail "the saver showed no picture"
    sleep 1
    import -window root "$work/windows.png"
    mkdir -p "$work/linux-cfg"
    "$host/zelkin-wumpets" --render="$work/linux.png" --frames=1 --size=1920x1080 --scale=2 --seed=5 \
      --config-dir="$work/linux-cfg" --data-dir="$host/data" >/dev/null 2>&1 || fail "Linux --render failed"
    diff=$(compare -metric AE "$work/windows.png" "$work/linux.png" null: 2>&1 || true)
    echo "pixels that differ from the Linux picture at scale 2: $diff"
    [ "$diff" = "0" ] || fail "the scaled frame differs from the Linux --render --scale=2 picture in $diff pixels"
    # Every 2 x 2 block is one colour: halved and doubled again, the picture is the same.
    convert "$work/windows.png" -sample 50% -sample 200% "$work/blocks.png"
    blocks=$(compare -metric AE "$work/windows.png" "$work/blocks.png" null: 2>&1 || true)
    [ "$blocks" = "0" ] || fail "$blocks pixels are not part of a 2 x 2 block of one colour"
    [ -n "${WUMPETS_SHOTS:-}" ] && mkdir -p "$WUMPETS_SHOTS" && cp "$work/windows.png" "$WUMPETS_SHOTS/win32-scaled-192dpi.png"
    xdotool key space
    finish 20
    [ "$rc" = "0" ] || fail "a key should end the saver with exit code 0, got: $rc"
    ;;
  *)
    fail "unknown case"
    ;;
esac
echo "ok ($case)"
