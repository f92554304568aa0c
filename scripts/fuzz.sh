#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in ./build-fuzz and runs each one for
# a fixed time, starting from its seed corpus in fuzz/corpus/<target>.
#   usage: bash scripts/fuzz.sh [SECONDS] [TARGET...]   (default: 20 s, every target,
#   as many at once as there are cores)
# New inputs go to a scratch folder, never into the repository; an input that
# breaks a target is saved as build-fuzz/findings/<target>-crash-*, and the
# script then fails. To keep it as a regression case, copy it into the
# target's corpus folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
shift || true
bash "$root/scripts/setup.sh"

build="$root/build-fuzz"
source "$root/scripts/compiler_cache.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja "${cache_flags[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRAINNODE_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  # Every target the build made, so a new one cannot be left out.
  for program in "$build"/fuzz/fuzz_*; do
    targets+=("${program##*/fuzz_}")
  done
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/findings"
rm -f "$build/findings/"*.log
export ASAN_OPTIONS=detect_leaks=1
# One target: its verdict in its log; exit status 1 when an input broke it.
fuzz_one() {
  local target=$1 log="$build/findings/$1.log"
  mkdir -p "$scratch/$target"
  # The first folder receives new inputs; the seed folder is only read.
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$build/findings/$target-" "$scratch/$target" "$root/fuzz/corpus/$target" \
    >"$log" 2>&1
}
# As many targets at once as there are cores: each is single-threaded.
jobs=$(nproc)
broken=()
for ((first = 0; first < ${#targets[@]}; first += jobs)); do
  batch=("${targets[@]:first:jobs}")
  echo "== ${batch[*]/#/fuzz_} for $seconds s"
  pids=()
  for target in "${batch[@]}"; do
    fuzz_one "$target" &
    pids+=($!)
  done
  for index in "${!batch[@]}"; do
    wait "${pids[$index]}" || broken+=("${batch[$index]}")
  done
done
for target in "${targets[@]}"; do
  log="$build/findings/$target.log"
  if [[ " ${broken[*]} " == *" $target "* ]]; then
    tail -n 60 "$log"
    echo "fuzz_$target: an input broke it; see $build/findings"
  else
    echo "fuzz_$target: $(grep -aE '^#[0-9]+[[:space:]]+DONE' "$log")"
  fi
done
[ "${#broken[@]}" -eq 0 ]
