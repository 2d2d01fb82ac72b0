#!/usr/bin/env bash
# Runs orvane-grid-screenshots offscreen on a coarse demo slide: every step must complete and
# write its PNG, and a slide without its map must end the run with the message, not wait in a
# message box.
#   grid_screenshots_test.sh ORVANE_GRID_SCREENSHOTS ORVANE_DEMO_SLIDE WORK_DIR
set -uo pipefail
tool=$1
generator=$2
work=$3
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

rm -rf "$work"
mkdir -p "$work/out" "$work/no-map"
"$generator" --pixel-um 20 --seed 1 -o "$work/slide" >/dev/null 2>&1 || { echo "generator failed" >&2; exit 1; }

timeout 240 "$tool" "$work/slide" "$work/out" 60 >"$work/steps.txt" 2>"$work/err.txt"
status=$?
[[ $status -eq 0 ]] || fail "exit status $status: $(cat "$work/err.txt")"
for step in "Define Grid with Load Map" "Adjust Grid 2DW" "Show Selection Statistics of the spot" \
            "Grid Data Histogram with Auto Balance" "done"; do
  grep -qx "step: $step" "$work/steps.txt" || fail "step \"$step\" not reached"
done
for name in orvane-grid orvane-grid-parameters orvane-statistics orvane-histogram; do
  png=$work/out/$name.png
  if [[ ! -s $png ]]; then
    fail "$name.png not written"
  elif [[ $(head -c 8 "$png" | od -An -tx1 | tr -d ' \n') != 89504e470d0a1a0a ]]; then
    fail "$name.png is not a PNG"
  fi
done

# The slide map is missing: Load Map reports "Unable to open file." and the run ends with it.
cp "$work/slide/demo_635.tif" "$work/slide/demo_532.tif" "$work/no-map/"
timeout 240 "$tool" "$work/no-map" "$work/out" 60 >/dev/null 2>"$work/err.txt"
status=$?
[[ $status -eq 1 ]] || fail "without the map: exit status $status, expected 1"
grep -q "message box: Unable to open file." "$work/err.txt" || fail "without the map: $(cat "$work/err.txt")"

[[ $failures -eq 0 ]] && echo "all checks passed"
exit $((failures > 0))
