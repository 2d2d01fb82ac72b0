#!/usr/bin/env bash
# The limma round trip: lays a grid over a generated demo slide with orvane-batch, exports GenePix
# Results and has R/limma read them (limma_round_trip.R). Exit 77 (skipped) without Rscript.
#   limma_round_trip.sh ORVANE_BATCH ORVANE_DEMO_SLIDE EXAMPLE.gpr WORK_DIR
set -euo pipefail
batch=$1
generator=$2
example=$3
work=$4
if ! command -v Rscript >/dev/null; then
  echo "Rscript is not installed (scripts/install-deps installs r-base-core)"
  exit 77
fi
rm -rf "$work"
mkdir -p "$work"
"$generator" --pixel-um 50 --seed 7 -o "$work/slide" >/dev/null
red=$work/slide/demo_635.tif
green=$work/slide/demo_532.tif
"$batch" define-grid --map "$work/slide/slide_map_data.txt" -o "$work/slide.grd" "$red" "$green" >/dev/null
"$batch" extract --gpr "$work/slide.gpr" "$work/slide.grd" "$red" "$green"
"$batch" extract --gpr "$work/single.gpr" "$work/slide.grd" "$red"
Rscript "$(dirname "$0")/limma_round_trip.R" "$example" "$work/slide.gpr" "$work/single.gpr"
