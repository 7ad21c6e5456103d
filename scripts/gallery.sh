#!/usr/bin/env bash
# Installs what is needed, builds the optimised preset and runs the gallery.
#   scripts/gallery.sh              the index in a window
#   scripts/gallery.sh --page ID    that page in a window
#   scripts/gallery.sh --png DIR    DIR/<id>.png for every page, and DIR/index.png
#   scripts/gallery.sh --list       the page ids
#   scripts/gallery.sh --frames N   quit the window after N frames
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) a window cannot open:
# the pages are written as PNG files into ./gallery-png/ instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
(
  cd "$root"
  scripts/install-deps.sh
  cmake --preset default >/dev/null
  cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)" --target pellavo-gallery
)
gallery="$root/build/default/bin/pellavo-gallery"

opens_window=true
one_page=false
for arg in "$@"; do
  case "$arg" in
    --png|--list|--help|-h) opens_window=false ;;
    --page) one_page=true ;;
  esac
done

if $opens_window && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  out="$PWD/gallery-png"
  "$gallery" --png "$out" "$@"
  if $one_page; then
    count=1
  elif [ "$("$gallery" --list)" = "no pages" ]; then
    count=0
  else
    count=$("$gallery" --list | wc -l)
  fi
  echo "No display: wrote $count gallery page(s) as PNG files into $out/"
  exit 0
fi
exec "$gallery" "$@"
