#!/usr/bin/env bash
# Boxes with every blending preset, factor pairs (numbers, names, keep), the
# alpha test, the colour mask, rotation about a pivot; software renderer, exact.
. "$(dirname "$0")/../lib.sh"
run_game --frames 2 --shot "2:$WORK/blend.png"
expect_status 0
expect_image "$WORK/blend.png" blend_boxes
finish
