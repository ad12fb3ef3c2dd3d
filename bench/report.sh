#!/bin/sh
# Prints the benchmark table of one `make bench` run: for every operation our raster's
# time, real GDI's under Wine and the physical limit where there is one (memset of the
# surface for fills, memcpy for copies, two memsets for a whole repaint), with the
# ratios.
#
#   bench/report.sh WINE.txt OURS.txt
#
# WINE.txt is what the reference benchmark printed; OURS.txt is Google Benchmark's
# console output, with or without repetitions (then the medians are read). Times are
# wall-clock on both sides.
set -eu
[ $# -eq 2 ] || { echo "usage: $0 WINE.txt OURS.txt" >&2; exit 2; }
awk -v wine="$1" '
function fmt(ns) {
    if (ns == "") return "-";
    if (ns >= 1e6) return sprintf("%.2f ms", ns / 1e6);
    if (ns >= 1e3) return sprintf("%.1f us", ns / 1e3);
    return sprintf("%.0f ns", ns);
}
function ratio(a, b) { return (a == "" || b == "" || b == 0) ? "-" : sprintf("%.2f", a / b); }
function ns(value, unit) {
    return value * (unit == "ms" ? 1e6 : unit == "us" ? 1e3 : unit == "s" ? 1e9 : 1);
}
BEGIN {
    while ((getline line < wine) > 0) {
        n = split(line, f, " ");
        if (n >= 3 && f[1] ~ /^wine\// && f[3] == "ns") {
            key = substr(f[1], 6);
            gdi[key] = f[2];
        }
    }
}
# Google Benchmark console rows: name, time, unit, CPU time, unit, iterations, ...
NF >= 5 && $3 ~ /^(ns|us|ms|s)$/ && $1 ~ /\// {
    name = $1;
    if (name ~ /_(mean|stddev|cv)$/) next;
    sub(/_median$/, "", name);
    sub(/\/iterations:[0-9]+$/, "", name);
    t = ns($2, $3);
    if (name ~ /^limit\//) { limit[substr(name, 7)] = t; next; }
    if (name ~ /^runtime\// || name ~ /^picture\//) next;
    key = name; sub(/^raster\//, "", key);
    if (!(key in ours)) order[++count] = key;
    ours[key] = t;
}
END {
    printf "%-42s %10s %10s %10s  %-24s %8s %8s\n", "operation", "ours", "real GDI", "limit",
           "(limit is)", "GDI/ours", "ours/lim";
    for (i = 1; i <= count; ++i) {
        key = order[i]; lim = ""; what = "";
        size = key; sub(/^.*\//, "", size);
        if (key ~ /^(Fill|StretchDIBits)\//) what = "memset/" size;
        else if (key ~ /^BitBlt\//) what = "memcpy/" size;
        else if (key ~ /^Redraw\//) what = "2xmemset/" size;
        if (what != "" && (what in limit)) lim = limit[what]; else what = "";
        printf "%-42s %10s %10s %10s  %-24s %8s %8s\n", key, fmt(ours[key]), fmt(gdi[key]),
               fmt(lim), what, ratio(gdi[key], ours[key]), ratio(ours[key], lim);
    }
}' "$2"
