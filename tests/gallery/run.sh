#!/usr/bin/env bash
# Opens the gallery page `sheenwork gallery` writes in headless Chromium (Debian's
# chromium) in a window of a laptop's 1366 pixels, checks that every picture on it loaded
# and that it lays out no wider than the window, and takes a screenshot.
#
#   tests/gallery/run.sh <sheenwork-tool> <output-dir>
set -euo pipefail
tool=$1
out=$2
command -v chromium >/dev/null 2>&1 || {
  echo "tests/gallery/run.sh: chromium is missing (Debian package chromium; make deps installs it)" >&2
  exit 1
}
rm -rf "$out"
mkdir -p "$out"
"$tool" gallery -o "$out/gallery" >/dev/null
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
       --disable-background-networking --disable-component-update --disable-sync
       --user-data-dir="$out/profile" --virtual-time-budget=10000)
page="file://$(cd "$out/gallery" && pwd)/index.html"
# The page writes "<loaded>/<all>" into its body's data-images once everything is in, and
# the width it laid out into data-width.
dom=$(timeout -k 5 60 chromium "${flags[@]}" --window-size=1366,768 --dump-dom "$page" 2>/dev/null)
count=$(grep -o 'data-images="[0-9]*/[0-9]*"' <<<"$dom" | head -1)
[ "$count" = 'data-images="175/175"' ] || {
  echo "gallery page: expected 175 of 175 pictures loaded, got '${count:-nothing}'" >&2
  exit 1
}
width=$(grep -o 'data-width="[0-9]*"' <<<"$dom" | head -1 | tr -dc 0-9)
[ -n "$width" ] && [ "$width" -le 1366 ] || {
  echo "gallery page: laid out ${width:-?} pixels wide, more than a 1366-pixel screen" >&2
  exit 1
}
timeout -k 5 60 chromium "${flags[@]}" --window-size=1366,5200 --screenshot="$out/gallery.png" \
  "$page" >/dev/null 2>&1
[ "$(head -c 8 "$out/gallery.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || {
  echo "gallery page: no screenshot" >&2
  exit 1
}
echo "gallery page: 175 of 175 pictures loaded, $width pixels wide; screenshot $out/gallery.png"
