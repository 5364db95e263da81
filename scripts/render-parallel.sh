#!/usr/bin/env bash
# Renders the show as a video in parts, in parallel, on this machine or on
# several (GNU parallel's --sshlogin), and joins the parts without encoding
# them again; the soundtrack is encoded once over the joined picture.
#
#   scripts/render-parallel.sh [--parts N] [--jobs N] [--sshlogin LOGIN]...
#       [--from S] [--to S] [--renderer PATH] OUTPUT.mp4 [amberrender options]
#
# The amberrender options (--size, --fps, --crf, --pack) go to every part.
# Every part starts with a key frame and has no sound, so the parts join
# exactly; frames are numbered from the start of the song, so each part
# renders the frames one run would. A stopped run keeps its finished parts,
# and the same command again renders only the missing ones. With --sshlogin
# (":" is this machine) every machine needs the renderer and the package at
# the same absolute paths as here, and rsync; the parts come back by ssh.
set -euo pipefail

usage() {
  sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}

fail() {
  echo "render-parallel.sh: $*" >&2
  exit "${status:-1}"
}

# A value that reaches awk or a test as a number must be one: nothing of
# it is ever read as shell or awk code.
whole_number() {
  case $2 in '' | *[!0-9]*) status=2 fail "$1 takes a whole number, not '$2'" ;; esac
}
seconds() {
  case $2 in '' | .* | *. | *[!0-9.]* | *.*.*) status=2 fail "$1 takes seconds, not '$2'" ;; esac
}
# An option's value, or a usage error when it is missing.
value_of() {
  [ $# -ge 2 ] || status=2 fail "$1 needs a value"
}

parts=0
jobs=0
from=0
to=
renderer=
# One GNU parallel sshlogin a line; a login may be a whole ssh command with
# its own options ("ssh -p 2222 -i key user@host"), so it is never split.
sshlogins=()
while [ $# -gt 0 ]; do
  case "$1" in
    --parts) value_of "$@"; whole_number "$1" "$2"; parts=$2; shift 2 ;;
    --jobs) value_of "$@"; whole_number "$1" "$2"; jobs=$2; shift 2 ;;
    --sshlogin) value_of "$@"; sshlogins+=("$2"); shift 2 ;;
    --from) value_of "$@"; seconds "$1" "$2"; from=$2; shift 2 ;;
    --to) value_of "$@"; seconds "$1" "$2"; to=$2; shift 2 ;;
    --renderer) value_of "$@"; renderer=$2; shift 2 ;;
    --help|-h) usage ;;
    --) shift; break ;;
    -*) echo "render-parallel.sh: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || usage
# Absolute, so that nothing of it is read as an option or a protocol by
# ffmpeg (which gets it as "file:PATH") once the work folder is current.
output=$(realpath -m -- "$1")
shift

for tool in parallel ffmpeg ffprobe; do
  command -v "$tool" > /dev/null || fail "needs $tool (Debian packages parallel and ffmpeg)"
done
if [ -z "$renderer" ]; then
  renderer=$(command -v amberrender || true)
  [ -n "$renderer" ] || renderer="$(cd "$(dirname "$0")/.." && pwd)/build/amberrender"
fi
renderer=$(realpath -- "$renderer")
[ -x "$renderer" ] || fail "no renderer at $renderer (--renderer PATH)"

# The package and the frame rate, as amberrender will read them; every
# other option reaches each part as it was given, one argument a word.
pack=pack.zip
fps=60
part_options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --pack) value_of "$@"; pack=$2; shift 2 ;;
    --fps) value_of "$@"; fps=$2; part_options+=(--fps "$2"); shift 2 ;;
    --size|--crf) value_of "$@"; part_options+=("$1" "$2"); shift 2 ;;
    *) status=2 fail "$1 is not an option for the parts" ;;
  esac
done
case $fps in '' | */ | /* | *[!0-9/]* | */*/*) status=2 fail "--fps takes N or N/M, not '$fps'" ;; esac
pack=$(realpath -- "$pack")
[ -f "$pack" ] || fail "no package at $pack"

# The parts live in a folder named after the output, so that the same
# command finds the parts a stopped run finished. The folder has the same
# absolute name on every machine (GNU parallel's --workdir).
work="${TMPDIR:-/tmp}/render-parallel.$(printf '%s' "$output" | cksum | tr -c '0-9\n' _)"
mkdir -p -- "$work"
# On a failure, say what is kept; a folder without a finished part goes.
finished=0
leave() {
  local result=$? kept=0 part
  if [ "$finished" = 0 ]; then
    for part in "$work"/part_*[0-9].mp4; do [ -e "$part" ] && kept=1; done
  fi
  if [ "$kept" = 1 ]; then
    echo "render-parallel.sh: stopped; the finished parts stay in $work," \
      "and the same command renders only the missing ones" >&2
  else
    rm -rf -- "$work"
  fi
  exit "$result"
}
trap leave EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
cd -- "$work"

# The song, for its length and for the sound of the joined video.
"$renderer" --pack "$pack" --soundtrack song.mp3
last=$to
if [ -z "$to" ]; then
  to=$(ffprobe -v error -show_entries format=duration -of csv=p=0 song.mp3)
  last=$(awk -v to="$to" 'BEGIN { print to + 1 }')
fi
[ "$jobs" -gt 0 ] || jobs=$(nproc)
[ "$parts" -gt 0 ] || parts=$jobs

# One line per part: number, start, end. Neighbours share the same printed
# boundary, so each frame falls in exactly one part. Without --to the last
# part runs past the song's end, where amberrender stops.
awk -v from="$from" -v to="$to" -v last="$last" -v parts="$parts" 'BEGIN {
  for (k = 0; k < parts; ++k) {
    start = sprintf("%.9f", from + (to - from) * k / parts)
    end = k == parts - 1 ? sprintf("%.9f", last) : sprintf("%.9f", from + (to - from) * (k + 1) / parts)
    printf "%03d %s %s\n", k, start, end
  }
}' > ranges.txt

# Parts made by another renderer, package, range or options are not these
# parts: start over. A part whose renderer stopped never got its final name.
{
  printf '%s\n' "$renderer" "$pack" "${part_options[@]}"
  stat -c '%s %Y' -- "$renderer" "$pack"
  cat ranges.txt
} > settings.new
if ! cmp -s settings.new settings.txt; then
  rm -f -- part_*.mp4
fi
mv -f settings.new settings.txt
rm -f -- part_*.unfinished.mp4
while read -r part start end; do
  [ -e "part_$part.mp4" ] || echo "$part $start $end"
done < ranges.txt > missing.txt
echo "render-parallel.sh: rendering $(wc -l < missing.txt) of $parts parts in $work" >&2

# Each part is written under a name of its own and renamed only when the
# renderer has finished it: a part cut short (Ctrl-C leaves a playable
# file) is rendered again. -q hands every word to the shell that runs the
# job, here or on another machine, as one literal argument.
# shellcheck disable=SC2016 # expanded by the shell that runs each job
render_part='renderer=$1 part=$2 from=$3 to=$4
shift 4
"$renderer" "$@" --from "$from" --to "$to" --no-sound --video "part_$part.unfinished.mp4" || {
  status=$?
  rm -f "part_$part.unfinished.mp4"
  exit "$status"
}
exec mv -f "part_$part.unfinished.mp4" "part_$part.mp4"'
remote=()
if [ ${#sshlogins[@]} -gt 0 ]; then
  printf '%s\n' "${sshlogins[@]}" > sshlogins.txt
  remote=(--sshloginfile sshlogins.txt --workdir "$work" --return 'part_{1}.mp4' --cleanup)
fi
if [ -s missing.txt ]; then
  parallel --will-cite -q --halt now,fail=1 --colsep ' ' --jobs "$jobs" "${remote[@]}" \
    sh -c "$render_part" render-part "$renderer" '{1}' '{2}' '{3}' --pack "$pack" "${part_options[@]}" \
    :::: missing.txt
fi

while read -r part _; do
  [ -s "part_$part.mp4" ] || fail "part $part did not come back"
  echo "file 'part_$part.mp4'"
done < ranges.txt > parts.txt
ffmpeg -nostdin -hide_banner -loglevel error -y -f concat -safe 0 -i parts.txt -map 0:v \
  -c copy joined.mp4

# The sound from the first frame's moment, as long as the joined picture.
start=$(awk -v from="$from" -v fps="$fps" 'BEGIN {
  n = split(fps, f, "/"); rate = n == 2 ? f[1] / f[2] : f[1]
  frame = from * rate; first = int(frame); if (first < frame - 1e-9) first += 1
  printf "%.6f", first / rate }')
length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 joined.mp4)
ffmpeg -nostdin -hide_banner -loglevel error -y -i joined.mp4 -ss "$start" -t "$length" \
  -i song.mp3 -map 0:v -map 1:a -c:v copy -c:a aac -b:a 256k -shortest "file:$output"
finished=1
echo "render-parallel.sh: $output from $parts parts"
