# Sourced by run.sh, screenshots.sh and shift.sh: GO pressed in the main
# window of the station program under Wine, and the end of its run awaited,
# both told by the face GO shows (the stop face while a read/write test runs).
talven_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
talven_faces=$talven_scripts/../../resources/pictures
# TalvenSim.exe's title bar, which says that its station is simulated
# (resources/resource.h); Talven.exe's reads VX5308.
talven_sim_title='VX5308 - simulated station for training'

# Sets `window` to the training program's window once it shows (at most
# 30 s); false when it never does.
AwaitSimWindow() {
  window=
  for _ in $(seq 150); do
    window=$(xdotool search --onlyvisible --name "^$talven_sim_title\$" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && return 0
    sleep 0.2
  done
  return 1
}

# The face GO shows in X window or picture file $1: "stop", "idle" or "none"
# (disabled, as during an EEPROM run, or not drawn yet).
GoFace() {
  local shown
  if ! shown=$(python3 "$talven_scripts/window-face.py" "$1" "$talven_faces"/stop-{up,focused,selected}.bmp \
                 "$talven_faces"/go-{up,focused,selected}.bmp 2>/dev/null); then
    echo none
    return
  fi
  case "$shown" in
    */stop-*) echo stop ;;
    *) echo idle ;;
  esac
}

# Clicks GO in window $1 as soon as it is drawn idle (the click is the
# button's own command, as the operator's), then takes the pointer off the
# window so that no tooltip covers it. False when GO never showed.
PressGo() {
  local window=$1 shown _face x y width height
  for _ in $(seq 100); do
    if shown=$(python3 "$talven_scripts/window-face.py" "$window" "$talven_faces"/go-{up,focused}.bmp 2>/dev/null); then
      read -r _face x y <<<"$shown"
      xdotool mousemove --window "$window" $((x + 23)) $((y + 19)) click 1
      read -r width height < <(xdotool getdisplaygeometry)
      xdotool mousemove $((width - 1)) $((height - 1))
      return 0
    fi
    sleep 0.2
  done
  return 1
}

# Waits up to $2 seconds for the run started in window $1 to end: GO shows
# its idle face again after its stop face, or no stop face was seen within
# 3 s (a run too short to catch, or an EEPROM run). Sets talven_stop_seen.
WaitForRunEnd() {
  local window=$1 limit=$2 start=$SECONDS
  talven_stop_seen=0
  while ((SECONDS - start < limit)); do
    case $(GoFace "$window") in
      stop) talven_stop_seen=1 ;;
      idle) ((talven_stop_seen || SECONDS - start >= 3)) && return 0 ;;
    esac
    sleep 0.2
  done
  return 1
}
