#!/usr/bin/env bash
# Runs the built orvane-batch on a small generated demo slide and checks exit statuses, outputs
# and that nothing but messages reaches stderr when it is not a terminal.
#   cli_test.sh ORVANE_BATCH ORVANE_DEMO_SLIDE WORK_DIR
set -uo pipefail
batch=$1
generator=$2
work=$3
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect STATUS COMMAND...: runs the command with stdout and stderr captured in $out and $err.
expect() {
  local want=$1
  shift
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
  [[ $got -eq $want ]] || fail "exit $got, expected $want: $* (stderr: $err)"
}

rm -rf "$work"
mkdir -p "$work"
"$generator" --pixel-um 50 --seed 5 -o "$work/slide" >/dev/null 2>&1 || { echo "generator failed" >&2; exit 1; }
red=$work/slide/demo_635.tif
green=$work/slide/demo_532.tif

expect 0 "$batch" info "$red" "$green"
[[ "$out" == *$'width: 480\nheight: 1460\nlayers: 2\n'* ]] || fail "info size lines: $out"
[[ "$out" == *"caption: demo_635 (red), demo_532 (green)"* ]] || fail "info caption: $out"
[[ -z "$err" ]] || fail "info wrote to stderr although it is not a terminal: $err"

expect 1 "$batch" info "$work/missing.tif"
[[ "$err" == *"Can not open requested file: $work/missing.tif"* ]] || fail "missing file message: $err"
[[ -z "$out" ]] || fail "output on failure: $out"

expect 1 "$batch" info "$work/slide/slide_map_data.txt"
[[ -n "$err" ]] || fail "no message for a text file given as image"

expect 2 "$batch"
expect 2 "$batch" nonsense
expect 2 "$batch" info
[[ "$err" == *"usage: orvane-batch info"* ]] || fail "usage line: $err"
expect 0 "$batch" --help
expect 0 "$batch" info --help

expect 0 "$batch" export -o "$work/export.tif" "$red" "$green"
[[ -s "$work/export.tif" ]] || fail "export wrote no file"
[[ -z "$out$err" ]] || fail "export printed something: $out$err"
if command -v identify >/dev/null; then
  geometry=$(identify -format '%w %h %z %[channels]' "$work/export.tif" 2>/dev/null)
  [[ "$geometry" == "480 1460 8 srgb"* ]] || fail "export is not a 480 x 1460 8-bit RGB TIFF: $geometry"
fi
expect 2 "$batch" export "$red"
expect 2 "$batch" export --channel-off 4 -o "$work/x.tif" "$red"
expect 1 "$batch" export -o "$work/missing-dir/x.tif" "$red"
[[ ! -e "$work/missing-dir/x.tif" ]] || fail "failed export left a file"

expect 0 "$batch" process --mean --median --subtract-background 10,10,0,0 -o "$work/processed.tif" "$green"
[[ -z "$out$err" ]] || fail "process printed something: $out$err"
expect 0 "$batch" info "$work/processed.tif"
[[ "$out" == *$'width: 480\nheight: 1460\nlayers: 1\nx_resolution: 200\ny_resolution: 200\nresolution_unit: 3\nscan_origin_x: 0.2\nscan_origin_y: 0.5\n'* ]] ||
  fail "processed scan does not load back like the scan: $out"
expect 2 "$batch" process --subtract-background 1,2,3 -o "$work/x.tif" "$green"
expect 2 "$batch" process -o "$work/x.tif" "$red" "$green"
expect 1 "$batch" process --mean -o "$work/y.tif" "$work/missing.tif"
[[ ! -e "$work/y.tif" ]] || fail "failed process left a file"

# Every subcommand listed in the general help answers --help.
for command in $("$batch" --help | awk '/^commands:/ {on = 1; next} on && /^  [a-z]/ {print $1}'); do
  expect 0 "$batch" "$command" --help
  [[ "$out" == "usage: orvane-batch $command"* ]] || fail "$command --help: $out"
done

if [[ $failures -ne 0 ]]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all orvane-batch checks passed"
