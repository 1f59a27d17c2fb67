#!/usr/bin/env bash
# Benchmarks the package core on this machine:
#   1. checksum throughput (bit-by-bit definition, lookup tables, fused
#      scramble);
#   2. a whole build of the largest legal project (block count 65535,
#      131,070,348 bytes), read back from the device, against the same bytes
#      copied with `dd bs=1M conv=fsync` and read back with `dd iflag=direct`,
#      alternating, round by round;
#   3. the build's peak memory against the project's size;
#   4. how fast a build returns after a stop request.
# Targets: checksum >= 1.5 GB/s, build <= 1.6 x dd, peak memory <= 1.10 x size.
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
echo "== Whole build of the largest project against dd conv=fsync + dd iflag=direct"
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
dd_copy_and_check() {
  dd if="$project" of="$work/copy" bs=1M conv=fsync status=none
  dd if="$work/copy" of=/dev/null bs=1M iflag=direct status=none
}

# One round first that is not counted: the first touch of the memory and the
# files costs either side more than any later round.
dd_copy_and_check; rm -f "$work/copy"; "$bin/build_bench" "$project" "$work/VANTU.PPW"
ratios=() best_dd= best_build=
for ((i = 1; i <= rounds; i++)); do
  rm -f "$work/copy" "$work/VANTU.PPW"; sync
  t_dd=$(seconds dd_copy_and_check)
  rm -f "$work/copy"; sync
  t_build=$(seconds "$bin/build_bench" "$project" "$work/VANTU.PPW")
  ratio=$(awk -v a="$t_build" -v b="$t_dd" 'BEGIN { printf "%.2f", a / b }')
  echo "round $i: dd $t_dd s   build $t_build s   build / dd $ratio"
  ratios+=("$ratio")
  best_dd=$(awk -v a="$best_dd" -v b="$t_dd" 'BEGIN { print (a == "" || b < a) ? b : a }')
  best_build=$(awk -v a="$best_build" -v b="$t_build" 'BEGIN { print (a == "" || b < a) ? b : a }')
done
[[ $(stat -c %s "$work/VANTU.PPW") -eq $((size - 256 + 64)) ]] || { echo "package has the wrong size" >&2; exit 1; }
printf '%s\n' "${ratios[@]}" | sort -n | awk -v size="$size" -v dd="$best_dd" -v build="$best_build" '
  { r[NR] = $1 }
  END {
    printf "project %d bytes; best dd %.3f s, best build %.3f s\n", size, dd, build
    printf "build / dd per round: %.2f to %.2f, median %.2f; best / best %.2f (target <= 1.6)\n",
           r[1], r[NR], (NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2), build / dd
  }'

echo
echo "== Peak memory of a build"
rm -f "$work/VANTU.PPW"
peak_kb=$(/usr/bin/time -f '%M' "$bin/build_bench" "$project" "$work/VANTU.PPW" 2>&1 >/dev/null | tail -1)
awk -v kb="$peak_kb" -v size="$size" 'BEGIN { printf "max RSS %d KiB = %.3f x project size (target <= 1.10)\n", kb, kb * 1024 / size }'

echo
echo "== Stop latency (target: returns within 100 ms)"
for delay in 20 60 120 250 400; do
  rm -f "$work/VANTU.PPW"
  "$bin/build_bench" "$project" "$work/VANTU.PPW" --stop "$delay"
done
