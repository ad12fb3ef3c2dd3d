#!/bin/sh
# One default button rendered to PNG as a whole process, beside the floor under it: the
# same program asked for its version, which starts, prints a line and ends, so that the
# render reads as what it adds to starting the tool at all. The two run in turn, RUNS
# times each, so that a drift of the machine's speed hits both; each prints the median
# and range of its wall times and the memory pages it first touched (page faults, one run
# under GNU time, which counts its own fork's too: the difference is the render's; on a
# virtual machine each fresh page is a trip to the host, and such trips are most of a
# short process's time), then the render over the floor.
#
#   bench/process.sh BUILD [RUNS] [FORM]
set -eu
[ $# -ge 1 ] || { echo "usage: $0 BUILD [RUNS] [FORM]" >&2; exit 2; }
tool=$1/sheenwork
runs=${2:-21}
form=${3:-$(dirname "$0")/one-button.sfm}
out=$1/bench/button.png
mkdir -p "$1/bench"
times=$(mktemp)
trap 'rm -f "$times"' EXIT

# Wall time of one run in microseconds; its output is thrown away.
wall() {
    start=$(date +%s%N)
    "$@" >/dev/null || { echo "failed: $*" >&2; exit 1; }
    echo $((($(date +%s%N) - start) / 1000))
}

# The first render fills the tool's face cache, which every later render reads.
"$tool" render "$form" -o "$out" >/dev/null
for i in $(seq "$runs"); do
    echo "render $(wall "$tool" render "$form" -o "$out")" >>"$times"
    echo "floor $(wall "$tool" --version)" >>"$times"
done
faults_render=$(/usr/bin/time -f %R "$tool" render "$form" -o "$out" 2>&1 >/dev/null | tail -1)
faults_floor=$(/usr/bin/time -f %R "$tool" --version 2>&1 >/dev/null | tail -1)

# Median, min and max of one kind's times, in ms.
stats() {
    awk -v kind="$1" '$1 == kind { print $2 }' "$times" | sort -n |
        awk '{ t[NR] = $1 } END { printf "%.2f %.2f %.2f", t[int((NR + 1) / 2)] / 1000, t[1] / 1000, t[NR] / 1000 }'
}
set -- $(stats render) $(stats floor)
printf 'render:  median %s ms (min %s, max %s), %s page faults\n' "$1" "$2" "$3" "$faults_render"
printf 'floor (sheenwork --version):  median %s ms (min %s, max %s), %s page faults\n' \
    "$4" "$5" "$6" "$faults_floor"
awk -v r="$1" -v f="$4" -v pr="$faults_render" -v pf="$faults_floor" 'BEGIN {
    printf "render over the floor: %.2f ms, %d page faults\n", r - f, pr - pf }'
