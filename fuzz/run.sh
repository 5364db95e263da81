#!/usr/bin/env bash
# Fuzzes one target of the sanitizer tree for a while:
#   fuzz/run.sh TARGET [SECONDS] [more libFuzzer options]
# TARGET is model3ds, track, package or image; SECONDS defaults to 300.
# The corpus grows in build-sanitize/fuzz/corpus/TARGET (seeded from the
# generated seeds), findings land in build-sanitize/fuzz/findings/, and the
# last lines printed are the run's figures.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=${1:?usage: fuzz/run.sh TARGET [SECONDS] [options]}
seconds=${2:-300}
shift $(( $# >= 2 ? 2 : 1 ))
tree="$top/build-sanitize/fuzz"
binary="$tree/fuzz_$target"
[[ -x "$binary" ]] || { echo "no $binary: run scripts/build-sanitize.sh first" >&2; exit 1; }
mkdir -p "$tree/corpus/$target" "$tree/findings"
# One second per input, leaks reported, inputs up to 64 KiB; the targets'
# own chatter on stdout and stderr is closed (libFuzzer keeps its own).
"$binary" -max_total_time="$seconds" -timeout=1 -detect_leaks=1 -rss_limit_mb=2048 \
  -max_len=65536 -close_fd_mask=3 -print_final_stats=1 \
  -artifact_prefix="$tree/findings/$target-" "$@" \
  "$tree/corpus/$target" "$tree/seeds/$target" 2>&1 | tee "$tree/findings/$target.log" |
  grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::|==[0-9]+==|SUMMARY|artifact_prefix|Test unit)'
