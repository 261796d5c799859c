#!/usr/bin/env bash
# Whole-process start under Xvfb: bitvane against a Qt program that shows an empty
# dialog, each from spawning to its window's first mapping, 20 runs each.
#   bench/process_start.sh [BUILD_DIR]      (default build/bench)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build/bench}
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
  '$build/bench/process_start' '$build/bench/empty_dialog'
  '$build/bench/process_start' '$build/app/bitvane'
"
