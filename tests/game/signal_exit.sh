#!/usr/bin/env bash
# The real program on a desktop ended by SIGTERM, SIGINT and SIGHUP, in a window, in full screen and while
# the start question is up: it must end by itself through its end routine with exit code 0, and take the
# question down. Run inside a desktop session (DISPLAY set):
#   /work/shared/tools/desktop -- tests/game/signal_exit.sh build/app/pellaris
set -u
program=${1:-build/app/pellaris}
failed=0
# Escape answers No (a window), Return answers Yes (full screen), none leaves the question up.
for answer in Escape Return none; do
  for signal in TERM INT HUP; do
    # A shell starts background commands with SIGINT ignored, and the program (rightly) leaves an
    # ignored signal alone; a player's terminal gives it the default disposition, as here.
    env --default-signal=INT "$program" &
    pid=$!
    box=
    for _ in $(seq 50); do
      box=$(xwininfo -root -tree | awk '/"Fullscreen \/ Windowed"/ {print $1; exit}')
      [ -n "$box" ] && break
      sleep 0.2
    done
    if [ "$answer" = none ]; then
      [ -n "$box" ] || { echo "FAIL $signal: the question did not appear"; failed=1; }
    else
      xdotool windowactivate --sync "$box" key "$answer" 2>/dev/null
      sleep 3
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "FAIL $answer $signal: the game was not running"
      failed=1
      continue
    fi
    kill -"$signal" "$pid"
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
      echo "FAIL $answer $signal: still running 5 s after the signal"
      kill -KILL "$pid"
      failed=1
    fi
    wait "$pid"
    rc=$?
    echo "$([ $rc = 0 ] && echo ok || echo FAIL) answer $answer, SIG$signal: exit code $rc"
    [ $rc = 0 ] || failed=1
  done
done
left=$(xwininfo -root -tree | grep -ci -e pellaris -e '"Fullscreen / Windowed"')
echo "pellaris windows left: $left"
[ "$left" = 0 ] || failed=1
exit $failed
