#!/usr/bin/env bash
# Drives the program on a virtual X server with a real window manager, as a
# user would: opens «Справка» by keyboard, closes the box, presses Space and
# Enter, then makes ACTIONS random keys, clicks, double-clicks, drags and wheel
# turns, the menu and its box among them. Fails when the program dies.
# Needs xvfb, openbox and xdotool.
#   bash scripts/x-user.sh [PROGRAM] [ACTIONS] [SEED]
set -uo pipefail
program=${1:-build/suffarr}
actions=${2:-0}
RANDOM=${3:-1}
export DISPLAY=:${X_USER_DISPLAY:-91}

Xvfb "$DISPLAY" -screen 0 1366x768x24 >/dev/null 2>&1 &
server=$!
trap 'kill $app $wm $server 2>/dev/null' EXIT
sleep 1
openbox >/dev/null 2>&1 &
wm=$!
sleep 1
"$program" &
app=$!
window=$(xdotool search --sync --onlyvisible --name 'Поиск подстроки' | head -1)
xdotool windowactivate --sync "$window"
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y, WIDTH, HEIGHT

alive() {
    kill -0 "$app" 2>/dev/null && return
    wait "$app"
    echo "the program died (exit status $?) after $1" >&2
    exit 1
}

# Opened by Alt and Down, closed by Enter: Space, then Enter, used to crash it.
for key in alt Down Return space Return; do
    xdotool key "$key"
    sleep 0.4
done
alive "the help box"

keys=(Return space Tab shift+Tab Escape Left Right Up Down Home End Page_Down alt alt+Down a b r ctrl+c ctrl+v)
for ((i = 1; i <= actions; i++)); do
    x=$((X + RANDOM % WIDTH)) y=$((Y + RANDOM % HEIGHT))
    case $((RANDOM % 8)) in
    0 | 1 | 2) xdotool key "${keys[RANDOM % ${#keys[@]}]}" ;;
    3) xdotool mousemove "$x" "$y" click 1 ;;
    4) xdotool mousemove "$x" "$y" click --repeat 2 --delay 60 1 ;;
    5) xdotool mousemove "$x" "$y" mousedown 1 mousemove_relative -- $((RANDOM % 200 - 100)) 0 mouseup 1 ;;
    6) xdotool mousemove "$x" "$y" click $((4 + RANDOM % 2)) ;;
    7) xdotool mousemove $((X + 20)) $((Y + 8)) click 1 ;; # «Справка»
    esac
    sleep 0.05
    ((i % 25)) || alive "$i actions"
done
alive "$actions actions"
echo "alive after the help box and $actions random actions"
