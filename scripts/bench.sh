#!/usr/bin/env bash
# Benchmarks the package core on this machine:
#   1. checksum throughput (bit-by-bit definition, table-driven, fused scramble);
#   2. a whole build of the largest legal project (block count 65535,
#      131,070,348 bytes) against `dd ... conv=fsync` copying the same file,
#      side by side, best of several rounds each;
#   3. the build's peak memory against the project's size;
#   4. how fast a build returns after a stop request.
# Targets: checksum >= 1.5 GB/s, build <= 1.5 x dd, peak memory <= 1.25 x size.
# Uses the native build (TESSAM_BUILD_DIR overrides build/native).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=${TESSAM_BUILD_DIR:-$root/build/native}/bench
rounds=${TESSAM_BENCH_ROUNDS:-5}
for tool in checksum_bench make_project build_bench; do
  [[ -x "$bin/$tool" ]] || { echo "missing $bin/$tool: build the native preset first" >&2; exit 1; }
done

mkdir -p "$root/build"
work=$(mktemp -d "$root/build/bench-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
project=$work/project.pmw

echo "== Checksum"
"$bin/checksum_bench" --benchmark_counters_tabular=true

echo
echo "== Whole build of the largest project against dd conv=fsync"
"$bin/make_project" "$project" 65535
size=$(stat -c %s "$project")
cat "$project" >/dev/null  # both sides read from a warm page cache

seconds() {  # runs "$@", prints its wall time in seconds
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.3f", ns / 1e9 }'
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

best_dd= best_build=
for ((i = 1; i <= rounds; i++)); do
  rm -f "$work/copy" "$work/VANTU.PPW"; sync
  t_dd=$(seconds dd if="$project" of="$work/copy" bs=1M conv=fsync status=none)
  rm -f "$work/copy"; sync
  t_build=$(seconds "$bin/build_bench" "$project" "$work/VANTU.PPW")
  echo "round $i: dd $t_dd s   build $t_build s"
  best_dd=$(min "$best_dd" "$t_dd")
  best_build=$(min "$best_build" "$t_build")
done
[[ $(stat -c %s "$work/VANTU.PPW") -eq $((size - 256 + 64)) ]] || { echo "package has the wrong size" >&2; exit 1; }
awk -v size="$size" -v dd="$best_dd" -v build="$best_build" 'BEGIN {
  printf "project %d bytes; best dd %.3f s (%.0f MB/s), best build %.3f s (%.0f MB/s)\n", size, dd, size / dd / 1e6, build, size / build / 1e6
  printf "build / dd = %.2f (target <= 1.5)\n", build / dd
}'

echo
echo "== Peak memory of a build"
rm -f "$work/VANTU.PPW"
peak_kb=$(/usr/bin/time -f '%M' "$bin/build_bench" "$project" "$work/VANTU.PPW" 2>&1 >/dev/null | tail -1)
awk -v kb="$peak_kb" -v size="$size" 'BEGIN { printf "max RSS %d KiB = %.3f x project size (target <= 1.25)\n", kb, kb * 1024 / size }'

echo
echo "== Stop latency (target: returns within 100 ms)"
for delay in 20 60 120 250; do
  rm -f "$work/VANTU.PPW"
  "$bin/build_bench" "$project" "$work/VANTU.PPW" --stop "$delay"
done
