#!/bin/bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for N seconds
# (default 20) on a scratch copy of its seed corpus, so that the checked-in corpus never
# grows. Exits non-zero if any target finds a crash; the input that caused it is kept as
# build-fuzz/artifacts/<target>-crash-<hash>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build=build-fuzz
targets=(fuzz_resultcode fuzz_stopscanner fuzz_settings fuzz_logreader fuzz_labelvalue
         fuzz_networktarget fuzz_cellview fuzz_identityreply fuzz_okline)

# Debian's clang ships the libFuzzer runtime in a separate, merely recommended package.
if [ ! -e "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a" ]; then
  echo "fuzz/run.sh: the libFuzzer runtime is missing; install libclang-rt-14-dev" >&2
  exit 2
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DQELV_FUZZ=ON \
  -DQELV_BUILD_TESTS=OFF -DQELV_BUILD_BENCH=OFF
cmake --build "$build" --target qelv_fuzzers

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts"

failed=()
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  mkdir "$scratch/$target"
  cp fuzz/corpus/"$target"/* "$scratch/$target/"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  echo "=== $target: ${seconds}s"
  if ! "$build/bin/$target" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" "$scratch/$target" \
      > "$scratch/$target.log" 2>&1; then
    failed+=("$target")
    cat "$scratch/$target.log"
  else
    grep -E '^(#[0-9]+\s+DONE|stat::number_of_executed_units|stat::average_exec_per_sec)' \
      "$scratch/$target.log" || true
  fi
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz/run.sh: crashes in ${failed[*]}; see $build/artifacts/" >&2
  exit 1
fi
echo "fuzz/run.sh: no crashes"
