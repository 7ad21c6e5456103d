#!/usr/bin/env bash
# Installs what is needed, builds the optimised preset and runs the gallery.
#   scripts/gallery.sh              every page in a window
#   scripts/gallery.sh --png DIR    one PNG per page into DIR
#   scripts/gallery.sh --list       the page names
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)" --target pellavo-gallery
exec build/default/bin/pellavo-gallery "$@"
