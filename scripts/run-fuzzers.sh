#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz build for SECONDS seconds each and
# fails as soon as one finds a crash. Each target keeps its corpus between runs
# in build/fuzz/corpus/<target>; crash inputs land in build/fuzz/artifacts/.
# TESSAM_FUZZ_BUILD_DIR overrides the build folder (build/fuzz).
set -euo pipefail
seconds=${1:?usage: run-fuzzers.sh SECONDS}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TESSAM_FUZZ_BUILD_DIR:-$root/build/fuzz}

shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if ((${#targets[@]} == 0)); then
  echo "no fuzz targets in $build/fuzz: build the fuzz preset first" >&2
  exit 1
fi

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  [[ -x "$target" && -f "$target" ]] || continue
  name=$(basename "$target")
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" \
      "$corpus" 2>"$build/$name.log"; then
    tail -n 40 "$build/$name.log" >&2
    echo "$name found a crash; the input is in $build/artifacts/" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$build/$name.log" || true
done
echo "All fuzz targets ran ${seconds}s without a crash."
