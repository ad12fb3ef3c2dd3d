#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds the README's example against it,
# once through find_package(Sheenwork) and once through pkg-config, then runs both.
#
#   tests/install/run.sh <build-dir> <source-dir>
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix/usr" >/dev/null
expected=$'Saved.\nSaved.\n12000 pixels'

# The installed tool runs from its prefix.
"$prefix/usr/bin/sheenwork" --version | grep -qx 'sheenwork 2.8.0'

# find_package
cmake -S "$source/tests/install" -B "$prefix/consumer" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix/usr" -DEXAMPLE="$source/examples/hello_button.cpp" >/dev/null
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
echo "installed package: find_package and pkg-config builds run"
