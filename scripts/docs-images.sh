#!/usr/bin/env bash
# Regenerates the pictures under docs/images/ from the gallery's PNG mode: the index and
# one page per component family. The README and the docs/ pages show them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$root/scripts/gallery.sh" --png "$out" >/dev/null
mkdir -p "$root/docs/images"
for page in index VXSegmentedControl GMStepper VXActiveTextField VXPopOverMenu PopBubble VXWalkthrough \
            LoadingIndicators GradientAndProgress; do
  cp "$out/$page.png" "$root/docs/images/$page.png"
done
echo "docs-images: wrote $(ls "$root/docs/images" | wc -l) picture(s) into docs/images/"
