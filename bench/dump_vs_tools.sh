#!/usr/bin/env bash
# qrx dump against xxd and hexdump -C on the same 64 MiB file of random bytes,
# whole process, output to /dev/null. Each tool runs RUNS times in turn; the
# best wall time of each is reported.
#
# Usage: bench/dump_vs_tools.sh [QRX] [RUNS]
#   QRX   the qrx program (default build/bin/qrx, a release-type build)
#   RUNS  runs per tool (default 5)
set -euo pipefail

qrx=${1:-build/bin/qrx}
runs=${2:-5}
[ -f "$qrx" ] && [ -x "$qrx" ] || { echo "dump_vs_tools: no qrx at $qrx" >&2; exit 2; }
for tool in xxd hexdump; do
  command -v "$tool" > /dev/null || { echo "dump_vs_tools: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data="$work/data.bin"
head -c $((64 * 1024 * 1024)) /dev/urandom > "$data"

TIMEFORMAT=%R
# best_of NAME COMMAND...: the fastest of $runs runs, in seconds.
best_of() {
  local best="" t
  for _ in $(seq "$runs"); do
    t=$( { time "$@" > /dev/null; } 2>&1 )
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}

qrx_s=$(best_of "$qrx" dump "$data")
xxd_s=$(best_of xxd "$data")
hexdump_s=$(best_of hexdump -C "$data")

printf '%-12s %8s s\n' "qrx dump" "$qrx_s" xxd "$xxd_s" "hexdump -C" "$hexdump_s"
awk -v q="$qrx_s" -v x="$xxd_s" -v h="$hexdump_s" 'BEGIN {
  fastest = x < h ? x : h
  printf "qrx dump is %.1fx as fast as the faster of xxd and hexdump -C\n", fastest / q
  exit !(fastest / q >= 2)
}'
