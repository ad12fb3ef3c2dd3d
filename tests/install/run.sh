#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the README's examples against it,
# once through find_package(Sheenwork) and once through pkg-config, then runs them: the
# scripted one as it is, the window one under an Xvfb display of its own, clicked with
# xdotool.
#
#   tests/install/run.sh <build-dir> <source-dir>
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
cleanup() {
  [ -n "${program:-}" ] && kill "$program" 2>/dev/null
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
cmake --install "$build" --prefix "$prefix/usr" >/dev/null
expected=$'Saved.\nSaved.\n12000 pixels'

# The installed tool runs from its prefix.
"$prefix/usr/bin/sheenwork" --version | grep -qx 'sheenwork 2.8.0'
# Its run command is the window host installed under libexec; it reads the form before
# it opens a display, so a missing form is its answer without one.
if "$prefix/usr/bin/sheenwork" run "$prefix/none.sfm" 2>"$prefix/run.err"; then
  echo "sheenwork run of a missing form succeeded" >&2; exit 1
fi
grep -q "none.sfm: cannot read the file" "$prefix/run.err" ||
  { echo "sheenwork run answered: $(cat "$prefix/run.err")" >&2; exit 1; }

# find_package
cmake -S "$source/tests/install" -B "$prefix/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix/usr" -DEXAMPLE="$source/examples/hello_button.cpp" \
  -DWINDOW_EXAMPLE="$source/examples/window_button.cpp" >/dev/null
ninja -C "$prefix/consumer" >/dev/null
got=$(LD_LIBRARY_PATH="$prefix/usr/lib" "$prefix/consumer/hello")
[ "$got" = "$expected" ] || { echo "find_package build printed: $got" >&2; exit 1; }
# It uses the installed shared library, not the build tree's.
ldd "$prefix/consumer/hello" | grep -q "$prefix/usr/lib/libsheenwork.so" ||
  LD_LIBRARY_PATH="$prefix/usr/lib" ldd "$prefix/consumer/hello" | grep -q "$prefix/usr/lib/libsheenwork.so"

# pkg-config
export PKG_CONFIG_PATH="$prefix/usr/lib/pkgconfig"
# shellcheck disable=SC2046
c++ -O1 -o "$prefix/hello-pc" "$source/examples/hello_button.cpp" $(pkg-config --cflags --libs sheenwork)
got=$(LD_LIBRARY_PATH="$prefix/usr/lib" "$prefix/hello-pc")
[ "$got" = "$expected" ] || { echo "pkg-config build printed: $got" >&2; exit 1; }
# As the README builds it for a prefix outside the loader's search: with the library's
# folder as the program's run-time path, nothing else set.
c++ -O1 -o "$prefix/hello-rpath" "$source/examples/hello_button.cpp" \
  $(pkg-config --cflags --libs sheenwork) -Wl,-rpath,"$(pkg-config --variable=libdir sheenwork)"
got=$(env -u LD_LIBRARY_PATH "$prefix/hello-rpath")
[ "$got" = "$expected" ] || { echo "pkg-config build with its run-time path printed: $got" >&2; exit 1; }
c++ -O1 -o "$prefix/hello-window-pc" "$source/examples/window_button.cpp" \
  $(pkg-config --cflags --libs sheenwork-desktop)

# The window program under Xvfb: the host's trace (SHEENWORK_TRACE=1) says when the window
# is on screen and where; a click on the button prints what the handler did.
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "$tool is missing (make deps installs it)" >&2; exit 1; }
done
mkfifo "$prefix/display" "$prefix/out"
timeout -k 5 120 Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r \
  3>"$prefix/display" 2>/dev/null &
server=$!
read -r -t 30 number <"$prefix/display"
export DISPLAY=":$number" SDL_VIDEODRIVER=x11
xdotool mousemove 0 0
for program in "$prefix/consumer/hello-window" "$prefix/hello-window-pc"; do
  LD_LIBRARY_PATH="$prefix/usr/lib" SHEENWORK_TRACE=1 timeout -k 5 60 "$program" >"$prefix/out" &
  pid=$!
  exec 4<"$prefix/out"
  until [[ "${line:-}" == *" ready" ]]; do
    read -r -t 30 -u 4 line || { echo "$program: no window" >&2; exit 1; }
    [[ "$line" == *" form show Hello "* ]] && read -r _ _ _ _ left top _ <<<"$line"
  done
  xdotool mousemove $((left + 55)) $((top + 23)) click 1
  until [ "${line:-}" = "Saved." ]; do
    read -r -t 30 -u 4 line || { echo "$program: the click did nothing" >&2; exit 1; }
  done
  kill -TERM $pid
  wait $pid || { echo "$program: did not end cleanly" >&2; exit 1; }
  exec 4<&-
  line=
done
program=
echo "installed package: find_package and pkg-config builds run, the window program on Xvfb too"
