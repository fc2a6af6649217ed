#!/usr/bin/env bash
# Runs the whole test suite of both builds (build/ and build-sanitize/, built as
# scripts/test.sh builds them) N times, default 10, with two busy processes beside it, as on
# a loaded CI machine, and prints for each test and build how many runs failed. Exits
# non-zero when any run failed. Not part of CI; slow.
#   bash scripts/stress-tests.sh [N]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-10}"
if ! [[ "$runs" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [number of runs]" >&2
  exit 2
fi

bash "$root/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
builds=(build build-sanitize)
bash "$root/scripts/build.sh" "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
bash "$root/scripts/build.sh" "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON

logs="$(mktemp -d "${TMPDIR:-/tmp}/stress-tests.XXXXXX")"
busy=()
stop_busy() {
  for pid in "${busy[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  busy=()
}
trap stop_busy EXIT
trap 'stop_busy; exit 130' INT
trap 'stop_busy; exit 143' TERM
for _ in 1 2; do
  yes >/dev/null &
  busy+=("$!")
done

# passed[build/test] counts the runs in which the test passed. The tests are whatever ctest
# knows in each build, so tests added since are included; one that a run did not report at
# all (a crash of ctest, say) counts as failed in it.
declare -A passed
declare -A known
tests=()
for b in "${builds[@]}"; do
  while read -r name; do
    passed[$b/$name]=0
    if [ -z "${known[$name]:-}" ]; then
      known[$name]=1
      tests+=("$name")
    fi
  done < <(ctest --test-dir "$root/$b" -N | sed -n 's/^ *Test *#[0-9]*: *//p')
done

start=$SECONDS
for ((run = 1; run <= runs; run++)); do
  for b in "${builds[@]}"; do
    log="$logs/$b-run$run.log"
    ctest --test-dir "$root/$b" --output-on-failure >"$log" 2>&1 || true
    # A result line reads "  3/20 Test  #3: tst_board ......   Passed    0.01 sec"; a test
    # whose tools or switch are missing reads "***Skipped" and counts as no failure.
    while read -r name; do
      passed[$b/$name]=$((${passed[$b/$name]:-0} + 1))
    done < <(sed -n 's/^ *[0-9]*\/[0-9]* *Test *#[0-9]*: *\([^ ]*\) \.* *\(\*\*\*Skipped\|Passed\) .*/\1/p' "$log")
    echo "run $run of $runs, $b: $(grep 'tests passed' "$log" || echo 'no result')"
  done
done
stop_busy

echo
echo "Failed runs of $runs with two busy processes beside them ($((SECONDS - start)) s):"
printf '%-24s' test
printf '%16s' "${builds[@]}"
echo
failures=0
for name in "${tests[@]}"; do
  printf '%-24s' "$name"
  for b in "${builds[@]}"; do
    if [ -n "${passed[$b/$name]+set}" ]; then
      failed=$((runs - passed[$b/$name]))
      failures=$((failures + failed))
      printf '%16s' "$failed of $runs"
    else
      printf '%16s' "-"
    fi
  done
  echo
done
echo "Logs of every run: $logs"
[ "$failures" -eq 0 ]
