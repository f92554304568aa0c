#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in ./build-fuzz and runs each one for
# a fixed time, starting from its seed corpus in fuzz/corpus/<target>.
#   usage: bash scripts/fuzz.sh [SECONDS] [TARGET...]   (default: 20 s, every target)
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
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
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
for target in "${targets[@]}"; do
  echo "== fuzz_$target for $seconds s"
  mkdir -p "$scratch/$target"
  log="$build/findings/$target.log"
  # The first folder receives new inputs; the seed folder is only read.
  if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$build/findings/$target-" "$scratch/$target" "$root/fuzz/corpus/$target" \
    >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target: an input broke it; see $build/findings"
    exit 1
  fi
  grep -aE '^#[0-9]+[[:space:]]+DONE' "$log"
done
