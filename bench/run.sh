#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them: the in-process benchmarks
# with their floors, then the same comparisons as whole processes (the
# one-shot run against a program that only writes its bytes, and the compile
# of generated scenarios of 10, 100 and 1,000 km against a process that only
# writes theirs), with the peak resident memory of each compile.
#
#   bench/run.sh                 build in build-bench, 5 repetitions, 5 rounds
#   BUILD_DIR=b REPS=3 ROUNDS=3 bench/run.sh
#
# Every figure is a median; the process figures are medians of RUNS x ROUNDS
# runs of the program and of its floor, taken by turns.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
reps=${REPS:-5}
rounds=${ROUNDS:-5}
runs=${RUNS:-20}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSCENARIO_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target genera_scenario scenario_bench scenario_misura scenario_pavimento

bin=$build/bin
misura=$bin/scenario_misura

echo "== machine"
echo "cores: $(nproc); cpu: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "== in-process benchmarks ($reps repetitions, medians)"
# Repetitions of the benchmarks run in a random order, so that a program and
# its floor meet the same changes in the load of the machine.
"$bin/scenario_bench" --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true \
  --benchmark_enable_random_interleaving=true --benchmark_color=false

work=$(mktemp -d "${TMPDIR:-/tmp}/scenario-bench-run.XXXXXX")
trap 'rm -rf "$work"' EXIT

# compare CMD_A... -- CMD_B...: RUNS x ROUNDS runs of A and B by turns; sets
# a_ms, b_ms (median wall ms), a_cpu, b_cpu (median CPU ms) and a_kb, b_kb
# (median peak resident memory).
compare() {
  # One run of each first: the older files then exist for both, as in every
  # timed run.
  local out
  "$misura" confronta 1 "$@" >/dev/null
  out=$("$misura" confronta $((runs * rounds)) "$@")
  read -r a_ms a_cpu a_kb b_ms b_cpu b_kb <<<"$out"
}

echo
echo "== the one-shot run as a process ($((rounds * runs)) runs of each by turns, medians)"
mkdir -p "$work/run" "$work/floor" "$work/ref"
cp "$bin/genera_scenario" "$work/run/"
cp "$bin/scenario_pavimento" "$work/floor/"
"$work/run/genera_scenario" 2>/dev/null
cp "$work/run/"*.txt "$work/run/"*.dat "$work/run/"*.sim "$work/ref/"
"$misura" sorgenti "$work/ref"
written=$(find "$work/run" -maxdepth 1 -type f ! -name genera_scenario -printf '%s\n' | awk '{s+=$1} END {print s}')
compare "$work/run/genera_scenario" -- "$work/floor/scenario_pavimento" "$work/ref"
printf '  %-16s %9s %9s %6s %9s %9s %6s %7s\n' "" "run ms" "floor ms" "ratio" "run cpu" \
  "floor cpu" "ratio" "target"
awk -v a="$a_ms" -v b="$b_ms" -v ac="$a_cpu" -v bc="$b_cpu" 'BEGIN {
  printf "  %-16s %9.3f %9.3f %6.2f %9.3f %9.3f %6.2f %7s\n", "genera_scenario", a, b, a / b,
    ac, bc, ac / bc, "2" }'
echo "  bytes left by the run: $written; peak memory: run ${a_kb} kB, floor ${b_kb} kB"

echo
echo "== the compile as a process ($((rounds * runs)) runs of each by turns, medians)"
"$misura" tempi 1 "$misura" vuoto >/dev/null
bare_kb=$("$misura" tempi 5 "$misura" vuoto | cut -d' ' -f3)
# Peak memory is in kB of 1024 bytes; "peak-bare" is the peak less that of a
# bare process of the same program.
printf '  %5s %9s %8s %8s %6s %8s %8s %6s %8s %8s %10s\n' km "bytes out" "comp ms" "floor ms" \
  ratio "comp cpu" "flr cpu" ratio "peak kB" "peak/out" "peak-bare"
for km in 10 100 1000; do
  mkdir -p "$work/c$km" "$work/r$km" "$work/f$km"
  bytes=$("$misura" prepara "$km" "$work/c$km")
  "$misura" compila "$work/c$km"
  cp "$work/c$km/"*.dat "$work/c$km/"*.sim "$work/r$km/"
  compare "$misura" compila "$work/c$km" -- "$misura" pavimento "$work/r$km" "$work/f$km"
  awk -v km="$km" -v by="$bytes" -v a="$a_ms" -v b="$b_ms" -v ac="$a_cpu" -v bc="$b_cpu" \
    -v kb="$a_kb" -v bare="$bare_kb" 'BEGIN {
    printf "  %5d %9d %8.3f %8.3f %6.2f %8.3f %8.3f %6.2f %8d %8.2f %10d\n", km, by, a, b, a / b,
      ac, bc, ac / bc, kb, kb * 1024 / by, kb - bare }'
done
echo "  peak memory of a bare process of the same program: $bare_kb kB"
echo "  targets: in-process 1,000 km compile within 1.5x its floor (table above);"
echo "           peak memory of the 1,000 km compile below 2x the bytes it writes"
echo
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
