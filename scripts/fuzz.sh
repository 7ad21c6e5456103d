#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, ASan+UBSan) and fuzzes targets in parallel.
#
#   scripts/fuzz.sh [TARGET...] [--seconds N] [--jobs J]
#
# Without targets it runs every one (the list is in fuzz/CMakeLists.txt), each for N seconds
# (default 60), J at a time (default: the number of cores). New corpus entries go to
# build/fuzz/corpus/<target>/ (fuzz/corpus/ stays as committed); a crash leaves its input in
# build/fuzz/crashes/<target>-crash-<hash> and the report with its stack beside it as
# <same name>.log. Exits non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
jobs=$(nproc 2>/dev/null || echo 2)
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

scripts/install-deps.sh --fuzz
cmake --preset fuzz >/dev/null
all=$(sed -n 's/^set(PELLAVO_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/CMakeLists.txt)
[ ${#targets[@]} -eq 0 ] && read -r -a targets <<<"$all"
for t in "${targets[@]}"; do
  if ! grep -qw "$t" <<<"$all"; then echo "fuzz.sh: no target '$t' (targets: $all)" >&2; exit 2; fi
done
cmake --build --preset fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"

out=build/fuzz
mkdir -p "$out/crashes" "$out/logs"
rm -f "$out"/logs/*.found
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}
export SDL_VIDEODRIVER=dummy

run() {
  local t=$1 dict=()
  [ -f "fuzz/dictionaries/$t.dict" ] && dict=(-dict="fuzz/dictionaries/$t.dict")
  mkdir -p "$out/corpus/$t"
  local before
  before=$(count "$t")
  # The first folder takes the new entries; the committed seeds and kept crashes are read only.
  "$out/bin/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=16384 \
    -print_final_stats=1 -artifact_prefix="$out/crashes/$t-" "${dict[@]}" \
    "$out/corpus/$t" "fuzz/corpus/$t" "fuzz/regressions/$t" >"$out/logs/$t.log" 2>&1 || true
  for crash in "$out/crashes/$t-"*; do
    [ -e "$crash" ] || continue
    case "$crash" in *.log) continue ;; esac
    [ -e "$crash.log" ] || cp "$out/logs/$t.log" "$crash.log"
  done
  local after
  after=$(count "$t")
  local execs
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/logs/$t.log" | tail -n1)
  if [ "$after" -gt "$before" ]; then
    echo "$t: FOUND $((after - before)) crash(es) after ${execs:-?} runs; see $out/crashes/$t-*" | tee "$out/logs/$t.found"
  else
    echo "$t: nothing found in ${execs:-?} runs"
  fi
}

# Crash inputs a target has left, without their logs.
count() { find "$out/crashes" -maxdepth 1 -name "$1-*" ! -name '*.log' | wc -l; }

echo "fuzzing ${targets[*]} for ${seconds} s each, $jobs at a time"
for t in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run "$t" &
done
wait
if compgen -G "$out/logs/*.found" >/dev/null; then
  echo "replay one with build/fuzz/bin/fuzz_<target> <input>; keep it, once fixed, under fuzz/regressions/<target>/"
  exit 1
fi
