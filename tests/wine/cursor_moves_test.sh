#!/usr/bin/env bash
# A cursor move holds although the X pointer moved without Wine knowing: Wine then still has
# the old point on record, and setting that point again warps nothing by itself.
# Usage: cursor_moves_test.sh HARNESS_TEST_EXE (inside scripts/with-wine)
set -euo pipefail
exe=$1
wine "$exe" --gtest_color=no --gtest_filter='CursorMoves.*'
xdotool mousemove 700 700
wine "$exe" --gtest_color=no --gtest_filter='CursorMoves.*'
