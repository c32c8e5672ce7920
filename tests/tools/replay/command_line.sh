#!/usr/bin/env bash
# The replay tool's command line from the outside: each row runs it and checks the exit status and a
# piece of what it says (2 for a wrong option or script, 1 for a file it cannot read or write).
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '4294967298 close\n' >"$work/wrapping.txt"
printf '5 key \033[2Jdown 1\n' >"$work/escape.txt"
printf '2 key down 1\n' >"$work/quit.txt"
printf '2 pad down jump\n' >"$work/pad.txt"
printf 'pellaris-recording 1\nprogram 0.1.0\nseed 5\ndisplay window\nround 2\n1 time 1717243200\n2 key down 28\n3 key up 28\n90 key down 57\n' >"$work/cut.rec"
printf 'pellaris-recording 3\n1 time 1717243200\n' >"$work/newer.rec"
printf '2 pad down a\n' >"$work/script.txt"

failures=0
# expect STATUS TEXT ARGS...: runs the tool, whose output must contain TEXT.
expect() {
  local status=$1 text=$2
  shift 2
  local output got
  output=$("$tool" "$@" 2>&1)
  got=$?
  if [ "$got" != "$status" ] || [[ "$output" != *"$text"* ]]; then
    echo "FAIL: $* -> status $got, wanted $status with '$text'; said: $output"
    failures=$((failures + 1))
  fi
}

expect 0 "usage: pellaris-replay" --help
expect 2 "unknown option --bogus" --bogus
expect 2 "unexpected argument stray" stray
expect 2 "--seed needs a value" --seed
expect 2 "bad value for --frames: 0" --frames 0
expect 2 "line 1: the frame number" --script "$work/wrapping.txt"
expect 2 '\x1b[2J' --script "$work/escape.txt"
expect 2 '"jump" is not a pad button' --script "$work/pad.txt"
expect 1 "not a file" --script "$work"
expect 1 "cannot write /dev/full" --frames 3 --log /dev/full
expect 1 "cannot make the folder" --frames 3 --dump /dev/null/shots --dump-at 2
expect 0 "" --frames 3 --dump "$work/new/shots" --dump-at 2
[ -f "$work/new/shots/frame-000002.png" ] || { echo "FAIL: --dump did not make its folder"; failures=$((failures + 1)); }
expect 1 "cannot write /dev/full" --frames 3 --audio /dev/full
expect 0 "" --frames 3 --audio "$work/run.wav"
[ "$(head -c 4 "$work/run.wav")" = RIFF ] && [ "$(stat -c %s "$work/run.wav")" -gt 8000 ] ||
  { echo "FAIL: --audio wrote no sound file"; failures=$((failures + 1)); }
# Without --frames a run still ends: here by the script's Escape.
expect 0 "" --script "$work/quit.txt" --log "$work/quit.jsonl"
[ "$(wc -l <"$work/quit.jsonl")" -ge 2 ] || { echo "FAIL: no log of the run"; failures=$((failures + 1)); }
# A recording is verified against the score it claims: one cut short claims none.
expect 3 "not verified: the recording was cut short" --verify "$work/cut.rec"
# A finished round (fire held, then the clock past its end) verifies only with the very score it
# reaches: learnt from a first play, then claimed as it is and one off either way.
round() {
  printf 'pellaris-recording 1\nprogram 0.1.0\nseed 5\ndisplay window\nround 2\n1 time 1717243200\n'
  printf '1 focus gained\n2 key down 28\n3 key up 28\n10 key down 29\n'
  # The clock goes on a second every 60 passes (a round runs no faster than a game plays), then past the end.
  for pass in 60 120 180 240 300 360; do printf '%d time %d\n' "$pass" $((1717243200 + pass / 60)); done
  printf '400 time 1717243330\n420 end %s\n' "$1"
}
round 0 >"$work/round.rec"
reached=$("$tool" --verify "$work/round.rec" | sed -n 's/.*the round reaches \([0-9]*\) at pass 420.*/\1/p')
if [ "${reached:-0}" -gt 0 ]; then
  round "$reached" >"$work/round.rec"
  expect 0 "verified: the round reaches $reached" --verify "$work/round.rec"
  for claim in $((reached - 1)) $((reached + 1)); do
    round "$claim" >"$work/round.rec"
    expect 3 "not verified: the round reaches $reached at pass 420, the recording says $claim" --verify "$work/round.rec"
  done
else
  echo "FAIL: the finished round scored nothing, so it cannot show a wrong claim"
  failures=$((failures + 1))
fi
expect 2 "a newer Pellaris plays it" --verify "$work/newer.rec"
expect 2 "a script, not a recording" --verify "$work/script.txt"
expect 2 "--verify takes no other option" --verify "$work/cut.rec" --seed 3
expect 1 "cannot read" --verify "$work/missing.rec"
# An empty value is no file name: it is refused, not taken as "none".
expect 2 "--verify needs a value" --verify ''
expect 2 "--log needs a value" --frames 3 --log ''
# A name from outside is shown escaped, once.
expect 1 "cannot read $work/a\\x1bb: not a file" --script "$work/a"$'\033'"b"
# Control bytes never reach the terminal.
if "$tool" --script "$work/escape.txt" 2>&1 | grep -q $'\033'; then
  echo "FAIL: an escape byte was echoed"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
