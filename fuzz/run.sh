#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60). Fails
# on the first finding: a crash, a sanitizer report, a time-out, a leak, too
# much memory, or a broken property of the outputs. The input that caused it
# is left in BUILD/findings/ (BUILD is $FUZZ_BUILD_DIR, default build-fuzz).
#
# Each target starts from the minimised corpus kept in fuzz/corpus/TARGET,
# the seeds and the kept regressions. With FUZZ_UPDATE_CORPUS=1 the corpus
# grown by the run is minimised (libFuzzer's -merge) back into
# fuzz/corpus/TARGET, to be committed. Each target ends with its executions,
# inputs a second, and the coverage reached (cov: edges, ft: features).
#
#   fuzz/run.sh 60                            # the CI step
#   FUZZ_BUILD_DIR=/tmp/fz fuzz/run.sh 600
#   FUZZ_TARGETS=fuzz_compile fuzz/run.sh 60  # one target
#
# A longer campaign, an hour per target: once the targets are built (any run
# builds them), one process per target side by side, each with its own seed
# folder and working corpus, at low priority on a shared machine:
#
#   for t in fuzz_compile fuzz_fields; do
#     FUZZ_TARGETS=$t FUZZ_UPDATE_CORPUS=1 nice -n 19 fuzz/run.sh 3600 >/tmp/$t.out 2>&1 &
#   done; wait; tail -n 8 /tmp/fuzz_*.out
#
# A finding stops its target and leaves the input in BUILD/findings/: replay
# it with BUILD/bin/TARGET FILE, keep it in tests/hardening/regressions/TARGET/
# named for what it hit, and commit it with the fix. The updated corpus is
# worth committing when it reaches more (cov:, ft:) or the input's shape has
# changed: a merge renames most of its inputs.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
cxx=${FUZZ_CXX:-clang++}

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCENARIO_FUZZ=ON -DSCENARIO_TESTS=OFF
fi
cmake --build "$build" -j2 --target fuzz_compile fuzz_fields fuzz_seeds

# Seeds: the embedded scenario, generated scenarios, the small files of the
# readers' tests and any text fixtures of the tests; then every input kept
# from earlier findings.
targets=${FUZZ_TARGETS:-fuzz_compile fuzz_fields}
# One seed folder per set of targets, so that runs of single targets can go
# on side by side.
seeds=$build/seeds/${targets// /+}
rm -rf "$seeds"
mapfile -t fixtures < <(find "$root/tests" -name '*.txt' -type f | sort)
"$build/bin/fuzz_seeds" "$seeds/fuzz_compile" "$seeds/fuzz_fields" "${fixtures[@]}"
for target in $targets; do
  if [ -d "$root/tests/hardening/regressions/$target" ]; then
    cp "$root/tests/hardening/regressions/$target"/* "$seeds/$target/" 2>/dev/null || true
  fi
done

# While fuzzing, the sanitizer records no stack for each allocation and
# free (an eighth of the time of an input went there); a finding is then
# replayed once with the full records, so that its report says where the
# memory concerned was allocated and freed.
fuzz_asan_options=${ASAN_OPTIONS:-malloc_context_size=0}

status=0
passed=0
failed=0
for target in $targets; do
  corpus=$build/corpus/$target
  kept=$root/fuzz/corpus/$target
  findings=$build/findings
  mkdir -p "$corpus" "$findings" "$kept"
  log=$build/$target.log
  echo "== $target: $seconds s"
  set +e
  ASAN_OPTIONS=$fuzz_asan_options "$build/bin/$target" "$corpus" "$kept" "$seeds/$target" \
    -dict="$root/fuzz/keywords.dict" \
    -max_total_time="$seconds" -timeout=25 -rss_limit_mb=3072 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" >"$log" 2>&1
  rc=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|stat::new_units_added)' "$log" || true
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true
  if [ $rc -ne 0 ]; then
    echo "!! $target: finding (exit $rc); log: $log"
    grep -E 'ERROR|property broken|runtime error|Test unit written|SUMMARY' "$log" | head -20 || true
    finding=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)
    if [ -n "$finding" ] && [ -f "$finding" ]; then
      "$build/bin/$target" -timeout=25 -rss_limit_mb=3072 "$finding" >"$log.replay" 2>&1 || true
      echo "!! $target: the finding replayed with full allocation records: $log.replay"
    fi
    status=1
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
    if [ "${FUZZ_UPDATE_CORPUS:-0}" = 1 ]; then
      merged=$build/merged/$target
      rm -rf "$merged"
      mkdir -p "$merged"
      "$build/bin/$target" -merge=1 -dict="$root/fuzz/keywords.dict" -timeout=25 \
        -rss_limit_mb=3072 -max_len=65536 "$merged" "$kept" "$corpus" >"$build/$target.merge.log" 2>&1
      rm -rf "$kept"
      mv "$merged" "$kept"
      echo "corpus of $target: $(find "$kept" -type f | wc -l) inputs kept in fuzz/corpus/$target"
    fi
  fi
done
echo "fuzz: $passed passed, $failed failed"
exit $status
