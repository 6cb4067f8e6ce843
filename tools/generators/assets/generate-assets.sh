#!/usr/bin/env bash
# Redraws assets/ from the drawing program: the bitmaps as they come, the
# two pictures as baseline JPEGs with three components and no subsampling.
# Usage: tools/generators/assets/generate-assets.sh BUILD_DIR   (commit the results)
set -euo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
build="${1:?usage: generate-assets.sh BUILD_DIR}"
cmake --build "$build" --target generate-assets
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen "$build/tools/generators/assets/generate-assets" "$tmp"
cp "$tmp"/*.bmp "$tmp"/kavinto-*.png "$root/assets/"
for name in banner splash banner@2x splash@2x; do
  convert "$tmp/$name.png" -strip -interlace none -sampling-factor 1x1,1x1,1x1 -quality 92 "$root/assets/$name.jpg"
done
# The Windows programs' icon: every size drawn, none scaled by Windows.
convert "$root"/assets/kavinto-{16,24,32,48,256}.png "$root/assets/kavinto.ico"
