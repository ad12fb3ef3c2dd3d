#!/usr/bin/env bash
# The Qt widget as a user installs it: the build installed into a temporary prefix, the
# README's Qt program built against it with find_package(Sheenwork COMPONENTS qt) and with
# pkg-config, the Designer plugin loaded from the prefix by QPluginLoader (by a program
# that does not link the widget's library: the plugin finds it itself), and the README's
# program clicked on an Xvfb display of its own. Every failure says which step and why.
#
#   tests/install/qt.sh <build-dir> <source-dir>
set -uo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
cleanup() {
  [ -n "${program:-}" ] && kill "$program" 2>/dev/null
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
fail() {
  echo "installed Qt package: $1" >&2
  [ -f "$prefix/log" ] && tail -20 "$prefix/log" >&2
  exit 1
}
for tool in Xvfb xdotool pkg-config; do
  command -v $tool >/dev/null || fail "$tool is missing (make deps installs it)"
done

cmake --install "$build" --prefix "$prefix/usr" >"$prefix/log" 2>&1 || fail "cmake --install failed"
lib="$prefix/usr/lib"
plugin="$lib/qt6/plugins/designer/libsheenwork-designer.so"
for file in "$lib/libsheenwork-qt.so" "$plugin" "$prefix/usr/include/sheenwork/qt/button.h" \
            "$lib/pkgconfig/sheenwork-qt.pc" "$lib/cmake/Sheenwork/SheenworkQtTargets.cmake"; do
  [ -f "$file" ] || fail "the installation has no ${file#"$prefix"/}"
done

# find_package
cmake -S "$source/tests/install/qt" -B "$prefix/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix/usr" -DEXAMPLE="$source/examples/qt_button.cpp" \
  -DPLUGIN_CHECK="$source/tests/install/qt/plugin_check.cpp" >"$prefix/log" 2>&1 ||
  fail "find_package(Sheenwork COMPONENTS qt) did not configure"
ninja -C "$prefix/consumer" >"$prefix/log" 2>&1 || fail "the find_package build failed"

# pkg-config
export PKG_CONFIG_PATH="$lib/pkgconfig"
# shellcheck disable=SC2046
c++ -std=c++20 -O1 -o "$prefix/hello-qt-pc" "$source/examples/qt_button.cpp" \
  $(pkg-config --cflags --libs sheenwork-qt) >"$prefix/log" 2>&1 || fail "the pkg-config build failed"

# The plugin from the prefix.
QT_QPA_PLATFORM=offscreen "$prefix/consumer/plugin-check" "$plugin" >"$prefix/log" 2>&1 ||
  fail "the installed plugin: $(grep -v XDG_RUNTIME "$prefix/log" | tail -1)"

# The README's program on an Xvfb display: the window is found by its title, the button
# clicked in its middle, and the click prints what the handler did.
mkfifo "$prefix/display" "$prefix/out"
timeout -k 5 120 Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
  3>"$prefix/display" 2>/dev/null &
server=$!
read -r -t 30 number <"$prefix/display" || fail "Xvfb did not start"
export DISPLAY=":$number" QT_QPA_PLATFORM=xcb
for program in "$prefix/consumer/hello-qt" "$prefix/hello-qt-pc"; do
  LD_LIBRARY_PATH="$lib" timeout -k 5 60 "$program" >"$prefix/out" 2>"$prefix/log" &
  pid=$!
  exec 4<"$prefix/out"
  window=$(xdotool search --sync --onlyvisible --name "Hello from Qt" 2>/dev/null)
  window=${window%%$'\n'*}
  [ -n "$window" ] || fail "$program: no window"
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The window is shown before it is mapped and painted; a click needs it to be there.
  sleep 0.5
  xdotool mousemove $((X + 60)) $((Y + 28)) click 1
  line=
  until [ "$line" = "Saved." ]; do
    read -r -t 30 -u 4 line || fail "$program: the click did nothing"
  done
  kill -TERM $pid
  wait $pid 2>/dev/null
  exec 4<&-
done
program=
echo "installed Qt package: find_package and pkg-config builds run and click on Xvfb; the plugin loads from the prefix"
