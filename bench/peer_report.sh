#!/bin/sh
# Prints the table of our Redraw beside Qt 6's QPushButton from the CSV that
# sheenwork_qt_bench writes (--benchmark_out_format=csv): per case our time, Fusion's
# (with its pixmap cache) and the Windows style's, each the median of its interleaved
# batches, and how many times faster ours is.
#
#   bench/peer_report.sh PEER.csv
set -eu
[ $# -eq 1 ] || { echo "usage: $0 PEER.csv" >&2; exit 2; }
awk -F, '
function fmt(ns) {
    if (ns >= 1e3) return sprintf("%.2f us", ns / 1e3);
    return sprintf("%.0f ns", ns);
}
function unquote(s) { gsub(/"/, "", s); return s; }
$1 == "name" {
    for (i = 1; i <= NF; ++i) column[unquote($i)] = i;
    header = 1;
    next;
}
header && $1 ~ /^"peer\// {
    name = unquote($1); sub(/^peer\//, "", name);
    o = $(column["ours_ns"]); f = $(column["fusion_ns"]); w = $(column["windows_ns"]);
    if (!printed++)
        printf "%-34s %10s %10s %10s %12s %13s\n", "button", "ours", "Fusion", "Windows",
               "Fusion/ours", "Windows/ours";
    printf "%-34s %10s %10s %10s %12.2f %13.2f\n", name, fmt(o), fmt(f), fmt(w),
           (o > 0) ? f / o : 0, (o > 0) ? w / o : 0;
}
END { if (!printed) { print "bench/peer_report.sh: no peer rows in " FILENAME > "/dev/stderr"; exit 1; } }
' "$1"
