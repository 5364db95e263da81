#!/bin/sh
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
# renders the frames one run would. With --sshlogin (":" is this machine)
# every machine needs the renderer and the package at the same absolute
# paths as here, and rsync; the parts come back by ssh.
set -eu

usage() {
  sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}

parts=0
jobs=0
from=0
to=
renderer=
# One GNU parallel sshlogin a line; a login may be a whole ssh command with
# its own options ("ssh -p 2222 -i key user@host"), so it is never split.
sshlogins=
newline='
'
while [ $# -gt 0 ]; do
  case "$1" in
    --parts) parts=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --sshlogin) sshlogins="$sshlogins$2$newline"; shift 2 ;;
    --from) from=$2; shift 2 ;;
    --to) to=$2; shift 2 ;;
    --renderer) renderer=$2; shift 2 ;;
    --help|-h) usage ;;
    -*) echo "render-parallel.sh: unknown option $1" >&2; usage ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || usage
output=$1
shift

for tool in parallel ffmpeg ffprobe; do
  command -v "$tool" > /dev/null || {
    echo "render-parallel.sh: needs $tool (Debian packages parallel and ffmpeg)" >&2
    exit 1
  }
done
if [ -z "$renderer" ]; then
  renderer=$(command -v amberrender || true)
  [ -n "$renderer" ] || renderer="$(cd "$(dirname "$0")/.." && pwd)/build/amberrender"
fi
renderer=$(realpath "$renderer")

# The package and the frame rate, as amberrender will read them.
pack=pack.zip
fps=60
passed=
while [ $# -gt 0 ]; do
  case "$1" in
    --pack) pack=$2; shift 2 ;;
    --fps) fps=$2; passed="$passed --fps $2"; shift 2 ;;
    --size|--crf) passed="$passed $1 $2"; shift 2 ;;
    *) echo "render-parallel.sh: $1 is not an option for the parts" >&2; exit 2 ;;
  esac
done
pack=$(realpath "$pack")

work=$(mktemp -d "${TMPDIR:-/tmp}/render-parallel.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

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

remote=
if [ -n "$sshlogins" ]; then
  printf '%s' "$sshlogins" > sshlogins.txt
  remote="--sshloginfile sshlogins.txt --workdir $work --return part_{1}.mp4 --cleanup"
fi
# shellcheck disable=SC2086
parallel --will-cite --halt now,fail=1 --colsep ' ' --jobs "$jobs" $remote \
  "$renderer" --pack "$pack" $passed --from {2} --to {3} --no-sound --video part_{1}.mp4 :::: ranges.txt

for part in part_*.mp4; do
  echo "file '$work/$part'"
done > parts.txt
ffmpeg -nostdin -hide_banner -loglevel error -y -f concat -safe 0 -i parts.txt -map 0:v \
  -c copy joined.mp4

# The sound from the first frame's moment, as long as the joined picture.
start=$(awk -v from="$from" -v fps="$fps" 'BEGIN {
  n = split(fps, f, "/"); rate = n == 2 ? f[1] / f[2] : f[1]
  frame = from * rate; first = int(frame); if (first < frame - 1e-9) first += 1
  printf "%.6f", first / rate }')
length=$(ffprobe -v error -show_entries format=duration -of csv=p=0 joined.mp4)
cd - > /dev/null
ffmpeg -nostdin -hide_banner -loglevel error -y -i "$work/joined.mp4" -ss "$start" -t "$length" \
  -i "$work/song.mp3" -map 0:v -map 1:a -c:v copy -c:a aac -b:a 256k -shortest "$output"
echo "render-parallel.sh: $output from $parts parts"
