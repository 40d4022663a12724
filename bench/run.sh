#!/usr/bin/env bash
# Builds the benchmarks in Release and measures the program as whole
# processes against the strict floor (scenario_floor_strict: C, the C
# library alone, the same file steps and sizes from one buffer, nothing
# computed), by turns, with wall time, CPU time and peak resident memory:
#
#   - the one-shot run genera_scenario (also beside the mapped floor, a
#     second and weaker reference written in this project's C++);
#   - the compile of generated scenarios of 10, 100 and 1,000 km (also
#     beside the mapped floor of the compile), the growth table;
#   - then, with IN_PROCESS=1 (the default), the in-process benchmarks of
#     each stage.
#
#   bench/run.sh                  build in build-bench; RUNS=20 ROUNDS=5 REPS=5
#   IN_PROCESS=0 RUNS=10 ROUNDS=3 bench/run.sh
#
# Every process figure is a median of RUNS x ROUNDS runs of each command,
# taken by turns, each after a sync of the file system (not timed).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
reps=${REPS:-5}
rounds=${ROUNDS:-5}
runs=${RUNS:-20}
in_process=${IN_PROCESS:-1}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target genera_scenario scenario_bench scenario_measure \
  scenario_floor_strict scenario_floor_mapped

bin=$build/bin
measure=$bin/scenario_measure

echo "== machine"
echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "kernel: $(uname -r); huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null)"
echo "genera_scenario: $(file -b "$bin/genera_scenario" | cut -d, -f1-5)"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-bench-run.XXXXXX")
trap 'rm -rf "$work"' EXIT

# compare A... -- B... [-- C...]: RUNS x ROUNDS runs of each by turns (after
# one untimed run of each, so that the older files exist for all); sets
# ms[k], cpu[k], kb[k] (median wall ms, CPU ms, peak resident kB) of each.
compare() {
  "$measure" compare 1 "$@" >/dev/null
  local out
  out=$("$measure" compare $((runs * rounds)) "$@")
  read -r -a fields <<<"$out"
  ms=() cpu=() kb=()
  for ((k = 0; k < ${#fields[@]} / 3; ++k)); do
    ms[k]=${fields[3 * k]} cpu[k]=${fields[3 * k + 1]} kb[k]=${fields[3 * k + 2]}
  done
}

size() { stat -c %s "$1"; }

# The steps of the strict floor for a run whose files are in REF: the
# sources read back and deleted (the one-shot run) or only read (a compile),
# then the binary files as one set.
binary_set_steps() {
  local ref=$1
  steps+=(s "$(basename "$ref"/*_linea.dat)" "$(size "$ref"/*_linea.dat)")
  steps+=(s "$(basename "$ref"/*.sim)" "$(size "$ref"/*.sim)")
  local dat
  for dat in "$ref"/*.dat; do
    case $dat in *_linea.dat) continue ;; esac
    steps+=(s "$(basename "$dat")" "$(size "$dat")")
  done
  steps+=(p)
}

row() {  # label, then the indices of the program and its floor
  awk -v l="$1" -v a="${ms[$2]}" -v b="${ms[$3]}" -v ac="${cpu[$2]}" -v bc="${cpu[$3]}" 'BEGIN {
    printf "  %-34s %8.3f %8.3f %6.2f %8.3f %8.3f %6.2f\n", l, a, b, a / b, ac, bc, ac / bc }'
}
header() {
  printf '  %-34s %8s %8s %6s %8s %8s %6s\n' "" "ms" "floor ms" ratio "cpu ms" "flr cpu" ratio
}

echo
echo "== the one-shot run as a process ($((rounds * runs)) runs of each by turns, medians)"
mkdir -p "$work/run" "$work/strict" "$work/mapped" "$work/ref"
cp "$bin/genera_scenario" "$work/run/"
cp "$bin/scenario_floor_mapped" "$work/mapped/"
"$work/run/genera_scenario" 2>/dev/null
cp "$work/run/"*.txt "$work/run/"*.dat "$work/run/"*.sim "$work/ref/"
"$measure" sources "$work/ref"
ref=$work/ref
line_src=$(basename "$ref"/*_linea.txt)
service_src=$(basename "$ref"/*-.txt)
steps=()
for t in "$line_src" "$service_src" "$(basename "$ref"/*_note.txt)" \
  "$(basename "$ref"/*_rallentamenti.txt)" "$(basename "$ref"/*_scheda_treno.txt)"; do
  steps+=(w "$t" "$(size "$ref/$t")")
done
steps+=(r "$line_src" d "$line_src" r "$service_src" d "$service_src")
binary_set_steps "$ref"
written=$(find "$work/run" -maxdepth 1 -type f ! -name genera_scenario -printf '%s\n' |
  awk '{s+=$1} END {print s}')
compare "$work/run/genera_scenario" -- "$bin/scenario_floor_strict" "$work/strict" \
  "${steps[@]}" -- "$work/mapped/scenario_floor_mapped" "$ref"
header
row "genera_scenario / strict floor" 0 1
row "genera_scenario / mapped floor" 0 2
echo "  bytes left by the run: $written; peak memory: run ${kb[0]} kB, strict floor ${kb[1]} kB"
echo "  targets: 1.5 in wall and CPU time against the strict floor"

echo
echo "== the compile as a process ($((rounds * runs)) runs of each by turns, medians)"
"$measure" times 1 "$measure" empty >/dev/null
bare_kb=$("$measure" times 5 "$measure" empty | cut -d' ' -f3)
# Peak memory is in kB of 1024 bytes; "peak-bare" is the peak less that of a
# bare process of the same program.
printf '  %5s %9s %8s %8s %6s %8s %8s %6s %6s %8s %8s %10s\n' km "bytes out" "comp ms" \
  "floor ms" ratio "comp cpu" "flr cpu" ratio mapped "peak kB" "peak/out" "peak-bare"
for km in 10 100 1000; do
  mkdir -p "$work/c$km" "$work/r$km" "$work/s$km" "$work/m$km"
  bytes=$("$measure" prepare "$km" "$work/c$km")
  "$measure" compile "$work/c$km"
  cp "$work/c$km/"*.dat "$work/c$km/"*.sim "$work/r$km/"
  cp "$work/c$km/"*.txt "$work/s$km/"
  steps=(r "$(basename "$work/c$km"/*_linea.txt)" r "$(basename "$work/c$km"/*-.txt)")
  binary_set_steps "$work/r$km"
  compare "$measure" compile "$work/c$km" -- "$bin/scenario_floor_strict" "$work/s$km" \
    "${steps[@]}" -- "$measure" floor "$work/r$km" "$work/m$km"
  awk -v km="$km" -v by="$bytes" -v a="${ms[0]}" -v b="${ms[1]}" -v m="${ms[2]}" \
    -v ac="${cpu[0]}" -v bc="${cpu[1]}" -v kb="${kb[0]}" -v bare="$bare_kb" 'BEGIN {
    printf "  %5d %9d %8.3f %8.3f %6.2f %8.3f %8.3f %6.2f %6.2f %8d %8.2f %10d\n", km, by, a, b,
      a / b, ac, bc, ac / bc, a / m, kb, kb * 1024 / by, kb - bare }'
done
echo "  (\"mapped\": wall time against the mapped floor of the compile, a second reference)"
echo "  peak memory of a bare process of the same program: $bare_kb kB"
echo "  targets: the 1,000 km compile within 1.3 of the strict floor; its peak memory"
echo "           below 1.3 times the bytes it writes"

if [ "$in_process" = 1 ]; then
  echo
  echo "== in-process benchmarks, each stage ($reps repetitions, medians)"
  # Repetitions run in a random order, so that a stage and its floor meet the
  # same changes in the load of the machine.
  "$bin/scenario_bench" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
    --benchmark_enable_random_interleaving=true --benchmark_color=false
fi

echo
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
