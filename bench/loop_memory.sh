#!/usr/bin/env bash
# Runs the show looping, with the statistics overlay, offscreen and on SDL's
# dummy sound driver (whose clock runs in real time), for MINUTES (default
# 20), and prints its resident memory at the end of each loop and at the end
# of the run. A show that keeps nothing per loop ends within a few MB of its
# second loop. Run it from build/, at low priority on a shared machine:
#   nice ../bench/loop_memory.sh 20
set -euo pipefail
minutes=${1:-20}
case $minutes in '' | *[!0-9]*) echo "usage: loop_memory.sh [MINUTES]" >&2; exit 2 ;; esac
if [ ! -f pack.zip ] || [ ! -x amberpudding ]; then echo "run it from build/" >&2; exit 2; fi
song=142.5  # seconds of the soundtrack: one loop

SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ./amberpudding --no-dialog --loop --stats \
  2> loop_memory.log &
show=$!
trap 'kill -TERM "$show" 2>/dev/null || true' EXIT
resident() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$show/status"; }

started=$SECONDS
loop=1
while [ $((SECONDS - started)) -lt $((minutes * 60)) ]; do
  sleep 5
  kill -0 "$show" 2>/dev/null || { echo "the show ended early:" >&2; cat loop_memory.log >&2; exit 1; }
  elapsed=$((SECONDS - started))
  # Just before each loop ends: the picture and all its caches are made.
  if awk -v t="$elapsed" -v l="$loop" -v s="$song" 'BEGIN { exit !(t >= l * s - 5) }'; then
    echo "loop $loop ($elapsed s): $(resident) MB resident"
    loop=$((loop + 1))
  fi
done
echo "end ($((SECONDS - started)) s, in loop $loop): $(resident) MB resident"
kill -TERM "$show"
wait "$show" || { echo "the show ended with status $?" >&2; exit 1; }
trap - EXIT
