#!/usr/bin/env bash
# Runs every drawing scene (tests/data/scenes) on real GDI under Wine and writes the pixels to
# <build-dir>/reference/gdi_scenes.bin (and the button scenes to button_scenes.bin),
# which the reference tests compare with our raster. With --bench it runs the benchmark
# operations on real GDI instead.
#
#   tests/reference/run.sh <build-dir> [--bench]
#
# Builds reference/ with mingw-w64 into <build-dir>/reference-win and runs it in a fresh
# Wine prefix, <build-dir>/wineprefix, created once for the run. Memory DCs need no
# display; the real tooltip does (it is a window), so the tooltip probe runs on an Xvfb
# display of its own and writes <build-dir>/reference/tooltip_probe.txt.
set -Eeuo pipefail
# Whatever step fails says so: its line, the command and its status.
trap 'status=$?; echo "tests/reference/run.sh:$LINENO: \"$BASH_COMMAND\" failed with status $status" >&2' ERR

usage() { echo "usage: $0 <build-dir> [--bench]" >&2; exit 2; }
[ $# -ge 1 ] || usage
build=$1
mode=scenes
if [ $# -ge 2 ]; then
  [ "$2" = --bench ] || usage
  mode=bench
fi

root=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$build"
build=$(cd "$build" && pwd)

missing=()
command -v wine >/dev/null 2>&1 || missing+=("wine (Debian packages wine, wine64)")
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 ||
  missing+=("x86_64-w64-mingw32-g++-posix (Debian package g++-mingw-w64-x86-64-posix)")
command -v cmake >/dev/null 2>&1 || missing+=("cmake")
command -v ninja >/dev/null 2>&1 || missing+=("ninja (Debian package ninja-build)")
command -v Xvfb >/dev/null 2>&1 || missing+=("Xvfb (Debian package xvfb)")
if [ ${#missing[@]} -gt 0 ]; then
  echo "tests/reference/run.sh: cannot run the scenes on real GDI; missing:" >&2
  for m in "${missing[@]}"; do echo "  - $m" >&2; done
  echo "Install them (make deps does) and run again." >&2
  exit 1
fi

win_build=$build/reference-win
cmake -S "$root/reference" -B "$win_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
ninja -C "$win_build" >/dev/null

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"

# The prefix's wineserver and the X server are ours: stop them however the script ends.
xvfb_pid=
stop_server() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop_server EXIT

wineboot --init >/dev/null 2>&1 || { echo "tests/reference/run.sh: wineboot failed" >&2; exit 1; }
wineserver -w
# The control's default font, Verdana, is not installed on either side; our fontconfig
# lets DejaVu Sans stand in for it, and so must Wine.
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Verdana /t REG_SZ /d 'DejaVu Sans' /f \
  >/dev/null 2>&1 || { echo "tests/reference/run.sh: cannot set Wine's font replacement" >&2; exit 1; }
wineserver -w

if [ "$mode" = bench ]; then
  wine "$win_build/sheenwork-reference-bench.exe"
  exit 0
fi

mkdir -p "$build/reference"
out=$build/reference/gdi_scenes.bin
buttons=$build/reference/button_scenes.bin
text=$build/reference/text_scenes.bin
rm -f "$out.tmp" "$buttons.tmp" "$text.tmp"
wine "$win_build/sheenwork-reference.exe" "$(winepath -w "$root/tests/data/scenes")" \
  "$(winepath -w "$out.tmp")" "$(winepath -w "$buttons.tmp")" "$(winepath -w "$text.tmp")"
mv "$out.tmp" "$out"
mv "$buttons.tmp" "$buttons"
mv "$text.tmp" "$text"
echo "real GDI results: $out, $buttons, $text"

# The real tooltip on a display: the classic tip (no visual style, the classic info
# colours) pinned in the prefix, as the tip the tests compare with is drawn.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive \
  /t REG_SZ /d 0 /f >/dev/null 2>&1 &&
  wine reg add 'HKCU\Control Panel\Colors' /v InfoWindow /t REG_SZ /d '255 255 225' /f >/dev/null 2>&1 &&
  wine reg add 'HKCU\Control Panel\Colors' /v InfoText /t REG_SZ /d '0 0 0' /f >/dev/null 2>&1 &&
  wine reg add 'HKCU\Control Panel\Colors' /v WindowFrame /t REG_SZ /d '0 0 0' /f >/dev/null 2>&1 ||
  { echo "tests/reference/run.sh: cannot pin the classic tip in the prefix" >&2; exit 1; }
wineserver -w
# SHEENWORK_DISPLAYS=FIRST-LAST narrows the display numbers tried (on a shared machine),
# written as the desktop tests read it.
display=
range=${SHEENWORK_DISPLAYS:-90-140}
for n in $(seq "${range%-*}" "${range#*-}"); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  display=:$n
  break
done
[ -n "$display" ] || { echo "tests/reference/run.sh: no free X display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
kill -0 "$xvfb_pid" 2>/dev/null || { echo "tests/reference/run.sh: Xvfb did not start" >&2; exit 1; }
# The prefix's desktop started without a display: start it again on this one (every
# Wine program from here on, winepath too, runs on it).
export DISPLAY=$display
wineserver -k >/dev/null 2>&1 || true
wineserver -w
tips=$build/reference/tooltip_probe.txt
rm -f "$tips.tmp"
wine "$win_build/sheenwork-tooltip-probe.exe" "$(winepath -w "$tips.tmp")"
mv "$tips.tmp" "$tips"
echo "real tooltip results: $tips"
